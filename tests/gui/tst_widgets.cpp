// The splitter between the heading list and the text: its grip and its drag.
#include <QAction>
#include <QImage>
#include <QListView>
#include <QPlainTextEdit>
#include <QRubberBand>
#include <QSignalSpy>
#include <QSplitterHandle>
#include <QTest>
#include <climits>
#include <map>

#include "helpers/TestSupport.h"
#include "widgets/GripSplitter.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

// A list and a text pane on a 423 x 250 splitter, as the main window has them.
struct SplitterFixture {
    SplitterFixture() {
        splitter.addWidget(new QListView);
        splitter.addWidget(new QPlainTextEdit);
        splitter.setStretchFactor(1, 1);
        splitter.resize(423, 250);
        splitter.show();
        splitter.setFirstPaneWidth(121);
    }
    QSplitterHandle* bar() const { return splitter.handle(1); }
    QRubberBand* band() const { return splitter.findChild<QRubberBand*>(); }
    bool bandVisible() const { return band() && band()->isVisible(); }
    GripSplitter splitter;
};

}  // namespace

class WidgetsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    // The bar shows the grip's dots on its background and nothing else.
    void barDrawsItsGrip() {
        SplitterFixture f;
        QPalette pal = f.splitter.palette();
        pal.setColor(QPalette::Window, QColor(192, 192, 192));
        f.splitter.setPalette(pal);
        QSplitterHandle* bar = f.bar();
        QImage image(bar->size(), QImage::Format_RGB32);
        image.fill(Qt::red);
        bar->render(&image);
        std::map<std::pair<int, int>, QRgb> dots;
        for (const auto& d : GripSplitter::GripDots(bar->width(), bar->height(), f.splitter.PatternWidth(),
                                                    GripSplitter::GripAlignment::Left))
            dots[{d.x, d.y}] = d.white ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        QVERIFY(!dots.empty());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const auto dot = dots.find({x, y});
                const QRgb expected = dot == dots.end() ? qRgb(192, 192, 192) : dot->second;
                QVERIFY2(image.pixel(x, y) == expected,
                         qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
    }

    void gripDots_data() {
        using A = GripSplitter::GripAlignment;
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("p");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("whites");
        QTest::addColumn<int>("blacks");
        QTest::addColumn<int>("firstWhiteX");
        QTest::addColumn<int>("firstWhiteY");
        // 4 wide: the first column sits at x = -1, so only its shadows show.
        QTest::newRow("upright") << 4 << 250 << 60 << int(A::Left) << 20 << 40 << 2 << 95;
        QTest::newRow("right aligned") << 4 << 250 << 60 << int(A::Right) << 20 << 40 << 2 << 95;
        QTest::newRow("wide upright") << 9 << 250 << 60 << int(A::Left) << 40 << 40 << 1 << 95;
        // Rows from -15 to 42: the part above the bar and below it is clipped.
        QTest::newRow("shorter than pattern") << 4 << 30 << 60 << int(A::Left) << 10 << 20 << 2 << 0;
        QTest::newRow("lying") << 250 << 4 << 60 << int(A::Top) << 20 << 40 << 95 << 2;
        QTest::newRow("lying bottom") << 250 << 4 << 60 << int(A::Bottom) << 20 << 40 << 95 << 2;
        QTest::newRow("no grip") << 4 << 250 << 60 << int(A::None) << 0 << 0 << -1 << -1;
        QTest::newRow("empty bar") << 0 << 0 << 60 << int(A::Left) << 0 << 0 << -1 << -1;
        QTest::newRow("huge pattern") << 4 << 250 << INT_MAX << int(A::Left) << 83 << 168 << 2 << 2;
    }
    void gripDots() {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(int, p);
        QFETCH(int, alignment);
        QFETCH(int, whites);
        QFETCH(int, blacks);
        QFETCH(int, firstWhiteX);
        QFETCH(int, firstWhiteY);
        const auto dots = GripSplitter::GripDots(w, h, p, GripSplitter::GripAlignment(alignment));
        int white = 0, black = 0;
        QPoint firstWhite(-1, -1);
        for (const auto& d : dots) {
            QVERIFY(d.x >= 0 && d.x < w && d.y >= 0 && d.y < h);
            if (d.white && white++ == 0) firstWhite = QPoint(d.x, d.y);
            if (!d.white) ++black;
        }
        QCOMPARE(white, whites);
        QCOMPARE(black, blacks);
        QCOMPARE(firstWhite, QPoint(firstWhiteX, firstWhiteY));
    }

    void splitterDrag_data() {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("resizes");
        QTest::newRow("wider") << 50 << 171 << 1;
        QTest::newRow("just above MinSize") << -60 << 61 << 1;
        QTest::newRow("MinSize snaps shut") << -61 << 0 << 1;
        QTest::newRow("far left snaps shut") << -500 << 0 << 1;
        QTest::newRow("stops at the largest") << 1000 << 423 - 60 - 4 << 1;
        QTest::newRow("click only") << 0 << 121 << 0;
    }
    void splitterDrag() {
        QFETCH(int, dx);
        QFETCH(int, width);
        QFETCH(int, resizes);
        SplitterFixture f;
        QSignalSpy spy(&f.splitter, &GripSplitter::resized);
        QSplitterHandle* bar = f.bar();
        QCOMPARE(bar->x(), 121);
        const QRect textPane = f.splitter.widget(1)->geometry();
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 100));
        QVERIFY(f.bandVisible());
        QTest::mouseMove(bar, QPoint(2 + dx / 2, 100));
        QTest::mouseMove(bar, QPoint(2 + dx, 100));
        // Only a line follows the pointer until the release: no pane, no bar changes or appears.
        QCOMPARE(f.splitter.count(), 2);
        QCOMPARE(f.splitter.findChildren<QSplitterHandle*>().size(), 2);
        QCOMPARE(f.splitter.widget(1)->geometry(), textPane);
        QCOMPARE(f.splitter.firstPaneWidth(), 121);
        QCOMPARE(f.band()->geometry(), QRect(width, 0, 4, 250));
        QCOMPARE(spy.count(), 0);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(2 + dx, 100));
        QVERIFY(!f.bandVisible());
        QCOMPARE(f.splitter.firstPaneWidth(), width);
        QCOMPARE(f.splitter.sizes().value(1), 423 - 4 - width);
        QCOMPARE(spy.count(), resizes);
    }

    void splitterEscapeCancels() {
        SplitterFixture f;
        // An Escape shortcut in the window must not take the key from the drag.
        QAction escapeAction;
        escapeAction.setShortcut(Qt::Key_Escape);
        escapeAction.setShortcutContext(Qt::ApplicationShortcut);
        f.splitter.addAction(&escapeAction);
        QSignalSpy triggered(&escapeAction, &QAction::triggered);
        QSignalSpy spy(&f.splitter, &GripSplitter::resized);
        QVERIFY(QTest::qWaitForWindowActive(&f.splitter));
        QTest::mousePress(f.bar(), Qt::LeftButton, {}, QPoint(2, 100));
        QTest::mouseMove(f.bar(), QPoint(80, 100));
        QTest::keyClick(f.splitter.widget(1), Qt::Key_Escape);
        QVERIFY(!f.splitter.isDragging());
        QVERIFY(!f.bandVisible());
        QTest::mouseMove(f.bar(), QPoint(120, 100));
        QTest::mouseRelease(f.bar(), Qt::LeftButton, {}, QPoint(120, 100));
        QCOMPARE(f.splitter.firstPaneWidth(), 121);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(triggered.count(), 0);
        // Not dragging, Escape is the window's again.
        QTest::keyClick(f.splitter.widget(1), Qt::Key_Escape);
        QCOMPARE(triggered.count(), 1);
    }

    void snappedPaneOpensAgain() {
        SplitterFixture f;
        f.splitter.setFirstPaneWidth(0);
        QCOMPARE(f.splitter.firstPaneWidth(), 0);
        QCOMPARE(f.bar()->x(), 0);
        QSignalSpy spy(&f.splitter, &GripSplitter::resized);
        QTest::mousePress(f.bar(), Qt::LeftButton, {}, QPoint(1, 100));
        QTest::mouseMove(f.bar(), QPoint(101, 100));
        QTest::mouseRelease(f.bar(), Qt::LeftButton, {}, QPoint(101, 100));
        QCOMPARE(f.splitter.firstPaneWidth(), 100);
        QCOMPARE(spy.count(), 1);

        // Set from outside meanwhile, a drag back to the same width still applies.
        f.splitter.setFirstPaneWidth(1);
        QCOMPARE(f.splitter.firstPaneWidth(), 1);
        QTest::mousePress(f.bar(), Qt::LeftButton, {}, QPoint(1, 100));
        QTest::mouseMove(f.bar(), QPoint(100, 100));
        QTest::mouseRelease(f.bar(), Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(f.splitter.firstPaneWidth(), 100);
        QCOMPARE(spy.count(), 2);
    }
};

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
