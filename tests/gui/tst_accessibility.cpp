#include <QAccessible>
#include <QTest>

#include "view/TextView.h"
#include "helpers/TestSupport.h"

using namespace oruvan;
using namespace oruvan::test;

// What a screen reader reads of the text view: its text, caret and selection in characters.
class AccessibilityTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    void textViewAnswersInCharacters() {
        TextView view;
        view.SetSelText(Sjis("見出し\nabc"));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&view);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::EditableText);
        QAccessibleTextInterface* text = iface->textInterface();
        QVERIFY(text);
        // A new document breaks lines with CR LF, two characters.
        QCOMPARE(text->characterCount(), 8);
        QCOMPARE(text->text(0, 3), QStringLiteral("見出し"));
        QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("見出し\r\nabc"));

        text->setCursorPosition(2);
        QCOMPARE(text->cursorPosition(), 2);
        QCOMPARE(view.CaretColumn(), 4);  // two double-byte characters

        QCOMPARE(text->selectionCount(), 0);
        text->setSelection(0, 1, 6);
        QCOMPARE(text->selectionCount(), 1);
        int start = -1, end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(start, 1);
        QCOMPARE(end, 6);
        QCOMPARE(view.SelText(), Sjis("出し\r\na"));
        text->removeSelection(0);
        QCOMPARE(text->selectionCount(), 0);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
