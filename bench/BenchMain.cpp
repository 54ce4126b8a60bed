// oruvan-bench: drives the real main window on the offscreen platform and prints one line per measure:
// the figure, its floor (what the same work costs at the least) and their ratio.
#include <Qsci/qsciscintilla.h>
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "DocumentGenerator.h"
#include "app/AppSetup.h"
#include "app/TextView.h"
#include "app/untMain.h"
#include "outline/HeadingScanner.h"
#include "platform/Cp932.h"

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

long peakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
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
double openFloor(const QString& path) {
    return best(3, [&] {
        QsciScintilla view;
        view.setUtf8(true);
        view.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
        const std::string bytes = readAll(path);
        std::string utf8;
        Cp932ToUtf8(bytes, utf8);
        view.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()),
                           utf8.data());
    });
}

double keystrokeMs(TfrmMain& w, int count) {
    TextView* memo = w.memo;
    memo->setFocus();
    memo->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    double total = 0;
    for (int i = 0; i < count; ++i) {
        const bool del = i % 2 == 1;
        const int key = del ? Qt::Key_Backspace : Qt::Key_A;
        const QString text = del ? QString() : QStringLiteral("a");
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        const double t0 = nowMs();
        QApplication::sendEvent(memo, &press);
        QApplication::sendEvent(memo, &release);
        QCoreApplication::processEvents();  // the change report, and with it caret tracking
        total += nowMs() - t0;
    }
    w.Timer1->stop();
    return total / count;
}

// Both write to a real file: grep stops at its first match when its output is /dev/null.
double outlineVsGrep(const QString& outline, const QString& file, const QString& out, double& grepMs) {
    auto run = [](const QString& script, const QStringList& args) {
        return best(3, [&] {
            QProcess p;
            p.start(QStringLiteral("/bin/sh"), QStringList{QStringLiteral("-c"), script} + args);
            p.waitForFinished(-1);
        });
    };
    // The pattern's last mark is the cp932 bytes 0x81 0xA1, spelled in octal for the shell.
    grepMs = run(QStringLiteral("LC_ALL=C grep -n -E \"^[[:space:]]*(//@|--|$(printf '\\201\\241'))\" \"$0\" > \"$1\""),
                 {file, out});
    return run(QStringLiteral("\"$2\" \"$0\" > \"$1\""), {file, out, outline});
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetupApplication(app);
    QStringList sizes = {QStringLiteral("1"), QStringLiteral("20")};
    int headingsPerMb = 1000;
    QString outline;
    for (const QString& a : app.arguments().mid(1)) {
        if (a.startsWith(QLatin1String("--sizes="))) sizes = a.mid(8).split(QLatin1Char(','));
        if (a.startsWith(QLatin1String("--headings-per-mb="))) headingsPerMb = a.mid(18).toInt();
        if (a.startsWith(QLatin1String("--outline="))) outline = a.mid(10);
    }
    QTemporaryDir dir;
    std::printf("%-28s %6s %10s\n", "measure", "MB", "value");
    for (const QString& s : sizes) {
        const std::size_t mb = s.toULong();
        const std::string size = s.toStdString();
        bench::DocumentParams params;
        params.bytes = mb << 20;
        params.headings = mb * static_cast<std::size_t>(headingsPerMb);
        const std::string doc = bench::GenerateDocument(params);
        const QString path = dir.filePath(QStringLiteral("doc%1.txt").arg(s));
        {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(doc.data(), static_cast<qint64>(doc.size()));
        }

        TfrmMain::Paths paths{dir.filePath(QStringLiteral("oruvan.ini")), dir.filePath(QStringLiteral("oruvan")),
                              dir.path()};
        TfrmMain w(paths);
        w.show();
        QCoreApplication::processEvents();

        const double floorOpen = openFloor(path);
        const double cpu0 = cpuMs();
        const double t0 = nowMs();
        w.OpenDocument(path);
        const double open = nowMs() - t0;
        const double openCpu = cpuMs() - cpu0;
        QCoreApplication::processEvents();
        line("open (wall)", size, open, floorOpen, "ms");
        line("open (cpu)", size, openCpu, 0, "ms");
        line("peak memory", size, static_cast<double>(peakRssMb()), static_cast<double>(doc.size() >> 20), "MB");
        std::printf("%-28s %6s %10d\n", "headings", size.c_str(), w.EntryCount());

        HeadingRules rules;
        rules.marks = w.TitleMarkList;
        const double floorScan = best(3, [&] { ScanHeadingsCp932(doc, rules); });
        const double rebuild = best(3, [&] { w.UpdateIndex(); });
        line("rebuild (UpdateIndex)", size, rebuild, floorScan, "ms");
        line("index menu (build)", size, best(3, [&] { w.BuildIndexMenu(); }), 0, "ms");
        const double deepest = best(1, [&] {
            QMenu* m = w.mnuIndex;
            while (m) {
                Q_EMIT m->aboutToShow();
                QMenu* next = nullptr;
                for (QAction* a : m->actions())
                    if (a->menu()) next = a->menu();
                m = next;
            }
        });
        line("index menu (to deepest)", size, deepest, 0, "ms");
        line("keystroke, wrap off", size, keystrokeMs(w, 200), 0, "ms");
        line("timer check, unchanged", size, best(3, [&] { w.Timer1Timer(); }), 0, "ms");
        w.SetWordWrap(true);
        QCoreApplication::processEvents();
        line("keystroke, wrap on", size, keystrokeMs(w, 200), 0, "ms");
        w.SetWordWrap(false);
        if (!outline.isEmpty()) {
            double grep = 0;
            const double ours = outlineVsGrep(outline, path, dir.filePath(QStringLiteral("out.txt")), grep);
            line("oruvan-outline vs grep -n", size, ours, grep, "ms");
        }
        w.N10Click();
    }
    return 0;
}
