// What a desktop session relies on, whichever platform runs the window: its place kept in the settings
// file, dialogs and the Index menu tied to the window. Run offscreen by ctest and under a Wayland
// compositor by tests/e2e/test_wayland.sh, where the compositor, not the program, places windows.
#include <QApplication>
#include <QTimer>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWindow>

#include "app/CommandTable.h"
#include "dialogs/SettingsDialog.h"
#include "helpers/TestSupport.h"

using namespace oruvan;
using namespace oruvan::test;

class DesktopTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        SetupTestApplication();
        qInfo("platform: %s", qPrintable(QGuiApplication::platformName()));
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.example.Oruvan"));
    }

    // Two sessions in a row leave the place and the size as they were: no platform that cannot tell
    // the window's place writes 0,0 over it, and no frame makes the window grow.
    void placeAndSizeSurviveSessions() {
        Sandbox box;
        const std::string ini = "[Form]\r\nLeft=100\r\nTop=50\r\nWidth=500\r\nHeight=400\r\n";
        box.writeFile(QStringLiteral("oruvan.ini"), ini);
        for (int session = 0; session < 2; ++session) {
            auto w = box.makeWindow();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            QVERIFY(w->close());
        }
        const std::string written = box.readFile(QStringLiteral("oruvan.ini"));
        for (const char* line : {"Left=100\r\n", "Top=50\r\n", "Width=500\r\n", "Height=400\r\n"})
            QVERIFY2(written.find(line) != std::string::npos, written.c_str());
    }

    // A dialog opens as the window's child, which a compositor centres over it; the Index menu opens
    // as a popup of the window where it was asked to.
    void dialogsAndTheIndexMenuBelongToTheWindow() {
        Sandbox box;
        auto w = box.makeWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        // Polled without waiting for the dialog to be active: a headless compositor activates nothing.
        QWindow* parent = nullptr;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                d && QTest::qWaitForWindowExposed(d)) {
                parent = d->windowHandle()->transientParent();
                d->reject();
            }
        });
        poll.start(20);
        QVERIFY(w->commands().runCommand(CommandId::Settings));
        poll.stop();
        QCOMPARE(parent, w->windowHandle());

        // Where the menu bar drops it.
        auto* menu = w->findChild<IndexMenu*>();
        QMenuBar* bar = w->menuBar();
        const QPoint below = bar->mapToGlobal(bar->actionGeometry(menu->menuAction()).bottomLeft());
        menu->popup(below);
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QCOMPARE(menu->windowHandle()->transientParent(), w->windowHandle());
        QCOMPARE(menu->pos(), below);
        menu->close();
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
