// The settings the main window reads at creation and writes when it closes, and the start-up file.
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QSplitter>
#include <QTest>
#include <filesystem>

#include "view/TextView.h"
#include "helpers/TestSupport.h"
#include "platform/IniFile.h"
#include "settings/SettingsRecord.h"
#include "widgets/Cp932Text.h"
#include "widgets/ShownFont.h"
#include "widgets/FindBar.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

const QString kIni = QStringLiteral("oruvan.ini");
const QString kMissing = QStringLiteral("ファイルは存在しないか、開けません");

// The settings file as cp932 with CR LF breaks, from UTF-8 lines.
std::string IniText(const QStringList& lines) {
    std::string out;
    for (const QString& l : lines) out += Sjis(l.toUtf8().constData()) + "\r\n";
    return out;
}

// "Section/Key" for every key line, in file order.
QStringList KeyOrder(const std::string& cp932) {
    QStringList order;
    QString section;
    for (const QString& line : FromCp932(cp932).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('[')))
            section = line.mid(1, line.indexOf(QLatin1Char(']')) - 1);
        else if (line.contains(QLatin1Char('=')))
            order << section + QLatin1Char('/') + line.left(line.indexOf(QLatin1Char('=')));
    }
    return order;
}

QString Flag(bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); }

// One value of the window, as text, by the name of its settings key.
QString Probe(MainWindow& w, const QString& what) {
    if (what == QLatin1String("TitleMarks")) {
        QStringList marks;
        for (const std::string& m : w.index()->options().titleMarks) marks << FromCp932(m);
        return marks.join(QLatin1Char('|'));
    }
    if (what == QLatin1String("Files")) return w.RegisteredFiles.join(QLatin1Char('|'));
    if (what == QLatin1String("WordWrap"))
        return Flag(w.WordWrap) + Flag(w.textView()->WordWrap()) +
               Flag(w.textView()->SendScintilla(QsciScintillaBase::SCI_GETHSCROLLBAR) != 0);
    if (what == QLatin1String("ListViewVisible"))
        return Flag(w.GetListViewVisible()) + QLatin1Char(' ') +
               QString::number(w.index()->headingList()->width());
    if (what == QLatin1String("NextPageMenuIsHead")) return Flag(w.index()->options().nextPageOnTop);
    if (what == QLatin1String("IgnoreHeadSpaces")) return Flag(w.index()->options().ignoreHeadSpaces);
    if (what == QLatin1String("CaptionIncludingTitleMark"))
        return Flag(w.index()->options().captionIncludesMark);
    if (what == QLatin1String("StartUpIndex")) return QString::number(w.StartUpIndex);
    if (what == QLatin1String("DropDownCount"))
        return QString::number(w.index()->options().dropDownCount) + QLatin1Char(' ') +
               QString::number(w.index()->headingCombo()->maxVisibleItems());
    if (what == QLatin1String("Font"))
        return w.textView()->FontName() + QLatin1Char(' ') + QString::number(w.textView()->FontSize());
    if (what == QLatin1String("Colors"))
        return QStringList{w.BackColor, w.TextColor, w.textView()->BackColor().name().toUpper(),
                           w.textView()->TextColor().name().toUpper()}
            .join(QLatin1Char(' '));
    if (what == QLatin1String("SearchHistory")) return w.findBar()->History().join(QLatin1Char('|'));
    if (what == QLatin1String("Size")) {
        const QSize s = w.frameGeometry().size();
        return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
    }
    return QStringLiteral("?");
}

// Drags the splitter handle between the list box and the text view to x (splitter coordinates).
void DragListBoxEdge(MainWindow& w, int x) {
    auto* splitter = w.findChild<QSplitter*>(QStringLiteral("bodySplitter"));
    QVERIFY(splitter);
    QSplitterHandle* handle = splitter->handle(1);
    const QPoint from = handle->rect().center();
    const QPoint to = handle->mapFrom(splitter, QPoint(x, from.y()));
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, handle->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    QCoreApplication::processEvents();
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    void noFileGivesTheDesignedWindow() {
        Sandbox box;
        auto w = box.makeWindow();
        QCOMPARE(w->frameGeometry(), QRect(272, 125, 423, 340));
        QCOMPARE(Probe(*w, QStringLiteral("WordWrap")), QStringLiteral("001"));
        QCOMPARE(w->index()->headingList()->width(), 423 / 3);
        QVERIFY(w->GetListViewVisible());
        QCOMPARE(w->StartUpIndex, -1);
        QCOMPARE(w->textView()->FontName(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(w->textView()->FontSize(), 9);
        QCOMPARE(Probe(*w, QStringLiteral("TitleMarks")), QStringLiteral("//@|--|■"));
        QVERIFY(w->index()->options().nextPageOnTop);
        QVERIFY(w->index()->options().ignoreHeadSpaces);
        QVERIFY(!w->index()->options().captionIncludesMark);
        QVERIFY(w->RegisteredFiles.isEmpty());
        QCOMPARE(Probe(*w, QStringLiteral("DropDownCount")), QStringLiteral("16 16"));
        QCOMPARE(w->windowTitle(), QString::fromLatin1(version::kNameAndNumber));
        QVERIFY2(!QFile::exists(box.path(kIni)), "reading must not create the file");
        // Closed untouched, it writes the designed values, every one of them.
        QVERIFY(w->close());
        IniFile designed(box.path(QStringLiteral("designed.ini")).toStdString());
        WriteSettings(designed, DefaultSettings());
        QCOMPARE(box.readFile(kIni), box.readFile(QStringLiteral("designed.ini")));
    }

    void registeredFilesAreWrittenInOrder() {
        Sandbox box;
        auto w = box.makeWindow();
        w->RegisteredFiles = {QStringLiteral("b.txt"), QStringLiteral("表/a.txt"), QString()};
        QVERIFY(w->close());
        const std::string ini = box.readFile(kIni);
        QCOMPARE(KeyOrder(ini).mid(0, 4), QStringList({"Files/Count", "Files/0", "Files/1", "Files/2"}));
        QVERIFY(ini.find("Count=3\r\n0=b.txt\r\n1=" + Sjis("表/a.txt") + "\r\n2=\r\n[Font]") !=
                std::string::npos);
    }

    // Two windows on one settings file: each writes back only what it changed, over what the other saved.
    void eachWindowWritesBackOnlyWhatItChanged() {
        Sandbox box;
        box.writeFile(kIni, IniText({QStringLiteral("[Setting]"), QStringLiteral("TitleMarks=--"),
                                     QStringLiteral("WordWrap=0")}));
        const auto marks = [&box] {
            return IniFile(box.path(kIni).toStdString()).readString("Setting", "TitleMarks", "?");
        };
        const auto wrap = [&box] {
            return IniFile(box.path(kIni).toStdString()).readBool("Setting", "WordWrap", false);
        };
        {
            auto first = box.makeWindow();
            auto second = box.makeWindow();
            ChangeIndexOptions(*first, [](IndexOptions& o) { o.titleMarks = {"#"}; });
            QVERIFY(first->close());
            QCOMPARE(marks(), std::string("#"));
            second->SetWordWrap(true);
            QVERIFY(second->close());
            QCOMPARE(marks(), std::string("#"));
            QVERIFY(wrap());
        }
        {
            // A key both changed: the window closed last has the last word.
            auto first = box.makeWindow();
            auto second = box.makeWindow();
            ChangeIndexOptions(*first, [](IndexOptions& o) { o.titleMarks = {"*"}; });
            first->SetWordWrap(false);
            ChangeIndexOptions(*second, [](IndexOptions& o) { o.titleMarks = {"+"}; });
            QVERIFY(first->close());
            QVERIFY(second->close());
            QCOMPARE(marks(), std::string("+"));
            QVERIFY(!wrap());
        }
    }

    // Every value away from its default, read back and written again unchanged, session after session.
    void nonDefaultValuesSurviveSessions() {
        Sandbox box;
        const std::string ini = IniText({
            QStringLiteral("[Files]"),
            QStringLiteral("Count=2"),
            QStringLiteral("0=a.txt"),
            QStringLiteral("1=sub/表.txt"),
            QStringLiteral("[Font]"),
            QStringLiteral("Name=ＭＳ ゴシック"),
            QStringLiteral("Size=12"),
            QStringLiteral("[Setting]"),
            QStringLiteral("DropDownCount=5"),
            QStringLiteral("StartUpIndex=7"),
            QStringLiteral("TitleMarks=#,■"),
            QStringLiteral("ListViewVisible=0"),
            QStringLiteral("WordWrap=1"),
            QStringLiteral("NextPageMenuIsHead=0"),
            QStringLiteral("IgnoreHeadSpaces=0"),
            QStringLiteral("CaptionIncludingTitleMark=1"),
            QStringLiteral("[Form]"),
            QStringLiteral("Left=100"),
            QStringLiteral("Top=50"),
            QStringLiteral("Width=500"),
            QStringLiteral("Hegiht=400"),
        });
        box.writeFile(kIni, ini);
        for (int session = 0; session < 2; ++session) {
            auto w = box.makeWindow();
            QCOMPARE(Probe(*w, QStringLiteral("Font")), QStringLiteral("ＭＳ ゴシック 12"));
            QCOMPARE(Probe(*w, QStringLiteral("WordWrap")), QStringLiteral("110"));
            QCOMPARE(Probe(*w, QStringLiteral("ListViewVisible")).left(1), QStringLiteral("0"));
            QCOMPARE(Probe(*w, QStringLiteral("TitleMarks")), QStringLiteral("#|■"));
            QCOMPARE(w->frameGeometry(), QRect(100, 50, 500, 400));
            QCOMPARE(w->document()->fileName(), QString());
            QVERIFY(w->close());
            QCOMPARE(FromCp932(box.readFile(kIni)), FromCp932(ini));
        }
    }

    void valuesAreRead_data() {
        QTest::addColumn<QStringList>("ini");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");
        const QString s = QStringLiteral("[Setting]");
        QTest::newRow("empty TitleMarks: no marks") << QStringList{s, "TitleMarks="} << "TitleMarks"
                                                    << "";
        QTest::newRow("TitleMarks read") << QStringList{s, "TitleMarks=*,◆"} << "TitleMarks"
                                         << "*|◆";
        QTest::newRow("Count 3, only key 0") << QStringList{"[Files]", "Count=3", "0=a.txt"} << "Files"
                                             << "a.txt||";
        QTest::newRow("Count 0 ignores keys") << QStringList{"[Files]", "Count=0", "0=a.txt"} << "Files"
                                              << "";
        QTest::newRow("negative Count") << QStringList{"[Files]", "Count=-2", "0=a.txt"} << "Files"
                                        << "";
        QTest::newRow("Count not a number") << QStringList{"[Files]", "Count=two", "0=a.txt"} << "Files"
                                            << "";
        QTest::newRow("boolean 2") << QStringList{s, "WordWrap=2"} << "WordWrap"
                                   << "110";
        QTest::newRow("boolean -1") << QStringList{s, "WordWrap=-1"} << "WordWrap"
                                    << "110";
        QTest::newRow("boolean yes: default false") << QStringList{s, "WordWrap=yes"} << "WordWrap"
                                                    << "001";
        QTest::newRow("boolean yes: default true")
            << QStringList{s, "NextPageMenuIsHead=yes"} << "NextPageMenuIsHead"
            << "1";
        QTest::newRow("boolean 0") << QStringList{s, "IgnoreHeadSpaces=0"} << "IgnoreHeadSpaces"
                                   << "0";
        QTest::newRow("boolean hex") << QStringList{s, "CaptionIncludingTitleMark=$1"}
                                     << "CaptionIncludingTitleMark"
                                     << "1";
        QTest::newRow("names ignore case") << QStringList{"[setting]", "wordwrap=1"} << "WordWrap"
                                           << "110";
        QTest::newRow("StartUpIndex hex") << QStringList{s, "StartUpIndex=0x10"} << "StartUpIndex"
                                          << "16";
        QTest::newRow("DropDownCount") << QStringList{s, "DropDownCount=5"} << "DropDownCount"
                                       << "5 5";
        QTest::newRow("ListViewVisible 0: one pixel")
            << QStringList{s, "ListViewVisible=0"} << "ListViewVisible"
            << "0 1";
        QTest::newRow("ListViewVisible 1: a third")
            << QStringList{s, "ListViewVisible=1"} << "ListViewVisible"
            << "1 141";
        QTest::newRow("Font size not a number")
            << QStringList{"[Font]", "Size=big", "Name=ＭＳ 明朝"} << "Font"
            << "ＭＳ 明朝 9";
        QTest::newRow("size") << QStringList{"[Form]", "Width=350", "Hegiht=250"} << "Size"
                              << "350x250";
        QTest::newRow("colours") << QStringList{s, "BackColor=#102030", "TextColor=#fFeE00"} << "Colors"
                                 << "#102030 #FFEE00 #102030 #FFEE00";
        QTest::newRow("no colours: the view's own") << QStringList{s} << "Colors"
                                                    << "  #FFFFFF #000000";
        QTest::newRow("a colour that is none: the view's own")
            << QStringList{s, "BackColor=red", "TextColor=#12345"} << "Colors"
            << "  #FFFFFF #000000";
        QTest::newRow("search history, each text once")
            << QStringList{"[Search]", "Count=4", "0=見出し", "1=a", "2=見出し", "3=(x|y)"} << "SearchHistory"
            << "見出し|a|(x|y)";
    }

    // Colours chosen with the commands and searches made in the bar are there in the next session.
    void coloursAndSearchesSurviveSessions() {
        Sandbox box;
        {
            auto w = box.makeWindow();
            w->windowCommands().setColourChooser([](const QColor&) { return QColor(0x12, 0x34, 0x56); });
            QVERIFY(w->commands().runCommand(CommandId::BackColour));
            w->windowCommands().setColourChooser([](const QColor&) { return QColor(0xFE, 0xDC, 0xBA); });
            QVERIFY(w->commands().runCommand(CommandId::TextColour));
            w->textView()->setText(QStringLiteral("one two"));
            w->document()->markSaved();
            QVERIFY(w->commands().runCommand(CommandId::Find));
            for (const char* text : {"one", "見出し"}) {
                w->findBar()->SetFindText(QString::fromUtf8(text));
                QVERIFY(w->commands().runCommand(CommandId::FindNext));
            }
            QVERIFY(w->close());
        }
        const std::string ini = box.readFile(kIni);
        QVERIFY(ini.find("CaptionIncludingTitleMark=0\r\nBackColor=#123456\r\nTextColor=#FEDCBA\r\n[Form]") !=
                std::string::npos);
        QVERIFY(ini.find("Hegiht=340\r\n[Search]\r\nCount=2\r\n0=" + Sjis("見出し") + "\r\n1=one\r\n") !=
                std::string::npos);
        auto w = box.makeWindow();
        QCOMPARE(Probe(*w, QStringLiteral("Colors")), QStringLiteral("#123456 #FEDCBA #123456 #FEDCBA"));
        QCOMPARE(Probe(*w, QStringLiteral("SearchHistory")), QStringLiteral("見出し|one"));
    }

    void valuesAreRead() {
        QFETCH(QStringList, ini);
        QFETCH(QString, probe);
        QFETCH(QString, expected);
        Sandbox box;
        box.writeFile(kIni, IniText(ini));
        auto w = box.makeWindow();
        QCOMPARE(Probe(*w, probe), expected);
    }

    // Values the user did not change are written back byte for byte, also those the program cannot use
    // as they stand; the view meanwhile shows a size it can draw.
    void valuesAreWrittenBackAsRead_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("shownSize");
        const QByteArray files = "[Files]\r\nCount=1\r\n";
        QTest::newRow("registered file, IBM code of a shared character") << files + "0=\xFA\x4A.txt" << 9;
        QTest::newRow("registered file, NEC code of that character") << files + "0=\x87\x54.txt" << 9;
        QTest::newRow("both codes, each in its place")
            << QByteArray("[Files]\r\nCount=2\r\n0=\x87\x54.txt\r\n1=\xFA\x4A.txt") << 9;
        QTest::newRow("face name with a shared character") << QByteArray("[Font]\r\nName=\xFA\x4A") << 9;
        QTest::newRow("size 0") << QByteArray("[Font]\r\nSize=0") << 9;
        QTest::newRow("negative size") << QByteArray("[Font]\r\nSize=-3") << 9;
        QTest::newRow("size beyond any screen") << QByteArray("[Font]\r\nSize=100000") << 9;
        QTest::newRow("large size") << QByteArray("[Font]\r\nSize=300") << 300;
    }

    void valuesAreWrittenBackAsRead() {
        QFETCH(QByteArray, lines);
        QFETCH(int, shownSize);
        Sandbox box;
        box.writeFile(kIni, lines.toStdString() + "\r\n");
        box.writeFile(QStringLiteral("Ⅰ.txt"), "one\r\n");
        MessageBoxRecorder boxes;
        auto w = box.makeWindow();
        QCOMPARE(int(w->textView()->SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZE, 0)), shownSize);
        // A registered file still opens by its path.
        for (const QString& path : w->RegisteredFiles) {
            w->document()->open(path);
            QCOMPARE(w->textView()->GetText(), std::string("one\r\n"));
        }
        QVERIFY(boxes.shown().empty());
        QVERIFY(w->close());
        const std::string ini = box.readFile(kIni);
        QVERIFY2(ini.find(lines.toStdString() + "\r\n") != std::string::npos, ini.c_str());
    }

    // One installed face draws the whole text, Latin and Japanese alike, whatever Windows face is stored.
    void viewDrawsWithOneInstalledFace_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("default") << QString();
        QTest::newRow("fixed gothic") << QStringLiteral("ＭＳ ゴシック");
        QTest::newRow("mincho") << QStringLiteral("ＭＳ 明朝");
        QTest::newRow("ASCII spelling") << QStringLiteral("MS PGothic");
        QTest::newRow("Meiryo") << QStringLiteral("メイリオ");
        // The desktop's language names installed faces; such a name must reach the view whole.
        QTest::newRow("installed face with a Japanese name") << QStringLiteral("IPA Pゴシック");
    }

    void viewDrawsWithOneInstalledFace() {
        QFETCH(QString, stored);
        if (QFontDatabase::families(QFontDatabase::Japanese).isEmpty()) QSKIP("no Japanese face installed");
        if (stored.contains(QStringLiteral("IPA")) && !QFontDatabase::hasFamily(stored))
            QSKIP("face missing");
        Sandbox box;
        if (!stored.isEmpty()) box.writeFile(kIni, IniText({QStringLiteral("[Font]"), "Name=" + stored}));
        auto w = box.makeWindow();
        if (stored.isEmpty()) stored = QStringLiteral("ＭＳ Ｐゴシック");
        QCOMPARE(w->textView()->FontName(), stored);
        char face[256] = {};
        w->textView()->SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT, 0UL, static_cast<void*>(face));
        const QString drawn = QString::fromUtf8(face);
        QCOMPARE(drawn, StandInFamily(stored));
        QVERIFY2(QFontDatabase::hasFamily(drawn), qPrintable(drawn));
        const QString resolved = QFontInfo(QFont(drawn)).family();
        QVERIFY(QFontDatabase::writingSystems(resolved).contains(QFontDatabase::Japanese));
        QVERIFY(w->close());
        QVERIFY(FromCp932(box.readFile(kIni)).contains("Name=" + stored + "\r\n"));
    }

    // The font dialog starts on the face that draws the view, with a sample of both scripts, and what
    // is chosen there becomes the stored face and size.
    void fontDialog() {
        Sandbox box;
        auto w = box.makeWindow();
        QString family;
        QString sample;
        int sampleHeight = 0;
        const QString chosen = StandInFamily(QStringLiteral("ＭＳ ゴシック"));
        AnswerNextDialog([&](QDialog* dialog) {
            auto* fonts = qobject_cast<QFontDialog*>(dialog);
            if (!fonts) return dialog->reject();
            family = fonts->currentFont().family();
            for (QLineEdit* edit : fonts->findChildren<QLineEdit*>())
                if (edit->isVisible() && edit->parentWidget() != fonts) {
                    sample = edit->text();
                    sampleHeight = edit->height();
                }
            fonts->setCurrentFont(QFont(chosen, 14));
            fonts->accept();
        });
        QVERIFY(w->commands().runCommand(CommandId::Font));
        QCOMPARE(family, StandInFamily(QStringLiteral("ＭＳ Ｐゴシック")));
        QVERIFY2(sample.contains(QLatin1Char('A')) && sample.contains(QStringLiteral("あ")),
                 qPrintable(sample));
        QVERIFY(sampleHeight > 0);
        QCOMPARE(Probe(*w, QStringLiteral("Font")), chosen + QStringLiteral(" 14"));
    }

    // What is saved is the list box width at close, whatever the command's check mark says.
    void listViewVisibleFollowsTheListBoxWidth_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("saved");
        QTest::newRow("dragged to one pixel") << "drag 1"
                                              << "0";
        QTest::newRow("dragged to the edge") << "drag 0"
                                             << "0";
        QTest::newRow("switched off") << "off"
                                      << "0";
        QTest::newRow("switched off by command") << "command"
                                                 << "0";
        QTest::newRow("switched off, dragged wider") << "off drag 100"
                                                     << "1";
        QTest::newRow("untouched") << ""
                                   << "1";
    }

    void listViewVisibleFollowsTheListBoxWidth() {
        QFETCH(QString, how);
        QFETCH(QString, saved);
        Sandbox box;
        auto w = box.makeWindow();
        const QStringList steps = how.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int i = 0; i < steps.size(); ++i) {
            if (steps[i] == QLatin1String("off")) w->SetListViewVisible(false);
            if (steps[i] == QLatin1String("command"))
                QVERIFY(w->commands().runCommand(CommandId::ShowList));
            if (steps[i] == QLatin1String("drag")) DragListBoxEdge(*w, steps[++i].toInt());
        }
        w->commands().updateCommands();
        QCOMPARE(Flag(w->commands().action(CommandId::ShowList)->isChecked()), saved);
        if (saved == QLatin1String("0"))
            QVERIFY2(w->index()->headingList()->width() <= 1,
                     qPrintable(QString::number(w->index()->headingList()->width())));
        QVERIFY(w->close());
        QVERIFY(box.readFile(kIni).find("ListViewVisible=" + saved.toStdString() + "\r\n") !=
                std::string::npos);
    }

    // The close asks about the document after the settings are written: Cancel keeps the window, and
    // the file has been written all the same.
    void cancelledCloseStillWritesSettings() {
        Sandbox box;
        MessageBoxRecorder boxes;
        auto w = box.makeWindow();
        QVERIFY(w->commands().runCommand(CommandId::WordWrap));
        w->textView()->setFocus();
        QTest::keyClicks(w->textView(), QStringLiteral("x"));
        boxes.answer(Answer::Cancel);
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(boxes.shown().size(), std::size_t(1));
        QVERIFY(box.readFile(kIni).find("WordWrap=1\r\n") != std::string::npos);

        QVERIFY(w->commands().runCommand(CommandId::WordWrap));
        boxes.answer(Answer::No);
        QVERIFY(w->close());
        QVERIFY(box.readFile(kIni).find("WordWrap=0\r\n") != std::string::npos);
    }

    void failedWriteIsReportedAndTheCloseGoesOn_data() {
        QTest::addColumn<QString>("settingsFile");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        const int none = -1;
        QTest::newRow("folder missing") << "nowhere/oruvan.ini" << false << none << true;
        QTest::newRow("path is a folder") << "folder.ini" << false << none << true;
        QTest::newRow("folder missing, modified, No")
            << "nowhere/oruvan.ini" << true << int(Answer::No) << true;
        QTest::newRow("folder missing, modified, Cancel")
            << "nowhere/oruvan.ini" << true << int(Answer::Cancel) << false;
    }

    void failedWriteIsReportedAndTheCloseGoesOn() {
        QFETCH(QString, settingsFile);
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        Sandbox box;
        QVERIFY(QDir(box.dir()).mkdir(QStringLiteral("folder.ini")));
        MessageBoxRecorder boxes;
        ProgramPaths paths = box.paths();
        paths.settingsFile = box.path(settingsFile);
        MainWindow w(paths);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(boxes.shown().empty());
        if (modified) {
            w.textView()->setFocus();
            QTest::keyClicks(w.textView(), QStringLiteral("x"));
        }
        if (answer >= 0) boxes.answer(Answer(answer));
        QCOMPARE(w.close(), closes);
        QCOMPARE(w.isVisible(), !closes);
        QVERIFY(boxes.shown().size() >= 1);
        QCOMPARE(boxes.shown()[0].kind, MessageKind::Error);
        QCOMPARE(boxes.shown()[0].text, paths.settingsFile + QStringLiteral(" に書き込めません."));
        QCOMPARE(boxes.shown().size(), std::size_t(modified ? 2 : 1));
        if (modified) QCOMPARE(boxes.shown()[1].kind, MessageKind::Confirmation);
        QVERIFY(QFileInfo(box.path(QStringLiteral("folder.ini"))).isDir());
    }

    // An installed copy's first close makes the user's configuration folder, privately, and says nothing.
    void perUserSettingsMakeTheirFolder() {
        Sandbox box;
        MessageBoxRecorder boxes;
        ProgramPaths paths = box.paths();
        paths.settingsFile = box.path(QStringLiteral("home/.config/oruvan/oruvan.ini"));
        paths.perUserSettings = true;
        MainWindow w(paths);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.close());
        QCOMPARE(boxes.texts(), QStringList());
        QVERIFY(box.readFile(paths.settingsFile).find("[Form]") != std::string::npos);
        const auto folder =
            std::filesystem::status(box.path(QStringLiteral("home/.config/oruvan")).toStdString());
        QVERIFY(folder.permissions() == std::filesystem::perms::owner_all);
    }

    void startUpFile_data() {
        QTest::addColumn<int>("startUpIndex");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("message");
        QTest::newRow("no argument") << 0 << QStringList() << "a.txt"
                                     << "";
        QTest::newRow("empty argument") << 0 << QStringList{""} << "a.txt"
                                        << "";
        QTest::newRow("second entry") << 2 << QStringList() << "sub/b.txt"
                                      << "";
        QTest::newRow("argument wins") << 0 << QStringList{"@b.txt"} << "@b.txt"
                                       << "";
        QTest::newRow("missing argument still wins") << 0 << QStringList{"@none.txt"} << ""
                                                     << "";
        QTest::newRow("index -1") << -1 << QStringList() << ""
                                  << "";
        QTest::newRow("index = count") << 3 << QStringList() << ""
                                       << "";
        QTest::newRow("start-up file missing") << 1 << QStringList() << ""
                                               << "missing.txt\n" + kMissing;
    }

    void startUpFile() {
        QFETCH(int, startUpIndex);
        QFETCH(QStringList, arguments);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        Sandbox box;
        box.writeFile(QStringLiteral("a.txt"), "a\r\n");
        box.writeFile(QStringLiteral("b.txt"), "b\r\n");
        QDir(box.dir()).mkdir(QStringLiteral("sub"));
        box.writeFile(QStringLiteral("sub/b.txt"), "sub b\r\n");
        box.writeFile(kIni, IniText({QStringLiteral("[Files]"), QStringLiteral("Count=3"),
                                     QStringLiteral("0=a.txt"), QStringLiteral("1=missing.txt"),
                                     QStringLiteral("2=sub/b.txt"), QStringLiteral("[Setting]"),
                                     QStringLiteral("StartUpIndex=%1").arg(startUpIndex)}));
        auto expand = [&box](QString p) { return p.startsWith('@') ? box.path(p.mid(1)) : p; };
        for (QString& a : arguments) a = expand(a);
        opened = expand(opened);
        MessageBoxRecorder boxes;
        auto w = box.makeWindow();
        w->Startup(arguments);
        QCOMPARE(w->document()->fileName(), opened);
        QCOMPARE(w->windowTitle(), opened.isEmpty() ? QString::fromLatin1(version::kNameAndNumber)
                                                    : "Oruvan 1.5 - " + QFileInfo(opened).fileName());
        if (!opened.isEmpty())
            QCOMPARE(w->textView()->GetText(),
                     box.readFile(QFileInfo(opened).isAbsolute() ? opened : box.path(opened)));
        QCOMPARE(boxes.texts().join(QLatin1Char('|')), message);
    }

    // A relative argument names a file in the current folder, like any command-line path.
    void relativeArgumentIsTakenFromTheCurrentFolder() {
        Sandbox box;
        Sandbox elsewhere;
        elsewhere.writeFile(QStringLiteral("doc.txt"), "here\r\n");
        box.writeFile(QStringLiteral("doc.txt"), "program folder\r\n");
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.dir()));
        MessageBoxRecorder boxes;
        auto w = box.makeWindow();
        w->Startup({QStringLiteral("doc.txt")});
        QDir::setCurrent(before);
        QCOMPARE(w->textView()->GetText(), std::string("here\r\n"));
        QVERIFY(boxes.shown().empty());
    }
};

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
