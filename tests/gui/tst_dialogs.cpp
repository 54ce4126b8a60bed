#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <climits>
#include <set>

#include "dialogs/untAbout.h"
#include "dialogs/untSetting.h"
#include "helpers/TestSupport.h"
#include "platform/Cp932.h"
#include "settings/SettingDialogMath.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

const QStringList kThreeFiles = {QStringLiteral("a.txt"), QStringLiteral("docs/b.txt"),
                                 QStringLiteral("/x/c.txt")};

int CheckedCount(const QListWidget* list) {
    int n = 0;
    for (int i = 0; i < list->count(); ++i) n += list->item(i)->checkState() == Qt::Checked;
    return n;
}

int SelectedRow(const QListWidget* list) {
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

// Where the view draws the check box of a row.
QRect CheckBoxRect(QListWidget* list, int row) {
    QStyleOptionViewItem opt;
    opt.initFrom(list->viewport());
    opt.rect = list->visualItemRect(list->item(row));
    opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    opt.text = list->item(row)->text();
    return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, list);
}

// Clicks in the check box of a row, where the view toggles it.
void ClickCheckBox(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CheckBoxRect(list, row).center());
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// Sends a drag of local files onto a widget; true when the widget took the drop.
bool DropFiles(QWidget* target, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths) urls.append(QUrl::fromLocalFile(p));
    mime.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    // ---- settings dialog ----

    void settingLayout() {
        TfrmSetting dlg;
        QCOMPARE(dlg.size(), QSize(412, 421));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("設定"));
        QCOMPARE(dlg.Label1->geometry(), QRect(176, 48, 12, 12));
        QVERIFY(dlg.lstFiles->count() == 0 && dlg.MemoKeyWords->toPlainText().isEmpty());
        for (QToolButton* b : {dlg.SpeedButton1, dlg.SpeedButton2, dlg.SpeedButton3, dlg.SpeedButton4}) {
            QCOMPARE(b->focusPolicy(), Qt::NoFocus);
            QVERIFY(!b->icon().isNull());
        }
        std::set<QString> hinted;
        for (QWidget* w : dlg.findChildren<QWidget*>())
            if (!w->toolTip().isEmpty()) hinted.insert(w->objectName());
        QCOMPARE(hinted, (std::set<QString>{"Label1", "SpeedButton3", "SpeedButton4", "lstFiles"}));

        // Rows 12 high: six whole rows fit the 81-pixel list, each with its whole check box.
        QCOMPARE(dlg.lstFiles->geometry(), QRect(8, 248, 397, 81));
        dlg.SetRegisteredFiles(kThreeFiles + kThreeFiles + kThreeFiles);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        int whole = 0;
        for (int row = 0; row < dlg.lstFiles->count(); ++row) {
            const QRect r = dlg.lstFiles->visualItemRect(dlg.lstFiles->item(row));
            QCOMPARE(r.height(), 12);
            QVERIFY(r.contains(CheckBoxRect(dlg.lstFiles, row)));
            whole += dlg.lstFiles->viewport()->rect().contains(r);
        }
        QCOMPARE(whole, 6);
    }

    void settingOpensCentredOnScreen() {
        QWidget owner;
        owner.setGeometry(10, 20, 300, 200);
        owner.show();
        TfrmSetting dlg(&owner);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.frameGeometry().center(), owner.screen()->geometry().center());
    }

    void settingTabOrder() {
        TfrmSetting dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        const QList<QWidget*> order = {dlg.lstFiles,  dlg.MemoKeyWords, dlg.CheckBox1,
                                       dlg.CheckBox2, dlg.CheckBox3,    dlg.lstFiles};
        QCOMPARE(QApplication::focusWidget(), dlg.lstFiles);
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
    }

    void checkListKeepsOneCheck() {
        TfrmSetting dlg;
        dlg.SetRegisteredFiles(kThreeFiles);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto space = [&](int row) {
            dlg.lstFiles->setCurrentRow(row);
            QTest::keyClick(dlg.lstFiles, Qt::Key_Space);
        };
        space(0);
        QCOMPARE(dlg.StartUpIndex(), 0);
        space(2);
        QCOMPARE(dlg.StartUpIndex(), 2);
        QCOMPARE(CheckedCount(dlg.lstFiles), 1);
        space(2);
        QCOMPARE(dlg.StartUpIndex(), -1);
        QCOMPARE(CheckedCount(dlg.lstFiles), 0);

        ClickCheckBox(dlg.lstFiles, 1);
        QCOMPARE(dlg.StartUpIndex(), 1);
        ClickCheckBox(dlg.lstFiles, 0);
        QCOMPARE(dlg.StartUpIndex(), 0);
        QCOMPARE(CheckedCount(dlg.lstFiles), 1);
        QCOMPARE(SelectedRow(dlg.lstFiles), 0);

        // Adding a file leaves the start-up file alone.
        dlg.m_fileChooser = [] { return QStringLiteral("/elsewhere/new.txt"); };
        QTest::mouseClick(dlg.SpeedButton3, Qt::LeftButton);
        QCOMPARE(dlg.lstFiles->count(), 4);
        QCOMPARE(dlg.StartUpIndex(), 0);
        QCOMPARE(dlg.lstFiles->item(3)->checkState(), Qt::Unchecked);
    }

    void startUpIndexRoundTrip_data() {
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("read");
        QTest::newRow("none") << -1 << -1;
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("last") << 2 << 2;
        QTest::newRow("count") << 3 << -1;
        QTest::newRow("far") << 100 << -1;
        QTest::newRow("negative") << INT_MIN << -1;
    }
    void startUpIndexRoundTrip() {
        QFETCH(int, written);
        QFETCH(int, read);
        TfrmSetting dlg;
        dlg.SetRegisteredFiles(kThreeFiles);
        dlg.SetStartUpIndex(written);
        QCOMPARE(dlg.StartUpIndex(), read);
        QCOMPARE(CheckedCount(dlg.lstFiles), read < 0 ? 0 : 1);
        QCOMPARE(dlg.RegisteredFiles(), kThreeFiles);
        // Writing the files again clears the marks.
        dlg.SetRegisteredFiles(kThreeFiles);
        QCOMPARE(dlg.StartUpIndex(), -1);
    }

    void removeKeepsSelection_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("checked");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<int>("checkedAfter");
        QTest::newRow("middle") << kThreeFiles << 2 << 1 << QStringList{"a.txt", "/x/c.txt"} << 1 << 1;
        QTest::newRow("first") << kThreeFiles << -1 << 0 << QStringList{"docs/b.txt", "/x/c.txt"} << 0 << -1;
        QTest::newRow("last") << kThreeFiles << 0 << 2 << QStringList{"a.txt", "docs/b.txt"} << 1 << 0;
        QTest::newRow("checked one") << kThreeFiles << 1 << 1 << QStringList{"a.txt", "/x/c.txt"} << 1 << -1;
        QTest::newRow("only") << QStringList{"a.txt"} << 0 << 0 << QStringList{} << -1 << -1;
        QTest::newRow("nothing selected") << kThreeFiles << 1 << -1 << kThreeFiles << -1 << 1;
    }
    void removeKeepsSelection() {
        QFETCH(QStringList, files);
        QFETCH(int, checked);
        QFETCH(int, selected);
        QFETCH(QStringList, remaining);
        QFETCH(int, selectedAfter);
        QFETCH(int, checkedAfter);
        TfrmSetting dlg;
        dlg.SetRegisteredFiles(files);
        dlg.SetStartUpIndex(checked);
        dlg.show();
        if (selected >= 0)
            dlg.lstFiles->setCurrentRow(selected);
        else
            dlg.lstFiles->clearSelection();
        QTest::mouseClick(dlg.SpeedButton4, Qt::LeftButton);
        QCOMPARE(dlg.RegisteredFiles(), remaining);
        QCOMPARE(SelectedRow(dlg.lstFiles), selectedAfter);
        QCOMPARE(dlg.StartUpIndex(), checkedAfter);
    }

    void addFileThroughOpenDialog() {
        TfrmSetting dlg;
        dlg.SetProgramFile(QStringLiteral("/opt/oruvan/bin/oruvan"));
        QString answer;
        int asked = 0;
        dlg.m_fileChooser = [&] {
            ++asked;
            return answer;
        };
        QTest::mouseClick(dlg.SpeedButton3, Qt::LeftButton);
        QCOMPARE(asked, 1);
        QCOMPARE(dlg.lstFiles->count(), 0);  // cancelled

        answer = QStringLiteral("/opt/oruvan/bin/docs/a.txt");
        QTest::mouseClick(dlg.SpeedButton3, Qt::LeftButton);
        QTest::mouseClick(dlg.SpeedButton3, Qt::LeftButton);
        answer = QStringLiteral("/opt/oruvan/bin/../data/表.txt");
        QTest::mouseClick(dlg.SpeedButton3, Qt::LeftButton);
        QCOMPARE(dlg.RegisteredFiles(),
                 (QStringList{"docs/a.txt", "docs/a.txt", QStringLiteral("../data/表.txt")}));
        QCOMPARE(CheckedCount(dlg.lstFiles), 0);

        // An installed copy hands no program file: the path is kept whole.
        dlg.SetProgramFile(QString());
        answer = QStringLiteral("/opt/oruvan/bin/docs/b.txt");
        QTest::mouseClick(dlg.SpeedButton3, Qt::LeftButton);
        QCOMPARE(dlg.RegisteredFiles().value(3), answer);
    }

    // Like the Open dialog, the add button's dialog adds "txt" only to a name that does not exist as typed.
    void addButtonTakesTheNameAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("registered");
        QTest::newRow("exists without extension") << "README"
                                                  << "README";
        QTest::newRow("missing: txt added") << "notes"
                                            << "notes.txt";
    }
    void addButtonTakesTheNameAsTyped() {
        QFETCH(QString, typed);
        QFETCH(QString, registered);
        QTemporaryDir dir;
        QFile(dir.filePath(QStringLiteral("README"))).open(QIODevice::WriteOnly);
        TfrmSetting dlg;
        dlg.SetProgramFile(dir.filePath(QStringLiteral("oruvan")));
        AnswerNextDialog([&](QDialog* files) {
            if (auto* d = qobject_cast<QFileDialog*>(files)) d->setDirectory(dir.path());
            TypeAndEnter(files, typed);
        });
        QTest::mouseClick(dlg.SpeedButton3, Qt::LeftButton);
        QCOMPARE(dlg.RegisteredFiles(), QStringList{registered});
    }

    void droppedFilesAddTheFirstOnly() {
        TfrmSetting dlg;
        dlg.SetProgramFile(QStringLiteral("/opt/oruvan/bin/oruvan"));
        dlg.SetTitleMarks({"//"});
        const QString longName = QStringLiteral("/opt/oruvan/bin/") + QString(300, QLatin1Char('n')) + ".txt";
        QVERIFY(DropFiles(&dlg, {longName, QStringLiteral("/opt/oruvan/bin/second.txt")}));
        QCOMPARE(dlg.RegisteredFiles(), QStringList{QString(300, QLatin1Char('n')) + ".txt"});
        // Dropped on the title-mark editor, a file is registered, not typed in.
        QVERIFY(DropFiles(dlg.MemoKeyWords->viewport(), {QStringLiteral("/home/u/x.txt")}));
        QCOMPARE(dlg.RegisteredFiles().value(1), QStringLiteral("../../../home/u/x.txt"));
        QCOMPARE(dlg.TitleMarks(), TitleMarkList{"//"});
    }

    void titleMarks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("one") << "//" << QStringList{"//"};
        QTest::newRow("final break") << "//\n" << QStringList{"//"};
        QTest::newRow("blank between") << "//\n\n■" << QStringList{"//", "", "■"};
        QTest::newRow("blank at end") << "//\n\n" << QStringList{"//", ""};
        QTest::newRow("only a break") << "\n" << QStringList{""};
    }
    void titleMarks() {
        QFETCH(QString, typed);
        QFETCH(QStringList, marks);
        TitleMarkList expected;
        for (const QString& m : marks) expected.push_back(Utf8ToCp932(m.toStdString()));
        TfrmSetting dlg;
        dlg.MemoKeyWords->setPlainText(typed);
        QCOMPARE(dlg.TitleMarks(), expected);
        dlg.SetTitleMarks(expected);
        QCOMPARE(dlg.TitleMarks(), expected);
    }

    void dropDownCountPlacesMarker_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("markerLeft");
        QTest::newRow("16") << 16 << 250;
        QTest::newRow("lowest") << 2 << 168;
        QTest::newRow("highest") << 40 << 393;
        QTest::newRow("0 left of the scale") << 0 << 157;
        QTest::newRow("100 beyond the end") << 100 << 748;
        QTest::newRow("out of sight") << INT_MAX << 10000;
    }
    void dropDownCountPlacesMarker() {
        QFETCH(int, count);
        QFETCH(int, markerLeft);
        TfrmSetting dlg;
        dlg.SetDropDownCount(count);
        QCOMPARE(dlg.Label1->x(), markerLeft);
        QCOMPARE(dlg.Label3->text(), QString::number(count));
        QCOMPARE(dlg.Label3->x(), CentreLabelLeft(markerLeft, 12, dlg.Label3->width()));
        QCOMPARE(dlg.DropDownCount(), count);
        dlg.show();
        QTest::mouseClick(dlg.SpeedButton1, Qt::LeftButton);
        QCOMPARE(dlg.DropDownCount(), count);
    }

    void draggingTheMarker() {
        TfrmSetting dlg;
        dlg.SetDropDownCount(100);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QLabel* marker = dlg.Label1;
        auto expectShown = [&](int left, int value) {
            QCOMPARE(marker->x(), left);
            QCOMPARE(dlg.DropDownCount(), value);
            QCOMPARE(dlg.Label3->x(), CentreLabelLeft(left, 12, dlg.Label3->width()));
        };
        QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(6, 6));
        QTest::mouseMove(marker, QPoint(250 - 748, 6));
        expectShown(250, 15);
        QTest::mouseMove(marker, QPoint(-47, 6));
        expectShown(203, 7);
        QTest::mouseMove(marker, QPoint(1000, 6));
        expectShown(393, 40);
        QTest::mouseMove(marker, QPoint(-1000, 6));
        expectShown(168, 2);
        QTest::mouseRelease(marker, Qt::LeftButton, {}, QPoint(0, 6));

        // Moves after the release, or with another button, change nothing.
        SendMouse(marker, QEvent::MouseMove, QPoint(100, 6), Qt::NoButton, Qt::NoButton);
        expectShown(168, 2);
        SendMouse(marker, QEvent::MouseButtonPress, QPoint(6, 6), Qt::RightButton, Qt::RightButton);
        SendMouse(marker, QEvent::MouseMove, QPoint(100, 6), Qt::NoButton, Qt::RightButton);
        SendMouse(marker, QEvent::MouseButtonRelease, QPoint(100, 6), Qt::RightButton, Qt::NoButton);
        expectShown(168, 2);
    }

    void okStoresCheckBoxes_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("OK") << "ok" << true;
        QTest::newRow("Cancel") << "cancel" << false;
        QTest::newRow("close box") << "close" << false;
    }
    void okStoresCheckBoxes() {
        QFETCH(QString, how);
        QFETCH(bool, accepted);
        TfrmSetting dlg;
        dlg.SetNextPageMenuIsHead(true);
        dlg.SetIgnoreHeadSpaces(false);
        dlg.SetCaptionIncludingTitleMark(false);
        QVERIFY(dlg.CheckBox3->isChecked() && !dlg.CheckBox1->isChecked());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(dlg.CheckBox1, Qt::LeftButton);
        QTest::mouseClick(dlg.CheckBox2, Qt::LeftButton);
        QTest::mouseClick(dlg.CheckBox3, Qt::LeftButton);
        // The boxes alone carry the edits until OK.
        QVERIFY(!dlg.IgnoreHeadSpaces() && dlg.NextPageMenuIsHead());
        if (how == "ok")
            QTest::mouseClick(dlg.SpeedButton1, Qt::LeftButton);
        else if (how == "cancel")
            QTest::mouseClick(dlg.SpeedButton2, Qt::LeftButton);
        else
            dlg.close();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dlg.IgnoreHeadSpaces(), accepted);
        QCOMPARE(dlg.CaptionIncludingTitleMark(), accepted);
        QCOMPARE(dlg.NextPageMenuIsHead(), !accepted);
    }

    void enterAndEscapeDoNotClose() {
        TfrmSetting settings;
        TfrmAbout about;
        for (QDialog* dlg : {static_cast<QDialog*>(&settings), static_cast<QDialog*>(&about)}) {
            dlg->show();
            QVERIFY(QTest::qWaitForWindowActive(dlg));
            dlg->setResult(-1);
            for (QWidget* target : {QApplication::focusWidget(), static_cast<QWidget*>(dlg)})
                for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
                    QTest::keyClick(target, key);
                    QVERIFY2(dlg->isVisible(), qPrintable(dlg->objectName()));
                    QCOMPARE(dlg->result(), -1);
                }
            dlg->hide();
        }
        settings.show();
        QTest::keyClick(settings.CheckBox1, Qt::Key_Escape);
        QTest::keyClick(settings.lstFiles, Qt::Key_Return);
        QVERIFY(settings.isVisible());
    }

    // ---- About dialog ----

    void aboutLayout() {
        TfrmAbout dlg;
        dlg.SetProductLine(TfrmAbout::ProductLine());
        QCOMPARE(dlg.size(), QSize(426, 223));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QCOMPARE(dlg.pos(), QPoint(321, 107));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("バージョン情報"));
        QCOMPARE(dlg.Label1->text(), QString::fromLatin1(version::kNameAndNumber));
        QCOMPARE(dlg.Image1->pixmap().size(), QSize(32, 32));
        QVERIFY(dlg.Memo1->isReadOnly());
        QCOMPARE(dlg.SpeedButton1->focusPolicy(), Qt::NoFocus);

        dlg.show();
        QTest::mouseClick(dlg.SpeedButton1, Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        dlg.show();
        dlg.close();
        QVERIFY(!dlg.isVisible());
    }

    void aboutNoticeIsPadded() {
        const QStringList lines = TfrmAbout::NoticeText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 8);
        const int columns[] = {25, 26, 26, 26, 26, 46, 46, 46};
        for (int i = 0; i < 8; ++i) QCOMPARE(int(Cp932Length(lines[i].toStdString())), columns[i]);
        QVERIFY(lines[0].startsWith(QStringLiteral("【Oruvan 1.5】")));
        QVERIFY(lines[2].trimmed().isEmpty() && lines[4].trimmed().isEmpty());
        for (int i : {1, 3, 5}) QVERIFY(lines[i].startsWith(QStringLiteral("　")) && lines[i].size() > 1);
        QVERIFY(lines[6].startsWith(QStringLiteral("　　")) && lines[6].contains('@'));
        QVERIFY(lines[7].startsWith(QStringLiteral("  　")) &&
                lines[7].contains(QStringLiteral("example.org")));

        TfrmAbout dlg;
        dlg.SetNoticeText(TfrmAbout::NoticeText());
        QCOMPARE(dlg.Memo1->toPlainText().split('\n'), lines);
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
