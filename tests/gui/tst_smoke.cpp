#include <QTest>

#include "view/TextView.h"
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
        QCOMPARE(w->windowTitle(), QString::fromLatin1(version::kNameAndNumber));
        QCOMPARE(w->textView()->LineCount(), 0);
    }
};

QTEST_MAIN(SmokeTest)
#include "tst_smoke.moc"
