// The document's life in the main window: open, edit, save, Save As, New, the save prompt in its three
// places, the File menu's registered files, and the edit commands, all driven through the real commands.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "view/TextView.h"
#include "document/RecentDocuments.h"
#include "helpers/TestSupport.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

const QString kPrompt = QStringLiteral("文書は変更されています。保存しますか？");
const QString kSaved = QStringLiteral("ファイルを保存しました。");
const QString kMissing = QStringLiteral("ファイルは存在しないか、開けません");
const QString kCaption = QStringLiteral("Oruvan 1.5 - ");

// Lets the event loop go idle once, as it does between user actions (commands refresh their state then).
void RunIdle() {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

// A shown window on its own folder, its message boxes recorded and its file dialogs answered.
struct Fixture {
    Sandbox box;
    MessageBoxRecorder boxes;
    std::unique_ptr<MainWindow> w;
    QString openChoice;
    QString saveChoice;
    QStringList asked;

    Fixture() {
        w = box.makeWindow();
        w->document()->setFileChooser([this](bool save) {
            asked << (save ? QStringLiteral("save") : QStringLiteral("open"));
            return save ? saveChoice : openChoice;
        });
        w->textView()->setFocus();
    }
    void type(const QString& text) {
        QTest::keyClicks(w->textView(), text);
        QCoreApplication::processEvents();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(w->textView(), k, m);
        QCoreApplication::processEvents();
    }
    void open(const QString& path) {
        openChoice = path;
        w->commands().runCommand(CommandId::Open);
    }
    // Runs a File menu item as a click would.
    void fileItem(const char* name) {
        for (QAction* a : w->fileMenu()->actions())
            if (a->objectName() == QLatin1String(name)) return a->trigger();
        QFAIL(name);
    }
    QStringList texts() const { return boxes.texts(); }
    std::string text() const { return w->textView()->GetText(); }
    bool saveEnabled() const {
        w->commands().updateCommands();
        return w->commands().action(CommandId::Save)->isEnabled();
    }
};

// The File menu as shown: opens it (its items are rebuilt then) and returns its items.
QList<QAction*> ShowFileMenu(MainWindow& w) {
    w.fileMenu()->popup(QPoint(10, 10));
    QCoreApplication::processEvents();
    const QList<QAction*> items = w.fileMenu()->actions();
    w.fileMenu()->hide();
    return items;
}

QString Caption(const QAction* a) {
    return a->isSeparator() ? QStringLiteral("-") : a->text().section('\t', 0, 0);
}

}  // namespace

class DocumentTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    void openEditSave() {
        Fixture f;
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "//@one\r\nbody\r\n//@two\r\n");
        const int rebuilds = f.w->index()->rebuildCount();
        f.open(a);
        QCOMPARE(f.w->index()->rebuildCount(), rebuilds + 1);
        QCOMPARE(f.asked, QStringList{"open"});
        QCOMPARE(f.w->document()->fileName(), a);
        QCOMPARE(f.w->windowTitle(), kCaption + "a.txt");
        QCOMPARE(ApplicationTitle(), kCaption + "a.txt");
        QCOMPARE(f.text(), std::string("//@one\r\nbody\r\n//@two\r\n"));
        QCOMPARE(f.w->index()->entryCount(), 2);
        QVERIFY(!f.w->document()->isModified());

        f.type(QStringLiteral("x"));
        QVERIFY(f.w->document()->isModified());
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.box.readFile(a), std::string("x//@one\r\nbody\r\n//@two\r\n"));
        QVERIFY(!f.w->document()->isModified());
        QVERIFY(f.boxes.shown().empty());

        // The open document's path opened again is read again, without a prompt when unmodified.
        f.box.writeFile(QStringLiteral("a.txt"), "changed\r\n");
        f.key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.asked, QStringList({"open", "open"}));
        QCOMPARE(f.text(), std::string("changed\r\n"));
        QVERIFY(f.boxes.shown().empty());
    }

    // A file opened and saved unedited comes back byte for byte, whatever it holds and whatever its
    // encoding is taken for (or is opened in), and nothing complains. Removed meanwhile, so that Save must
    // write it all.
    void unchangedFileSavesAsRead_data() {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<int>("encoding");  // -1: as detected
        QTest::newRow("empty") << std::string() << -1;
        QTest::newRow("NUL bytes only") << std::string(4096, '\0') << -1;
        QTest::newRow("binary, 256 KiB") << BinaryBytes(256 << 10, 7) << -1;
        std::string stepped;
        for (int i = 0; i < 4096; ++i) stepped += static_cast<char>((i * 7919) >> 3);
        QTest::newRow("binary, breaks of every kind") << stepped << -1;
        QTest::newRow("text with NUL bytes")
            << Sjis("■見出し\r\n本文") + std::string("\0\0mid\0", 6) + "\r\n--tail\r\n"
            << -1;
        QTest::newRow("mixed breaks, no final break") << std::string("a\rb\nc\r\n\n\r\r\nd") << -1;
        QTest::newRow("UTF-8, invalid bytes")
            << std::string("\xe6\x97\xa5\xe6\x9c\xac\n\xff\xe6\x97\r\n") << -1;
        QTest::newRow("UTF-16 odd length") << std::string("\xff\xfe\x61\0\n\0b", 7) << -1;
        QTest::newRow("ISO-2022-JP, escape sequences alone after the last break")
            << std::string("\x1B$B0!\x1B(B\r\n\x1B(I") << -1;
        QTest::newRow("ISO-2022-JP, an escape sequence before bytes no set reads")
            << std::string("\x1B$B0!\x1B(B\x80\x81\r\nok") << int(Encoding::Iso2022Jp);
    }

    void unchangedFileSavesAsRead() {
        QFETCH(std::string, bytes);
        QFETCH(int, encoding);
        Fixture f;
        const QString file = f.box.writeFile(QStringLiteral("odd.bin"), bytes);
        if (encoding < 0)
            f.open(file);
        else
            f.w->document()->open(file, static_cast<Encoding>(encoding));
        QCOMPARE(f.texts(), QStringList());
        QCOMPARE(f.w->document()->fileName(), file);
        QVERIFY(!f.w->document()->isModified());
        QVERIFY(QFile::remove(file));
        QVERIFY(f.w->commands().runCommand(CommandId::Save));
        QCOMPARE(f.texts(), QStringList());
        QVERIFY(!f.w->document()->isModified());
        QVERIFY(f.box.readFile(file) == bytes);
    }

    void promptAnswers_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<int>("answer");
        for (const char* place : {"open", "new", "close"}) {
            QTest::addRow("%s, Yes", place) << place << int(Answer::Yes);
            QTest::addRow("%s, No", place) << place << int(Answer::No);
            QTest::addRow("%s, Cancel", place) << place << int(Answer::Cancel);
        }
    }

    void promptAnswers() {
        QFETCH(QString, place);
        QFETCH(int, answer);
        Fixture f;
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "a\r\n");
        const QString b = f.box.writeFile(QStringLiteral("b.txt"), "b\r\n");
        f.open(a);
        f.type(QStringLiteral("x"));
        f.boxes.answer(Answer(answer));
        if (place == QLatin1String("open")) f.open(b);
        if (place == QLatin1String("new")) f.fileItem("new");
        if (place == QLatin1String("close")) f.w->close();

        QVERIFY(!f.boxes.shown().empty());
        QCOMPARE(f.boxes.shown()[0].kind, MessageKind::Confirmation);
        QCOMPARE(f.boxes.shown()[0].caption, QStringLiteral("確認"));
        QCOMPARE(f.boxes.shown()[0].text, kPrompt);
        QCOMPARE(f.box.readFile(a), std::string(answer == int(Answer::Yes) ? "xa\r\n" : "a\r\n"));
        const bool goesOn = answer != int(Answer::Cancel);
        const bool savedMessage = place == QLatin1String("close") && answer == int(Answer::Yes);
        QCOMPARE(f.texts(), savedMessage ? QStringList({kPrompt, kSaved}) : QStringList({kPrompt}));
        if (savedMessage) QCOMPARE(f.boxes.shown()[1].kind, MessageKind::Information);
        if (!goesOn) {
            QVERIFY(f.w->isVisible());
            QCOMPARE(f.w->document()->fileName(), a);
            QCOMPARE(f.w->windowTitle(), kCaption + "a.txt");
            QCOMPARE(f.text(), std::string("xa\r\n"));
            QVERIFY(f.w->document()->isModified());
        } else if (place == QLatin1String("open")) {
            QCOMPARE(f.w->document()->fileName(), b);
            QCOMPARE(f.text(), std::string("b\r\n"));
            QVERIFY(!f.w->document()->isModified());
        } else if (place == QLatin1String("new")) {
            QCOMPARE(f.w->document()->fileName(), QString());
            QCOMPARE(f.w->windowTitle(), kCaption);
            QCOMPARE(f.text(), std::string());
            QVERIFY(!f.saveEnabled());
        } else {
            QVERIFY(!f.w->isVisible());
        }
    }

    // A document without a name gets one from the Save dialog; cancelling it stops whatever asked.
    void unnamedDocumentSavesThroughSaveAs_data() {
        QTest::addColumn<bool>("afterNew");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("saveChoice");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("goesOn");
        const QStringList save{"save"};
        const QStringList openSave{"open", "save"};
        QTest::newRow("start-up, Ctrl+S") << false << "ctrl+s"
                                          << "x.txt" << save << true << true;
        QTest::newRow("start-up, Ctrl+S, cancelled") << false << "ctrl+s"
                                                     << "" << save << false << false;
        QTest::newRow("start-up, closing, Yes") << false << "close"
                                                << "x.txt" << save << true << true;
        QTest::newRow("after New, Ctrl+S") << true << "ctrl+s"
                                           << "x.txt" << QStringList() << false << false;
        QTest::newRow("after New, closing, Yes") << true << "close"
                                                 << "x.txt" << save << true << true;
        QTest::newRow("after New, closing, cancelled") << true << "close"
                                                       << "" << save << false << false;
        QTest::newRow("after New, open, Yes") << true << "open"
                                              << "x.txt" << openSave << true << true;
        QTest::newRow("after New, open, cancelled") << true << "open"
                                                    << "" << openSave << false << false;
        QTest::newRow("after New, New, cancelled") << true << "new"
                                                   << "" << save << false << false;
        QTest::newRow("after New, New, Yes") << true << "new"
                                             << "x.txt" << save << true << true;
    }

    void unnamedDocumentSavesThroughSaveAs() {
        QFETCH(bool, afterNew);
        QFETCH(QString, action);
        QFETCH(QString, saveChoice);
        QFETCH(QStringList, asked);
        QFETCH(bool, written);
        QFETCH(bool, goesOn);
        Fixture f;
        const QString b = f.box.writeFile(QStringLiteral("b.txt"), "b\r\n");
        if (afterNew) f.fileItem("new");
        f.type(QStringLiteral("new text"));
        f.saveChoice = saveChoice.isEmpty() ? QString() : f.box.path(saveChoice);
        f.boxes.answer(Answer::Yes);
        if (action == QLatin1String("ctrl+s")) f.key(Qt::Key_S, Qt::ControlModifier);
        if (action == QLatin1String("close")) f.w->close();
        if (action == QLatin1String("open")) f.open(b);
        if (action == QLatin1String("new")) f.fileItem("new");

        QCOMPARE(f.asked, asked);
        QCOMPARE(QFile::exists(f.box.path(QStringLiteral("x.txt"))), written);
        if (written) QCOMPARE(f.box.readFile(QStringLiteral("x.txt")), std::string("new text"));
        const bool saidSaved = f.texts().contains(kSaved);
        QCOMPARE(saidSaved, action == QLatin1String("close") && written);
        if (action == QLatin1String("close")) QCOMPARE(f.w->isVisible(), !goesOn);
        if (action == QLatin1String("open")) QCOMPARE(f.w->document()->fileName(), goesOn ? b : QString());
        if (!goesOn) {
            QCOMPARE(f.text(), std::string("new text"));
            QVERIFY(f.w->document()->isModified());
        }
        if (written && action == QLatin1String("ctrl+s")) QCOMPARE(f.w->windowTitle(), kCaption + "x.txt");
    }

    void saveAsThenCtrlSWritesTheNewPath() {
        Fixture f;
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "a\r\n");
        f.open(a);
        f.saveChoice = QString();
        f.fileItem("saveAs");
        QCOMPARE(f.w->document()->fileName(), a);
        QVERIFY(!QFile::exists(f.box.path(QStringLiteral("c.txt"))));

        f.saveChoice = f.box.path(QStringLiteral("c.txt"));
        f.fileItem("saveAs");
        QCOMPARE(f.box.readFile(QStringLiteral("c.txt")), std::string("a\r\n"));
        QCOMPARE(f.w->windowTitle(), kCaption + "c.txt");
        QCOMPARE(ApplicationTitle(), kCaption + "c.txt");
        f.type(QStringLiteral("y"));
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.box.readFile(QStringLiteral("c.txt")), std::string("ya\r\n"));
        QCOMPARE(f.box.readFile(a), std::string("a\r\n"));
        QCOMPARE(f.asked, QStringList({"open", "save", "save"}));
    }

    void newGreysSave() {
        Fixture f;
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "//@one\r\n");
        f.open(a);
        QVERIFY(f.saveEnabled());
        f.fileItem("new");
        QCOMPARE(f.w->windowTitle(), kCaption);
        QCOMPARE(f.text(), std::string());
        QCOMPARE(f.w->index()->entryCount(), 0);
        QVERIFY(!f.saveEnabled());
        for (QAction* item : ShowFileMenu(*f.w))
            if (Caption(item) == QLatin1String("上書き保存(&S)")) QVERIFY(!item->isEnabled());
        QVERIFY(!f.w->commands().runCommand(CommandId::Save));
        f.type(QStringLiteral("x"));
        f.key(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(f.asked == QStringList{"open"});
        QVERIFY(f.w->document()->isModified());

        // Any open enables it again, even one that stops at a missing file.
        f.open(f.box.path(QStringLiteral("none.txt")));
        QVERIFY(f.saveEnabled());
        f.saveChoice = f.box.path(QStringLiteral("x.txt"));
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.box.readFile(QStringLiteral("x.txt")), std::string("x"));
    }

    void refreshKeepsModified() {
        Fixture f;
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "//@one\r\n");
        f.open(a);
        f.type(QStringLiteral("//@zero"));
        f.key(Qt::Key_Return);
        QCOMPARE(f.w->index()->entryCount(), 1);
        f.key(Qt::Key_F5);
        QCOMPARE(f.w->index()->entryCount(), 2);
        QVERIFY(f.w->document()->isModified());
        QCOMPARE(f.box.readFile(a), std::string("//@one\r\n"));
    }

    // Modified compares the text itself: an edit undone by hand, wrapping and resizing are no change;
    // an edit past the 4,096 bytes a line reports is one.
    void modifiedFollowsTheText() {
        Fixture f;
        std::string longLine;
        for (int i = 0; i < 1000; ++i) longLine += "word ";
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), longLine + "\r\nshort\r\n");
        f.open(a);
        f.type(QStringLiteral("x"));
        QVERIFY(f.w->document()->isModified());
        f.key(Qt::Key_Backspace);
        QVERIFY(!f.w->document()->isModified());

        QVERIFY(f.w->commands().runCommand(CommandId::WordWrap));
        QVERIFY(f.w->textView()->WordWrap());
        QVERIFY(!f.w->document()->isModified());
        f.w->resize(350, 250);
        QCoreApplication::processEvents();
        QVERIFY(!f.w->document()->isModified());
        QVERIFY(f.w->commands().runCommand(CommandId::WordWrap));
        QVERIFY(!f.w->document()->isModified());

        f.key(Qt::Key_End);
        f.type(QStringLiteral("!"));
        QCOMPARE(f.w->textView()->LineAt(0), f.w->textView()->LineAt(0).substr(0, 4096));
        QVERIFY(f.w->document()->isModified());
        f.key(Qt::Key_Backspace);
        QVERIFY(!f.w->document()->isModified());
        QVERIFY(f.w->close());
        QVERIFY(f.boxes.shown().empty());
    }

    void missingFileMessage_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("no such file") << "none.txt";
        QTest::newRow("a folder") << "folder";
    }

    void missingFileMessage() {
        QFETCH(QString, name);
        Fixture f;
        QDir(f.box.dir()).mkdir(QStringLiteral("folder"));
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "a\r\n");
        f.open(a);
        f.type(QStringLiteral("x"));
        const QString missing = f.box.path(name);
        f.open(missing);
        QCOMPARE(f.texts(), QStringList{missing + "\n" + kMissing});
        QCOMPARE(f.boxes.shown()[0].kind, MessageKind::Information);
        QCOMPARE(f.boxes.shown()[0].caption, kCaption + "a.txt");
        QCOMPARE(f.w->document()->fileName(), a);
        QCOMPARE(f.w->windowTitle(), kCaption + "a.txt");
        QCOMPARE(f.text(), std::string("xa\r\n"));
        QVERIFY(f.w->document()->isModified());
    }

    // The Open dialog adds "txt" only to a name that does not exist as typed.
    void openDialogTakesTheNameAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("opened");
        QTest::newRow("exists without extension") << "README"
                                                  << "README";
        QTest::newRow("full path without extension") << "@Makefile"
                                                     << "Makefile";
        QTest::newRow("system file") << "/proc/version"
                                     << "/proc/version";
        QTest::newRow("exists with extension") << "a.txt"
                                               << "a.txt";
        QTest::newRow("missing: txt added") << "a"
                                            << "a.txt";
        QTest::newRow("missing with extension") << "none.md"
                                                << "";
        QTest::newRow("missing, also with txt") << "none"
                                                << "";
    }

    void openDialogTakesTheNameAsTyped() {
        QFETCH(QString, typed);
        QFETCH(QString, opened);
        Fixture f;
        f.w->document()->setFileChooser(nullptr);
        for (const char* name : {"README", "Makefile", "a.txt"}) f.box.writeFile(name, "text\r\n");
        if (typed.startsWith('@')) typed = f.box.path(typed.mid(1));
        AnswerNextDialog([&](QDialog* dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(dialog)) files->setDirectory(f.box.dir());
            TypeAndEnter(dialog, typed);
        });
        QVERIFY(f.w->commands().runCommand(CommandId::Open));
        if (opened.isEmpty()) {
            const QString shown = f.box.path(typed.endsWith(".md") ? typed : typed + ".txt");
            QCOMPARE(f.texts(), QStringList{shown + "\n" + kMissing});
            QCOMPARE(f.w->document()->fileName(), QString());
            return;
        }
        QCOMPARE(f.texts(), QStringList());
        QCOMPARE(f.w->document()->fileName(), opened.startsWith('/') ? opened : f.box.path(opened));
        QVERIFY(!f.text().empty());
    }

    // Open and Save As each reopen on their own last choice, typed or picked: its folder, its name.
    void fileDialogsReopenOnTheirLastChoice() {
        Fixture f;
        f.w->document()->setFileChooser(nullptr);
        QDir(f.box.dir()).mkpath(QStringLiteral("docs/out"));
        const QString readme = f.box.writeFile(QStringLiteral("docs/README"), "readme\r\n");
        const QString notes = f.box.writeFile(QStringLiteral("docs/notes.txt"), "notes\r\n");
        struct Seen {
            QString folder;
            QString name;
            QString selected;
        };
        // Answers the next file dialog with `typed` and tells what it showed first.
        auto run = [&](const char* command, const QString& typed) {
            Seen seen;
            AnswerNextDialog([&](QDialog* dialog) {
                if (auto* files = qobject_cast<QFileDialog*>(dialog))
                    seen.folder = files->directory().absolutePath();
                if (auto* name = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
                    seen.name = name->text();
                    seen.selected = name->selectedText();
                }
                TypeAndEnter(dialog, typed);
            });
            if (QLatin1String(command) == QLatin1String("saveAs"))
                f.fileItem(command);
            else
                f.w->commands().runCommand(CommandId::Open);
            return seen;
        };
        run("open", readme);
        QCOMPARE(f.w->document()->fileName(), readme);
        Seen open = run("open", QStringLiteral("notes"));
        QCOMPARE(open.folder, f.box.path(QStringLiteral("docs")));
        QCOMPARE(open.name, QStringLiteral("README"));
        QCOMPARE(open.selected, QStringLiteral("README"));
        QCOMPARE(f.w->document()->fileName(), notes);

        const QString saved = f.box.path(QStringLiteral("docs/out/copy"));
        Seen save = run("saveAs", saved);
        QVERIFY(save.name.isEmpty());
        QCOMPARE(f.w->document()->fileName(), saved + ".txt");
        QCOMPARE(f.box.readFile(saved + ".txt"), std::string("notes\r\n"));

        open = run("open", readme);
        QCOMPARE(open.folder, f.box.path(QStringLiteral("docs")));
        QCOMPARE(open.name, QStringLiteral("notes.txt"));
        save = run("saveAs", saved + "2");
        QCOMPARE(save.folder, f.box.path(QStringLiteral("docs/out")));
        QCOMPARE(save.name, QStringLiteral("copy.txt"));
        QCOMPARE(save.selected, QStringLiteral("copy.txt"));
    }

    // A file that exists but cannot be read leaves the document as it was, and Save still writes to the
    // document's own file.
    void readErrorKeepsTheDocument_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("no read permission") << "chmod";
        QTest::newRow("read fails") << "proc";
    }

    void readErrorKeepsTheDocument() {
        QFETCH(QString, kind);
        Fixture f;
        QString bad;
        if (kind == QLatin1String("fifo")) {
            bad = f.box.path(QStringLiteral("pipe.txt"));
            QCOMPARE(::mkfifo(QFile::encodeName(bad).constData(), 0600), 0);
        } else if (kind == QLatin1String("chmod")) {
            if (::geteuid() == 0) QSKIP("root reads any file");
            bad = f.box.writeFile(QStringLiteral("locked.txt"), "secret\r\n");
            QFile::setPermissions(bad, QFileDevice::WriteOwner);
        } else {
            bad = QStringLiteral("/proc/self/mem");
            if (!QFileInfo(bad).isFile()) QSKIP("no /proc/self/mem here");
        }
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "a\r\n");
        f.open(a);
        f.type(QStringLiteral("x"));
        f.boxes.answer(Answer::No);
        f.open(bad);
        QVERIFY(!f.boxes.shown().empty());
        QVERIFY2(f.boxes.shown().back().text.contains(bad), qPrintable(f.boxes.shown().back().text));
        if (kind != QLatin1String("fifo")) {
            QCOMPARE(f.boxes.shown().back().kind, MessageKind::Error);
            QCOMPARE(f.boxes.shown().back().text, QStringLiteral("ファイル %1 は開けません.").arg(bad));
        }
        QCOMPARE(f.w->document()->fileName(), a);
        QCOMPARE(f.w->windowTitle(), kCaption + "a.txt");
        QCOMPARE(f.text(), std::string("xa\r\n"));
        QVERIFY(f.w->document()->isModified());
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.box.readFile(a), std::string("xa\r\n"));
    }

    // A dropped file opens whole, however long its path, and only the first of several is taken.
    void droppedFile() {
        Fixture f;
        QString folder = f.box.dir();
        for (int i = 0; i < 5; ++i) {
            folder += QStringLiteral("/%1").arg(QString(60, QLatin1Char('a' + i)));
            QVERIFY(QDir().mkpath(folder));
        }
        const QString longPath = folder + QStringLiteral("/dropped.txt");
        QVERIFY(longPath.size() > 300);
        QFile file(longPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("dropped\r\n");
        file.close();
        const QString other = f.box.writeFile(QStringLiteral("other.txt"), "other\r\n");
        f.type(QStringLiteral("x"));
        f.boxes.answer(Answer::No);

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(longPath), QUrl::fromLocalFile(other), QUrl::fromLocalFile(other)});
        // A drop goes to the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.w->textView()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.w->textView()->viewport(), &drop);
        QCOMPARE(f.texts(), QStringList{kPrompt});
        QCOMPARE(f.w->document()->fileName(), longPath);
        QCOMPARE(f.text(), std::string("dropped\r\n"));
        QCOMPARE(f.w->windowTitle(), kCaption + "dropped.txt");
        f.type(QStringLiteral("y"));
        f.key(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("ydropped\r\n"));
    }

    // After a failed write the name is the new path, the text stays modified, and a closing Yes that
    // cannot save keeps the window open without claiming a save.
    void failedSave() {
        Fixture f;
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "a\r\n");
        f.open(a);
        f.type(QStringLiteral("x"));
        const QString bad = f.box.path(QStringLiteral("missing/x.txt"));
        f.saveChoice = bad;
        f.fileItem("saveAs");
        QCOMPARE(f.texts(), QStringList{QStringLiteral("ファイル %1 を作成できません.").arg(bad)});
        QCOMPARE(f.w->windowTitle(), kCaption + "x.txt");
        QVERIFY(f.w->document()->isModified());
        QCOMPARE(f.box.readFile(a), std::string("a\r\n"));

        f.boxes.clear();
        f.boxes.answer(Answer::Yes);
        QVERIFY(!f.w->close());
        QVERIFY(f.w->isVisible());
        QCOMPARE(f.texts(), QStringList({kPrompt, QStringLiteral("ファイル %1 を作成できません.").arg(bad)}));
        f.boxes.answer(Answer::No);
        QVERIFY(f.w->close());
    }

    // Items of registered files are rebuilt at each opening, newest entry first, greyed when their file
    // is missing, marked when they are the open document, and open their file as stored.
    void fileMenuOfRegisteredFiles() {
        Fixture f;
        for (const char* n : {"A.txt", "B.txt", "C.txt"})
            f.box.writeFile(QString::fromLatin1(n), std::string(n) + "\r\n");
        f.w->RegisteredFiles = {"A.txt", "B.txt", "C.txt", "D.txt", ""};
        f.open(f.box.path(QStringLiteral("B.txt")));
        const QStringList expected = {"新規作成(&N)",
                                      "-",
                                      "開く(&O)...",
                                      "文字コードを指定して開き直す(&E)",
                                      "  ",
                                      "  D.txt",
                                      "  C.txt",
                                      "  B.txt",
                                      "  A.txt",
                                      "-",
                                      "上書き保存(&S)",
                                      "名前を付けて保存(&A)",
                                      "文書の情報(&I)...",
                                      "-",
                                      "終了(&X)"};
        QList<QAction*> items;
        for (int i = 0; i < 3; ++i) {
            items = ShowFileMenu(*f.w);
            QStringList captions;
            for (QAction* a : items) captions << Caption(a);
            QCOMPARE(captions, expected);
        }
        auto item = [&items](const char* caption) {
            for (QAction* a : items)
                if (a->text() == QString::fromUtf8(caption)) return a;
            return static_cast<QAction*>(nullptr);
        };
        QStringList states;
        for (int i = 4; i <= 8; ++i)
            states << QStringLiteral("%1%2")
                          .arg(items[i]->isEnabled() ? 'E' : '-')
                          .arg(items[i]->icon().isNull() ? '-' : 'M');
        QCOMPARE(states, QStringList({"--", "--", "E-", "EM", "E-"}));

        // A relative entry is the file in the program's folder, also for saving.
        item("  C.txt")->trigger();
        QCOMPARE(f.w->document()->fileName(), QStringLiteral("C.txt"));
        QCOMPARE(f.text(), std::string("C.txt\r\n"));
        f.type(QStringLiteral("x"));
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.box.readFile(QStringLiteral("C.txt")), std::string("xC.txt\r\n"));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("C.txt"))));
        items = ShowFileMenu(*f.w);
        QVERIFY(item("  B.txt")->icon().isNull());
        QVERIFY(!item("  C.txt")->icon().isNull());

        // A file gone since the menu opened gives the missing-file message with the stored path.
        QFile::remove(f.box.path(QStringLiteral("A.txt")));
        item("  A.txt")->trigger();
        QCOMPARE(f.texts(), QStringList{"A.txt\n" + kMissing});
        QCOMPARE(f.w->document()->fileName(), QStringLiteral("C.txt"));

        f.fileItem("new");
        for (QAction* a : ShowFileMenu(*f.w)) QVERIFY(a->icon().isNull() || !a->text().startsWith("  "));
    }

    void captionShowsTheFileName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("trail byte 0x5C") << "表.txt"
                                         << "表.txt";
        QTest::newRow("another 0x5C") << "ソ能.txt"
                                      << "ソ能.txt";
        QTest::newRow("in a Japanese folder") << "表/a.txt"
                                              << "a.txt";
        QTest::newRow("blanks") << "a b .txt"
                                << "a b .txt";
    }

    void captionShowsTheFileName() {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        Fixture f;
        QDir(f.box.dir()).mkdir(QStringLiteral("表"));
        f.box.writeFile(name, "x\r\n");
        f.w->RegisteredFiles = {name};
        f.open(f.box.path(name));
        QCOMPARE(f.w->windowTitle(), kCaption + shown);
        QCOMPARE(ApplicationTitle(), kCaption + shown);
        QCOMPARE(ShowFileMenu(*f.w).at(4)->text(), "  " + shown);
    }

    void editCommands() {
        Fixture f;
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "abc\r\ndef\r\n");
        f.open(a);
        auto states = [&f] {
            f.w->commands().updateCommands();
            QString s;
            for (CommandId c : {CommandId::Undo, CommandId::Cut, CommandId::Copy, CommandId::Delete, CommandId::Paste,
                                CommandId::SelectAll})
                s += f.w->commands().action(c)->isEnabled() ? QLatin1Char('E') : QLatin1Char('-');
            return s;
        };
        QCOMPARE(states(), QStringLiteral("----EE"));
        QApplication::clipboard()->setText(QStringLiteral("keep"));
        f.key(Qt::Key_C, Qt::ControlModifier);
        f.key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("keep"));
        QCOMPARE(f.text(), std::string("abc\r\ndef\r\n"));

        // Ctrl+A and Ctrl+C act on the text view from the list box too.
        f.w->index()->headingList()->setFocus();
        QTest::keyClick(f.w->index()->headingList(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.w->textView()->SelLength(), 10);
        QCOMPARE(states(), QStringLiteral("-EEEEE"));
        QTest::keyClick(f.w->index()->headingList(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral("abc")));

        f.w->textView()->setFocus();
        f.key(Qt::Key_Home, Qt::ControlModifier);
        f.type(QStringLiteral("x"));
        QCOMPARE(states(), QStringLiteral("E---EE"));
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.text(), std::string("abc\r\ndef\r\n"));
        QVERIFY(!f.w->document()->isModified());

        // Delete cannot be undone.
        f.key(Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(f.w->textView()->SelText(), std::string("abc"));
        RunIdle();
        f.w->commands().action(CommandId::Delete)->trigger();
        QCOMPARE(f.text(), std::string("\r\ndef\r\n"));
        QCOMPARE(states(), QStringLiteral("----EE"));
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.text(), std::string("\r\ndef\r\n"));
        QVERIFY(f.w->document()->isModified());
    }

    // Each file opened or saved goes on the desktop's list of recently used files, beside what is there;
    // a list that cannot be read is left as it is, and the status bar says so once.
    void recentFilesListed() {
        Fixture f;
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "abc\r\n");
        f.open(a);
        f.saveChoice = f.box.path(QStringLiteral("b.txt"));
        f.w->document()->saveAs();
        f.w->document()->recent()->wait();
        const QByteArray written =
            QByteArray::fromStdString(f.box.readFile(QStringLiteral("share/recently-used.xbel")));
        QVERIFY(written.contains(QUrl::fromLocalFile(a).toEncoded()));
        QVERIFY(written.contains(QUrl::fromLocalFile(f.saveChoice).toEncoded()));
        QVERIFY(written.contains("org.example.Oruvan"));
        QVERIFY(written.contains("text/plain"));

        f.box.writeFile(QStringLiteral("share/recently-used.xbel"), "<xbel><bookmark");
        f.open(a);
        f.w->document()->recent()->wait();
        QTRY_VERIFY(f.w->StatusText().startsWith(QStringLiteral("最近使ったファイルの一覧を更新できません")));
        QCOMPARE(f.box.readFile(QStringLiteral("share/recently-used.xbel")), std::string("<xbel><bookmark"));
    }

    // The status bar says "変更あり" exactly while the text differs from the one saved: typed and undone,
    // saved, another encoding chosen, a change of megabytes undone (compared whole a moment later).
    // Ctrl+N makes a new document, Ctrl+Q closes as the window's close does.
    void modifiedShownAndDesktopKeys() {
        Fixture f;
        const std::string big = std::string(1200 * 1024, 'a') + "\r\n";
        const QString a = f.box.writeFile(QStringLiteral("a.txt"), "abc\r\n" + big);
        f.open(a);
        const auto shown = [&f] { return f.w->ModifiedText(); };
        QCOMPARE(shown(), QString());
        f.type(QStringLiteral("x"));
        QCOMPARE(shown(), QStringLiteral("変更あり"));
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shown(), QString());
        f.type(QStringLiteral("y"));
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(shown(), QString());
        QVERIFY(f.w->document()->setSaveEncoding(Encoding::Utf8));
        QCOMPARE(shown(), QStringLiteral("変更あり"));
        QVERIFY(f.w->document()->setSaveEncoding(Encoding::ShiftJis));
        QCOMPARE(shown(), QString());
        f.key(Qt::Key_A, Qt::ControlModifier);
        f.key(Qt::Key_Delete);
        QCOMPARE(shown(), QStringLiteral("変更あり"));
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QString(), 3000);

        f.type(QStringLiteral("z"));
        f.boxes.answer(Answer::No);
        f.key(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(f.text(), std::string());
        QCOMPARE(shown(), QString());
        QVERIFY(f.w->isVisible());
        f.key(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!f.w->isVisible());
    }
};

QTEST_MAIN(DocumentTest)
#include "tst_document.moc"
