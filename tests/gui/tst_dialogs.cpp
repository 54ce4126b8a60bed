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

#include "dialogs/AboutDialog.h"
#include "dialogs/DropDownCountScale.h"
#include "dialogs/RegisteredFileList.h"
#include "dialogs/SettingsDialog.h"
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

    // Fixed in size, empty until given values, its buttons out of the tab chain; six whole rows of the
    // file list show, each with its whole check box.
    void settingsDialogAsOpened() {
        SettingsDialog dlg;
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("設定"));
        QVERIFY(dlg.registeredFiles->count() == 0 && dlg.titleMarksEdit->toPlainText().isEmpty());
        for (QToolButton* b : {dlg.okButton, dlg.cancelButton, dlg.addFileButton, dlg.removeFileButton}) {
            QCOMPARE(b->focusPolicy(), Qt::NoFocus);
            QVERIFY(!b->icon().isNull());
        }
        std::set<QWidget*> hinted;
        for (QWidget* w : dlg.findChildren<QWidget*>())
            if (!w->toolTip().isEmpty()) hinted.insert(w);
        QCOMPARE(hinted, (std::set<QWidget*>{dlg.dropDownCount->marker, dlg.addFileButton,
                                             dlg.removeFileButton, dlg.registeredFiles}));

        dlg.SetRegisteredFiles(kThreeFiles + kThreeFiles + kThreeFiles);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        int whole = 0;
        for (int row = 0; row < dlg.registeredFiles->count(); ++row) {
            const QRect r = dlg.registeredFiles->visualItemRect(dlg.registeredFiles->item(row));
            QVERIFY(r.contains(CheckBoxRect(dlg.registeredFiles, row)));
            whole += dlg.registeredFiles->viewport()->rect().contains(r);
        }
        QCOMPARE(whole, 6);
    }

    void settingOpensCentredOnScreen() {
        QWidget owner;
        owner.setGeometry(10, 20, 300, 200);
        owner.show();
        SettingsDialog dlg(&owner);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.frameGeometry().center(), owner.screen()->geometry().center());
    }

    void settingTabOrder() {
        SettingsDialog dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        const QList<QWidget*> order = {dlg.registeredFiles,     dlg.titleMarksEdit,
                                       dlg.ignoreHeadSpacesBox, dlg.captionIncludesMarkBox,
                                       dlg.nextPageOnTopBox,    dlg.registeredFiles};
        QCOMPARE(QApplication::focusWidget(), dlg.registeredFiles);
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
    }

    void checkListKeepsOneCheck() {
        RegisteredFileList list;
        list.SetFiles(kThreeFiles);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        auto space = [&](int row) {
            list.setCurrentRow(row);
            QTest::keyClick(&list, Qt::Key_Space);
        };
        space(0);
        QCOMPARE(list.StartUpIndex(), 0);
        space(2);
        QCOMPARE(list.StartUpIndex(), 2);
        QCOMPARE(CheckedCount(&list), 1);
        space(2);
        QCOMPARE(list.StartUpIndex(), -1);
        QCOMPARE(CheckedCount(&list), 0);

        ClickCheckBox(&list, 1);
        QCOMPARE(list.StartUpIndex(), 1);
        ClickCheckBox(&list, 0);
        QCOMPARE(list.StartUpIndex(), 0);
        QCOMPARE(CheckedCount(&list), 1);
        QCOMPARE(SelectedRow(&list), 0);

        // Adding a file leaves the start-up file alone.
        list.m_fileChooser = [] { return QStringLiteral("/elsewhere/new.txt"); };
        list.addChosenFile();
        QCOMPARE(list.count(), 4);
        QCOMPARE(list.StartUpIndex(), 0);
        QCOMPARE(list.item(3)->checkState(), Qt::Unchecked);
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
        RegisteredFileList list;
        list.SetFiles(kThreeFiles);
        list.SetStartUpIndex(written);
        QCOMPARE(list.StartUpIndex(), read);
        QCOMPARE(CheckedCount(&list), read < 0 ? 0 : 1);
        QCOMPARE(list.Files(), kThreeFiles);
        // Writing the files again clears the marks.
        list.SetFiles(kThreeFiles);
        QCOMPARE(list.StartUpIndex(), -1);
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
        SettingsDialog dlg;
        dlg.SetRegisteredFiles(files);
        dlg.SetStartUpIndex(checked);
        dlg.show();
        if (selected >= 0)
            dlg.registeredFiles->setCurrentRow(selected);
        else
            dlg.registeredFiles->clearSelection();
        QTest::mouseClick(dlg.removeFileButton, Qt::LeftButton);
        QCOMPARE(dlg.RegisteredFiles(), remaining);
        QCOMPARE(SelectedRow(dlg.registeredFiles), selectedAfter);
        QCOMPARE(dlg.StartUpIndex(), checkedAfter);
    }

    void addFileThroughOpenDialog() {
        SettingsDialog dlg;
        dlg.SetProgramFile(QStringLiteral("/opt/oruvan/bin/oruvan"));
        QString answer;
        int asked = 0;
        dlg.registeredFiles->m_fileChooser = [&] {
            ++asked;
            return answer;
        };
        QTest::mouseClick(dlg.addFileButton, Qt::LeftButton);
        QCOMPARE(asked, 1);
        QCOMPARE(dlg.registeredFiles->count(), 0);  // cancelled

        answer = QStringLiteral("/opt/oruvan/bin/docs/a.txt");
        QTest::mouseClick(dlg.addFileButton, Qt::LeftButton);
        QTest::mouseClick(dlg.addFileButton, Qt::LeftButton);
        answer = QStringLiteral("/opt/oruvan/bin/../data/表.txt");
        QTest::mouseClick(dlg.addFileButton, Qt::LeftButton);
        QCOMPARE(dlg.RegisteredFiles(),
                 (QStringList{"docs/a.txt", "docs/a.txt", QStringLiteral("../data/表.txt")}));
        QCOMPARE(CheckedCount(dlg.registeredFiles), 0);

        // An installed copy hands no program file: the path is kept whole.
        dlg.SetProgramFile(QString());
        answer = QStringLiteral("/opt/oruvan/bin/docs/b.txt");
        QTest::mouseClick(dlg.addFileButton, Qt::LeftButton);
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
        SettingsDialog dlg;
        dlg.SetProgramFile(dir.filePath(QStringLiteral("oruvan")));
        AnswerNextDialog([&](QDialog* files) {
            if (auto* d = qobject_cast<QFileDialog*>(files)) d->setDirectory(dir.path());
            TypeAndEnter(files, typed);
        });
        QTest::mouseClick(dlg.addFileButton, Qt::LeftButton);
        QCOMPARE(dlg.RegisteredFiles(), QStringList{registered});
    }

    void droppedFilesAddTheFirstOnly() {
        SettingsDialog dlg;
        dlg.SetProgramFile(QStringLiteral("/opt/oruvan/bin/oruvan"));
        dlg.SetTitleMarks({"//"});
        const QString longName = QStringLiteral("/opt/oruvan/bin/") + QString(300, QLatin1Char('n')) + ".txt";
        QVERIFY(DropFiles(&dlg, {longName, QStringLiteral("/opt/oruvan/bin/second.txt")}));
        QCOMPARE(dlg.RegisteredFiles(), QStringList{QString(300, QLatin1Char('n')) + ".txt"});
        // Dropped on the title-mark editor, a file is registered, not typed in.
        QVERIFY(DropFiles(dlg.titleMarksEdit->viewport(), {QStringLiteral("/home/u/x.txt")}));
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
        SettingsDialog dlg;
        dlg.titleMarksEdit->setPlainText(typed);
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
        DropDownCountScale part;
        part.SetValue(count);
        QCOMPARE(part.marker->x(), markerLeft);
        QCOMPARE(part.number->text(), QString::number(count));
        QCOMPARE(part.number->x(), CentreLabelLeft(markerLeft, 12, part.number->width()));
        QCOMPARE(part.Value(), count);
    }

    void draggingTheMarker() {
        DropDownCountScale part;
        part.SetValue(100);
        part.show();
        QVERIFY(QTest::qWaitForWindowExposed(&part));
        QLabel* marker = part.marker;
        auto expectShown = [&](int left, int value) {
            QCOMPARE(marker->x(), left);
            QCOMPARE(part.Value(), value);
            QCOMPARE(part.number->x(), CentreLabelLeft(left, 12, part.number->width()));
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
        SettingsDialog dlg;
        dlg.SetNextPageMenuIsHead(true);
        dlg.SetIgnoreHeadSpaces(false);
        dlg.SetCaptionIncludingTitleMark(false);
        dlg.SetDropDownCount(100);
        QVERIFY(dlg.nextPageOnTopBox->isChecked() && !dlg.ignoreHeadSpacesBox->isChecked());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(dlg.ignoreHeadSpacesBox, Qt::LeftButton);
        QTest::mouseClick(dlg.captionIncludesMarkBox, Qt::LeftButton);
        QTest::mouseClick(dlg.nextPageOnTopBox, Qt::LeftButton);
        // The boxes alone carry the edits until OK.
        QVERIFY(!dlg.IgnoreHeadSpaces() && dlg.NextPageMenuIsHead());
        if (how == "ok")
            QTest::mouseClick(dlg.okButton, Qt::LeftButton);
        else if (how == "cancel")
            QTest::mouseClick(dlg.cancelButton, Qt::LeftButton);
        else
            dlg.close();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dlg.IgnoreHeadSpaces(), accepted);
        QCOMPARE(dlg.CaptionIncludingTitleMark(), accepted);
        QCOMPARE(dlg.NextPageMenuIsHead(), !accepted);
        QCOMPARE(dlg.DropDownCount(), 100);  // beyond the scale, and kept so by OK
    }

    void enterAndEscapeDoNotClose() {
        SettingsDialog settings;
        AboutDialog about;
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
        QTest::keyClick(settings.ignoreHeadSpacesBox, Qt::Key_Escape);
        QTest::keyClick(settings.registeredFiles, Qt::Key_Return);
        QVERIFY(settings.isVisible());
    }

    // ---- About dialog ----

    void aboutDialogShowsTheProductAndCloses() {
        AboutDialog dlg;
        dlg.SetProductLine(AboutDialog::ProductLine());
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("バージョン情報"));
        QCOMPARE(dlg.productLine->text(), QString::fromLatin1(version::kNameAndNumber));
        QVERIFY(!dlg.icon->pixmap().isNull());
        QVERIFY(dlg.notice->isReadOnly());
        QCOMPARE(dlg.okButton->focusPolicy(), Qt::NoFocus);

        dlg.show();
        QTest::mouseClick(dlg.okButton, Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        dlg.show();
        dlg.close();
        QVERIFY(!dlg.isVisible());
    }

    void aboutNoticeIsPadded() {
        const QStringList lines = AboutDialog::NoticeText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 8);
        const int columns[] = {25, 26, 26, 26, 26, 46, 46, 46};
        for (int i = 0; i < 8; ++i) QCOMPARE(int(Cp932Length(lines[i].toStdString())), columns[i]);
        QVERIFY(lines[0].startsWith(QStringLiteral("【Oruvan 1.5】")));
        QVERIFY(lines[2].trimmed().isEmpty() && lines[4].trimmed().isEmpty());
        for (int i : {1, 3, 5}) QVERIFY(lines[i].startsWith(QStringLiteral("　")) && lines[i].size() > 1);
        QVERIFY(lines[6].startsWith(QStringLiteral("　　")) && lines[6].contains('@'));
        QVERIFY(lines[7].startsWith(QStringLiteral("  　")) &&
                lines[7].contains(QStringLiteral("example.org")));

        AboutDialog dlg;
        dlg.SetNoticeText(AboutDialog::NoticeText());
        QCOMPARE(dlg.notice->toPlainText().split('\n'), lines);
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
