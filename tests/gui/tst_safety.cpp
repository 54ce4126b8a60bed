// The document against other programs and crashes: a file changed, removed or replaced on disk, the
// recovery copies of unsaved edits and their offer, and saves of hard-linked files.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QInputMethodEvent>
#include <QTest>

#include "document/RecoveryWriter.h"
#include "view/TextView.h"
#include "helpers/TestSupport.h"
#include "platform/RecoveryStore.h"
#include "platform/TextEncoding.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

const QString kReloaded = QStringLiteral("ファイルが他のプログラムで変更されたため読み込み直しました");
const QString kGone = QStringLiteral("ファイルが削除されたか名前が変更されました");
const QString kPrompt = QStringLiteral("文書は変更されています。保存しますか？");
const QString kChangedOnDisk = QStringLiteral("ファイルが他のプログラムで変更されました");
const QString kRecoverAsk = QStringLiteral(" には保存されていない変更が残っています。復元しますか?");

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
    std::unique_ptr<MainWindow> w = box.makeWindow();
    QString file;

    explicit Fixture(const std::string& text = "//@one\r\nbody\r\n") {
        file = box.writeFile(QStringLiteral("a.txt"), text);
        w->document()->open(file);
        w->textView()->setFocus();
    }
    void type(const QString& text) {
        QTest::keyClicks(w->textView(), text);
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
    void save() { w->commands().runCommand(CommandId::Save); }
    void saveAs(const QString& target) {
        w->document()->setFileChooser([target](bool) { return target; });
        for (QAction* a : w->fileMenu()->actions())
            if (a->objectName() == QLatin1String("saveAs")) a->trigger();
    }
    // The window's copy as a process that ended would have left it (a crash): offered to a new window.
    void leaveCopyAsCrashed() {
        w->document()->guard().recovery().wait();
        QCOMPARE(store().list().size(), std::size_t(1));
        const RecoveryCopy c = store().list().front();
        QFile data(QFile::decodeName(QByteArray::fromStdString(c.dataFile)));
        QVERIFY(data.open(QIODevice::ReadOnly));
        RecoveryRecord r = c.record;
        r.pid = DeadPid();
        QCOMPARE(store().save("left", data.readAll().toStdString(), r), 0);
    }
    void activate() {
        QEvent e(QEvent::WindowActivate);
        QCoreApplication::sendEvent(w.get(), &e);
    }
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
        if (readAsEucJp) f.w->document()->open(f.file, Encoding::EucJp);
        const Encoding encoding = f.w->textView()->DocumentEncoding();
        f.w->resize(600, 400);
        f.w->textView()->SetCaretToLineStart(150);
        f.w->textView()->ScrollLineToTop(100);
        f.rewrite(Lines(0, newLines, "b"));
        QTRY_COMPARE_WITH_TIMEOUT(f.w->StatusText(), kReloaded, 3000);
        QCOMPARE(f.w->textView()->GetText(), Lines(0, newLines, "b"));
        QCOMPARE(f.w->textView()->CaretLine(), caretLine);
        QCOMPARE(f.w->textView()->FirstVisibleLine(), topLine);
        QCOMPARE(f.w->index()->entryCount(), newLines);
        QCOMPARE(f.w->index()->currentEntry(), caretLine);
        QCOMPARE(f.w->textView()->DocumentEncoding(), encoding);
        QVERIFY(!f.w->document()->isModified());
        QVERIFY(f.boxes.texts().isEmpty());
        f.rewrite("//@b0\r\n");  // still followed after the file was replaced
        QTRY_COMPARE_WITH_TIMEOUT(f.w->textView()->GetText(), std::string("//@b0\r\n"), 3000);
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
        f.w->document()->guard().check();
        QCOMPARE(f.w->textView()->GetText(), std::string("x//@one\r\nbody\r\n"));
        QCOMPARE(f.w->StatusText(), kChangedOnDisk);  // said at once, not only at the save
        QVERIFY(f.boxes.texts().isEmpty());
        f.boxes.answer(Answer(answer));
        f.save();
        QCOMPARE(
            f.boxes.texts(),
            QStringList{f.file + QStringLiteral(" は他のプログラムで変更されています。上書きしますか?")});
        QCOMPARE(f.boxes.shown()[0].caption, QStringLiteral("確認"));
        QCOMPARE(QByteArray::fromStdString(f.box.readFile(QStringLiteral("a.txt"))), onDisk);
        QCOMPARE(f.w->document()->isModified(), modified);
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
        QVERIFY(f.w->document()->isModified());
        f.boxes.answer(Answer::Cancel);
        QVERIFY(!f.w->close());
        QCOMPARE(f.boxes.texts(), QStringList{kPrompt});
        f.save();
        QCOMPARE(f.box.readFile(QStringLiteral("a.txt")), std::string("//@one\r\nbody\r\n"));
        QVERIFY(!f.w->document()->isModified());
        QCOMPARE(f.boxes.texts().size(), 1);  // no overwrite question for a file made again
    }

    // A file removed and then written again by another program is the document's file again: an unedited
    // document reads it, an edited one is told it changed (and Save asks before overwriting it).
    void fileWrittenAgainAfterRemoval_data() {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("sameBytes");  // put back as it was, time stamp included
        QTest::newRow("unedited, other text") << false << false;
        QTest::newRow("unedited, the same file back") << false << true;
        QTest::newRow("edited, other text") << true << false;
    }
    void fileWrittenAgainAfterRemoval() {
        QFETCH(bool, edited);
        QFETCH(bool, sameBytes);
        Fixture f;
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(f.file).constData(), &before), 0);
        if (edited) f.type(QStringLiteral("x"));
        QVERIFY(QFile::remove(f.file));
        f.w->document()->guard().check();
        QCOMPARE(f.w->StatusText(), kGone);
        const std::string theirs = sameBytes ? "//@one\r\nbody\r\n" : "theirs\r\n";
        f.rewrite(theirs);
        if (sameBytes) {
            const timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
            ::utimensat(AT_FDCWD, QFile::encodeName(f.file).constData(), times, 0);
        }
        f.w->document()->guard().check();
        QCOMPARE(f.w->StatusText(), edited ? kChangedOnDisk : kReloaded);
        QCOMPARE(f.w->textView()->GetText(), edited ? std::string("x//@one\r\nbody\r\n") : theirs);
        QCOMPARE(f.w->document()->isModified(), edited);
        if (!edited) return;
        f.boxes.answer(Answer::No);
        f.save();
        QCOMPARE(f.boxes.texts().size(), 1);
        QCOMPARE(f.box.readFile(QStringLiteral("a.txt")), theirs);
    }

    // A changed file that cannot be read is reported once, not at every activation of the window; the
    // next change is read again.
    void unreadableChangeIsReportedOnce() {
        Fixture f;
        QVERIFY(QFile::remove(f.file));
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), f.file));  // reading it fails, even as root
        f.activate();
        f.activate();
        QCOMPARE(f.boxes.texts().size(), 1);
        QVERIFY(f.boxes.texts().front().contains(QStringLiteral("開けません")));
        QCOMPARE(f.w->textView()->GetText(), std::string("//@one\r\nbody\r\n"));
        QVERIFY(QFile::remove(f.file));
        f.rewrite("theirs\r\n");
        f.activate();
        QCOMPARE(f.boxes.texts().size(), 1);
        QCOMPARE(f.w->textView()->GetText(), std::string("theirs\r\n"));
    }

    // Save asks before replacing a file whose permissions say nobody writes it; without a yes the file
    // stays as it was. The permissions are kept.
    void readOnlyFileAsksBeforeSaving_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("no keeps the file") << int(Answer::No) << false;
        QTest::newRow("yes writes it") << int(Answer::Yes) << false;
        QTest::newRow("save as onto it, no") << int(Answer::No) << true;
    }
    void readOnlyFileAsksBeforeSaving() {
        QFETCH(int, answer);
        QFETCH(bool, saveAs);
        Fixture f;
        QString target = f.file;
        if (saveAs) target = f.box.writeFile(QStringLiteral("b.txt"), "other\r\n");
        const QByteArray native = QFile::encodeName(target);
        QCOMPARE(::chmod(native.constData(), 0444), 0);
        const std::string old = f.box.readFile(QFileInfo(target).fileName());
        f.type(QStringLiteral("x"));
        f.boxes.answer(Answer(answer));
        if (saveAs)
            f.saveAs(target);
        else
            f.save();
        QCOMPARE(f.boxes.texts(),
                 QStringList{target + QStringLiteral(" は読み取り専用です。上書きしますか?")});
        QCOMPARE(f.boxes.shown()[0].caption, QStringLiteral("確認"));
        const bool yes = Answer(answer) == Answer::Yes;
        QCOMPARE(f.box.readFile(QFileInfo(target).fileName()),
                 yes ? std::string("x//@one\r\nbody\r\n") : old);
        QCOMPARE(f.w->document()->isModified(), !yes);
        QCOMPARE(f.w->document()->fileName(), yes ? target : f.file);
        struct stat st {};
        QCOMPARE(::stat(native.constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0444));
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
        QCOMPARE(f.w->document()->guard().recovery().interval(), 2000);
        f.w->document()->guard().recovery().setInterval(30);
        f.type(QStringLiteral("a"));
        QTRY_COMPARE(f.store().list().size(), std::size_t(1));
        f.w->document()->guard().recovery().wait();
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
            f.w->document()->newDocument();
        } else {
            QTest::keyClick(f.w->textView(), Qt::Key_Z, Qt::ControlModifier);
            QTest::qWait(100);
        }
        f.w->document()->guard().recovery().wait();
        QVERIFY(f.store().list().empty());
    }

    // Text an input method is still composing is no part of the document yet: a save or a recovery copy
    // meanwhile holds the text without it, and the composition goes on as it was.
    void composedTextIsNotWritten_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("saved while composing") << true;
        QTest::newRow("recovery copy while composing") << false;
    }
    void composedTextIsNotWritten() {
        QFETCH(bool, save);
        Fixture f(Sjis("//@表\r\nbody\r\n"));
        f.w->document()->guard().recovery().setInterval(30);
        f.type(QStringLiteral("a"));
        const QString preedit = QString::fromUtf8("にほん");
        QInputMethodEvent composing(preedit, {{QInputMethodEvent::Cursor, 1, 1, {}}});
        QCoreApplication::sendEvent(f.w->textView(), &composing);
        const std::string shown(f.w->textView()->Utf8Buffer());
        const long caret = f.w->textView()->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
        const std::string want = Sjis("a//@表\r\nbody\r\n");
        if (save) {
            f.save();
            QFile file(f.file);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll().toStdString(), want);
        } else {
            // Past the pause: no copy yet, or one without the composed text.
            QTest::qWait(150);
            f.w->document()->guard().recovery().wait();
            for (const RecoveryCopy& c : f.store().list()) {
                QFile copy(QFile::decodeName(QByteArray::fromStdString(c.dataFile)));
                QVERIFY(copy.open(QIODevice::ReadOnly));
                QCOMPARE(copy.readAll().toStdString(), want);
            }
            // Given up, the conversion leaves the typed text to be copied.
            QInputMethodEvent cancel;
            QCoreApplication::sendEvent(f.w->textView(), &cancel);
            QTRY_COMPARE(f.store().list().size(), std::size_t(1));
            f.w->document()->guard().recovery().wait();
            QFile copy(QFile::decodeName(QByteArray::fromStdString(f.store().list().front().dataFile)));
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll().toStdString(), want);
            QCoreApplication::sendEvent(f.w->textView(), &composing);
        }
        QCOMPARE(std::string(f.w->textView()->Utf8Buffer()), shown);
        QCOMPARE(f.w->textView()->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), caret);
        QVERIFY(f.w->textView()->Composing());
        // Given up after the save, it leaves the text as saved.
        QInputMethodEvent cancel;
        QCoreApplication::sendEvent(f.w->textView(), &cancel);
        QCOMPARE(f.w->document()->isModified(), !save);
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
        f.w->document()->open(f.file);
        f.w->document()->guard().recovery().wait();
        if (ownerRuns) {
            QVERIFY(f.boxes.texts().isEmpty());
            QCOMPARE(store.list().size(), std::size_t(1));
            return;
        }
        QCOMPARE(
            f.boxes.texts(),
            QStringList{f.file + QStringLiteral(" には保存されていない変更が残っています。復元しますか?")});
        if (Answer(answer) == Answer::Yes) {
            QCOMPARE(f.w->textView()->GetText(), Sjis("//@残り\r\nedits\r\n"));
            QVERIFY(f.w->document()->isModified());
            QCOMPARE(f.w->document()->fileName(), f.file);
            QCOMPARE(f.w->index()->entryCount(), 1);
            // Taken over: the left copy is gone and this process holds its own.
            const std::vector<RecoveryCopy> now = store.list();
            QCOMPARE(now.size(), std::size_t(1));
            QVERIFY(now.front().id != "left");
            QCOMPARE(now.front().record.pid, long(::getpid()));
        } else {
            QCOMPARE(f.w->textView()->GetText(), std::string("//@one\r\nbody\r\n"));
            QVERIFY(!f.w->document()->isModified());
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
            << QByteArray("\xed\x40x\xfa\x5c\r\n//@one\r\n") << QByteArray("a") << 0 << "Shift_JIS"
            << QString();
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
        f.w->document()->guard().recovery().setInterval(30);
        f.w->textView()->SetCaretToLineStart(0);
        if (typing.isEmpty())
            f.type(QStringLiteral("a"));
        else
            QTest::sendKeyEvent(QTest::Click, f.w->textView(), Qt::Key_unknown, typing, Qt::NoModifier);
        QTRY_COMPARE(f.store().list().size(), std::size_t(1));
        f.w->document()->guard().recovery().wait();
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
        again->document()->open(f.file);
        QVERIFY(again->document()->isModified());
        QCOMPARE(QString::fromLatin1(EncodingName(again->textView()->DocumentEncoding())),
                 encoding.section(QLatin1Char(' '), 0, 0) == QLatin1String("UTF-16LE")
                     ? QStringLiteral("UTF-16LE")
                     : encoding);
        again->commands().runCommand(CommandId::Save);
        QCOMPARE(QByteArray::fromStdString(f.box.readFile(QStringLiteral("a.txt"))), expected);
    }

    // The copy of a document whose file was renamed or deleted is offered at the next start without a
    // file, and when its path is opened: restored under its name, modified, and Save writes the file again.
    void copyOfMissingFileIsOffered_data() {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<bool>("openPath");
        QTest::newRow("renamed, start-up without a file") << false << false;
        QTest::newRow("deleted, start-up without a file") << true << false;
        QTest::newRow("deleted, its path opened") << true << true;
    }
    void copyOfMissingFileIsOffered() {
        QFETCH(bool, deleted);
        QFETCH(bool, openPath);
        Fixture f;
        f.type(QStringLiteral("x"));
        if (deleted)
            QVERIFY(QFile::remove(f.file));
        else
            QVERIFY(QFile::rename(f.file, f.box.path(QStringLiteral("moved.txt"))));
        QTRY_COMPARE_WITH_TIMEOUT(f.w->StatusText(), kGone, 3000);
        f.leaveCopyAsCrashed();
        auto again = f.box.makeWindow();
        f.boxes.clear();
        f.boxes.answer(Answer::Yes);
        if (openPath)
            again->document()->open(f.file);
        else
            again->Startup({});
        QCOMPARE(f.boxes.texts(), QStringList{f.file + kRecoverAsk});
        QCOMPARE(again->textView()->GetText(), std::string("x//@one\r\nbody\r\n"));
        QCOMPARE(again->document()->fileName(), f.file);
        QVERIFY(again->document()->isModified());
        again->commands().runCommand(CommandId::Save);
        QCOMPARE(f.box.readFile(QStringLiteral("a.txt")), std::string("x//@one\r\nbody\r\n"));
        QVERIFY(!again->document()->isModified());
    }

    // After a Save As that failed the document bears the new name: its recovery copy and the watch on
    // its file go along, so the edits are offered under that name after a crash.
    void copyAndWatchFollowAFailedSaveAs() {
        Fixture f;
        f.w->document()->guard().recovery().setInterval(30);
        f.type(QStringLiteral("x"));
        QTRY_COMPARE(f.store().list().size(), std::size_t(1));
        const QString target = f.box.path(QStringLiteral("no such folder/b.txt"));
        f.saveAs(target);
        QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("ファイル %1 を作成できません.").arg(target)});
        QCOMPARE(f.w->document()->fileName(), target);
        f.w->document()->guard().recovery().wait();
        QCOMPARE(QFile::decodeName(QByteArray::fromStdString(f.store().list().front().record.path)), target);
        // The old file is no longer the document's.
        QVERIFY(QFile::remove(f.file));
        f.w->document()->guard().check();
        QVERIFY(f.w->StatusText() != kGone);
        f.type(QStringLiteral("y"));
        QTest::qWait(100);
        f.leaveCopyAsCrashed();
        auto again = f.box.makeWindow();
        f.boxes.clear();
        f.boxes.answer(Answer::Yes);
        again->Startup({});
        QCOMPARE(f.boxes.texts(), QStringList{target + kRecoverAsk});
        QCOMPARE(again->textView()->GetText(), std::string("xy//@one\r\nbody\r\n"));
        QCOMPARE(again->document()->fileName(), target);
    }

    // A recovery folder that takes no copy is said once in the status bar, and in a message at the next
    // save or close; the copy is tried again. A hard-linked file is then rewritten only after a yes.
    void recoveryFolderThatTakesNoCopyIsSaid_data() {
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("answer");
        QTest::newRow("saved") << "save" << int(Answer::Ok);
        QTest::newRow("closed") << "close" << int(Answer::No);
        QTest::newRow("hard-linked, no keeps the file") << "link" << int(Answer::No);
        QTest::newRow("hard-linked, yes saves") << "link" << int(Answer::Yes);
    }
    void recoveryFolderThatTakesNoCopyIsSaid() {
        QFETCH(QString, end);
        QFETCH(int, answer);
        Fixture f;
        const QString folder = f.box.writeFile(QStringLiteral("recovery"), "in the way");
        const QString status = QStringLiteral("復元用のコピーを %1 に保存できません").arg(folder);
        const QString said = QStringLiteral(
                                 "復元用のコピーを %1 に保存できません。\n"
                                 "保存していない変更は、プログラムが異常終了すると失われます。")
                                 .arg(folder);
        f.w->document()->guard().recovery().setInterval(30);
        f.type(QStringLiteral("x"));
        QTRY_COMPARE(f.w->StatusText(), status);
        // Once: a later failure leaves the status bar alone; the folder is tried again meanwhile.
        f.w->SetStatusText(QString());
        QTest::qWait(150);
        f.w->document()->guard().recovery().wait();
        QCoreApplication::processEvents();
        QCOMPARE(f.w->StatusText(), QString());
        QVERIFY(f.boxes.texts().isEmpty());
        QVERIFY(QFile::remove(folder));
        QTRY_COMPARE(f.store().list().size(), std::size_t(1));
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QFile::copy(f.file, folder));  // in the way again
        f.type(QStringLiteral("y"));
        QTRY_COMPARE(f.w->StatusText(), status);  // said again after a copy was written
        if (end == "save") {
            f.save();
            QCOMPARE(f.boxes.texts(), QStringList{said});
            f.type(QStringLiteral("z"));
            f.save();
            QCOMPARE(f.boxes.texts().size(), 1);
        } else if (end == "close") {
            f.boxes.answer(Answer::No);
            QVERIFY(f.w->close());
            QCOMPARE(f.boxes.texts(), (QStringList{said, kPrompt}));
        } else {
            const QString other = f.box.path(QStringLiteral("link.txt"));
            QCOMPARE(::link(QFile::encodeName(f.file).constData(), QFile::encodeName(other).constData()), 0);
            f.boxes.answer(Answer(answer));
            f.save();
            QCOMPARE(
                f.boxes.texts(),
                QStringList{QStringLiteral("復元用のコピーを %1 に保存できません。\n"
                                           "保存が途中で止まると文書が失われることがあります。保存しますか?")
                                .arg(folder)});
            const bool yes = Answer(answer) == Answer::Yes;
            QCOMPARE(f.box.readFile(QStringLiteral("link.txt")),
                     yes ? std::string("xy//@one\r\nbody\r\n") : std::string("//@one\r\nbody\r\n"));
            QCOMPARE(f.w->document()->isModified(), !yes);
        }
    }

    // A copy of a large text is taken in slices between events; an edit meanwhile gives it up, so the
    // copy written is always a text the document held, never old and new text mixed.
    void slicedCopyIsATextThatExisted_data() {
        QTest::addColumn<int>("at");  // where the edit lands
        QTest::newRow("edit in the part copied") << 0;
        QTest::newRow("edit in the part still to copy") << (8 << 20) + 1000;
    }
    void slicedCopyIsATextThatExisted() {
        QFETCH(int, at);
        std::string big = "//@one\r\n";
        while (big.size() < (9u << 20)) big += "body text of a large document\r\n";
        Fixture f(big);
        f.w->document()->guard().recovery().setInterval(60000);
        TextView* memo = f.w->textView();
        const RecoveryRecord record =
            RecoveryStore::OwnRecord(QFile::encodeName(f.file).toStdString(), "Shift_JIS");
        const auto copyAll = [&] {
            f.w->document()->guard().recovery().copyInSlices(memo, record);
            QVERIFY(f.w->document()->guard().recovery().copying());  // more than one slice
            memo->SendScintilla(QsciScintilla::SCI_INSERTTEXT, at, "x");
            QTRY_VERIFY(!f.w->document()->guard().recovery().copying());
            f.w->document()->guard().recovery().wait();
        };
        copyAll();
        const std::string now = memo->GetText();
        for (const RecoveryCopy& c : f.store().list()) {
            QFile data(QFile::decodeName(QByteArray::fromStdString(c.dataFile)));
            QVERIFY(data.open(QIODevice::ReadOnly));
            const std::string bytes = data.readAll().toStdString();
            QVERIFY2(bytes == big || bytes == now, "old and new text mixed");
        }
        // The next copy, undisturbed, is the text as it is.
        f.w->document()->guard().recovery().copyInSlices(memo, record);
        QTRY_VERIFY(!f.w->document()->guard().recovery().copying());
        f.w->document()->guard().recovery().wait();
        QCOMPARE(f.store().list().size(), std::size_t(1));
        QFile data(QFile::decodeName(QByteArray::fromStdString(f.store().list().front().dataFile)));
        QVERIFY(data.open(QIODevice::ReadOnly));
        QVERIFY(data.readAll().toStdString() == now);
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
        QCOMPARE(w->textView()->GetText(), std::string("typed\r\n"));
        QVERIFY(w->document()->isModified());
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
        f.w->document()->guard().recovery().wait();
        QVERIFY(f.store().list().empty());
        QVERIFY(f.boxes.texts().isEmpty());
    }

    // While a hard-linked file is rewritten, its old text is kept named by the encoding its bytes are
    // in, not by the one the save writes, so that after a crash it is offered as it was.
    void hardLinkedFileKeepsItsOldTextInItsOwnEncoding_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("kept");
        QTest::newRow("save encoding chosen as UTF-8") << "choose"
                                                       << "Shift_JIS";
        QTest::newRow("UTF-8 taken for a character Shift_JIS lacks") << "lacking"
                                                                     << "Shift_JIS";
        QTest::newRow("file rewritten in EUC-JP meanwhile") << "rewritten"
                                                            << "EUC-JP";
    }
    void hardLinkedFileKeepsItsOldTextInItsOwnEncoding() {
        QFETCH(QString, change);
        QFETCH(QString, kept);
        Fixture f("//@\x82\xa0\r\nbody\r\n");
        const QString other = f.box.path(QStringLiteral("link.txt"));
        QCOMPARE(::link(QFile::encodeName(f.file).constData(), QFile::encodeName(other).constData()), 0);
        f.boxes.answer(Answer::Yes);
        if (change == "choose") {
            QVERIFY(f.w->document()->setSaveEncoding(Encoding::Utf8));
            f.type(QStringLiteral("x"));
        } else if (change == "lacking") {
            QTest::sendKeyEvent(QTest::Click, f.w->textView(), Qt::Key_unknown, QStringLiteral("\u2603"),
                                Qt::NoModifier);
        } else {
            f.type(QStringLiteral("x"));
            f.rewrite("\xa2\xa3\xcb\xdc\xca\xb8\xa4\xc7\xa4\xb9\r\n");
        }
        std::vector<RecoveryCopy> during;
        f.w->textView()->saveOptions.write = [&](int fd, const void* data, size_t size) {
            if (during.empty()) during = f.store().list();
            return ::write(fd, data, size);
        };
        f.save();
        QVERIFY(!f.w->document()->isModified());
        QCOMPARE(during.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(during.front().record.encoding), kept);
    }
};

QTEST_MAIN(SafetyTest)
#include "tst_safety.moc"
