// The document against other programs and crashes: a file changed, removed or replaced on disk, the
// recovery copies of unsaved edits and their offer, and saves of hard-linked files.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTest>

#include "app/RecoveryWriter.h"
#include "app/TextView.h"
#include "helpers/TestSupport.h"
#include "platform/RecoveryStore.h"
#include "platform/TextEncoding.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

const QString kReloaded = QStringLiteral("ファイルが他のプログラムで変更されたため読み込み直しました");
const QString kGone = QStringLiteral("ファイルが削除されたか名前が変更されました");
const QString kPrompt = QStringLiteral("文書は変更されています。保存しますか？");

std::string Lines(int first, int count, const char* tag) {
    std::string s;
    for (int i = first; i < first + count; ++i) s += "//@" + std::string(tag) + std::to_string(i) + "\r\n";
    return s;
}

long DeadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

struct Fixture {
    Sandbox box;
    MessageBoxRecorder boxes;
    std::unique_ptr<TfrmMain> w = box.makeWindow();
    QString file;

    explicit Fixture(const std::string& text = "//@one\r\nbody\r\n") {
        file = box.writeFile(QStringLiteral("a.txt"), text);
        w->OpenDocument(file);
        w->memo->setFocus();
    }
    void type(const QString& text) {
        QTest::keyClicks(w->memo, text);
        QCoreApplication::processEvents();
    }
    // Another program writes the file; the time stamp moves on even within one clock tick.
    void rewrite(const std::string& bytes, const QString& path = {}) {
        const QString p = path.isEmpty() ? file : path;
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        f.close();
        timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 5, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(p).constData(), later, 0);
    }
    RecoveryStore store() const {
        return RecoveryStore(QFile::encodeName(box.path("recovery")).toStdString());
    }
    void save() { w->RunCommand(QStringLiteral("actFileSave")); }
};

}  // namespace

class SafetyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    // An unmodified document follows its file by itself (the file system's notice), keeping the caret's
    // line and the top line as far as they still exist; the index follows.
    void unmodifiedDocumentFollowsTheFile_data() {
        QTest::addColumn<int>("newLines");
        QTest::addColumn<int>("caretLine");
        QTest::addColumn<int>("topLine");
        QTest::addColumn<bool>("readAsEucJp");  // chosen by the user: the file is read again the same way
        QTest::newRow("longer: same lines") << 300 << 150 << 100 << false;
        QTest::newRow("shorter: the last line") << 140 << 139 << 100 << false;
        QTest::newRow("in the encoding chosen") << 300 << 150 << 100 << true;
    }
    void unmodifiedDocumentFollowsTheFile() {
        QFETCH(int, newLines);
        QFETCH(int, caretLine);
        QFETCH(int, topLine);
        QFETCH(bool, readAsEucJp);
        Fixture f(Lines(0, 200, "a"));
        if (readAsEucJp) f.w->OpenDocument(f.file, Encoding::EucJp);
        const Encoding encoding = f.w->memo->DocumentEncoding();
        f.w->resize(600, 400);
        f.w->memo->SetCaretToLineStart(150);
        f.w->memo->ScrollLineToTop(100);
        f.rewrite(Lines(0, newLines, "b"));
        QTRY_COMPARE_WITH_TIMEOUT(f.w->StatusText(), kReloaded, 3000);
        QCOMPARE(f.w->memo->GetText(), Lines(0, newLines, "b"));
        QCOMPARE(f.w->memo->CaretLine(), caretLine);
        QCOMPARE(f.w->memo->FirstVisibleLine(), topLine);
        QCOMPARE(f.w->EntryCount(), newLines);
        QCOMPARE(f.w->CurrentEntry(), caretLine);
        QCOMPARE(f.w->memo->DocumentEncoding(), encoding);
        QVERIFY(!f.w->Modified());
        QVERIFY(f.boxes.texts().isEmpty());
        f.rewrite("//@b0\r\n");  // still followed after the file was replaced
        QTRY_COMPARE_WITH_TIMEOUT(f.w->memo->GetText(), std::string("//@b0\r\n"), 3000);
    }

    // A modified document is left alone; Save asks first, No (the default, and Escape) keeps the other
    // program's text and the edits.
    void modifiedDocumentAsksBeforeOverwriting_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::addColumn<bool>("modified");
        QTest::newRow("no keeps theirs") << int(Answer::No) << QByteArray("theirs\r\n") << true;
        QTest::newRow("yes writes ours") << int(Answer::Yes) << QByteArray("x//@one\r\nbody\r\n") << false;
    }
    void modifiedDocumentAsksBeforeOverwriting() {
        QFETCH(int, answer);
        QFETCH(QByteArray, onDisk);
        QFETCH(bool, modified);
        Fixture f;
        f.type(QStringLiteral("x"));
        f.rewrite("theirs\r\n");
        f.w->CheckDisk();
        QCOMPARE(f.w->memo->GetText(), std::string("x//@one\r\nbody\r\n"));
        QVERIFY(f.boxes.texts().isEmpty());
        f.boxes.answer(Answer(answer));
        f.save();
        QCOMPARE(
            f.boxes.texts(),
            QStringList{f.file + QStringLiteral(" は他のプログラムで変更されています。上書きしますか?")});
        QCOMPARE(f.boxes.shown()[0].caption, QStringLiteral("確認"));
        QCOMPARE(QByteArray::fromStdString(f.box.readFile(QStringLiteral("a.txt"))), onDisk);
        QCOMPARE(f.w->Modified(), modified);
        // Once written over, the next save asks nothing.
        if (!modified) {
            f.boxes.clear();
            f.type(QStringLiteral("y"));
            f.save();
            QVERIFY(f.boxes.texts().isEmpty());
        }
    }

    // Removed or renamed away: the status bar says so, the document counts as modified (closing asks),
    // and Save writes the file again.
    void removedFileMakesTheDocumentModified() {
        Fixture f;
        QVERIFY(QFile::rename(f.file, f.box.path(QStringLiteral("moved.txt"))));
        QTRY_COMPARE_WITH_TIMEOUT(f.w->StatusText(), kGone, 3000);
        QVERIFY(f.w->Modified());
        f.boxes.answer(Answer::Cancel);
        QVERIFY(!f.w->close());
        QCOMPARE(f.boxes.texts(), QStringList{kPrompt});
        f.save();
        QCOMPARE(f.box.readFile(QStringLiteral("a.txt")), std::string("//@one\r\nbody\r\n"));
        QVERIFY(!f.w->Modified());
        QCOMPARE(f.boxes.texts().size(), 1);  // no overwrite question for a file made again
    }

    // Edits are copied two seconds (here: shortly) after typing pauses, in the document's bytes; the copy
    // goes when the document is saved, or given up.
    void recoveryCopyFollowsTheEdits_data() {
        QTest::addColumn<QString>("end");
        QTest::newRow("saved") << "save";
        QTest::newRow("closed with no") << "close-no";
        QTest::newRow("replaced after no") << "new-no";
        QTest::newRow("edit undone") << "undo";
    }
    void recoveryCopyFollowsTheEdits() {
        QFETCH(QString, end);
        Fixture f(Sjis("//@表\r\nbody\r\n"));
        QCOMPARE(f.w->Recovery().interval(), 2000);
        f.w->Recovery().setInterval(30);
        f.type(QStringLiteral("a"));
        QTRY_COMPARE(f.store().list().size(), std::size_t(1));
        f.w->Recovery().wait();
        const RecoveryCopy c = f.store().list().front();
        QCOMPARE(QFile::decodeName(QByteArray::fromStdString(c.record.path)), f.file);
        QCOMPARE(c.record.encoding, std::string("Shift_JIS"));
        QCOMPARE(c.record.pid, long(::getpid()));
        QFile copy(QFile::decodeName(QByteArray::fromStdString(c.dataFile)));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll().toStdString(), Sjis("a//@表\r\nbody\r\n"));
        QVERIFY(f.store().orphans().empty());  // ours while we run

        if (end == "save") {
            f.save();
        } else if (end == "close-no") {
            f.boxes.answer(Answer::No);
            QVERIFY(f.w->close());
        } else if (end == "new-no") {
            f.boxes.answer(Answer::No);
            f.w->N10Click();
        } else {
            QTest::keyClick(f.w->memo, Qt::Key_Z, Qt::ControlModifier);
            QTest::qWait(100);
        }
        f.w->Recovery().wait();
        QVERIFY(f.store().list().empty());
    }

    // At an open, copies left by a process that ended are offered for their file: Yes (the default)
    // restores them as a modified document, No deletes them. Copies of a running process (the first
    // window, seen from the help window) are neither offered nor removed.
    void leftCopiesAreOfferedAtOpen_data() {
        QTest::addColumn<bool>("ownerRuns");
        QTest::addColumn<int>("answer");
        QTest::newRow("yes restores") << false << int(Answer::Yes);
        QTest::newRow("no deletes") << false << int(Answer::No);
        QTest::newRow("owner still runs") << true << int(Answer::Yes);
    }
    void leftCopiesAreOfferedAtOpen() {
        QFETCH(bool, ownerRuns);
        QFETCH(int, answer);
        Fixture f;
        const RecoveryStore store = f.store();
        RecoveryRecord r = RecoveryStore::OwnRecord(QFile::encodeName(f.file).toStdString(), "Shift_JIS");
        if (!ownerRuns) r.pid = DeadPid();
        QCOMPARE(store.save("left", Sjis("//@残り\r\nedits\r\n"), r), 0);
        f.boxes.answer(Answer(answer));
        f.w->OpenDocument(f.file);
        f.w->Recovery().wait();
        if (ownerRuns) {
            QVERIFY(f.boxes.texts().isEmpty());
            QCOMPARE(store.list().size(), std::size_t(1));
            return;
        }
        QCOMPARE(
            f.boxes.texts(),
            QStringList{f.file + QStringLiteral(" には保存されていない変更が残っています。復元しますか?")});
        if (Answer(answer) == Answer::Yes) {
            QCOMPARE(f.w->memo->GetText(), Sjis("//@残り\r\nedits\r\n"));
            QVERIFY(f.w->Modified());
            QCOMPARE(f.w->DocumentFileName, f.file);
            QCOMPARE(f.w->EntryCount(), 1);
            // Taken over: the left copy is gone and this process holds its own.
            const std::vector<RecoveryCopy> now = store.list();
            QCOMPARE(now.size(), std::size_t(1));
            QVERIFY(now.front().id != "left");
            QCOMPARE(now.front().record.pid, long(::getpid()));
        } else {
            QCOMPARE(f.w->memo->GetText(), std::string("//@one\r\nbody\r\n"));
            QVERIFY(!f.w->Modified());
            QVERIFY(store.list().empty());
        }
    }

    // A copy holds the document's own bytes (encoding, byte order mark, each line's break, lines kept as
    // read), and restoring it after a crash gives back the same document, saved byte for byte.
    void copyKeepsTheDocumentsBytes_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("typed");  // "a" in the encoding
        QTest::addColumn<int>("bom");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("typing");
        QTest::newRow("Shift_JIS, a line kept as read")
            << QByteArray("//@one\r\n\xed\x40x\r\n") << QByteArray("a") << 0 << "Shift_JIS" << QString();
        // Its encoding has no code for the character: the copy is kept in UTF-8, and restored as UTF-8.
        QTest::newRow("Shift_JIS, a character it lacks")
            << QByteArray("//@one\r\nbody\r\n") << QByteArray("\xe2\x98\x83") << 0 << "UTF-8"
            << QStringLiteral("\u2603");
        QTest::newRow("Shift_JIS, a code kept on the line typed on")
            << QByteArray("\xed\x40x\xfa\x5c\r\n//@one\r\n") << QByteArray("a") << 0 << "Shift_JIS" << QString();
        QTest::newRow("UTF-8, LF") << QByteArray("//@\xe8\xa1\xa8\nbody \xf0\x9f\x98\x80\n")
                                   << QByteArray("a") << 0 << "UTF-8" << QString();
        QTest::newRow("UTF-8 BOM, mixed breaks") << QByteArray("\xef\xbb\xbf//@\xe8\xa1\xa8\r\nb\nc\rd")
                                                 << QByteArray("a") << 3 << "UTF-8 BOM" << QString();
        QTest::newRow("UTF-16LE BOM, CR LF") << QByteArray("\xff\xfe/\0/\0@\0\x68\x88\r\0\n\0b\0", 16)
                                             << QByteArray("a\0", 2) << 2 << "UTF-16LE BOM" << QString();
        QTest::newRow("EUC-JP") << QByteArray(
                                       "//"
                                       "@\xb8\xab\xbd\xd0\xa4\xb7\xa4\xce\xca\xb8\xbd\xf1\xa4\xc7\xa4\xb9\n"
                                       "\xa4\xb3\xa4\xec\xa4\xcf\xcb\xdc\xca\xb8\xa4\xc7\xa4\xb9\n")
                                << QByteArray("a") << 0 << "EUC-JP" << QString();
        QTest::newRow("ISO-2022-JP") << QByteArray("//@\x1b$BI=\x1b(B\r\nbody\r\n") << QByteArray("a") << 0
                                     << "ISO-2022-JP" << QString();
        QTest::newRow("ISO-2022-JP, a JIS X 0212 character on the line typed on")
            << QByteArray("\x1b$(D\x30\x21\x1b(Bx\r\n//@\x1b$BI=\x1b(B\r\n") << QByteArray("a") << 0
            << "ISO-2022-JP" << QString();
    }
    void copyKeepsTheDocumentsBytes() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, typed);
        QFETCH(int, bom);
        QFETCH(QString, encoding);
        QFETCH(QString, typing);
        Fixture f(file.toStdString());
        f.w->Recovery().setInterval(30);
        f.w->memo->SetCaretToLineStart(0);
        if (typing.isEmpty())
            f.type(QStringLiteral("a"));
        else
            QTest::sendKeyEvent(QTest::Click, f.w->memo, Qt::Key_unknown, typing, Qt::NoModifier);
        QTRY_COMPARE(f.store().list().size(), std::size_t(1));
        f.w->Recovery().wait();
        const QByteArray expected = file.left(bom) + typed + file.mid(bom);
        RecoveryCopy c = f.store().list().front();
        QCOMPARE(QString::fromStdString(c.record.encoding), encoding);
        QFile copy(QFile::decodeName(QByteArray::fromStdString(c.dataFile)));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        const QByteArray bytes = copy.readAll();
        QCOMPARE(bytes, expected);

        // The same copy left by a process that ended, offered to a new window on the file.
        c.record.pid = DeadPid();
        QCOMPARE(f.store().save("left", bytes.toStdString(), c.record), 0);
        auto again = f.box.makeWindow();
        f.boxes.answer(Answer::Yes);
        again->OpenDocument(f.file);
        QVERIFY(again->Modified());
        QCOMPARE(QString::fromLatin1(EncodingName(again->memo->DocumentEncoding())),
                 encoding.section(QLatin1Char(' '), 0, 0) == QLatin1String("UTF-16LE")
                     ? QStringLiteral("UTF-16LE")
                     : encoding);
        again->RunCommand(QStringLiteral("actFileSave"));
        QCOMPARE(QByteArray::fromStdString(f.box.readFile(QStringLiteral("a.txt"))), expected);
    }

    // Copies of an unnamed document are offered at start-up when no file is opened.
    void unnamedCopyIsOfferedAtStartUp() {
        Sandbox box;
        MessageBoxRecorder boxes;
        RecoveryStore store(QFile::encodeName(box.path("recovery")).toStdString());
        RecoveryRecord r = RecoveryStore::OwnRecord("", "Shift_JIS");
        r.pid = DeadPid();
        QCOMPARE(store.save("unnamed", "typed\r\n", r), 0);
        auto w = box.makeWindow();
        boxes.answer(Answer::Yes);
        w->Startup({});
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral(
                                    "名前のない文書 には保存されていない変更が残っています。復元しますか?")});
        QCOMPARE(w->memo->GetText(), std::string("typed\r\n"));
        QVERIFY(w->Modified());
    }

    // A hard-linked file is saved in place: every name shows the new text; the old text was kept
    // meanwhile and is gone once the save is done.
    void hardLinkedFileKeepsItsLinks() {
        Fixture f;
        const QString other = f.box.path(QStringLiteral("link.txt"));
        QCOMPARE(::link(QFile::encodeName(f.file).constData(), QFile::encodeName(other).constData()), 0);
        f.type(QStringLiteral("new "));
        f.save();
        QCOMPARE(f.box.readFile(QStringLiteral("link.txt")), std::string("new //@one\r\nbody\r\n"));
        QCOMPARE(f.box.readFile(QStringLiteral("a.txt")), std::string("new //@one\r\nbody\r\n"));
        f.w->Recovery().wait();
        QVERIFY(f.store().list().empty());
        QVERIFY(f.boxes.texts().isEmpty());
    }
};

QTEST_MAIN(SafetyTest)
#include "tst_safety.moc"
