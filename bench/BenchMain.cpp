// oruvan-bench: drives the real main window on the offscreen platform and prints one line per measure:
// the figure, its floor (what the same work costs at the least) and their ratio.
#include <Qsci/qsciscintilla.h>
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "DocumentGenerator.h"
#include "app/ApplicationSetup.h"
#include "document/DocumentController.h"
#include "document/DocumentGuard.h"
#include "document/RecoveryWriter.h"
#include "view/TextFinder.h"
#include "view/TextView.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "index/HeadingFilterField.h"
#include "index/HeadingList.h"
#include "index/IndexController.h"
#include "index/IndexMenu.h"
#include "outline/HeadingScanner.h"
#include "outline/TitleMarks.h"
#include "platform/Cp932.h"
#include "platform/EncodingDetector.h"
#include "platform/IniFile.h"
#include "platform/RecoveryStore.h"
#include "platform/TextDecoder.h"
#include "platform/TextSearch.h"
#include "settings/SettingsRecord.h"
#include "widgets/FindBar.h"

using namespace oruvan;

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Peak resident memory of this process image. Not getrusage: its maximum survives exec, so a child
// started from a large parent would report the parent's size.
long peakRssMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& l : status.readAll().split('\n'))
        if (l.startsWith("VmHWM:")) return l.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    return -1;
}

// Best of n runs of a step that times itself.
double bestTimed(int n, const std::function<double()>& f) {
    double b = 1e300;
    for (int i = 0; i < n; ++i) b = std::min(b, f());
    return b;
}

// Best of n runs: the least disturbed by the rest of the machine.
double best(int n, const std::function<void()>& f) {
    double b = 1e300;
    for (int i = 0; i < n; ++i) {
        const double t0 = nowMs();
        f();
        b = std::min(b, nowMs() - t0);
    }
    return b;
}

void line(const char* measure, const std::string& size, double value, double floor, const char* unit) {
    if (floor > 0)
        std::printf("%-28s %6s %10.3f %s  floor %10.3f %s  ratio %6.2f\n", measure, size.c_str(), value, unit,
                    floor, unit, value / floor);
    else
        std::printf("%-28s %6s %10.3f %s\n", measure, size.c_str(), value, unit);
    std::fflush(stdout);
}

std::string readAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

// The least an open can cost: read the file, convert it, hand QScintilla the text in one call.
double openFloor(const QString& path, Encoding encoding = Encoding::ShiftJis) {
    return best(3, [&] {
        QsciScintilla view;
        view.setUtf8(true);
        view.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
        const std::string bytes = readAll(path);
        std::string utf8;
        DecodeText(encoding, bytes, utf8);
        view.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()),
                           utf8.data());
    });
}

void typeKey(MainWindow& w, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w.textView(), &press);
    QApplication::sendEvent(w.textView(), &release);
    QCoreApplication::processEvents();  // the change report, and with it caret tracking
}

// Mean time of a key press from its event to the status text updated; typing and deleting alternate.
double keystrokeMs(MainWindow& w, int count, bool atEnd = true) {
    TextView* memo = w.textView();
    memo->setFocus();
    if (atEnd) memo->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    double total = 0;
    for (int i = 0; i < count; ++i) {
        const bool del = i % 2 == 1;
        const double t0 = nowMs();
        typeKey(w, del ? Qt::Key_Backspace : Qt::Key_A, del ? QString() : QStringLiteral("a"));
        total += nowMs() - t0;
    }
    w.index()->reindexTimer()->stop();
    return total / count;
}

int longestLine(MainWindow& w) {
    int longest = 0;
    long length = -1;
    for (int i = 0; i < w.textView()->LineCount(); ++i) {
        const long n =
            w.textView()->SendScintilla(QsciScintillaBase::SCI_LINELENGTH, static_cast<unsigned long>(i));
        if (n > length) {
            length = n;
            longest = i;
        }
    }
    return longest;
}

ProgramPaths windowPaths(const QString& folder) {
    ProgramPaths paths;
    paths.settingsFile = folder + QStringLiteral("/oruvan.ini");
    paths.programFile = folder + QStringLiteral("/oruvan");
    paths.programDir = folder;
    paths.recoveryDir = folder + QStringLiteral("/recovery");
    return paths;
}

// Both write to a real file: grep stops at its first match when its output is /dev/null. The file is in
// `encoding`, and so is grep's pattern.
double outlineVsGrep(const QString& outline, const QString& file, const QString& out, double& grepMs,
                     Encoding encoding = Encoding::ShiftJis) {
    auto run = [](const QString& script, const QStringList& args) {
        return best(3, [&] {
            QProcess p;
            p.start(QStringLiteral("/bin/sh"), QStringList{QStringLiteral("-c"), script} + args);
            p.waitForFinished(-1);
        });
    };
    // The pattern's last mark is the square (cp932 0x81 0xA1), its bytes spelled in octal for the shell.
    QString square;
    for (const unsigned char b : EncodeText(encoding, "\xe2\x96\xa0"))
        square += QStringLiteral("\\%1").arg(b, 3, 8, QLatin1Char('0'));
    grepMs =
        run(QStringLiteral("LC_ALL=C grep -n -E \"^[[:space:]]*(//@|--|$(printf '%1'))\" \"$0\" > \"$1\"")
                .arg(square),
            {file, out});
    return run(QStringLiteral("\"$2\" \"$0\" > \"$1\""), {file, out, outline});
}

// Child mode: a fresh process opens one file in the main window and reports its peak memory, so the
// figure holds nothing of the benchmark's own copies and floors.
int memoryProbe(const QString& path, const QString& folder, bool sections = false) {
    MainWindow w(windowPaths(folder));
    w.show();
    QCoreApplication::processEvents();
    w.document()->open(path);
    QCoreApplication::processEvents();
    if (sections) {
        // Everything the sections hold at most: levels, every section folded, every line counted.
        IndexOptions options = w.index()->options();
        options.headingLevels = true;
        options.foldSections = true;
        w.index()->setOptions(options);
        w.commands().runCommand(CommandId::FoldAll);
        w.index()->documentCount();
        QCoreApplication::processEvents();
    }
    std::printf("%ld\n", peakRssMb());
    return w.index()->entryCount() > 0 || QFileInfo(path).size() == 0 ? 0 : 1;
}

long childPeakMb(const QString& path, const QString& folder, bool sections = false) {
    QProcess p;
    QStringList args{QStringLiteral("--memory-probe=") + path, QStringLiteral("--folder=") + folder};
    if (sections) args << QStringLiteral("--probe-sections");
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(-1);
    return p.readAllStandardOutput().trimmed().toLong();
}

// Searching the document: the far end, counting a common word, replacing all of its matches.
void measureSearch(MainWindow& w, const std::string& size, std::size_t headings) {
    using Sci = QsciScintillaBase;
    TextView* memo = w.textView();
    FindBar* bar = w.findBar();
    // The last heading, "Chapter N ", lies at the far end; "chapter" starts every heading.
    const QString last = QStringLiteral("Chapter %1 ").arg(headings);
    bar->SetFindText(last);
    TextSearch core;
    core.compile(last.toStdU32String(), SearchOptions{});
    const double floorFar = best(3, [&] { core.next(memo->Utf8Buffer(), 0); });
    const double far = best(3, [&] {
        memo->SendScintilla(Sci::SCI_SETEMPTYSELECTION, 0UL);
        w.finder()->FindNext();
    });
    line("find next, far end", size, far, floorFar, "ms");

    core.compile(U"chapter", SearchOptions{});
    std::size_t matches = 0;
    const double countAll = best(3, [&] {
        matches = 0;
        core.forEach(memo->Utf8Buffer(), 0, memo->Utf8Buffer().size() + 1, [&](const TextMatch&) {
            ++matches;
            return true;
        });
    });
    std::printf("%-28s %6s %10.3f ms  (%zu matches)\n", "count all, common word", size.c_str(), countAll,
                matches);
    std::fflush(stdout);

    // In the bar: the field typed a key at a time; each key searches, marks the screen and counts a slice.
    memo->SendScintilla(Sci::SCI_SETEMPTYSELECTION, 0UL);
    bar->SetFindText(QString());
    const double o0 = nowMs();
    w.finder()->Open(false);
    QCoreApplication::processEvents();
    line("find bar opened", size, nowMs() - o0, 0, "ms");
    double typing = 0, longest = 0;
    const QString word = QStringLiteral("chapter");
    for (const QChar c : word) {
        const double t0 = nowMs();
        bar->SetFindText(bar->FindText() + c);
        Q_EMIT bar->findTextEdited();
        QCoreApplication::processEvents();
        const double t = nowMs() - t0;
        typing += t;
        longest = std::max(longest, t);
    }
    // The count goes on in slices after the last key, if it has not reached its end or its cap yet.
    const double c0 = nowMs();
    double pause = 0;
    while (!w.finder()->CountDone()) {
        const double s0 = nowMs();
        QCoreApplication::processEvents();
        pause = std::max(pause, nowMs() - s0);
    }
    std::printf(
        "%-28s %6s %10.3f ms  slowest key %.1f ms  count done %.1f ms later, pauses up to %.1f ms (%s)\n",
        "search field keystroke", size.c_str(), typing / word.size(), longest, nowMs() - c0, pause,
        qPrintable(bar->CountText()));
    std::fflush(stdout);

    bar->SetFindText(QStringLiteral("Chapter"));
    bar->ReplaceField()->setText(QStringLiteral("章"));
    double undo = 0;
    const double replace = bestTimed(3, [&] {
        const double t0 = nowMs();
        w.finder()->ReplaceAll();
        const double t = nowMs() - t0;
        const double u0 = nowMs();
        memo->Undo();
        undo = nowMs() - u0;
        QCoreApplication::processEvents();
        return t;
    });
    std::printf("%-28s %6s %10.3f ms  undo %.1f ms  (%zu replaced)\n", "replace all", size.c_str(), replace,
                undo, matches);
    std::fflush(stdout);
    bar->Close();
    w.index()->reindexTimer()->stop();
}

// The re-index timer after a heading typed on a new line in the middle of the document.
double reindexAfterLineMs(MainWindow& w) {
    const int middle = w.textView()->LineCount() / 2;
    return bestTimed(3, [&] {
        w.textView()->SetCaretToLineStart(middle);
        for (const QChar c : QStringLiteral("--new heading"))
            typeKey(w, c == QLatin1Char('-') ? Qt::Key_Minus : Qt::Key_A, QString(c));
        typeKey(w, Qt::Key_Return, QStringLiteral("\r"));
        const double t0 = nowMs();
        w.index()->reindexAfterEdits();
        const double t = nowMs() - t0;
        while (w.textView()->CanUndo()) w.textView()->Undo();
        w.index()->reindexAfterEdits();
        return t;
    });
}

// A recovery copy: what the interface thread does when typing pauses (the modified test, then the text
// copied in slices into a buffer the worker readied, each slice between two events: the longest is what a
// keystroke can wait), and what the worker does after it (encode, write, flush).
void measureRecovery(MainWindow& w, const std::string& size) {
    typeKey(w, Qt::Key_A, QStringLiteral("a"));
    RecoveryWriter& r = w.document()->guard().recovery();
    w.index()->reindexAfterEdits();  // one second after the edit, as in use
    r.wait();         // the buffer readied during the two-second pause
    double worker = 0;
    double total = 0;
    auto copy = [&] {
        double longest = 0;
        const double t0 = nowMs();
        if (!w.document()->isModified()) return 0.0;
        r.copyInSlices(w.textView(), RecoveryStore::OwnRecord("/bench", w.textView()->EncodingName()));
        longest = nowMs() - t0;
        while (r.copying()) {
            const double t = nowMs();
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            longest = std::max(longest, nowMs() - t);
        }
        total = nowMs() - t0;
        const double t1 = nowMs();
        r.wait();
        worker = nowMs() - t1;
        return longest;
    };
    line("recovery copy, longest step", size, copy(), 0, "ms");
    line("recovery copy, all steps", size, total, 0, "ms");
    line("recovery copy (worker)", size, worker, 0, "ms");
    r.discard();
    r.wait();
    w.textView()->Undo();
}

void pressKey(MainWindow& w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(w.textView(), &press);
    QApplication::sendEvent(w.textView(), &release);
    QCoreApplication::processEvents();
}

// Mean and slowest of `count` keys typed and deleted in turn at the caret, each to the window repainted.
std::pair<double, double> keysAtCaret(MainWindow& w, int count) {
    // Fewer where each key takes seconds (ORUVAN_BENCH_KEYS), as in a build without the long-line work.
    if (qEnvironmentVariableIsSet("ORUVAN_BENCH_KEYS")) count = qEnvironmentVariableIntValue("ORUVAN_BENCH_KEYS");
    double total = 0, worst = 0;
    for (int i = 0; i < count; ++i) {
        const bool del = i % 2 == 1;
        const double t0 = nowMs();
        typeKey(w, del ? Qt::Key_Backspace : Qt::Key_A, del ? QString() : QStringLiteral("a"));
        w.repaint();
        const double t = nowMs() - t0;
        total += t;
        worst = std::max(worst, t);
    }
    w.index()->reindexTimer()->stop();
    return {total / count, worst};
}

void lineMeanWorst(const char* measure, const std::string& size, std::pair<double, double> t) {
    std::printf("%-28s %6s %10.3f ms  (slowest %.3f ms)\n", measure, size.c_str(), t.first, t.second);
    std::fflush(stdout);
}

// The one very long line: shown, typed into in its middle, crossed by keys and by a search, wrapped,
// and left idle with the caret in it.
void measureLongLine(MainWindow& w, const std::string& size) {
    using Sci = QsciScintillaBase;
    TextView* view = w.textView();
    view->setFocus();
    const unsigned long longest = static_cast<unsigned long>(longestLine(w));
    const long start = view->SendScintilla(Sci::SCI_POSITIONFROMLINE, longest);
    const long end = view->SendScintilla(Sci::SCI_GETLINEENDPOSITION, longest);
    double t0 = nowMs();
    view->SendScintilla(Sci::SCI_GOTOPOS, end);  // End of the line: the whole of it laid out
    w.repaint();
    line("long line first shown", size, nowMs() - t0, 0, "ms");

    const long middle =
        view->SendScintilla(Sci::SCI_POSITIONBEFORE, view->SendScintilla(Sci::SCI_POSITIONAFTER, (start + end) / 2));
    view->SendScintilla(Sci::SCI_GOTOPOS, middle);
    w.repaint();
    lineMeanWorst("long line: key in its middle", size, keysAtCaret(w, 20));

    // Best of three: the caret put back in the middle, the key pressed and the window repainted.
    const auto keyMs = [&](int key, Qt::KeyboardModifiers modifiers) {
        return bestTimed(3, [&] {
            view->SendScintilla(Sci::SCI_GOTOPOS, middle);
            w.repaint();
            const double t = nowMs();
            pressKey(w, key, modifiers);
            w.repaint();
            return nowMs() - t;
        });
    };
    line("long line: End", size, keyMs(Qt::Key_End, Qt::NoModifier), 0, "ms");
    line("long line: Home", size, keyMs(Qt::Key_Home, Qt::NoModifier), 0, "ms");
    line("long line: Ctrl+End", size, keyMs(Qt::Key_End, Qt::ControlModifier), 0, "ms");

    // Idle with the caret in the long line: what the process spends over three seconds, as a share of a core.
    view->SendScintilla(Sci::SCI_GOTOPOS, middle);
    w.repaint();
    QCoreApplication::processEvents();
    const double c0 = cpuMs();
    t0 = nowMs();
    QEventLoop idle;
    QTimer::singleShot(3000, &idle, &QEventLoop::quit);
    idle.exec();
    std::printf("%-28s %6s %10.1f %% of a core\n", "long line: idle, caret in it", size.c_str(),
                100 * (cpuMs() - c0) / (nowMs() - t0));

    // Find next from the line's start to the first heading after it.
    int after = -1;
    for (int i = 0; i < w.index()->entryCount() && after < 0; ++i)
        if (w.index()->entryLine(i) > static_cast<int>(longest)) after = w.index()->entryLine(i);
    if (after >= 0) {
        const std::string target = view->LineAt(after).substr(0, 12);
        w.findBar()->SetFindText(QString::fromStdString(Cp932ToUtf8(target)).trimmed());
        line("long line: find next across", size, bestTimed(3, [&] {
                 view->SendScintilla(Sci::SCI_GOTOPOS, start);
                 w.repaint();
                 const double t = nowMs();
                 w.finder()->FindNext();
                 w.repaint();
                 return nowMs() - t;
             }), 0, "ms");
        w.findBar()->SetFindText(QString());
    }

    view->SendScintilla(Sci::SCI_GOTOPOS, middle);
    w.repaint();
    t0 = nowMs();
    w.SetWordWrap(true);
    w.repaint();
    QCoreApplication::processEvents();
    line("long line: wrap switched on", size, nowMs() - t0, 0, "ms");
    lineMeanWorst("long line: key, wrap on", size, keysAtCaret(w, 20));
    w.SetWordWrap(false);
    QCoreApplication::processEvents();
}

void writeFile(const QString& path, const std::string& doc);

// A document of very long lines in a fresh window: opened and shown, and its peak memory. While it opens,
// a timer notes the longest time the window answered no event.
void measureWideDocument(const char* name, const std::string& doc, const QString& folder) {
    const QString path = folder + QStringLiteral("/wide.txt");
    writeFile(path, doc);
    const std::string size = std::to_string(doc.size() >> 20);
    MainWindow w(windowPaths(folder));
    w.resize(1280, 800);
    w.show();
    QCoreApplication::processEvents();
    double last = nowMs(), frozen = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        frozen = std::max(frozen, nowMs() - last);
        last = nowMs();
    });
    tick.start(10);
    const double t0 = nowMs();
    last = t0;
    w.document()->open(path);
    w.repaint();
    w.textView()->viewport()->grab();  // every visible line drawn, whatever the platform skips
    const double shown = nowMs() - t0;
    QCoreApplication::processEvents();
    frozen = std::max(frozen, nowMs() - last);
    std::printf("%-28s %6s %10.3f ms  (longest without events %.0f ms)\n", name, size.c_str(), shown, frozen);
    std::printf("%-28s %6s %10ld MB\n", "  peak memory (own process)", size.c_str(), childPeakMb(path, folder));
    std::fflush(stdout);
}

// Open, index and edit measures of one document in a fresh window.
void measureSections(MainWindow& w, const std::string& size, const QString& path);

void measureDocument(const std::string& size, const std::string& doc, const QString& path,
                     const QString& folder, const QString& outline, bool longLine) {
    MainWindow w(windowPaths(folder));
    // The long line wraps at a laptop's width, not at the offscreen platform's default.
    if (longLine) w.resize(1280, 800);
    w.show();
    QCoreApplication::processEvents();

    const double floorOpen = openFloor(path);
    // The first open pays the process's warm-up (fonts, glyphs, tables) as a user's first open does.
    const double cpu0 = cpuMs();
    const double t0 = nowMs();
    w.document()->open(path);
    w.repaint();  // shown, not only loaded
    const double first = nowMs() - t0;
    const double firstCpu = cpuMs() - cpu0;
    QCoreApplication::processEvents();
    // Best of three, as the floor is.
    const double open = best(3, [&] {
        w.document()->open(path);
        w.repaint();
    });
    line("open, first (wall)", size, first, 0, "ms");
    line("open, first (cpu)", size, firstCpu, 0, "ms");
    line("open and shown", size, open, floorOpen, "ms");
    const double fileMb = static_cast<double>(doc.size()) / (1 << 20);
    const double peak = static_cast<double>(childPeakMb(path, folder));
    std::printf("%-28s %6s %10.0f MB  target %7.0f MB  ratio %6.2f\n", "peak memory (own process)",
                size.c_str(), peak, 5 * fileMb + 80, peak / (5 * fileMb + 80));
    std::printf("%-28s %6s %10d\n", "headings", size.c_str(), w.index()->entryCount());

    HeadingRules rules;
    rules.marks = w.index()->options().titleMarks;
    const double floorScan = best(3, [&] { ScanHeadingsCp932(doc, rules); });
    const double rebuild = best(3, [&] { w.index()->rebuild(); });
    line("rebuild (whole index)", size, rebuild, floorScan, "ms");
    if (!longLine) {
        const IndexOptions& options = w.index()->options();
        line("index menu (build)", size,
             best(3, [&] { w.index()->indexMenu()->rebuild(options.nextPageOnTop, options.headingLevels); }),
             0, "ms");
        // A user reaches the last page through every page before it; each opens as the pointer reaches it.
        int pages = 0;
        double lastPage = 0;
        const double chain = best(1, [&] {
            pages = 0;
            QMenu* m = w.index()->indexMenu();
            while (m) {
                const double t0 = nowMs();
                Q_EMIT m->aboutToShow();
                lastPage = nowMs() - t0;
                ++pages;
                QMenu* next = nullptr;
                for (QAction* a : m->actions())
                    if (a->menu()) next = a->menu();
                m = next;
            }
        });
        line("index menu (deepest page)", size, lastPage, 0, "ms");
        std::printf("%-28s %6s %10.3f ms  over %d pages\n", "index menu (every page)", size.c_str(), chain,
                    pages);
    }
    line("keystroke, wrap off", size, keystrokeMs(w, 200), 0, "ms");
    if (longLine) measureLongLine(w, size);
    line("timer check, unchanged", size, best(3, [&] { w.index()->reindexAfterEdits(); }), 0, "ms");
    line("timer re-index after edit", size,
         bestTimed(3,
                   [&] {
                       typeKey(w, Qt::Key_A, QStringLiteral("a"));
                       const double t0 = nowMs();
                       w.index()->reindexAfterEdits();
                       const double t = nowMs() - t0;
                       w.textView()->Undo();
                       w.index()->reindexAfterEdits();
                       return t;
                   }),
         0, "ms");
    line("timer re-index after a line", size, reindexAfterLineMs(w), 0, "ms");
    line("timer check, edit undone", size,
         bestTimed(3,
                   [&] {
                       typeKey(w, Qt::Key_A, QStringLiteral("a"));
                       w.textView()->Undo();
                       const double t0 = nowMs();
                       w.index()->reindexAfterEdits();
                       return nowMs() - t0;
                   }),
         0, "ms");
    if (!longLine) measureSearch(w, size, static_cast<std::size_t>(w.index()->entryCount()));
    if (!longLine) measureSections(w, size, path);
    measureRecovery(w, size);
    w.SetWordWrap(true);
    QCoreApplication::processEvents();
    line("keystroke, wrap on", size, keystrokeMs(w, 200), 0, "ms");
    w.SetWordWrap(false);
    if (!outline.isEmpty()) {
        double grep = 0;
        const double ours = outlineVsGrep(outline, path, folder + QStringLiteral("/out.txt"), grep);
        line("oruvan-outline vs grep -n", size, ours, grep, "ms");
    }
    w.document()->newDocument();
}

void writeFile(const QString& path, const std::string& doc);

// The measures that depend on the document's encoding, for the same document in another one.
void measureEncoding(const std::string& size, const std::string& cp932, Encoding e, const QString& folder) {
    const std::string doc = bench::DocumentIn(cp932, e);
    const QString path = folder + QStringLiteral("/doc-%1.txt").arg(QString::fromLatin1(EncodingName(e)));
    writeFile(path, doc);
    const std::string name = std::string(" ") + EncodingName(e);
    MainWindow w(windowPaths(folder));
    w.show();
    QCoreApplication::processEvents();
    const double floorOpen = openFloor(path, e);
    const double open = best(3, [&] {
        w.document()->open(path);
        w.repaint();
    });
    if (w.textView()->DocumentEncoding() != e)
        std::printf("(read as %s)\n", EncodingName(w.textView()->DocumentEncoding()));
    line(("open and shown" + name).c_str(), size, open, floorOpen, "ms");
    const double fileMb = static_cast<double>(cp932.size()) / (1 << 20);
    const double peak = static_cast<double>(childPeakMb(path, folder));
    std::printf("%-28s %6s %10.0f MB  target %7.0f MB  ratio %6.2f\n", ("peak memory" + name).c_str(),
                size.c_str(), peak, 5 * fileMb + 80, peak / (5 * fileMb + 80));
    HeadingRules rules;
    rules.marks = w.index()->options().titleMarks;
    const double floorScan = best(3, [&] { ScanHeadingsCp932(cp932, rules); });
    line(("rebuild" + name).c_str(), size, best(3, [&] { w.index()->rebuild(); }), floorScan, "ms");
    w.document()->newDocument();
}

// The same document with a code kept as read in every tenth line: the heading test reads those lines'
// own bytes, and the re-index after an edit only the touched ones'.
void measureKeptCodes(const std::string& size, bench::DocumentParams params, const QString& folder) {
    params.keptCodeEvery = 10;
    const QString path = folder + QStringLiteral("/doc-kept.txt");
    writeFile(path, bench::GenerateDocument(params));
    MainWindow w(windowPaths(folder));
    w.show();
    QCoreApplication::processEvents();
    w.document()->open(path);
    line("rebuild, codes kept as read", size, best(3, [&] { w.index()->rebuild(); }), 0, "ms");
    line("timer after line, kept codes", size, reindexAfterLineMs(w), 0, "ms");
    w.document()->newDocument();
}

void writeFile(const QString& path, const std::string& doc) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(doc.data(), static_cast<qint64>(doc.size())) != static_cast<qint64>(doc.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
}

// The converters alone, on the document in cp932, UTF-8 and EUC-JP: reading it as the view does (4 MiB
// chunks, breaks kept) against copying the same chunks, writing it back, detecting its encoding from
// the first bytes against reading the whole file from disk, and oruvan-outline on the file against grep.
void measureCodecs(const std::string& size, const std::string& cp932, const QString& folder,
                   const QString& outline) {
    constexpr std::size_t kChunk = std::size_t(4) << 20;
    for (Encoding e : {Encoding::ShiftJis, Encoding::Utf8, Encoding::EucJp}) {
        const std::string bytes = bench::DocumentIn(cp932, e);
        const double mb = static_cast<double>(bytes.size()) / (1 << 20);
        // Both keep their output's memory from round to round, so neither pays for page faults.
        std::string text, copied;
        const auto chunks = [&](const std::function<void(std::string_view)>& take) {
            for (std::size_t at = 0; at < bytes.size(); at += kChunk)
                take(std::string_view(bytes).substr(at, kChunk));
        };
        const double copy = best(3, [&] {
            copied.clear();
            chunks([&](std::string_view chunk) { copied.append(chunk); });
        });
        const double decode = best(3, [&] {
            text.clear();
            TextDecoder decoder(e);
            chunks([&](std::string_view chunk) { decoder.decode(chunk, false, text); });
            decoder.decode({}, true, text);
        });
        std::string back;
        const double encode = best(3, [&] {
            back.clear();
            EncodeText(e, text, back);
        });
        const std::string name = EncodingName(e);
        std::printf("%-28s %6s %10.3f ms  floor %10.3f ms  ratio %6.2f  %6.0f MB/s\n",
                    ("decode " + name).c_str(), size.c_str(), decode, copy, decode / copy, mb / decode * 1e3);
        std::printf("%-28s %6s %10.3f ms  %6.0f MB/s%s\n", ("encode " + name).c_str(), size.c_str(), encode,
                    mb / encode * 1e3, back == bytes ? "" : "  (differs)");
        const QString path = folder + QStringLiteral("/codec.txt");
        writeFile(path, bytes);
        Encoding detected = Encoding::ShiftJis;
        const double detect = best(3, [&] {
            detected = DetectEncoding(std::string_view(bytes).substr(0, kDetectionWindow),
                                      bytes.size() <= kDetectionWindow);
        });
        const double read = best(3, [&] { readAll(path); });
        std::printf("%-28s %6s %10.3f ms  reading the file %10.3f ms  (%s)\n", ("detect " + name).c_str(),
                    size.c_str(), detect, read, EncodingName(detected));
        // The cp932 copy is measured with the window's figures.
        if (!outline.isEmpty() && e != Encoding::ShiftJis) {
            double grep = 0;
            const double ours = outlineVsGrep(outline, path, folder + QStringLiteral("/out.txt"), grep, e);
            line(("oruvan-outline " + name + " vs grep").c_str(), size, ours, grep, "ms");
        }
        std::fflush(stdout);
    }
}

// The core's loops on the document alone: cp932 to UTF-8 and back in one piece, and the heading scan of the
// UTF-8 text against the scan of the same text in cp932 (which the UTF-8 scan must agree with).
void measureCore(const std::string& size, const std::string& cp932) {
    const double mb = static_cast<double>(cp932.size()) / (1 << 20);
    std::string utf8, back;
    const double decode = best(3, [&] {
        utf8.clear();
        Cp932ToUtf8(cp932, utf8);
    });
    const double encode = best(3, [&] {
        back.clear();
        Utf8ToCp932(utf8, back);
    });
    std::printf("%-28s %6s %10.3f ms  %6.0f MB/s\n", "cp932 to UTF-8, one piece", size.c_str(), decode,
                mb / decode * 1e3);
    std::printf("%-28s %6s %10.3f ms  %6.0f MB/s%s\n", "UTF-8 to cp932, one piece", size.c_str(), encode,
                mb / encode * 1e3, back == cp932 ? "" : "  (differs)");
    const HeadingRules rules{TitleMarksFromText(kDefaultTitleMarksText), true, false};
    std::size_t fromUtf8 = 0, fromCp932 = 0;
    const double scanUtf8 = best(3, [&] { fromUtf8 = ScanHeadingsUtf8(utf8, rules).size(); });
    const double scanCp932 = best(3, [&] { fromCp932 = ScanHeadingsCp932(cp932, rules).size(); });
    std::printf("%-28s %6s %10.3f ms  floor %10.3f ms  ratio %6.2f%s\n", "heading scan of UTF-8 text",
                size.c_str(), scanUtf8, scanCp932, scanUtf8 / scanCp932,
                fromUtf8 == fromCp932 ? "" : "  (differs)");
    std::fflush(stdout);
}

// The settings file: 10,000 keys written in one batch, read back and one of them changed; and a settings
// record of 10,000 registered files written, read back, and written again after one changed.
void measureSettings(const QString& folder) {
    const std::string keysPath = QFile::encodeName(folder + QStringLiteral("/keys.ini")).toStdString();
    const std::string recordPath = QFile::encodeName(folder + QStringLiteral("/record.ini")).toStdString();
    const auto value = [](int i) { return "/home/u/" + std::to_string(i); };
    bool same = true;
    const double keys = best(3, [&] {
        std::remove(keysPath.c_str());
        {
            IniFile ini(keysPath);
            ini.beginBatch();
            for (int i = 0; i < 10000; ++i) ini.writeString("Files", std::to_string(i), value(i));
            ini.endBatch();
        }
        IniFile ini(keysPath);
        for (int i = 0; i < 10000; ++i)
            same = same && ini.readString("Files", std::to_string(i), "") == value(i);
        ini.writeString("Files", "0", "changed");
        same = same && ini.readString("Files", "0", "") == "changed";
    });
    std::printf("%-28s %6s %10.3f ms%s\n", "settings: 10,000 keys", "", keys, same ? "" : "  (differs)");
    SettingsRecord s = DefaultSettings();
    for (int i = 0; i < 10000; ++i)
        s.registeredFiles.push_back("/home/u/docs/file" + std::to_string(i) + ".txt");
    SettingsRecord changed = s;
    changed.registeredFiles[5000] = "changed";
    same = true;
    const double record = best(3, [&] {
        std::remove(recordPath.c_str());
        {
            IniFile ini(recordPath);
            WriteSettings(ini, s);
        }
        {
            IniFile ini(recordPath);
            same = same && ReadSettings(ini, DefaultSettings()) == s;
        }
        IniFile ini(recordPath);
        WriteSettings(ini, changed);
    });
    IniFile ini(recordPath);
    same = same && ReadSettings(ini, DefaultSettings()) == changed;
    std::printf("%-28s %6s %10.3f ms%s\n", "settings: 10,000 files", "", record, same ? "" : "  (differs)");
    std::fflush(stdout);
}

// Typing into the heading filter of an index of `headings` headings and deleting it again: each key from
// its event to the list filtered, laid out and drawn. Entering the field folds the headings for searching.
void measureFilter(const QString& folder, std::size_t headings) {
    bench::DocumentParams params;
    params.bytes = headings * 100;
    params.headings = headings;
    const QString path = folder + QStringLiteral("/filter.txt");
    writeFile(path, bench::GenerateDocument(params));
    MainWindow w(windowPaths(folder));
    w.show();
    w.activateWindow();
    QCoreApplication::processEvents();
    w.document()->open(path);
    QCoreApplication::processEvents();
    const double t0 = nowMs();
    w.index()->filterField()->setFocus();
    QCoreApplication::processEvents();
    const double enter = nowMs() - t0;
    if (QApplication::focusWidget() != w.index()->filterField())
        std::printf("the filter field did not take the focus\n");
    double cpu = 0;  // of all the keys
    const auto key = [&](int code, const QString& text) {
        const double c0 = cpuMs();
        const double t0 = nowMs();
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(w.index()->filterField(), &press);
        QApplication::sendEvent(w.index()->filterField(), &release);
        QCoreApplication::processEvents();
        w.index()->headingList()->viewport()->repaint();
        cpu += cpuMs() - c0;
        return nowMs() - t0;
    };
    const QString typed = QStringLiteral("chapter 12");
    double worst = 0, total = 0;
    int keys = 0;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < typed.size(); ++i) {
            const double t = key(typed[i].toUpper().unicode(), typed.mid(i, 1));
            worst = std::max(worst, t);
            total += t;
            ++keys;
        }
        for (int i = 0; i < typed.size(); ++i) {
            const double t = key(Qt::Key_Backspace, QString());
            worst = std::max(worst, t);
            total += t;
            ++keys;
        }
    }
    const std::string size = std::to_string(w.index()->entryCount()) + "h";
    line("filter field entered (folds)", size, enter, 0, "ms");
    line("filter key, mean", size, total / keys, 0, "ms");
    line("filter key, mean (cpu)", size, cpu / keys, 0, "ms");
    line("filter key, worst", size, worst, 0, "ms");
    w.document()->newDocument();
}

// Sections as units on the open document, heading levels on: folding switched on, folding everything,
// unfolding it, showing to a level, typing and re-indexing with folds, and counting the caret's section.
void measureSections(MainWindow& w, const std::string& size, const QString& path) {
    CommandTable& commands = w.commands();
    IndexController* index = w.index();
    const QString folder = QFileInfo(path).absolutePath();
    const long plain = childPeakMb(path, folder), folded = childPeakMb(path, folder, true);
    std::printf("%-28s %6s %10ld MB  opened alone %ld MB  ratio %6.2f\n", "peak memory, folded, counted",
                size.c_str(), folded, plain, static_cast<double>(folded) / static_cast<double>(plain));
    // Counting the whole text, nothing counted before: a fresh open, no events since.
    w.document()->open(path);
    line("document count, first", size, best(1, [&] { index->documentCount(); }), 0, "ms");
    w.document()->open(path);
    QCoreApplication::processEvents();
    IndexOptions options = index->options();
    options.headingLevels = true;
    index->setOptions(options);
    line("folding switched on", size, best(1, [&] { commands.runCommand(CommandId::FoldSections); }), 0, "ms");
    double unfold = 1e300;
    const double fold = bestTimed(3, [&] {
        const double t0 = nowMs();
        commands.runCommand(CommandId::FoldAll);
        const double t = nowMs() - t0;
        unfold = std::min(unfold, best(1, [&] { commands.runCommand(CommandId::UnfoldAll); }));
        return t;
    });
    line("fold all", size, fold, 0, "ms");
    line("unfold all", size, unfold, 0, "ms");
    line("show to level 1", size,
         bestTimed(3,
                   [&] {
                       const double t0 = nowMs();
                       commands.runCommand(CommandId::ShowLevel1);
                       const double t = nowMs() - t0;
                       commands.runCommand(CommandId::UnfoldAll);
                       return t;
                   }),
         0, "ms");
    commands.runCommand(CommandId::FoldAll);
    line("keystroke, all folded", size, keystrokeMs(w, 200), 0, "ms");
    line("re-index after a line, folded", size, reindexAfterLineMs(w), 0, "ms");
    // The caret put on lines across the text, as the status bar counts after each move (4 ms at a time,
    // going on between events): the first count of each section, then the same again.
    const int lines = w.textView()->LineCount();
    double first = 0, again = 0, worst = 0;
    int slices = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < 20; ++i) {
            const int at = static_cast<int>((static_cast<long>(lines) * (2 * i + 1)) / 40);
            for (bool unfinished = true; unfinished;) {
                unfinished = false;
                const double t0 = nowMs();
                index->sectionCountAt(at, 4, &unfinished);
                const double t = nowMs() - t0;
                (pass == 0 ? first : again) += t / 20;
                worst = std::max(worst, t);
                slices += unfinished;
            }
        }
    line("section count, first", size, first, 0, "ms");
    line("section count, again", size, again, 0, "ms");
    std::printf("%-28s %6s %10.3f ms  (%d moves went on counting between events)\n", "section count, slowest step",
                size.c_str(), worst, slices);
    commands.runCommand(CommandId::FoldSections);
    options.headingLevels = false;
    index->setOptions(options);
}

// A document of 1 MB sections: the caret's section moved up past the one before it, and back down.
void measureSectionMove(const std::string& size, std::size_t mb, const QString& folder) {
    if (mb < 3) return;
    bench::DocumentParams params;
    params.bytes = mb << 20;
    params.headings = mb;
    const QString path = QDir(folder).filePath(QStringLiteral("sections.txt"));
    writeFile(path, bench::GenerateDocument(params));
    MainWindow w(windowPaths(folder));
    w.show();
    w.document()->open(path);
    QCoreApplication::processEvents();
    IndexController* index = w.index();
    const int middle = index->entryCount() / 2;
    double down = 1e300;
    const double up = bestTimed(3, [&] {
        w.textView()->SetCaretToLineStart(index->entryLine(middle));
        double t0 = nowMs();
        w.commands().runCommand(CommandId::SectionUp);
        const double t = nowMs() - t0;
        t0 = nowMs();
        w.commands().runCommand(CommandId::SectionDown);
        down = std::min(down, nowMs() - t0);
        return t;
    });
    line("section move up, 1 MB", size, up, 0, "ms");
    line("section move down, 1 MB", size, down, 0, "ms");
    w.document()->newDocument();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetupApplication(app);
    QStringList sizes = {QStringLiteral("1"), QStringLiteral("20")};
    int headingsPerMb = 1000;
    int longLineMb = 10;
    int filterHeadings = 100000;
    int wideLinesMb = 0;  // documents of very long lines this size (0: none)
    QString outline, probe, folder;
    bool codecsOnly = false;
    bool sectionsOnly = false;  // the section rows alone
    for (const QString& a : app.arguments().mid(1)) {
        if (a.startsWith(QLatin1String("--sizes="))) sizes = a.mid(8).split(QLatin1Char(','));
        if (a.startsWith(QLatin1String("--headings-per-mb="))) headingsPerMb = a.mid(18).toInt();
        if (a.startsWith(QLatin1String("--long-line-mb="))) longLineMb = a.mid(15).toInt();
        if (a.startsWith(QLatin1String("--filter-headings="))) filterHeadings = a.mid(18).toInt();
        if (a.startsWith(QLatin1String("--wide-lines-mb="))) wideLinesMb = a.mid(16).toInt();
        if (a.startsWith(QLatin1String("--outline="))) outline = a.mid(10);
        if (a.startsWith(QLatin1String("--memory-probe="))) probe = a.mid(15);
        if (a.startsWith(QLatin1String("--folder="))) folder = a.mid(9);
        if (a == QLatin1String("--codecs-only")) codecsOnly = true;
        if (a == QLatin1String("--sections-only")) sectionsOnly = true;
    }
    // --folder= without a probe keeps the generated documents there, for profiling.
    if (!probe.isEmpty())
        return memoryProbe(probe, folder, app.arguments().contains(QStringLiteral("--probe-sections")));

    QTemporaryDir temporary;
    const QDir dir(folder.isEmpty() ? temporary.path() : folder);
    std::printf("%-28s %6s %10s\n", "measure", "MB", "value");
    for (const QString& s : sizes) {
        if (s.isEmpty()) continue;
        const std::size_t mb = s.toULong();
        bench::DocumentParams params;
        params.bytes = mb << 20;
        params.headings = mb * static_cast<std::size_t>(headingsPerMb);
        const std::string doc = bench::GenerateDocument(params);
        const QString path = dir.filePath(QStringLiteral("doc%1.txt").arg(s));
        writeFile(path, doc);
        if (sectionsOnly) {
            MainWindow w(windowPaths(dir.path()));
            w.show();
            w.document()->open(path);
            QCoreApplication::processEvents();
            measureSections(w, s.toStdString(), path);
            w.document()->newDocument();
            measureSectionMove(s.toStdString(), mb, dir.path());
            continue;
        }
        if (!codecsOnly) {
            measureDocument(s.toStdString(), doc, path, dir.path(), outline, false);
            for (Encoding e : {Encoding::ShiftJis, Encoding::Utf8, Encoding::EucJp})
                measureEncoding(s.toStdString(), doc, e, dir.path());
            measureKeptCodes(s.toStdString(), params, dir.path());
            measureSectionMove(s.toStdString(), mb, dir.path());
        }
        measureCodecs(s.toStdString(), doc, dir.path(), outline);
        measureCore(s.toStdString(), doc);
    }
    if (sectionsOnly) {
        // The extremes: one heading over two million lines, and 100,000 headings with no body at all.
        bench::DocumentParams params;
        params.bytes = std::size_t(100) << 20;
        params.headings = 1;
        params.lineLength = 50;
        std::string bare;
        for (int i = 0; i < 100000; ++i) bare += "\x81\xa1heading " + std::to_string(i) + "\r\n";
        for (const auto& [name, doc] : {std::pair<std::string, std::string>{"1h", bench::GenerateDocument(params)},
                                        std::pair<std::string, std::string>{"100kh", bare}}) {
            const QString path = dir.filePath(QStringLiteral("extreme.txt"));
            writeFile(path, doc);
            MainWindow w(windowPaths(dir.path()));
            w.show();
            w.document()->open(path);
            QCoreApplication::processEvents();
            std::printf("%-28s %6s %10d lines\n", "lines", name.c_str(), w.textView()->LineCount());
            line("keystroke, wrap off", name, keystrokeMs(w, 200), 0, "ms");
            measureSections(w, name, path);
            w.document()->newDocument();
        }
        return 0;
    }
    measureSettings(dir.path());
    if (longLineMb > 0 && !codecsOnly) {
        // A short document around one very long line.
        bench::DocumentParams params;
        params.bytes = 64 << 10;
        params.headings = 50;
        params.longLineBytes = static_cast<std::size_t>(longLineMb) << 20;
        const std::string doc = bench::GenerateDocument(params);
        const QString path = dir.filePath(QStringLiteral("longline.txt"));
        writeFile(path, doc);
        measureDocument(std::to_string(longLineMb) + "L", doc, path, dir.path(), outline, true);
    }
    if (wideLinesMb > 0) {
        // Lines of about 1 MB each, and one line of the whole size.
        bench::DocumentParams params;
        params.bytes = static_cast<std::size_t>(wideLinesMb) << 20;
        params.headings = static_cast<std::size_t>(wideLinesMb) / 10;  // one line in ten
        params.lineLength = 1 << 20;
        measureWideDocument("open and shown, 1 MB lines", bench::GenerateDocument(params), dir.path());
        measureWideDocument("open and shown, one line", bench::GenerateLine(params.bytes), dir.path());
    }
    if (filterHeadings > 0) measureFilter(dir.path(), static_cast<std::size_t>(filterHeadings));
    return 0;
}
