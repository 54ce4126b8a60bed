// The index of headings in the main window: its two views and the Index menu, choosing an entry,
// stepping between headings, caret tracking in the status bar, and the re-index timer.
#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QtMath>
#include <random>

#include "index/IndexModel.h"
#include "view/TextView.h"
#include "helpers/TestSupport.h"
#include "platform/CharacterCount.h"
#include "outline/HeadingScanner.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// "text@line" for every row of a view's model.
QStringList rowsOf(const QAbstractItemModel* model) {
    QStringList out;
    for (int i = 0; i < model->rowCount(); ++i) {
        const QModelIndex index = model->index(i, 0);
        out << model->data(index, Qt::DisplayRole).toString() + QLatin1Char('@') +
                   QString::number(model->data(index, Qt::UserRole).toInt());
    }
    return out;
}

int listRow(const MainWindow& w) {
    const QModelIndexList selected = w.index()->headingList()->selectionModel()->selectedIndexes();
    if (selected.size() != 1) return -1;
    if (w.index()->headingList()->selectionModel()->currentIndex() != selected.first()) return -2;
    return selected.first().row();
}

int caretLine(const MainWindow& w) { return w.textView()->LineFromChar(w.textView()->SelStart()); }

// The caret stands at the start of document line `line`, nothing selected, and the line is on top.
void verifyAtLineTop(const MainWindow& w, int line) {
    QVERIFY(!w.textView()->HasSelection());
    QCOMPARE(w.textView()->SelStart(), w.textView()->LineIndex(line));
    const long top = w.textView()->SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, line);
    QCOMPARE(static_cast<long>(w.textView()->FirstVisibleLine()), top);
}

QString statusFor(int line, int column) { return QStringLiteral("%1行: %2列").arg(line).arg(column); }

// Menu contents as tokens: "E<n>" an entry item, "S" a separator, "P[...]" a page item and its page.
// A page's items; the Index menu's first page follows the menu's own head (the filter command and a
// separator), which is checked here.
QList<QAction*> pageItems(QMenu* menu) {
    const QList<QAction*> items = menu->actions();
    if (menu->objectName() != QLatin1String("indexMenu")) return items;
    const bool head = items.size() >= IndexMenu::kHead &&
                      items[0]->text() == U("見出しの絞り込み(&J)\tCtrl+J") && items[1]->isSeparator();
    return head ? items.mid(IndexMenu::kHead) : QList<QAction*>{nullptr};
}

QString describeMenu(QMenu* menu) {
    QStringList parts;
    for (QAction* a : pageItems(menu)) {
        if (!a) return QStringLiteral("bad head");
        // The menu's own items carry the entry they stand for (-1: none) as their data.
        const bool item = a->data().isValid();
        if (a->menu()) {
            if (!item || a->text() != U("次のページ (&>)")) return QStringLiteral("bad page item");
            Q_EMIT a->menu()->aboutToShow();
            parts << QStringLiteral("P[") + describeMenu(a->menu()) + QLatin1Char(']');
        } else if (a->isSeparator()) {
            parts << QStringLiteral("S");
        } else if (item) {
            parts << QStringLiteral("E%1").arg(a->data().toInt());
        } else {
            parts << QStringLiteral("?");
        }
    }
    return parts.join(QLatin1Char(' '));
}

QString entryTokens(int first, int last) {
    QStringList parts;
    for (int i = first; i <= last; ++i) parts << QStringLiteral("E%1").arg(i);
    return parts.join(QLatin1Char(' '));
}

QAction* findEntryItem(QMenu* menu, int entry) {
    for (QAction* a : menu->actions()) {
        if (a->menu()) {
            Q_EMIT a->menu()->aboutToShow();
            if (QAction* found = findEntryItem(a->menu(), entry)) return found;
        } else if (a->data().isValid() && !a->isSeparator() && a->data().toInt() == entry) {
            return a;
        }
    }
    return nullptr;
}

}  // namespace

class IndexTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }
    void init();
    void cleanup() { m_w.reset(); }

    void rebuildFillsBothViewsAndMenu();
    void rebuildSelectsFirstEntryWhereverTheCaret();
    void headingTestSeesTheLinesOwnBytes_data();
    void headingTestSeesTheLinesOwnBytes();
    void documentWithoutHeadingsEmptiesIndex_data();
    void documentWithoutHeadingsEmptiesIndex();
    void choosingInListByKeyboard();
    void choosingInListThroughItsSelection();
    void clickingListItemJumpsEvenWhenAlreadySelected();
    void choosingInComboByKeyboard();
    void choosingInComboPopup();
    void selectEntryRunsNoHandler();
    void headingNearTheEndStaysLowerInView();

    void indexMenuPages_data();
    void indexMenuPages();
    void indexMenuCaptions_data();
    void indexMenuCaptions();
    void choosingTwentiethEntryFromMenu_data();
    void choosingTwentiethEntryFromMenu();
    void rebuildWhileIndexMenuIsOpen();

    void stepKeysWalkTheHeadings();
    void stepKeysOnEmptyIndexGoToStart_data();
    void stepKeysOnEmptyIndexGoToStart();

    void statusAfterJumpAndKeys();
    void statusWithSelection_data();
    void statusWithSelection();
    void wrappedLinesShowDisplayRowsButOwnByDocumentLine();
    void caretSelectsOwningHeading();

    void typedHeadingAppearsAfterOneSecond();
    void changeUndoneWithinTheSecondCostsNoRebuild();
    void suspendedBatchRebuildsOnce();
    void openDocumentRebuildsOnce();
    void timerFollowingEditsMatchesAWholeRebuild_data();
    void timerFollowingEditsMatchesAWholeRebuild();

    void listExtentFollowsWidestHeading();

    void sectionAndSelectionCounted_data();
    void sectionAndSelectionCounted();

private:
    // Writes the lines (UTF-8) as a cp932 file with CR LF breaks, loads it into the text view, indexes it.
    void load(const QStringList& lines);
    // A preface line, then n headings "Entry i" each followed by `gap` body lines.
    QStringList headingDocument(int n, int gap) const;
    int headingLine(int entry, int gap) const { return 1 + entry * (gap + 1); }

    Sandbox m_box;
    std::unique_ptr<MainWindow> m_w;
};

void IndexTest::init() {
    m_w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
}

void IndexTest::load(const QStringList& lines) {
    std::string bytes;
    for (const QString& line : lines) bytes += Sjis(line.toUtf8().constData()) + "\r\n";
    m_w->textView()->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), bytes));
    m_w->index()->rebuild();
}

QStringList IndexTest::headingDocument(int n, int gap) const {
    QStringList lines{QStringLiteral("preface")};
    for (int i = 0; i < n; ++i) {
        lines << U("■Entry ") + QString::number(i);
        for (int j = 0; j < gap; ++j) lines << QStringLiteral("body %1.%2").arg(i).arg(j);
    }
    return lines;
}

void IndexTest::rebuildFillsBothViewsAndMenu() {
    load({U("preface"), U("■First"), U("body"), U("//@Second"), U("--Third"), U("■First"), U("--")});
    const QStringList want{U("First@1"), U("Second@3"), U("Third@4"), U("First@5"), U("@6")};
    QCOMPARE(rowsOf(m_w->index()->headingCombo()->model()), want);
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), want);
    QCOMPARE(m_w->index()->entryCount(), 5);
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 0);
    QCOMPARE(listRow(*m_w), 0);
    QVERIFY(m_w->index()->indexMenu()->isEnabled());
    QVERIFY(m_w->index()->indexMenu()->menuAction()->isEnabled());
    QCOMPARE(describeMenu(m_w->index()->indexMenu()), entryTokens(0, 4));
    QStringList captions;
    for (QAction* a : pageItems(m_w->index()->indexMenu())) captions << a->text();
    QCOMPARE(captions, (QStringList{U("&First"), U("&Second"), U("&Third"), U("F&irst"), QString()}));
}

void IndexTest::rebuildSelectsFirstEntryWhereverTheCaret() {
    load(headingDocument(4, 3));
    m_w->textView()->setFocus();
    m_w->textView()->SetSelStart(m_w->textView()->LineIndex(headingLine(3, 3) + 1));
    QTest::keyClick(m_w->textView(), Qt::Key_Right);
    QCOMPARE(m_w->index()->currentEntry(), 3);
    m_w->index()->rebuild();
    QCOMPARE(m_w->index()->currentEntry(), 0);
    QCOMPARE(listRow(*m_w), 0);
}

// A character with two codes (0x8754 and 0xFA4A are both "Ⅰ"; 0xFA5C and 0xED40 both 纊): the heading
// test compares the bytes the line was read with, as oruvan-outline does on the file, and the index text
// keeps them. A line the user edits is then tested as it will be saved.
void IndexTest::headingTestSeesTheLinesOwnBytes_data() {
    QTest::addColumn<QByteArray>("marks");
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("typed");  // at the end of the first line, before the index is rebuilt
    QTest::addColumn<QByteArrayList>("headings");
    const auto row = [](const char* name, const char* marks, const char* document, const QString& typed,
                        const QByteArrayList& headings) {
        QTest::newRow(name) << QByteArray(marks) << QByteArray(document) << typed << headings;
    };
    row("mark and line in the IBM code", "\xFA\x4A", "\xFA\x4AX\r\n  \xFA\x4AW\r\n", {}, {"X@0", "W@1"});
    row("line in the IBM code, mark in the NEC code", "\x87\x54", "\xFA\x4AX\r\n\x87\x54Y\r\n", {}, {"Y@1"});
    row("line in the NEC code, mark in the IBM code", "\xFA\x4A", "\x87\x54X\r\n", {}, {});
    row("index text keeps the line's codes", "--", "body\r\n--\xED\x40\x81\x40\xED\x40\r\n", {},
        {"\xED\x40\x81\x40\xED\x40@1"});
    row("a mark in a kept code stays a heading after an edit on its line", "\xFA\x4A",
        "\xFA\x4AX\r\n\xFA\x4AZ\r\n", QStringLiteral("Y"), {"XY@0", "Z@1"});
    row("a line added keeps the others' own bytes", "\xFA\x4A", "\xFA\x4AX\r\n\xFA\x4AZ\r\n",
        QStringLiteral("\n"), {"X@0", "Z@2"});
}

void IndexTest::headingTestSeesTheLinesOwnBytes() {
    QFETCH(QByteArray, marks);
    QFETCH(QByteArray, document);
    QFETCH(QString, typed);
    QFETCH(QByteArrayList, headings);
    ChangeIndexOptions(*m_w, [&](IndexOptions& o) {
        o.titleMarks = TitleMarksFromText(marks.toStdString());
        o.ignoreHeadSpaces = true;
    });
    m_w->textView()->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), document.toStdString()));
    if (!typed.isEmpty()) {
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_End);
        for (const QChar c : typed)
            if (c == QLatin1Char('\n'))
                QTest::keyClick(m_w->textView(), Qt::Key_Return);
            else
                QTest::keyClicks(m_w->textView(), c);
    }
    m_w->index()->rebuild();
    const Index& entries = qobject_cast<const IndexModel*>(m_w->index()->headingCombo()->model())->entries();
    QByteArrayList got;
    for (const IndexEntry& e : entries)
        got << QByteArray::fromStdString(e.text) + '@' + QByteArray::number(e.line);
    QCOMPARE(got, headings);
    // oruvan-outline reads the saved file to the same index.
    m_w->textView()->SaveToFile(m_box.dir() + QStringLiteral("/saved.txt"));
    const HeadingRules rules = m_w->index()->options().rules();
    QVERIFY(ScanHeadingsCp932(m_box.readFile(QStringLiteral("saved.txt")), rules) == entries);
}

void IndexTest::documentWithoutHeadingsEmptiesIndex_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty file") << QStringList{};
    QTest::newRow("no headings") << QStringList{U("plain"), U("　■full-width blank first"),
                                                U("text -- here")};
}

void IndexTest::documentWithoutHeadingsEmptiesIndex() {
    QFETCH(QStringList, lines);
    load(headingDocument(3, 1));
    QVERIFY(m_w->index()->indexMenu()->menuAction()->isEnabled());
    load(lines);
    QCOMPARE(m_w->index()->headingCombo()->model()->rowCount(), 0);
    QCOMPARE(m_w->index()->headingList()->model()->rowCount(), 0);
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), -1);
    QVERIFY(m_w->index()->headingList()->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(m_w->index()->currentEntry(), -1);
    QVERIFY(!m_w->index()->indexMenu()->isEnabled());
    QVERIFY(!m_w->index()->indexMenu()->menuAction()->isEnabled());
}

void IndexTest::choosingInListByKeyboard() {
    constexpr int gap = 30;
    load(headingDocument(6, gap));
    m_w->index()->headingList()->setFocus();
    QTest::keyClick(m_w->index()->headingList(), Qt::Key_Down);
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 1);
    QCOMPARE(listRow(*m_w), 1);
    verifyAtLineTop(*m_w, headingLine(1, gap));
    QCOMPARE(m_w->StatusText(), statusFor(headingLine(1, gap) + 1, 1));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->headingList()));

    QTest::keyClick(m_w->index()->headingList(), Qt::Key_Down);
    QTest::keyClick(m_w->index()->headingList(), Qt::Key_Down);
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 3);
    verifyAtLineTop(*m_w, headingLine(3, gap));

    // Back to the heading on line 1: the view scrolls back to the top.
    QTest::keyClick(m_w->index()->headingList(), Qt::Key_Home);
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 0);
    verifyAtLineTop(*m_w, 1);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->headingList()));
}

void IndexTest::choosingInListThroughItsSelection() {
    constexpr int gap = 30;
    load(headingDocument(6, gap));
    m_w->index()->headingList()->setFocus();
    m_w->index()->headingList()->selectionModel()->setCurrentIndex(
        m_w->index()->headingList()->model()->index(4, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 4);
    verifyAtLineTop(*m_w, headingLine(4, gap));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->headingList()));
}

void IndexTest::clickingListItemJumpsEvenWhenAlreadySelected() {
    constexpr int gap = 30;
    load(headingDocument(6, gap));
    const QModelIndex row2 = m_w->index()->headingList()->model()->index(2, 0);
    QTest::mouseClick(m_w->index()->headingList()->viewport(), Qt::LeftButton, {},
                      m_w->index()->headingList()->visualRect(row2).center());
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 2);
    verifyAtLineTop(*m_w, headingLine(2, gap));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->headingList()));

    // The caret wanders inside that heading's part; clicking the same heading goes back to it.
    m_w->textView()->setFocus();
    m_w->textView()->SetSelStart(m_w->textView()->LineIndex(headingLine(2, gap) + 20) + 3);
    QTest::keyClick(m_w->textView(), Qt::Key_Right);
    QCOMPARE(m_w->index()->currentEntry(), 2);
    QTest::mouseClick(m_w->index()->headingList()->viewport(), Qt::LeftButton, {},
                      m_w->index()->headingList()->visualRect(row2).center());
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 2);
    verifyAtLineTop(*m_w, headingLine(2, gap));

    // The whole row is the item, not only its text.
    const QRect row4 =
        m_w->index()->headingList()->visualRect(m_w->index()->headingList()->model()->index(4, 0));
    QTest::mouseClick(m_w->index()->headingList()->viewport(), Qt::LeftButton, {},
                      QPoint(m_w->index()->headingList()->viewport()->width() - 3, row4.center().y()));
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 4);
    verifyAtLineTop(*m_w, headingLine(4, gap));
}

void IndexTest::choosingInComboByKeyboard() {
    constexpr int gap = 30;
    load(headingDocument(6, gap));
    m_w->index()->headingCombo()->setFocus();
    QTest::keyClick(m_w->index()->headingCombo(), Qt::Key_Down);
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 1);
    QCOMPARE(listRow(*m_w), 1);
    verifyAtLineTop(*m_w, headingLine(1, gap));
    QCOMPARE(m_w->StatusText(), statusFor(headingLine(1, gap) + 1, 1));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->headingCombo()));
    QTest::keyClick(m_w->index()->headingCombo(), Qt::Key_End);
    QCOMPARE(listRow(*m_w), 5);
    QCOMPARE(caretLine(*m_w), headingLine(5, gap));
}

void IndexTest::choosingInComboPopup() {
    constexpr int gap = 30;
    load(headingDocument(6, gap));
    m_w->index()->headingCombo()->setFocus();
    m_w->index()->headingCombo()->showPopup();
    QAbstractItemView* popup = m_w->index()->headingCombo()->view();
    QTRY_VERIFY(popup->isVisible());
    popup->setCurrentIndex(popup->model()->index(3, 0));
    QTest::keyClick(popup, Qt::Key_Return);
    QTRY_VERIFY(!popup->isVisible());
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 3);
    QCOMPARE(listRow(*m_w), 3);
    verifyAtLineTop(*m_w, headingLine(3, gap));
}

void IndexTest::selectEntryRunsNoHandler() {
    constexpr int gap = 30;
    load(headingDocument(6, gap));
    const int caret = m_w->textView()->LineIndex(100) + 2;
    m_w->textView()->SetSelStart(caret);
    m_w->textView()->ScrollLines(40);
    const int top = m_w->textView()->FirstVisibleLine();
    const QString status = m_w->StatusText();
    for (int n : {3, 5, 0, -1, 6, 2}) {
        m_w->index()->selectEntry(n);
        const int want = n >= 0 && n < 6 ? n : -1;
        QCOMPARE(m_w->index()->headingCombo()->currentIndex(), want);
        QCOMPARE(m_w->index()->currentEntry(), want);
        if (want >= 0)
            QCOMPARE(listRow(*m_w), want);
        else
            QVERIFY(m_w->index()->headingList()->selectionModel()->selectedIndexes().isEmpty());
        QCOMPARE(m_w->textView()->SelStart(), caret);
        QCOMPARE(m_w->textView()->FirstVisibleLine(), top);
        QCOMPARE(m_w->StatusText(), status);
    }
}

void IndexTest::headingNearTheEndStaysLowerInView() {
    constexpr int gap = 2;
    load(headingDocument(40, gap));
    m_w->index()->headingList()->setFocus();
    QTest::keyClick(m_w->index()->headingList(), Qt::Key_End);
    const int line = headingLine(39, gap);
    QCOMPARE(m_w->textView()->SelStart(), m_w->textView()->LineIndex(line));
    const int top = m_w->textView()->FirstVisibleLine();
    const int rows = static_cast<int>(m_w->textView()->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN));
    QVERIFY2(top < line, qPrintable(QStringLiteral("top %1, heading %2").arg(top).arg(line)));
    QVERIFY(line < top + rows);
}

void IndexTest::indexMenuPages_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("head");
    QTest::addColumn<QString>("menu");
    const QString page1 = entryTokens(0, 15);
    for (bool head : {true, false}) {
        const char* how = head ? "head" : "tail";
        QTest::addRow("1 %s", how) << 1 << head << QStringLiteral("E0");
        QTest::addRow("16 %s", how) << 16 << head << page1;
    }
    QTest::newRow("17 head") << 17 << true << QStringLiteral("P[E16] S ") + page1;
    QTest::newRow("17 tail") << 17 << false << page1 + QStringLiteral(" S P[E16]");
    QTest::newRow("33 head") << 33 << true
                             << QStringLiteral("P[P[E32] S %1] S %2").arg(entryTokens(16, 31), page1);
    QTest::newRow("33 tail") << 33 << false
                             << QStringLiteral("%1 S P[%2 S P[E32]]").arg(page1, entryTokens(16, 31));
}

void IndexTest::indexMenuPages() {
    QFETCH(int, entries);
    QFETCH(bool, head);
    QFETCH(QString, menu);
    load(headingDocument(entries, 0));
    ChangeIndexOptions(*m_w, [&](IndexOptions& o) { o.nextPageOnTop = head; });
    QVERIFY(m_w->index()->indexMenu()->menuAction()->isEnabled());
    QCOMPARE(describeMenu(m_w->index()->indexMenu()), menu);
    // A second rebuild replaces the items rather than adding to them.
    m_w->index()->rebuild();
    QCOMPARE(describeMenu(m_w->index()->indexMenu()), menu);
    QCOMPARE(m_w->index()->indexMenu()->findChildren<QMenu*>().size(),
             static_cast<int>(menu.count(QLatin1Char('P'))));
}

void IndexTest::indexMenuCaptions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("utf8");  // the document is UTF-8 rather than Shift_JIS
    const QString a38(38, QLatin1Char('a'));
    const QString a39(39, QLatin1Char('a'));
    const QString a40(40, QLatin1Char('a'));
    const auto row = [](const char* name, const QString& text, const QString& caption, bool utf8 = false) {
        QTest::newRow(name) << text << caption << utf8;
    };
    // "before" and "after" stand around the entry; "before" has taken the access key b.
    row("40 bytes whole", a40, U("&") + a40);
    row("41 bytes cut", a40 + QLatin1Char('b'), U("&") + a40 + QStringLiteral("..."));
    row("byte 40 leads", a39 + U("あい"), U("&") + a39 + U("あ.."));
    row("byte 40 trails", a38 + U("あい"), U("&") + a38 + U("あ..."));
    row("20 kanji exactly", U("一二三四五六七八九十一二三四五六七八九十"),
        U("&一二三四五六七八九十一二三四五六七八九十"));
    row("key b taken", U("bean"), U("b&ean"));
    row("key j is the command's", U("jab"), U("j&ab"));
    row("ampersand", U("Tom & Jerry"), U("&Tom && Jerry"));
    row("separator", QStringLiteral("-"), QString());
    // Headings cp932 cannot hold show as written; their characters cp932 lacks take no access key.
    row("UTF-8, e acute", U("Café"), U("&Café"), true);
    row("UTF-8, hangul", U("한국어"), U("한국어"), true);
    row("UTF-8, emoji", U("🎉 & party"), U("🎉 && &party"), true);
    row("UTF-8, simplified Chinese", U("这是 ok"), U("这是 &ok"), true);
    row("UTF-8, cut by columns", U("한").repeated(25), U("한").repeated(20) + U("&..."), true);
    row("UTF-8, cp932 holds it", U("Tokyo 東京"), U("&Tokyo 東京"), true);
}

void IndexTest::indexMenuCaptions() {
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(bool, utf8);
    if (utf8) {
        const QString doc = U("■before\n■") + text + U("\n■after\n");
        m_w->textView()->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), doc.toStdString()),
                                Encoding::Utf8);
        m_w->index()->rebuild();
    } else {
        load({U("■before"), U("■") + text, U("■after")});
    }
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()).value(1), text + QStringLiteral("@1"));
    QCOMPARE(m_w->index()->headingCombo()->itemText(1), text);
    const QList<QAction*> items = pageItems(m_w->index()->indexMenu());
    QCOMPARE(items.size(), 3);
    QAction* item = items[1];
    QCOMPARE(item->data(), QVariant(1));
    if (caption.isEmpty()) {
        // A plain line: a separator with a text is drawn as a titled section.
        QVERIFY(item->isSeparator());
        QVERIFY(item->text().isEmpty());
        return;
    }
    QVERIFY(!item->isSeparator());
    QCOMPARE(item->text(), caption);
}

void IndexTest::choosingTwentiethEntryFromMenu_data() {
    QTest::addColumn<bool>("head");
    QTest::newRow("page item at the top") << true;
    QTest::newRow("page item at the bottom") << false;
}

void IndexTest::choosingTwentiethEntryFromMenu() {
    QFETCH(bool, head);
    constexpr int gap = 5;
    load(headingDocument(33, gap));
    ChangeIndexOptions(*m_w, [&](IndexOptions& o) { o.nextPageOnTop = head; });
    QAction* item = findEntryItem(m_w->index()->indexMenu(), 19);
    QVERIFY(item);
    QVERIFY(item->parent() != m_w->index()->indexMenu());
    QCOMPARE(item->text(), QStringLiteral("Ent&ry 19"));  // E, n and t went to entries 16 to 18
    item->trigger();
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 19);
    QCOMPARE(listRow(*m_w), 19);
    verifyAtLineTop(*m_w, headingLine(19, gap));
    QCOMPARE(m_w->StatusText(), statusFor(headingLine(19, gap) + 1, 1));
}

void IndexTest::rebuildWhileIndexMenuIsOpen() {
    load(headingDocument(20, 1));
    m_w->index()->indexMenu()->popup(m_w->mapToGlobal(QPoint(10, 10)));
    QTRY_VERIFY(m_w->index()->indexMenu()->isVisible());
    QAction* page = pageItems(m_w->index()->indexMenu()).first();
    QVERIFY(page->menu());
    m_w->index()->indexMenu()->setActiveAction(page);
    Q_EMIT page->menu()->aboutToShow();
    page->menu()->popup(m_w->mapToGlobal(QPoint(60, 10)));
    QTRY_VERIFY(page->menu()->isVisible());

    // The re-index timer may fire while the menu is open.
    load(headingDocument(2, 1));
    QCoreApplication::processEvents();
    QCOMPARE(describeMenu(m_w->index()->indexMenu()), QStringLiteral("E0 E1"));
    m_w->index()->indexMenu()->hide();
    QCoreApplication::processEvents();
    QTest::keyClick(m_w->textView(), Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(m_w->index()->currentEntry(), 1);
}

void IndexTest::stepKeysWalkTheHeadings() {
    constexpr int gap = 40;
    load(headingDocument(3, gap));
    m_w->textView()->setFocus();
    const auto press = [this](Qt::Key key) { QTest::keyClick(m_w->textView(), key, Qt::AltModifier); };

    press(Qt::Key_Down);
    QCOMPARE(m_w->index()->currentEntry(), 1);
    QCOMPARE(listRow(*m_w), 1);
    verifyAtLineTop(*m_w, headingLine(1, gap));
    press(Qt::Key_Up);
    QCOMPARE(m_w->index()->currentEntry(), 0);
    verifyAtLineTop(*m_w, headingLine(0, gap));
    press(Qt::Key_Up);  // on the first heading: stays there
    QCOMPARE(m_w->index()->currentEntry(), 0);
    QCOMPARE(listRow(*m_w), 0);
    verifyAtLineTop(*m_w, headingLine(0, gap));

    press(Qt::Key_Down);
    press(Qt::Key_Down);
    QCOMPARE(m_w->index()->currentEntry(), 2);
    press(Qt::Key_Down);  // on the last heading: stays there
    QCOMPARE(m_w->index()->currentEntry(), 2);
    QCOMPARE(listRow(*m_w), 2);
    QCOMPARE(m_w->textView()->SelStart(), m_w->textView()->LineIndex(headingLine(2, gap)));
    QCOMPARE(m_w->StatusText(), statusFor(headingLine(2, gap) + 1, 1));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->textView()));

    // The keys work from the list too, and leave the focus there.
    m_w->index()->headingList()->setFocus();
    QTest::keyClick(m_w->index()->headingList(), Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(m_w->index()->currentEntry(), 1);
    verifyAtLineTop(*m_w, headingLine(1, gap));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->headingList()));
}

void IndexTest::stepKeysOnEmptyIndexGoToStart_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Alt+Up") << int(Qt::Key_Up);
    QTest::newRow("Alt+Down") << int(Qt::Key_Down);
}

void IndexTest::stepKeysOnEmptyIndexGoToStart() {
    QFETCH(int, key);
    QStringList lines;
    for (int i = 0; i < 100; ++i) lines << QStringLiteral("line %1").arg(i);
    load(lines);
    m_w->textView()->setFocus();
    m_w->textView()->SetSelStart(m_w->textView()->LineIndex(60) + 2);
    m_w->textView()->ScrollLines(50);
    QVERIFY(m_w->textView()->FirstVisibleLine() > 0);
    QTest::keyClick(m_w->textView(), Qt::Key(key), Qt::AltModifier);
    verifyAtLineTop(*m_w, 0);
    QCOMPARE(m_w->textView()->SelStart(), 0);
    QCOMPARE(m_w->index()->currentEntry(), -1);
    QCOMPARE(m_w->StatusText(), statusFor(1, 1));
}

void IndexTest::statusAfterJumpAndKeys() {
    load({U("preface"), U("■あいう"), U("abc"), U("■Two")});
    m_w->index()->headingList()->setFocus();
    QTest::keyClick(m_w->index()->headingList(), Qt::Key_Down);
    QCOMPARE(m_w->StatusText(), statusFor(4, 1));
    QTest::keyClick(m_w->index()->headingList(), Qt::Key_Up);
    QCOMPARE(m_w->StatusText(), statusFor(2, 1));
    m_w->textView()->setFocus();
    QTest::keyClick(m_w->textView(), Qt::Key_Right);
    QTest::keyClick(m_w->textView(), Qt::Key_Right);
    QCOMPARE(m_w->StatusText(), statusFor(2, 5));  // two double-byte characters: four bytes
    QTest::keyClick(m_w->textView(), Qt::Key_Down);
    QCOMPARE(m_w->StatusText(), statusFor(3, 4));  // the shorter line: the caret stops at its end
    QTest::keyClick(m_w->textView(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(m_w->StatusText(), statusFor(1, 1));
}

void IndexTest::statusWithSelection_data() {
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<QString>("status");
    QTest::newRow("wrap off: end") << false << statusFor(3, 7);
    QTest::newRow("wrap on: start") << true << statusFor(2, 3);
}

void IndexTest::statusWithSelection() {
    QFETCH(bool, wrap);
    QFETCH(QString, status);
    load({U("preface"), U("■見出し"), U("abcdef")});
    m_w->SetWordWrap(wrap);
    m_w->textView()->setFocus();
    m_w->textView()->SetSelStart(m_w->textView()->LineIndex(1) + 2);
    QTest::keyClick(m_w->textView(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(m_w->textView(), Qt::Key_End, Qt::ShiftModifier);
    QVERIFY(m_w->textView()->HasSelection());
    QCOMPARE(m_w->StatusText(), status);
}

void IndexTest::wrappedLinesShowDisplayRowsButOwnByDocumentLine() {
    const QString longLine = QStringLiteral("word ").repeated(120);
    QStringList lines{U("■A"), longLine, U("■B"), U("■C")};
    for (int i = 0; i < 60; ++i) lines << QStringLiteral("body %1").arg(i);
    load(lines);
    m_w->SetWordWrap(true);
    QCoreApplication::processEvents();
    const int rows = static_cast<int>(m_w->textView()->SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, 1));
    QVERIFY2(rows >= 3, qPrintable(QString::number(rows)));

    // Heading B stands on document line 2, display row rows + 1: the status shows the display row.
    m_w->index()->headingList()->setFocus();
    QTest::keyClick(m_w->index()->headingList(), Qt::Key_Down);
    QCOMPARE(m_w->index()->currentEntry(), 1);
    QCOMPARE(m_w->textView()->FirstVisibleLine(), rows + 1);
    QCOMPARE(m_w->StatusText(), statusFor(rows + 2, 1));

    // The caret on row 2 of the long line: column counted from that row's start; heading A owns it.
    m_w->textView()->setFocus();
    QTest::keyClick(m_w->textView(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(m_w->textView(), Qt::Key_Down);
    QTest::keyClick(m_w->textView(), Qt::Key_Down);
    QTest::keyClick(m_w->textView(), Qt::Key_Home);
    for (int i = 0; i < 3; ++i) QTest::keyClick(m_w->textView(), Qt::Key_Right);
    QCOMPARE(m_w->StatusText(), statusFor(3, 4));
    QCOMPARE(m_w->index()->currentEntry(), 0);

    // On B's line (a display row past C's document line number) B, not C, owns the caret.
    m_w->textView()->SetSelStart(m_w->textView()->LineIndex(2) + 2);
    QTest::keyClick(m_w->textView(), Qt::Key_Left);
    QCOMPARE(m_w->index()->currentEntry(), 1);
    QCOMPARE(m_w->StatusText(), statusFor(rows + 2, 1));
}

void IndexTest::caretSelectsOwningHeading() {
    load({U("preface"), U("more"), U("■A"), U("a body"), U("■B"), U("b body")});
    m_w->textView()->setFocus();
    const auto caretTo = [this](int line) {
        m_w->textView()->SetSelStart(m_w->textView()->LineIndex(line) + 1);
        QTest::keyClick(m_w->textView(), Qt::Key_Right);
    };
    caretTo(5);
    QCOMPARE(m_w->index()->currentEntry(), 1);
    caretTo(4);
    QCOMPARE(m_w->index()->currentEntry(), 1);
    caretTo(3);
    QCOMPARE(m_w->index()->currentEntry(), 0);
    QCOMPARE(listRow(*m_w), 0);
    caretTo(5);
    caretTo(1);  // above the first heading: the selection stays
    QCOMPARE(m_w->index()->currentEntry(), 1);
    QCOMPARE(listRow(*m_w), 1);
    QCOMPARE(m_w->StatusText(), statusFor(2, 3));
}

void IndexTest::typedHeadingAppearsAfterOneSecond() {
    load({U("■First"), U("body")});
    m_w->textView()->setFocus();
    QTest::keyClick(m_w->textView(), Qt::Key_End, Qt::ControlModifier);
    const int rebuilds = m_w->index()->rebuildCount();
    QTest::keyClicks(m_w->textView(), QStringLiteral("//@Second"));
    QElapsedTimer sinceTyping;
    sinceTyping.start();
    // Poll until the rebuild shows; a loaded machine can only make it show later, never earlier.
    qint64 seenAt = -1;
    while (seenAt < 0 && sinceTyping.elapsed() < 5000) {
        QTest::qWait(20);
        if (m_w->index()->rebuildCount() != rebuilds)
            seenAt = sinceTyping.elapsed();
        else
            QCOMPARE(m_w->index()->entryCount(), 1);
    }
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds + 1);
    QVERIFY2(seenAt >= 950, qPrintable(QString::number(seenAt)));  // a coarse timer may fire 5% early
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), (QStringList{U("First@0"), U("Second@2")}));
    // Caret tracking after the rebuild selects the heading the caret stands on.
    QCOMPARE(m_w->index()->currentEntry(), 1);
    QCOMPARE(listRow(*m_w), 1);
    QVERIFY(!m_w->index()->reindexTimer()->isActive());
    QTest::qWait(1100);
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds + 1);
}

void IndexTest::changeUndoneWithinTheSecondCostsNoRebuild() {
    load({U("■First"), U("body")});
    m_w->textView()->setFocus();
    QTest::keyClick(m_w->textView(), Qt::Key_End, Qt::ControlModifier);
    const int rebuilds = m_w->index()->rebuildCount();
    QTest::keyClick(m_w->textView(), Qt::Key_X);
    QTest::qWait(100);
    QVERIFY(m_w->index()->reindexTimer()->isActive());
    QTest::keyClick(m_w->textView(), Qt::Key_Backspace);
    QTest::qWait(50);
    QVERIFY(m_w->index()->reindexTimer()->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!m_w->index()->reindexTimer()->isActive(), 2000);
    QTest::qWait(50);
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds);
    QCOMPARE(m_w->index()->entryCount(), 1);
}

void IndexTest::suspendedBatchRebuildsOnce() {
    load({U("  ■Indented"), U("■Plain")});
    QCOMPARE(rowsOf(m_w->index()->headingCombo()->model()), (QStringList{U("Indented@0"), U("Plain@1")}));
    const int rebuilds = m_w->index()->rebuildCount();
    IndexOptions batch = m_w->index()->options();
    batch.nextPageOnTop = false;
    batch.ignoreHeadSpaces = false;
    batch.captionIncludesMark = true;
    m_w->index()->setOptions(batch);
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds + 1);
    QCOMPARE(rowsOf(m_w->index()->headingCombo()->model()), (QStringList{U("■Plain@1")}));
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), (QStringList{U("■Plain@1")}));
    // One change alone rebuilds once too.
    ChangeIndexOptions(*m_w, [](IndexOptions& o) { o.ignoreHeadSpaces = true; });
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds + 2);
}

void IndexTest::openDocumentRebuildsOnce() {
    MessageBoxRecorder boxes;
    const QString path = m_box.writeFile(QStringLiteral("open.txt"), Sjis("■One\r\nbody\r\n■Two\r\n"));
    m_w->textView()->setFocus();
    QTest::keyClicks(m_w->textView(), QStringLiteral("typed"));
    QCoreApplication::processEvents();
    QVERIFY(m_w->index()->reindexTimer()->isActive());
    boxes.answer(Answer::No);
    const int rebuilds = m_w->index()->rebuildCount();
    m_w->document()->open(path);
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds + 1);
    QCOMPARE(rowsOf(m_w->index()->headingCombo()->model()), (QStringList{U("One@0"), U("Two@2")}));
    QTRY_VERIFY_WITH_TIMEOUT(!m_w->index()->reindexTimer()->isActive(), 3000);
    QTest::qWait(20);
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds + 1);
}

// Documents of 300 lines: every third one starts with `first` (the file's own bytes), the next with "--",
// the next is body text; line i ends with breaks[i % size].
void IndexTest::timerFollowingEditsMatchesAWholeRebuild_data() {
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("marks");
    QTest::addColumn<QByteArray>("document");
    const auto row = [](const char* name, Encoding e, const char* marks, const char* first,
                        const QByteArrayList& breaks) {
        QByteArray doc;
        for (int i = 0; i < 300; ++i) {
            const char* start = i % 3 == 0 ? first : i % 3 == 1 ? "--" : "body ";
            doc += start + QByteArray::number(i) + breaks[i % breaks.size()];
        }
        QTest::newRow(name) << int(e) << QByteArray(marks) << doc;
    };
    // Lines in the IBM code are tested on their own bytes until they are edited; Enter types CR and LF
    // one at a time, and undoing it takes them out one at a time.
    row("Shift_JIS, CR LF, codes kept as read", Encoding::ShiftJis, "\xFA\x4A,--,\x81\xA1", "\xFA\x4A",
        {"\r\n"});
    // A LF typed or pasted after a lone CR joins it into one break; a CR LF loses its CR or LF.
    row("Shift_JIS, mixed breaks, codes kept as read", Encoding::ShiftJis, "\xFA\x4A,--,\x81\xA1", "\xFA\x4A",
        {"\r", "\n", "\r\n", "\n"});
    // A character cp932 lacks converts to '?', which must not reach the mark "?".
    row("UTF-8, LF, characters cp932 lacks", Encoding::Utf8, "?,--,\x81\xA1", "\xED\x95\x9C", {"\n"});
    row("EUC-JP, CR", Encoding::EucJp, "\x87\x54,--,\x81\xA1", "\xAD\xB5", {"\r"});
    // Typed characters Shift_JIS lacks stay in the view, and must not reach the mark "?" either.
    row("Shift_JIS, CR LF, characters typed that it lacks", Encoding::ShiftJis, "?,--,\x81\xA1", "\x81\xA1",
        {"\r\n"});
}

// Typing, pasting, deleting across headings, undoing and redoing in the view: the timer's re-index
// leaves the views, their selection, the list extent and the Index menu as a whole rebuild does, and
// the caret, the selection, the view's scrolling and the text as they were.
void IndexTest::timerFollowingEditsMatchesAWholeRebuild() {
    QFETCH(int, encoding);
    QFETCH(QByteArray, marks);
    QFETCH(QByteArray, document);
    ChangeIndexOptions(*m_w,
                       [&](IndexOptions& o) { o.titleMarks = TitleMarksFromText(marks.toStdString()); });
    m_w->textView()->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), document.toStdString()),
                            static_cast<Encoding>(encoding));
    m_w->index()->rebuild();
    QVERIFY(m_w->index()->entryCount() >= 100);
    TextView* memo = m_w->textView();
    memo->setFocus();
    // A character the document's encoding has no code for enters as it is; the heading test reads '?'.
    const QStringList typed{QStringLiteral("--"), U("■"),  QStringLiteral("x"), QStringLiteral("\n"),
                            U("見出し"),          U("한"), QStringLiteral("?"), U("\u0301"),
                            U("\U0001F44D\U0001F3FD")};
    const QStringList pasted{QStringLiteral("--p\nq\n"), U("\n■r"), QStringLiteral("body\n--s\n\n"),
                             U("\r\n?t\r한")};
    std::mt19937 rng(15);
    const auto randomLine = [&] {
        return static_cast<int>(rng() % static_cast<unsigned>(memo->LineCount() + 1));
    };
    const auto lineEdge = [&](int line) {
        return memo->SendScintilla(
            rng() % 2 ? QsciScintillaBase::SCI_POSITIONFROMLINE : QsciScintillaBase::SCI_GETLINEENDPOSITION,
            static_cast<unsigned long>(line));
    };
    const auto views = [&] {
        QAbstractItemModel* list = m_w->index()->headingList()->model();
        const int width =
            list->rowCount() ? list->data(list->index(0, 0), Qt::SizeHintRole).toSize().width() : 0;
        return rowsOf(m_w->index()->headingCombo()->model()) + rowsOf(list) +
               QStringList{QString::number(m_w->index()->currentEntry()), QString::number(listRow(*m_w)),
                           QString::number(width), describeMenu(m_w->index()->indexMenu())};
    };
    std::string indexed(memo->Utf8Buffer());
    for (int round = 0; round < 120; ++round) {
        for (unsigned k = 0, n = 1 + rng() % 4; k < n; ++k) {
            switch (rng() % 5) {
                case 0: {
                    memo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, lineEdge(randomLine()));
                    const QString& text = typed[static_cast<int>(rng() % typed.size())];
                    if (text == QLatin1String("\n")) {
                        QTest::keyClick(memo, Qt::Key_Return);
                    } else if (text.front().unicode() < 0x80) {
                        QTest::keyClicks(memo, text);
                    } else {
                        QInputMethodEvent input;  // as an input method commits it
                        input.setCommitString(text);
                        QApplication::sendEvent(memo, &input);
                    }
                    break;
                }
                case 1:
                    memo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, lineEdge(randomLine()));
                    QApplication::clipboard()->setText(pasted[static_cast<int>(rng() % pasted.size())]);
                    memo->PasteFromClipboard();
                    break;
                case 2: {
                    const int line = randomLine();  // up to a few lines, often across a heading
                    const long a = lineEdge(line), b = lineEdge(line + static_cast<int>(rng() % 4));
                    memo->SendScintilla(QsciScintillaBase::SCI_SETSEL, std::min(a, b), std::max(a, b));
                    QTest::keyClick(memo, Qt::Key_Delete);
                    break;
                }
                case 3:
                    memo->Undo();
                    break;
                default:
                    memo->SendScintilla(QsciScintillaBase::SCI_REDO);
            }
            // The characters kept through each edit (marks and modifiers joining what they were typed
            // by, breaks joining and parting) are those of the text counted afresh.
            const TextCount counted = m_w->index()->documentCount();
            const TextCount fresh = CountLines(memo->Utf8Buffer());
            QCOMPARE(counted.characters, fresh.characters);
            QCOMPARE(counted.rows, fresh.rows);
        }
        const bool changed = memo->Utf8Buffer() != indexed;
        const int rebuilds = m_w->index()->rebuildCount();
        const QStringList before = views();
        const std::string text(memo->Utf8Buffer());
        const auto place = [memo] {
            using B = QsciScintillaBase;
            return QList<long>{memo->SendScintilla(B::SCI_GETCURRENTPOS),
                               memo->SendScintilla(B::SCI_GETANCHOR),
                               memo->SendScintilla(B::SCI_GETFIRSTVISIBLELINE)};
        };
        const QList<long> at = place();
        m_w->index()->reindexAfterEdits();
        QCOMPARE(m_w->index()->rebuildCount(), rebuilds + (changed ? 1 : 0));
        // The re-index moves nothing of the user's.
        QCOMPARE(place(), at);
        QCOMPARE(std::string(memo->Utf8Buffer()), text);
        const QStringList followed = views();
        if (changed) {
            m_w->index()->rebuild();
            m_w->TrackCaret();
            QCOMPARE(followed, views());
        } else {
            QCOMPARE(followed, before);
        }
        indexed = memo->Utf8Buffer();
    }
    m_w->index()->reindexTimer()->stop();
}

void IndexTest::listExtentFollowsWidestHeading() {
    const QString wide = QStringLiteral("W").repeated(60) + U("見出し");
    QListView* list = m_w->index()->headingList();
    // Item views draw the text with a margin on either side: the focus frame's and one pixel more.
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const auto drawn = [&](const QString& text) {
        return qCeil(QFontMetricsF(list->font()).horizontalAdvance(text)) + 2 * margin;
    };
    const auto extent = [list] {
        QCoreApplication::processEvents();
        return list->horizontalScrollBar()->maximum() + list->viewport()->width();
    };
    const auto hint = [list](int row) {
        return list->model()->data(list->model()->index(row, 0), Qt::SizeHintRole).toSize();
    };

    load({U("■short"), U("■") + wide, U("■mid")});
    QVERIFY(drawn(wide) > list->viewport()->width());
    QCOMPARE(hint(0).width(), drawn(wide));
    QCOMPARE(extent(), drawn(wide));

    load({U("■short"), U("■mid")});
    QCOMPARE(hint(0).width(), drawn(QStringLiteral("short")));
    QCOMPARE(extent(), list->viewport()->width());

    load({U("■") + wide});
    QCOMPARE(extent(), drawn(wide));
    load({QStringLiteral("no headings")});
    QCOMPARE(extent(), list->viewport()->width());

    // A heading cp932 cannot hold is as wide as it is written, not as its '?'s.
    const QString hangul = U("한").repeated(50), ws = QStringLiteral("W").repeated(40);
    QVERIFY(drawn(hangul) > drawn(ws) && drawn(QStringLiteral("?").repeated(50)) < drawn(ws) * 0.8);
    const QString doc = U("■") + ws + U("\n■") + hangul + U("\n");
    m_w->textView()->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), doc.toStdString()), Encoding::Utf8);
    m_w->index()->rebuild();
    QCOMPARE(hint(0).width(), drawn(hangul));
    QCOMPARE(extent(), drawn(hangul));
}

// A UTF-16 document (its emoji a surrogate pair) with Markdown marks: the status bar counts the caret's
// section, with or without its subsections, or the selection; the list's tooltip counts each section.
void IndexTest::sectionAndSelectionCounted_data() {
    QTest::addColumn<bool>("levels");
    QTest::addColumn<int>("caretLine");
    QTest::addColumn<QString>("status");
    QTest::newRow("before the first heading") << true << 0 << QString();
    QTest::newRow("levels: with its subsection") << true << 2 << U("節 35字 (0.3枚)");
    QTest::newRow("levels: the subsection") << true << 4 << U("節 29字 (0.2枚)");
    QTest::newRow("levels: the last, no break counted") << true << 5 << U("節 3字 (0.1枚)");
    QTest::newRow("levels off: to the next heading") << false << 1 << U("節 6字 (0.1枚)");
}

void IndexTest::sectionAndSelectionCounted() {
    QFETCH(bool, levels);
    QFETCH(int, caretLine);
    QFETCH(QString, status);
    ChangeIndexOptions(*m_w, [&](IndexOptions& o) {
        o.titleMarks = TitleMarksFromText("#,##");
        o.headingLevels = levels;
    });
    const QString text = U("preface\r\n# A\r\ne\u0301x\U0001F44D\U0001F3FD\r\n## B\r\n") +
                         U("字").repeated(25) + U("\r\n# C\r\n");
    const QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    TextView* view = m_w->textView();
    view->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), bytes.toStdString()), Encoding::Utf16Le);
    m_w->index()->rebuild();
    view->SetCaretToLineStart(caretLine);
    m_w->TrackCaret();
    QTRY_COMPARE(m_w->CountText(), status);

    // The selection's characters instead, breaks not counted: "éx👍🏽", "## B" and three of the 字.
    view->SendScintilla(TextView::SCI_SETSEL, view->Utf8LineStart(2), view->Utf8LineStart(4) + 9);
    QTRY_COMPARE(m_w->CountText(), U("選択 10字"));
    view->SendScintilla(TextView::SCI_SETEMPTYSELECTION, view->Utf8LineStart(caretLine));
    QTRY_COMPARE(m_w->CountText(), status);

    QAbstractItemModel* list = m_w->index()->headingList()->model();
    QCOMPARE(list->data(list->index(1, 0), Qt::ToolTipRole).toString(),
             list->data(list->index(1, 0), Qt::DisplayRole).toString() +
                 U("\n節 29字 (0.2枚)"));
    // 文書の情報: the whole text, its six lines filling seven rows.
    MessageBoxRecorder boxes;
    QVERIFY(m_w->commands().runCommand(CommandId::DocumentInfo));
    QCOMPARE(boxes.texts(), QStringList{U("文字数: 45字\n原稿用紙: 0.4枚 (400字詰め)\n行数: 6\n見出し: 3")});
}

QTEST_MAIN(IndexTest)

#include "tst_index.moc"
