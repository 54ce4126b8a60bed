// The re-index a second after an edit, while the user goes on typing: it brings the index views up to
// date and leaves the caret, the selection, the view's scrolling and the text as they were; text an
// input method is still composing waits for its commit.
#include <QComboBox>
#include <QInputMethodEvent>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

#include "helpers/TestSupport.h"
#include "view/TextCopies.h"
#include "view/TextView.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QStringList entryTexts(const QAbstractItemModel* model) {
    QStringList out;
    for (int i = 0; i < model->rowCount(); ++i) out << model->data(model->index(i, 0)).toString();
    return out;
}

// Where the user stands in the view: caret, anchor and the topmost line.
QList<long> placeOf(const TextView* memo) {
    return {memo->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS),
            memo->SendScintilla(QsciScintillaBase::SCI_GETANCHOR),
            memo->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE)};
}

QString lineText(const TextView* memo, int line) {
    const long start = memo->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    const long end = memo->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
    return QString::fromUtf8(memo->Utf8Buffer().data() + start, end - start);
}

}  // namespace

class ReindexTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }
    void init();
    void cleanup() { m_w.reset(); }

    void reindexLeavesCaretSelectionAndScrolling_data();
    void reindexLeavesCaretSelectionAndScrolling();
    void reindexWaitsForTheInputMethodsCommit();
    void rebuildLeavesOutTheTextBeingComposed_data();
    void rebuildLeavesOutTheTextBeingComposed();
    void indexNeedsNoWindow();

private:
    // Eight headings "■Entry i", each followed by six body lines, under a preface line; CR LF, cp932.
    void loadHeadings();
    static int headingLine(int entry) { return 1 + entry * 7; }

    Sandbox m_box;
    std::unique_ptr<MainWindow> m_w;
};

void ReindexTest::init() {
    m_w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
}

void ReindexTest::loadHeadings() {
    std::string bytes = "preface\r\n";
    for (int i = 0; i < 8; ++i) {
        bytes += Sjis("■Entry ") + std::to_string(i) + "\r\n";
        for (int j = 0; j < 6; ++j) bytes += "body " + std::to_string(i) + "." + std::to_string(j) + "\r\n";
    }
    m_w->textView()->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), bytes));
    m_w->index()->rebuild();
}

// The caret is put on a line, a letter typed there, the view scrolled a little and part of the line
// perhaps selected; the re-index runs; the next letter lands where the user is.
void ReindexTest::reindexLeavesCaretSelectionAndScrolling_data() {
    QTest::addColumn<int>("entry");     // the heading whose line is edited
    QTest::addColumn<int>("column");    // where on it, -1 its end
    QTest::addColumn<int>("selected");  // characters selected backwards after typing
    QTest::addColumn<bool>("listShown");
    QTest::newRow("end of a heading") << 4 << -1 << 0 << true;
    QTest::newRow("middle of a heading") << 4 << 3 << 0 << true;
    QTest::newRow("first heading") << 0 << -1 << 0 << true;
    QTest::newRow("last heading") << 7 << -1 << 0 << true;
    QTest::newRow("list view hidden") << 4 << -1 << 0 << false;
    QTest::newRow("part of a heading selected") << 4 << -1 << 3 << true;
}

void ReindexTest::reindexLeavesCaretSelectionAndScrolling() {
    QFETCH(int, entry);
    QFETCH(int, column);
    QFETCH(int, selected);
    QFETCH(bool, listShown);
    loadHeadings();
    m_w->SetListViewVisible(listShown);
    TextView* memo = m_w->textView();
    memo->setFocus();
    const int line = headingLine(entry);
    memo->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, std::max(0, line - 3));
    memo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                        column < 0
                            ? memo->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line)
                            : memo->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line) + column);
    QTest::keyClicks(memo, QStringLiteral("X"));
    for (int i = 0; i < selected; ++i) QTest::keyClick(memo, Qt::Key_Left, Qt::ShiftModifier);
    QCoreApplication::processEvents();
    const QList<long> before = placeOf(memo);
    const std::string text(memo->Utf8Buffer());

    m_w->index()->reindexAfterEdits();
    QCOMPARE(entryTexts(m_w->index()->headingCombo()->model()).at(entry).count(QLatin1Char('X')), 1);
    QCOMPARE(m_w->index()->currentEntry(), entry);
    QCOMPARE(placeOf(memo), before);
    QCOMPARE(std::string(memo->Utf8Buffer()), text);

    QTest::keyClicks(memo, QStringLiteral("Y"));
    const auto [from, to] = std::minmax(before[0], before[1]);
    const std::string want =
        text.substr(0, static_cast<std::size_t>(from)) + "Y" + text.substr(static_cast<std::size_t>(to));
    QCOMPARE(std::string(memo->Utf8Buffer()), want);
}

// A conversion left pending over the second is no text yet: the index does not show it, and the
// committed text goes where it was being composed.
void ReindexTest::reindexWaitsForTheInputMethodsCommit() {
    loadHeadings();
    TextView* memo = m_w->textView();
    memo->setFocus();
    const int line = headingLine(4);
    memo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                        memo->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line));
    QTest::keyClicks(memo, QStringLiteral("X"));
    m_w->index()->reindexAfterEdits();
    const QStringList indexed = entryTexts(m_w->index()->headingCombo()->model());
    const int rebuilds = m_w->index()->rebuildCount();

    const QString preedit = U("にほん");
    QInputMethodEvent composing(preedit, {{QInputMethodEvent::Cursor, int(preedit.size()), 1, {}}});
    QCoreApplication::sendEvent(memo, &composing);
    QCoreApplication::processEvents();
    QVERIFY(!m_w->index()->reindexTimer()->isActive());
    m_w->index()->reindexAfterEdits();
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds);
    QCOMPARE(entryTexts(m_w->index()->headingCombo()->model()), indexed);
    // Given up, it leaves the text as it was.
    QInputMethodEvent cancel;
    QCoreApplication::sendEvent(memo, &cancel);
    QCOMPARE(lineText(memo, line), U("■Entry 4X"));
    m_w->index()->reindexAfterEdits();
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds);

    QCoreApplication::sendEvent(memo, &composing);
    m_w->index()->reindexAfterEdits();
    QInputMethodEvent commit;
    commit.setCommitString(U("日本"));
    QCoreApplication::sendEvent(memo, &commit);
    QCoreApplication::processEvents();
    QCOMPARE(lineText(memo, line), U("■Entry 4X日本"));
    QCOMPARE(memo->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS),
             memo->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line));
    QVERIFY(m_w->index()->reindexTimer()->isActive());
    m_w->index()->reindexAfterEdits();
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds + 1);
    QCOMPARE(entryTexts(m_w->index()->headingCombo()->model()).at(4), U("Entry 4X日本"));
}

// A whole rebuild asked for during a conversion indexes the text without it, and the conversion goes on
// where it was; its commit is indexed a second later.
void ReindexTest::rebuildLeavesOutTheTextBeingComposed_data() {
    QTest::addColumn<bool>("settings");  // a settings change rather than F5
    QTest::addColumn<QString>("caption");
    QTest::newRow("F5") << false << U("Entry 4X");
    QTest::newRow("settings changed") << true << U("■Entry 4X");
}

void ReindexTest::rebuildLeavesOutTheTextBeingComposed() {
    QFETCH(bool, settings);
    QFETCH(QString, caption);
    loadHeadings();
    TextView* memo = m_w->textView();
    memo->setFocus();
    const int line = headingLine(4);
    memo->SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                        memo->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line));
    QTest::keyClicks(memo, QStringLiteral("X"));
    const QString preedit = U("にほん");
    QInputMethodEvent composing(preedit, {{QInputMethodEvent::Cursor, 1, 1, {}}});
    QCoreApplication::sendEvent(memo, &composing);
    const QList<long> before = placeOf(memo);
    const std::string shown(memo->Utf8Buffer());

    if (settings)
        ChangeIndexOptions(*m_w, [](IndexOptions& o) { o.captionIncludesMark = true; });
    else
        QVERIFY(m_w->commands().runCommand(CommandId::Refresh));
    QCOMPARE(entryTexts(m_w->index()->headingCombo()->model()).at(4), caption);
    QCOMPARE(std::string(memo->Utf8Buffer()), shown);
    QCOMPARE(placeOf(memo), before);
    QVERIFY(memo->Composing());

    QInputMethodEvent commit;
    commit.setCommitString(U("日本"));
    QCoreApplication::sendEvent(memo, &commit);
    QCOMPARE(lineText(memo, line), U("■Entry 4X日本"));
    m_w->index()->reindexAfterEdits();
    QCOMPARE(entryTexts(m_w->index()->headingCombo()->model()).at(4), caption + U("日本"));
}

// The index over a bare view: built once per batch of options, followed a second after edits, and jumping
// to its headings, all without a main window.
void ReindexTest::indexNeedsNoWindow() {
    QWidget window;
    auto* view = new TextView(&window);
    TextCopies copies;
    auto* index = new IndexController(view, &copies, &window);
    // The window puts the menu's own head above the entries.
    index->indexMenu()->addAction(QStringLiteral("head"));
    index->indexMenu()->addSeparator();
    index->setOptions({{Sjis("■")}, true, false, false, false, 5});
    QCOMPARE(index->rebuildCount(), 1);
    QCOMPARE(index->headingCombo()->maxVisibleItems(), 5);
    view->SetSelText(Sjis("■One\r\nbody\r\n  ■Two\r\nbody\r\n"));
    QTRY_VERIFY(index->reindexTimer()->isActive());
    index->reindexAfterEdits();
    QCOMPARE(index->rebuildCount(), 2);
    QCOMPARE(entryTexts(index->headingCombo()->model()), (QStringList{U("One"), U("Two")}));
    QCOMPARE(index->indexMenu()->actions().size(), IndexMenu::kHead + 2);
    // The window answers a jump with the caret status and the heading the caret is under.
    QObject::connect(index, &IndexController::jumped,
                     [index, view] { index->followCaret(view->CaretLine()); });
    QSignalSpy jumped(index, &IndexController::jumped);
    index->jumpTo(1);
    QCOMPARE(jumped.count(), 1);
    QCOMPARE(view->CaretLine(), 2);
    QCOMPARE(index->currentEntry(), 1);
    index->stepPrevious();
    QCOMPARE(view->CaretLine(), 0);
    QCOMPARE(index->headingList()->currentIndex().row(), 0);
    index->followCaret(3);
    QCOMPARE(index->currentEntry(), 1);
    index->reindexAfterEdits();
    QCOMPARE(index->rebuildCount(), 2);
}

QTEST_MAIN(ReindexTest)
#include "tst_reindex.moc"
