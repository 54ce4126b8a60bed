// Sections as units: moved past a neighbour of their level, promoted and demoted, in every encoding;
// each one undo step, byte-faithful on save, the index following at once.
#include <QComboBox>
#include <QTest>

#include "app/MainWindow.h"
#include "helpers/TestSupport.h"
#include "index/IndexController.h"
#include "index/HeadingList.h"
#include "index/IndexModel.h"
#include "index/SectionFolds.h"
#include "platform/TextEncoding.h"
#include "view/TextView.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

// The document's bytes: UTF-8 text encoded, or with Shift_JIS the literal's own bytes (its codes kept as
// read).
QByteArray Bytes(Encoding e, const char* text) {
    if (e == Encoding::ShiftJis) return QByteArray(text);
    return QByteArray::fromStdString(EncodeText(e, text));
}

}  // namespace

class SectionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetupTestApplication(); }
    void init() {
        m_w = m_box.makeWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    }
    void cleanup() { m_w.reset(); }

    void commandsEditTheCaretsSection_data();
    void commandsEditTheCaretsSection();
    void keysReachTheCommandsFromTheText();
    void foldsHideBodiesUntilTheCaretGoesIn();
    void foldsFollowTheIndex();

private:
    // Levels on, marks "#,##", folding on, the document loaded and indexed.
    TextView* loadFolding(const char* document) {
        ChangeIndexOptions(*m_w, [&](IndexOptions& o) {
            o.titleMarks = TitleMarksFromText("#,##");
            o.headingLevels = true;
            o.foldSections = true;
        });
        m_w->textView()->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), document));
        m_w->index()->rebuild();
        return m_w->textView();
    }

    Sandbox m_box;
    std::unique_ptr<MainWindow> m_w;
};

void SectionsTest::commandsEditTheCaretsSection_data() {
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("marks");  // cp932
    QTest::addColumn<bool>("levels");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("caretLine");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");  // empty: the command is greyed and changes nothing
    QTest::addColumn<int>("caretAfter");
    const auto row = [](const char* name, Encoding e, const char* marks, bool levels, CommandId command,
                        int caret, const char* before, const char* after, int caretAfter) {
        QTest::newRow(name) << int(e) << QByteArray(marks) << levels << int(command) << caret << Bytes(e, before)
                            << (after ? Bytes(e, after) : QByteArray()) << caretAfter;
    };
    const Encoding sjis = Encoding::ShiftJis;
    const char* nested = "pre\r\n# A\r\na\r\n## A1\r\na1\r\n# B\r\nb\r\n## B1\r\nb1\r\n";
    row("up: body and subsections go along", sjis, "#,##", true, CommandId::SectionUp, 6, nested,
        "pre\r\n# B\r\nb\r\n## B1\r\nb1\r\n# A\r\na\r\n## A1\r\na1\r\n", 1);
    row("down: past the next of its level", sjis, "#,##", true, CommandId::SectionDown, 1, nested,
        "pre\r\n# B\r\nb\r\n## B1\r\nb1\r\n# A\r\na\r\n## A1\r\na1\r\n", 5);
    row("up: the first of its level is greyed", sjis, "#,##", true, CommandId::SectionUp, 2, nested, nullptr, 2);
    row("up: a subsection stays under its heading", sjis, "#,##", true, CommandId::SectionUp, 7, nested,
        nullptr, 7);
    row("down: the last of its level is greyed", sjis, "#,##", true, CommandId::SectionDown, 4, nested, nullptr,
        4);
    row("before the first heading: greyed", sjis, "#,##", true, CommandId::SectionDown, 0, nested, nullptr, 0);
    row("levels off: a section runs to the next heading", sjis, "#,##", false, CommandId::SectionUp, 3, nested,
        "pre\r\n## A1\r\na1\r\n# A\r\na\r\n# B\r\nb\r\n## B1\r\nb1\r\n", 1);
    row("down: the last section gets the document's break", sjis, "#", false, CommandId::SectionDown, 0,
        "# A\r\na\r\n# B\r\nb", "# B\r\nb\r\n# A\r\na\r\n", 2);
    row("up: the last section gets the document's break", sjis, "#", false, CommandId::SectionUp, 3,
        "# A\n\na\n# B\nb", "# B\nb\n# A\n\na\n", 0);
    row("mixed breaks stay with their lines", sjis, "#", false, CommandId::SectionDown, 0,
        "# A\ra\r\n# B\nb\r", "# B\nb\r# A\ra\r\n", 2);
    // 0xFA 0x4A and 0x87 0x54 read as one character: each keeps its code, moved or not.
    row("codes kept as read, moved and staying", sjis, "#", false, CommandId::SectionUp, 2,
        "# A\r\n\xFA\x4A a\x87\x54\r\n# B\r\n\xFA\x4A\xFA\x4A b\x87\x54 and more\r\n",
        "# B\r\n\xFA\x4A\xFA\x4A b\x87\x54 and more\r\n# A\r\n\xFA\x4A a\x87\x54\r\n", 0);
    row("codes kept as read, the larger run moved", sjis, "#", false, CommandId::SectionDown, 0,
        "# A\r\n\xFA\x4A a\x87\x54 and more\r\n# B\r\n\xFA\x4A b\r\n",
        "# B\r\n\xFA\x4A b\r\n# A\r\n\xFA\x4A a\x87\x54 and more\r\n", 2);
    row("UTF-8", Encoding::Utf8, "#", false, CommandId::SectionUp, 2, "# 見\n本文\n# 出し\n🎉\n",
        "# 出し\n🎉\n# 見\n本文\n", 0);
    row("UTF-16, surrogate pairs", Encoding::Utf16Le, "#", false, CommandId::SectionDown, 0,
        "# 見\r\n🎉\r\n# 出し\r\n本文", "# 出し\r\n本文\r\n# 見\r\n🎉\r\n", 2);
    row("EUC-JP", Encoding::EucJp, "#", false, CommandId::SectionUp, 2, "# 見\n本文\n# 出し\nⅠ\n",
        "# 出し\nⅠ\n# 見\n本文\n", 0);
    row("ISO-2022-JP", Encoding::Iso2022Jp, "#", false, CommandId::SectionUp, 2, "# 見\r\nabc\r\n# 出し\r\n本文\r\n",
        "# 出し\r\n本文\r\n# 見\r\nabc\r\n", 0);

    const char* three = "# A\r\n  ## B\r\nb\r\n### C\r\n# D\r\n";
    row("promote: the section's headings with it", sjis, "#,##,###", true, CommandId::PromoteSection, 2, three,
        "# A\r\n  # B\r\nb\r\n## C\r\n# D\r\n", 1);
    row("promote: nothing above level 1", sjis, "#,##,###", true, CommandId::PromoteSection, 0, three, nullptr,
        0);
    row("demote: a subsection with no level below is greyed", sjis, "#,##,###", true,
        CommandId::DemoteSection, 1, three, nullptr, 1);
    row("demote: marks listed in any order", sjis, "###,#,##", true, CommandId::DemoteSection, 4, three,
        "# A\r\n  ## B\r\nb\r\n### C\r\n## D\r\n", 4);
    row("demote: levels off is greyed", sjis, "#,##,###", false, CommandId::DemoteSection, 4, three, nullptr, 4);
    row("promote: full-width marks, UTF-16", Encoding::Utf16Le, "\x81\xa1,\x81\xa0", true,
        CommandId::PromoteSection, 1, "■一\r\n□二\r\n本文\r\n", "■一\r\n■二\r\n本文\r\n", 1);
}

void SectionsTest::commandsEditTheCaretsSection() {
    QFETCH(int, encoding);
    QFETCH(QByteArray, marks);
    QFETCH(bool, levels);
    QFETCH(int, command);
    QFETCH(int, caretLine);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, caretAfter);
    ChangeIndexOptions(*m_w, [&](IndexOptions& o) {
        o.titleMarks = TitleMarksFromText(marks.toStdString());
        o.headingLevels = levels;
        o.ignoreHeadSpaces = true;
    });
    TextView* view = m_w->textView();
    const QString path = m_box.writeFile(QStringLiteral("doc.txt"), before.toStdString());
    view->LoadFromFile(path, static_cast<Encoding>(encoding));
    m_w->index()->rebuild();
    view->SetCaretToLineStart(caretLine);
    const auto saved = [&] {
        view->SaveToFile(m_box.path(QStringLiteral("out.txt")));
        return QByteArray::fromStdString(m_box.readFile(QStringLiteral("out.txt")));
    };

    const bool ran = m_w->commands().runCommand(static_cast<CommandId>(command));
    QCOMPARE(ran, !after.isEmpty());
    QCOMPARE(saved(), after.isEmpty() ? before : after);
    QCOMPARE(view->CaretLine(), caretAfter);
    if (!ran) return;
    // The index followed at once, as a whole rebuild makes it.
    QVERIFY(!m_w->index()->reindexTimer()->isActive());
    const Index followed = static_cast<IndexModel*>(m_w->index()->headingCombo()->model())->entries();
    m_w->index()->rebuild();
    QVERIFY(static_cast<IndexModel*>(m_w->index()->headingCombo()->model())->entries() == followed);
    // One undo step, and its redo, each byte for byte.
    view->Undo();
    QCOMPARE(saved(), before);
    QVERIFY(!view->CanUndo());
    view->Redo();
    QCOMPARE(saved(), after);
}

// The text view's own Alt+Shift+arrows (rectangular selection) give way to the commands.
void SectionsTest::keysReachTheCommandsFromTheText() {
    ChangeIndexOptions(*m_w, [&](IndexOptions& o) {
        o.titleMarks = TitleMarksFromText("#,##");
        o.headingLevels = true;
    });
    TextView* view = m_w->textView();
    view->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), "# A\r\na\r\n# B\r\n## C\r\n"));
    m_w->index()->rebuild();
    view->setFocus();
    view->SetCaretToLineStart(2);
    QTest::keyClick(view, Qt::Key_Up, Qt::AltModifier | Qt::ShiftModifier);
    QCOMPARE(view->GetText(), std::string("# B\r\n## C\r\n# A\r\na\r\n"));
    view->SetCaretToLineStart(1);
    QTest::keyClick(view, Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
    QCOMPARE(view->GetText(), std::string("# B\r\n# C\r\n# A\r\na\r\n"));
    QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);  // C is the last of level 2
    QCOMPARE(view->GetText(), std::string("# B\r\n## C\r\n# A\r\na\r\n"));
    QCOMPARE(m_w->index()->entryCount(), 3);
}

namespace {

const char* const kNested = "pre\r\n# A\r\na\r\n## A1\r\na1\r\n# B\r\nb\r\n## B1\r\nb1\r\n";

// Which of the document's lines the view shows, as a string of 1 (shown) and 0.
QString Shown(TextView* view) {
    QString out;
    for (long line = 0; line < view->Utf8LineCount(); ++line)
        out += view->LineShown(line) ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

bool MarkedFolded(TextView* view, int line) { return view->FoldMarkerFolded(line); }

}  // namespace

void SectionsTest::foldsHideBodiesUntilTheCaretGoesIn() {
    TextView* view = loadFolding(kNested);
    QVERIFY(view->SendScintilla(TextView::SCI_GETMARGINWIDTHN, 2) > 0);

    // Folding the caret's section hides its body and subsections; the caret goes to its heading.
    view->SetCaretToLineStart(2);
    QVERIFY(m_w->commands().runCommand(CommandId::FoldSection));
    QCOMPARE(Shown(view), QStringLiteral("1100011111"));
    QCOMPARE(view->CaretLine(), 1);
    QVERIFY(MarkedFolded(view, 1) && !MarkedFolded(view, 5));
    QVERIFY(!m_w->commands().runCommand(CommandId::FoldSection));
    // Folds are a view: the text saves whole.
    view->SaveToFile(m_box.path(QStringLiteral("out.txt")));
    QCOMPARE(m_box.readFile(QStringLiteral("out.txt")), std::string(kNested));

    // A jump from the index to a hidden heading unfolds what hides it.
    m_w->index()->chooseFromMenu(1);
    QCOMPARE(Shown(view), QStringLiteral("1111111111"));
    QCOMPARE(view->CaretLine(), 3);

    // Everything folded, then the caret put into a hidden line (as find or go to line would): unfolded.
    QVERIFY(m_w->commands().runCommand(CommandId::FoldAll));
    QCOMPARE(Shown(view), QStringLiteral("1100010001"));
    QCOMPARE(view->CaretLine(), 1);
    view->SendScintilla(TextView::SCI_GOTOLINE, 8);
    QTRY_COMPARE(Shown(view), QStringLiteral("1100011111"));
    QCOMPARE(view->CaretLine(), 8);

    // Undo taking the caret into a folded body unfolds it too.
    QTest::keyClicks(view, "x");
    view->SetCaretToLineStart(5);
    QVERIFY(m_w->commands().runCommand(CommandId::FoldSection));
    QCOMPARE(Shown(view), QStringLiteral("1100010001"));
    view->Undo();
    QTRY_COMPARE(Shown(view), QStringLiteral("1100011111"));

    // Level 1: the level-2 sections fold, the list shows level 1 alone; all unfolded shows all again.
    QVERIFY(m_w->commands().runCommand(CommandId::ShowLevel1));
    QCOMPARE(Shown(view), QStringLiteral("1111011101"));
    QAbstractItemModel* list = m_w->index()->headingList()->model();
    QCOMPARE(list->rowCount(), 2);
    QVERIFY(m_w->commands().runCommand(CommandId::UnfoldAll));
    QCOMPARE(Shown(view), QStringLiteral("1111111111"));
    QCOMPARE(list->rowCount(), 4);

    // Switched off, nothing stays hidden and the margin goes.
    QVERIFY(m_w->commands().runCommand(CommandId::FoldAll));
    QVERIFY(m_w->commands().runCommand(CommandId::FoldSections));
    QCOMPARE(Shown(view), QStringLiteral("1111111111"));
    QCOMPARE(view->SendScintilla(TextView::SCI_GETMARGINWIDTHN, 2), 0L);
    QVERIFY(!MarkedFolded(view, 1));
}

// The re-index after edits keeps the folds of the sections it did not touch; a folded heading that stops
// being one unfolds its lines.
void SectionsTest::foldsFollowTheIndex() {
    TextView* view = loadFolding(kNested);
    view->SetCaretToLineStart(3);
    QVERIFY(m_w->commands().runCommand(CommandId::FoldSection));  // A1
    view->SetCaretToLineStart(7);
    QVERIFY(m_w->commands().runCommand(CommandId::FoldSection));  // B1
    QCOMPARE(Shown(view), QStringLiteral("1111011101"));

    // Lines typed above both: the folds move down with their sections.
    view->SetCaretToLineStart(0);
    QTest::keyClicks(view, "new");
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Return);
    m_w->index()->reindexAfterEdits();
    QCOMPARE(Shown(view), QStringLiteral("111111011101"));
    QVERIFY(MarkedFolded(view, 5) && MarkedFolded(view, 9));

    // A1's heading edited into body text: its lines show, B1's fold stays.
    view->SetCaretToLineStart(5);
    QTest::keyClicks(view, "x");
    m_w->index()->reindexAfterEdits();
    QCOMPARE(Shown(view), QStringLiteral("111111111101"));
    QVERIFY(!MarkedFolded(view, 5) && MarkedFolded(view, 9));
    QCOMPARE(m_w->index()->entryCount(), 3);

    // Typed on the empty line after the folded last section: re-indexed, the line is the section's,
    // which unfolds rather than hide the line being typed in.
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(view, "z");
    m_w->index()->reindexAfterEdits();
    QCOMPARE(Shown(view), QStringLiteral("111111111111"));
    QVERIFY(!MarkedFolded(view, 9));
    QCOMPARE(view->CaretLine(), 11);
}

QTEST_MAIN(SectionsTest)
#include "tst_sections.moc"
