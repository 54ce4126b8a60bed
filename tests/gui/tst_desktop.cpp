// What a desktop session relies on, whichever platform runs the window: its place kept in the settings
// file, dialogs and the Index menu tied to the window. Run offscreen by ctest; the place and the dialog
// also under a Wayland compositor by tests/e2e/test_wayland.sh, where the compositor places windows.
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
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

    // Sessions in a row leave the place as it was stored, on a platform that cannot tell the window's
    // place too, and no frame makes the window grow; a size the user changes is still saved.
    void placeAndSizeSurviveSessions() {
        Sandbox box;
        const int width = 500, height = 400, grown = 40;
        box.writeFile(QStringLiteral("oruvan.ini"),
                      "[Form]\r\nLeft=100\r\nTop=50\r\nWidth=" + std::to_string(width) +
                          "\r\nHegiht=" + std::to_string(height) + "\r\n");
        for (int session = 0; session < 3; ++session) {
            auto w = box.makeWindow();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            if (session == 2) w->resize(w->width() + grown, w->height() + grown);
            QVERIFY(w->close());
            const std::string written = box.readFile(QStringLiteral("oruvan.ini"));
            const int more = session == 2 ? grown : 0;
            for (const std::string& line : {std::string("Left=100\r\n"), std::string("Top=50\r\n"),
                                            "Width=" + std::to_string(width + more) + "\r\n",
                                            "Hegiht=" + std::to_string(height + more) + "\r\n"})
                QVERIFY2(written.find(line) != std::string::npos, (line + " not in\n" + written).c_str());
        }
    }

    // A dialog opens as the window's child, which a compositor places over it.
    void dialogBelongsToTheWindow() {
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
    }

    // The Index menu opens as a popup of the window, where the menu bar drops it. (A Wayland
    // compositor opens popups only upon input: test_wayland.sh checks it there with real keys.)
    void indexMenuOpensWhereAsked() {
        Sandbox box;
        auto w = box.makeWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
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
