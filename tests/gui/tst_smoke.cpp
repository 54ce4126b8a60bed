#include <QTest>

#include "app/TextView.h"
#include "helpers/TestSupport.h"

using namespace oruvan;
using namespace oruvan::test;

class SmokeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    void opensWithDefaultCaption() {
        Sandbox box;
        auto w = box.makeWindow();
        QCOMPARE(w->windowTitle(), QStringLiteral("Oruvan 1.5"));
        QCOMPARE(w->memo->LineCount(), 0);
    }
};

QTEST_MAIN(SmokeTest)
#include "tst_smoke.moc"
