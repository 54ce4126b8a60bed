// Files a user may hand the editor without meaning to: binary and empty files, a single enormous line,
// files that vanish or change under an open document, places that cannot be written, and settings
// files that are garbage, huge or full of entries. Each must be handled without a crash or a lost byte.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTest>

#include "view/TextView.h"
#include "helpers/TestSupport.h"
#include "outline/TitleMarks.h"
#include "platform/IniFile.h"
#include "widgets/Cp932Text.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

const QString kIni = QStringLiteral("oruvan.ini");

QString Marks(const MainWindow& w) {
    QStringList marks;
    for (const std::string& m : w.index()->options().titleMarks) marks << FromCp932(m);
    return marks.join(QLatin1Char('|'));
}

struct Window {
    Sandbox box;
    MessageBoxRecorder boxes;
    std::unique_ptr<MainWindow> w;

    explicit Window(bool show = true) { w = box.makeWindow(show); }
    void open(const QString& path) {
        w->document()->setFileChooser([path](bool) { return path; });
        w->commands().runCommand(CommandId::Open);
    }
    void save() { QVERIFY(w->commands().runCommand(CommandId::Save)); }
    QStringList texts() const { return boxes.texts(); }
};

}  // namespace

class HostileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    // One 10 MB line (with a heading before and after it): read whole, indexed, edited at its end and
    // saved back with the edit only. The window stays hidden: laying the line out for display is the
    // text widget's business and is measured by the benchmark.
    void tenMegabyteLine() {
        Window f(false);
        std::string line(10u << 20, 'x');
        // Kanji too, one of them starting at byte 4,096.
        for (std::size_t i = 0; i < line.size(); i += 91) line.replace(i, 2, "\x88\x9F");
        const std::string content = "//@first\r\n" + line + "\r\n--last\r\n";
        const QString file = f.box.writeFile(QStringLiteral("long.txt"), content);
        f.open(file);
        QCOMPARE(f.texts(), QStringList());
        QCOMPARE(f.w->textView()->LineCount(), 3);
        QCOMPARE(f.w->index()->entryCount(), 2);
        QCOMPARE(f.w->index()->entryLine(1), 2);
        // A line is handed out cut to 4,096 bytes, never inside a character.
        QCOMPARE(f.w->textView()->LineAt(1).size(), std::size_t(4095));
        f.w->textView()->SetCaretToLineStart(1);
        f.w->textView()->SendScintilla(QsciScintillaBase::SCI_LINEEND);
        QCOMPARE(f.w->textView()->CaretColumn(), static_cast<int>(line.size()));
        QTest::keyClicks(f.w->textView(), QStringLiteral("!"));
        f.w->index()->reindexAfterEdits();
        QCOMPARE(f.w->index()->entryCount(), 2);
        QVERIFY(f.w->document()->isModified());
        f.save();
        QVERIFY(f.box.readFile(QStringLiteral("long.txt")) == "//@first\r\n" + line + "!\r\n--last\r\n");
    }

    // The open document's file deleted, replaced by another file, or replaced by a folder: Save writes
    // the text where it can and says so where it cannot, and the text is never lost.
    void fileChangesUnderTheDocument() {
        Window f;
        const QString file = f.box.writeFile(QStringLiteral("a.txt"), "mine\r\n");
        f.open(file);
        QTest::keyClicks(f.w->textView(), QStringLiteral("1"));

        QVERIFY(QFile::remove(file));
        f.save();
        QCOMPARE(f.box.readFile(QStringLiteral("a.txt")), std::string("1mine\r\n"));

        // Another program writes a new file and renames it over ours: Save asks, and Yes puts our text back.
        const QString other = f.box.writeFile(QStringLiteral("other.tmp"), "theirs\r\n");
        QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(file).constData()) == 0);
        QTest::keyClicks(f.w->textView(), QStringLiteral("2"));
        f.boxes.answer(Answer::Yes);
        f.save();
        QCOMPARE(f.texts(), QStringList{file + QStringLiteral(" は他のプログラムで変更されています。上書きしますか?")});
        QCOMPARE(f.box.readFile(QStringLiteral("a.txt")), std::string("12mine\r\n"));

        QVERIFY(QFile::remove(file));
        QVERIFY(QDir(f.box.dir()).mkdir(QStringLiteral("a.txt")));
        QTest::keyClicks(f.w->textView(), QStringLiteral("3"));
        f.boxes.clear();
        f.save();
        QCOMPARE(f.texts(), QStringList{QStringLiteral("ファイル %1 を作成できません.").arg(file)});
        QVERIFY(f.w->document()->isModified());
        QCOMPARE(f.w->textView()->GetText(), std::string("123mine\r\n"));
        QVERIFY(QFileInfo(file).isDir());
        // Nothing half-written is left beside it.
        QCOMPARE(QDir(f.box.dir()).entryList(QDir::Files), QStringList());
    }

    // A folder that refuses new files: the message names the file and the old file stays as it was.
    void saveIntoUnwritableFolder_data() {
        QTest::addColumn<bool>("procfs");
        QTest::newRow("folder without write permission") << false;
        QTest::newRow("a folder nobody may write") << true;
    }

    void saveIntoUnwritableFolder() {
        QFETCH(bool, procfs);
        Window f;
        QString target;
        if (procfs) {
            target = QStringLiteral("/proc/oruvan-hostile.txt");
        } else {
            if (::geteuid() == 0) QSKIP("root writes into any folder");
            QVERIFY(QDir(f.box.dir()).mkdir(QStringLiteral("locked")));
            target = f.box.path(QStringLiteral("locked/a.txt"));
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old\r\n");
            old.close();
            QVERIFY(::chmod(QFile::encodeName(f.box.path(QStringLiteral("locked"))).constData(), 0555) == 0);
        }
        QTest::keyClicks(f.w->textView(), QStringLiteral("text"));
        f.w->document()->setFileChooser([target](bool) { return target; });
        for (QAction* a : f.w->fileMenu()->actions())
            if (a->objectName() == QLatin1String("saveAs")) a->trigger();
        QCOMPARE(f.texts(), QStringList{QStringLiteral("ファイル %1 を作成できません.").arg(target)});
        QVERIFY(f.w->document()->isModified());
        QCOMPARE(f.w->textView()->GetText(), std::string("text"));
        if (!procfs) {
            QCOMPARE(f.box.readFile(QStringLiteral("locked/a.txt")), std::string("old\r\n"));
            QCOMPARE(QDir(f.box.path(QStringLiteral("locked"))).entryList(QDir::Files), QStringList{"a.txt"});
            ::chmod(QFile::encodeName(f.box.path(QStringLiteral("locked"))).constData(), 0755);
        }
    }

    // A settings file of garbage, or a huge one, gives a working window with what could be read, and
    // closing writes a settings file the next start reads back.
    void hostileSettingsFiles_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("marks");
        const std::string binary = BinaryBytes(64 << 10, 3);
        QTest::newRow("binary") << QByteArray(binary.data(), static_cast<qsizetype>(binary.size()))
                                << QStringLiteral("//@|--|■");
        // 10 MB of lines a reader must skip, then the real section.
        QByteArray huge;
        huge.reserve(10 << 20);
        while (huge.size() < (10 << 20)) huge += "no key on this line, only words and words\r\n";
        huge += "[Setting]\r\nTitleMarks=#,*\r\n";
        QTest::newRow("10 MB of lines") << huge << QStringLiteral("#|*");
        QByteArray oneLine = "[Setting]\r\nTitleMarks=" + QByteArray(10 << 20, '#') + "\r\n";
        QTest::newRow("10 MB value") << oneLine << QString(kMaxIniValueBytes, QLatin1Char('#'));
    }

    void hostileSettingsFiles() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, marks);
        Sandbox box;
        MessageBoxRecorder boxes;
        box.writeFile(kIni, std::string(ini.constData(), static_cast<std::size_t>(ini.size())));
        QElapsedTimer t;
        t.start();
        auto w = box.makeWindow();
        qInfo("window with this settings file: %lld ms", static_cast<long long>(t.elapsed()));
        QCOMPARE(Marks(*w), marks);
        QVERIFY(boxes.shown().empty());
        const QString doc = box.writeFile(QStringLiteral("d.txt"), "#one\r\n");
        w->document()->open(doc);
        QVERIFY(w->index()->entryCount() >= 0);
        QVERIFY(w->close());
        w.reset();
        auto again = box.makeWindow();
        QCOMPARE(Marks(*again), marks);
        QVERIFY(boxes.shown().empty());
    }

    // 10,000 registered files: all listed in the File menu, each item opening its own file.
    void tenThousandRegisteredFiles() {
        Sandbox box;
        MessageBoxRecorder boxes;
        std::string ini = "[Files]\r\nCount=10000\r\n";
        for (int i = 0; i < 10000; ++i) ini += std::to_string(i) + "=f" + std::to_string(i) + ".txt\r\n";
        box.writeFile(kIni, ini);
        box.writeFile(QStringLiteral("f9999.txt"), "--last one\r\n");
        auto w = box.makeWindow();
        QCOMPARE(w->RegisteredFiles.size(), qsizetype(10000));
        QElapsedTimer t;
        t.start();
        w->fileMenu()->popup(QPoint(10, 10));
        QCoreApplication::processEvents();
        qInfo("File menu with 10,000 registered files: %lld ms", static_cast<long long>(t.elapsed()));
        QAction* last = nullptr;
        int items = 0;
        for (QAction* a : w->fileMenu()->actions()) {
            if (!a->text().contains(QLatin1String(".txt"))) continue;
            ++items;
            if (a->text().contains(QLatin1String("f9999.txt"))) last = a;
        }
        w->fileMenu()->hide();
        QCOMPARE(items, 10000);
        QVERIFY(last && last->isEnabled());
        last->trigger();
        QCOMPARE(w->textView()->GetText(), std::string("--last one\r\n"));
        QCOMPARE(w->index()->entryCount(), 1);
        QVERIFY(w->close());
        const std::string written = box.readFile(kIni);
        QVERIFY(written.find("\r\n9999=f9999.txt\r\n") != std::string::npos);
    }

    // 1,000 title marks: every one of them recognised, the first that matches deciding.
    void thousandTitleMarks() {
        Sandbox box;
        MessageBoxRecorder boxes;
        TitleMarkList marks;
        for (int i = 0; i < 1000; ++i) marks.push_back("m" + std::to_string(i) + ":");
        box.writeFile(kIni, "[Setting]\r\nTitleMarks=" + TitleMarksToText(marks) + "\r\n");
        auto w = box.makeWindow();
        QCOMPARE(w->index()->options().titleMarks.size(), std::size_t(1000));
        std::string doc;
        for (int i = 0; i < 1000; i += 37) doc += "m" + std::to_string(i) + ":heading " + std::to_string(i) + "\r\nbody\r\n";
        doc += "m1000:not a mark\r\n";
        w->document()->open(box.writeFile(QStringLiteral("d.txt"), doc));
        QCOMPARE(w->index()->entryCount(), 28);
        QCOMPARE(w->index()->entryLine(27), 54);
    }

    // 100,000 headings under word wrap: the index is whole, follows the caret to the end and back, and
    // an edit re-indexes it.
    void manyHeadingsWithWordWrap() {
        Window f;
        f.w->SetWordWrap(true);
        std::string doc;
        doc.reserve(4u << 20);
        for (int i = 0; i < 100000; ++i) doc += "//@" + std::to_string(i) + "\r\n" + Sjis("本文の行です") + "\r\n";
        const QString file = f.box.writeFile(QStringLiteral("many.txt"), doc);
        f.open(file);
        QCOMPARE(f.w->index()->entryCount(), 100000);
        QTest::keyClick(f.w->textView(), Qt::Key_End, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QCOMPARE(f.w->index()->currentEntry(), 99999);
        f.w->index()->jumpTo(50000);
        QCOMPARE(f.w->textView()->CaretLine(), 100000);
        QTest::keyClicks(f.w->textView(), QStringLiteral("//@new"));
        QTest::keyClick(f.w->textView(), Qt::Key_Return);
        f.w->index()->reindexAfterEdits();
        QCOMPARE(f.w->index()->entryCount(), 100001);
        QCOMPARE(f.w->index()->currentEntry(), 50001);
        f.save();
        QCOMPARE(f.box.readFile(QStringLiteral("many.txt")).size(), doc.size() + 8);
    }
};

QTEST_MAIN(HostileTest)
#include "tst_hostile.moc"
