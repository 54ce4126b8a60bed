// The find bar, replacing, go to line and the colour commands, driven as a user drives them.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSet>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cmath>

#include "view/TextFinder.h"
#include "view/TextView.h"
#include "dialogs/GoToLineDialog.h"
#include "helpers/TestSupport.h"
#include "widgets/FindBar.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

using Sci = QsciScintillaBase;

long Sel(MainWindow& w, int message) { return w.textView()->SendScintilla(message); }

// The selected text and where it starts (UTF-8 bytes), or "-" with nothing selected.
QString Selection(MainWindow& w) {
    const long s = Sel(w, Sci::SCI_GETSELECTIONSTART);
    if (s == Sel(w, Sci::SCI_GETSELECTIONEND)) return QStringLiteral("- @%1").arg(s);
    return w.textView()->selectedText() + QStringLiteral(" @%1").arg(s);
}

void SetCaret(MainWindow& w, long pos) { w.textView()->SendScintilla(Sci::SCI_SETEMPTYSELECTION, pos); }

QLineEdit* Field(MainWindow& w) { return w.findBar()->FindField()->lineEdit(); }

// Text entered into a field at once, as an input method or a paste enters it.
void Enter(QLineEdit* field, const QString& text) { field->insert(text); }

// Opens the bar with Ctrl+F from the text view and enters the text into the search field.
void TypeSearch(MainWindow& w, const QString& text) {
    w.textView()->setFocus();
    QTest::keyClick(w.textView(), Qt::Key_F, Qt::ControlModifier);
    Enter(Field(w), text);
}

void SetOptions(MainWindow& w, bool matchCase, bool ignoreWidth, bool regex) {
    for (auto [name, on] :
         {std::pair{"大文字と小文字を区別する(&C)", matchCase},
          std::pair{"全角と半角を区別しない(&W)", ignoreWidth}, std::pair{"正規表現(&X)", regex}})
        for (QAbstractButton* b : w.findBar()->findChildren<QAbstractButton*>())
            if (b->text() == U(name)) b->setChecked(on);
}

QToolButton* Button(MainWindow& w, const char* text) {
    for (QToolButton* b : w.findBar()->findChildren<QToolButton*>())
        if (b->text() == U(text)) return b;
    return nullptr;
}

// Answers the next modal dialog once it is up.
template <typename F>
void WhenModal(F f) {
    QTimer::singleShot(0, [f] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal) f(modal);
    });
}

}  // namespace

class FindTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    void init() {
        m_box = std::make_unique<Sandbox>();
        m_w = m_box->makeWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    }
    void cleanup() {
        m_w.reset();
        m_box.reset();
    }

    void ctrlFTakesTheSelectionWithinOneLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("field");
        const QString text = QStringLiteral("one Chapter\ntwo");
        QTest::newRow("selection within a line") << text << 4 << 11 << "Chapter";
        QTest::newRow("selection over a line break: the text before stays") << text << 0 << 14 << "before";
        QTest::newRow("no selection: the text before stays") << text << 3 << 3 << "before";
        QTest::newRow("a whole long line is no search text")
            << QString(5000, QLatin1Char('x')) << 0 << 5000 << "before";
    }
    void ctrlFTakesTheSelectionWithinOneLine() {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, field);
        m_w->findBar()->SetFindText(QStringLiteral("before"));
        m_w->textView()->setText(text);
        m_w->textView()->SendScintilla(Sci::SCI_SETSEL, from, static_cast<long>(to));
        m_w->index()->headingList()->setFocus();
        QTest::keyClick(m_w->index()->headingList(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(m_w->findBar()->isVisible());
        QCOMPARE(m_w->findBar()->FindText(), field);
        QCOMPARE(Field(*m_w)->selectedText(), field);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->findBar()->FindField()));
        QVERIFY(!m_w->findBar()->ReplaceShown());
    }

    // Typing selects the first match at or after the caret, wrapping to the start.
    void typingSearches_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("options");  // c: match case, w: ignore width, x: regex
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("notice");
        QTest::newRow("first at or after the caret") << "abc xabc abc" << 2 << "abc"
                                                     << ""
                                                     << "abc @5"
                                                     << "";
        QTest::newRow("a match at the caret") << "abc abc" << 4 << "abc"
                                              << ""
                                              << "abc @4"
                                              << "";
        QTest::newRow("wraps to the start") << "abc xyz" << 2 << "abc"
                                            << ""
                                            << "abc @0"
                                            << "先頭から検索しました";
        QTest::newRow("case folds") << "x ABC" << 0 << "abc"
                                    << ""
                                    << "ABC @2"
                                    << "";
        QTest::newRow("case kept") << "ABC abc" << 0 << "abc"
                                   << "c"
                                   << "abc @4"
                                   << "";
        QTest::newRow("full-width folds within its width") << "ABC ＡＢＣ" << 0 << "ａｂｃ"
                                                           << ""
                                                           << "ＡＢＣ @4"
                                                           << "";
        QTest::newRow("half-width folds within its width") << "ＡＢＣ abc" << 0 << "ABC"
                                                           << ""
                                                           << "abc @10"
                                                           << "";
        QTest::newRow("width ignored") << "ＡＢＣ abc" << 0 << "abc"
                                       << "w"
                                       << "ＡＢＣ @0"
                                       << "";
        QTest::newRow("half-width kana with a voiced mark") << "カ ｶﾞ" << 0 << "ガ"
                                                            << "w"
                                                            << "ｶﾞ @4"
                                                            << "";
        QTest::newRow("regular expression on characters") << "ファイル" << 0 << "ファ.ル"
                                                          << "x"
                                                          << "ファイル @0"
                                                          << "";
        QTest::newRow("regular expression line end before CR LF") << "ab\r\nxb" << 0 << "b$"
                                                                  << "x"
                                                                  << "b @1"
                                                                  << "";
        QTest::newRow("nothing found") << "abc" << 1 << "zzz"
                                       << ""
                                       << "- @1"
                                       << "見つかりません";
    }
    void typingSearches() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, typed);
        QFETCH(QString, options);
        QFETCH(QString, selection);
        QFETCH(QString, notice);
        MessageBoxRecorder boxes;
        m_w->textView()->setText(text);
        SetCaret(*m_w, caret);
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_F, Qt::ControlModifier);
        SetOptions(*m_w, options.contains(QLatin1Char('c')), options.contains(QLatin1Char('w')),
                   options.contains(QLatin1Char('x')));
        Enter(Field(*m_w), typed);
        QCOMPARE(Selection(*m_w), selection);
        QCOMPARE(m_w->NoticeText(), notice);
        QCOMPARE(m_w->findBar()->NotFound(), notice == U("見つかりません"));
        QVERIFY(boxes.shown().empty());
        QCOMPARE(m_w->textView()->text(), text);
    }

    void badRegularExpressionIsShownInTheBar() {
        MessageBoxRecorder boxes;
        m_w->textView()->setText(QStringLiteral("a(b"));
        m_w->commands().runCommand(CommandId::Find);
        SetOptions(*m_w, false, false, true);
        QTest::keyClicks(Field(*m_w), QStringLiteral("a("));
        QVERIFY2(m_w->findBar()->Message().startsWith(U("正規表現が正しくありません: ")),
                 qPrintable(m_w->findBar()->Message()));
        QVERIFY(m_w->findBar()->Message().contains(U("（3 文字目）")));
        QTest::keyClick(Field(*m_w), Qt::Key_Return);
        QTest::keyClick(Field(*m_w), Qt::Key_F3);
        QVERIFY(boxes.shown().empty());
        QCOMPARE(Selection(*m_w), QStringLiteral("a @0"));  // found while the text was "a"
        // Plain text again: the same characters are found as they stand.
        SetOptions(*m_w, false, false, false);
        QCOMPARE(m_w->findBar()->Message(), QString());
        QCOMPARE(Selection(*m_w), QStringLiteral("a( @0"));
    }

    // Enter and Shift+Enter in the field, F3 and Shift+F3 anywhere, the bar open or closed.
    void stepsThroughMatchesAndWraps() {
        m_w->textView()->setText(QStringLiteral("x1 x2 x3"));
        TypeSearch(*m_w, QStringLiteral("x"));
        QCOMPARE(Selection(*m_w), QStringLiteral("x @0"));
        QCOMPARE(m_w->findBar()->CountText(), U("1 / 3 件"));
        QTest::keyClick(Field(*m_w), Qt::Key_Return);
        QCOMPARE(Selection(*m_w), QStringLiteral("x @3"));
        QCOMPARE(m_w->findBar()->CountText(), U("2 / 3 件"));
        QTest::keyClick(Field(*m_w), Qt::Key_Enter);
        QCOMPARE(Selection(*m_w), QStringLiteral("x @6"));
        QCOMPARE(m_w->NoticeText(), QString());
        QTest::keyClick(Field(*m_w), Qt::Key_Return);
        QCOMPARE(Selection(*m_w), QStringLiteral("x @0"));
        QCOMPARE(m_w->NoticeText(), U("先頭から検索しました"));
        QTest::keyClick(Field(*m_w), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(Selection(*m_w), QStringLiteral("x @6"));
        QCOMPARE(m_w->NoticeText(), U("末尾から検索しました"));
        QTest::keyClick(Field(*m_w), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(Selection(*m_w), QStringLiteral("x @3"));
        QCOMPARE(m_w->NoticeText(), QString());

        // Escape closes the bar, gives the focus back and leaves the match selected.
        QTest::keyClick(Field(*m_w), Qt::Key_Escape);
        QVERIFY(!m_w->findBar()->isVisible());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->textView()));
        QCOMPARE(Selection(*m_w), QStringLiteral("x @3"));
        QVERIFY(m_w->finder()->MarkedRanges().empty());

        QTest::keyClick(m_w->textView(), Qt::Key_F3);
        QCOMPARE(Selection(*m_w), QStringLiteral("x @6"));
        QTest::keyClick(m_w->index()->headingList(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(Selection(*m_w), QStringLiteral("x @3"));
        QTest::keyClick(m_w->textView(), Qt::Key_F3);
        QTest::keyClick(m_w->textView(), Qt::Key_F3);
        QCOMPARE(Selection(*m_w), QStringLiteral("x @0"));
        QCOMPARE(m_w->NoticeText(), U("先頭から検索しました"));
        QVERIFY(!m_w->findBar()->isVisible());
        QCOMPARE(m_w->textView()->text(), QStringLiteral("x1 x2 x3"));
        // The message goes once the caret moves on.
        QTest::keyClick(m_w->textView(), Qt::Key_Right);
        QCOMPARE(m_w->NoticeText(), QString());
    }

    // ^, $ and . take CR LF, LF and CR alike for a line's end, counting and stepping back included.
    void regularExpressionsFollowEveryLineBreak() {
        m_w->textView()->setText(QStringLiteral("x1\r\nx2\rx3\nx4"));
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_F, Qt::ControlModifier);
        SetOptions(*m_w, false, false, true);
        Enter(Field(*m_w), QStringLiteral("\\d$"));
        QCOMPARE(Selection(*m_w), QStringLiteral("1 @1"));
        QCOMPARE(m_w->findBar()->CountText(), U("1 / 4 件"));
        QCOMPARE(m_w->finder()->MarkedRanges().size(), std::size_t(4));
        QStringList back;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(Field(*m_w), Qt::Key_Return, Qt::ShiftModifier);
            back << Selection(*m_w);
        }
        QCOMPARE(back, (QStringList{"4 @11", "3 @8", "2 @5", "1 @1"}));
        SetCaret(*m_w, 0);
        Field(*m_w)->setText(QStringLiteral("x.$"));
        QCOMPARE(Selection(*m_w), QStringLiteral("x1 @0"));
        QCOMPARE(m_w->findBar()->CountText(), U("1 / 4 件"));
    }

    void f3WithNothingToFindOpensTheBar() {
        m_w->textView()->setText(QStringLiteral("abc"));
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_F3);
        QVERIFY(m_w->findBar()->isVisible());
        QCOMPARE(Selection(*m_w), QStringLiteral("- @0"));
    }

    void countStopsAtItsCap() {
        QString text;
        for (int i = 0; i < 10050; ++i) text += QStringLiteral("ab\n");
        m_w->textView()->setText(text);
        TypeSearch(*m_w, QStringLiteral("b"));
        m_w->finder()->FinishCount();
        QCOMPARE(m_w->findBar()->CountText(), U("1 / 10000+ 件"));
        SetCaret(*m_w, 3 * 10020);
        QTest::keyClick(Field(*m_w), Qt::Key_Return);
        QCOMPARE(m_w->findBar()->CountText(), U("10000+ 件"));
    }

    // An edit marks its matches at once; the count goes stale and starts again once typing pauses.
    void editsAreCountedOnceTypingPauses() {
        m_w->textView()->setText(QStringLiteral("ab ab"));
        TypeSearch(*m_w, QStringLiteral("ab"));
        QCOMPARE(m_w->findBar()->CountText(), U("1 / 2 件"));
        SetCaret(*m_w, 5);
        m_w->textView()->setFocus();
        QTest::keyClicks(m_w->textView(), QStringLiteral(" ab"));
        QCoreApplication::processEvents();  // the view reports its edits once they are complete
        QCOMPARE(m_w->findBar()->CountText(), U("… 件"));
        QCOMPARE(m_w->finder()->MarkedRanges().size(), std::size_t(3));
        QTRY_COMPARE(m_w->findBar()->CountText(), U("3 件"));
        // Finishing the count at once starts it again first.
        QTest::keyClicks(m_w->textView(), QStringLiteral(" ab"));
        QCoreApplication::processEvents();
        QCOMPARE(m_w->findBar()->CountText(), U("… 件"));
        m_w->finder()->FinishCount();
        QCOMPARE(m_w->findBar()->CountText(), U("4 件"));
    }

    // A replacement that leaves the text as it was reports no change: the next edit is counted again.
    void replacingWithNoChangeKeepsCountingEdits() {
        const auto total = [this] {
            return m_w->findBar()->CountText().section(QLatin1Char('/'), -1).trimmed();
        };
        m_w->textView()->setText(QStringLiteral("a\nb"));
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_R, Qt::ControlModifier);
        SetOptions(*m_w, false, false, true);
        Enter(Field(*m_w), QStringLiteral("^"));
        QCOMPARE(m_w->findBar()->CountText(), U("1 / 2 件"));
        Button(*m_w, "すべて置換(&A)")->click();
        QCOMPARE(m_w->NoticeText(), U("2 件置換しました"));
        QCOMPARE(m_w->textView()->text(), QStringLiteral("a\nb"));
        SetCaret(*m_w, 3);
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_Return);
        QTest::keyClick(m_w->textView(), 'c');
        QTRY_COMPARE(total(), U("3 件"));
        SetCaret(*m_w, 0);
        Button(*m_w, "置換")->click();
        QCOMPARE(m_w->textView()->text(), QStringLiteral("a\nb\r\nc"));
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_Return);
        QTRY_COMPARE(total(), U("4 件"));
    }

    // Every match on screen is marked and none far from it: scrolled, with the window made taller, and
    // on a line too long to search whole.
    void matchesOnScreenAreMarked_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("then");
        QString lines;
        for (int i = 0; i < 3000; ++i) lines += QStringLiteral("word %1\n").arg(i);
        QTest::newRow("the first screen") << lines << "";
        QTest::newRow("scrolled far down") << lines << "scroll";
        QTest::newRow("the window made taller") << lines << "taller";
        QTest::newRow("a wrapped line too long to search whole")
            << (QStringLiteral("word") + QString(96, QLatin1Char(' '))).repeated(20000) << "wrap";
    }
    void matchesOnScreenAreMarked() {
        QFETCH(QString, text);
        QFETCH(QString, then);
        TextView* v = m_w->textView();
        m_w->SetWordWrap(then == QLatin1String("wrap"));
        v->setText(text);
        TypeSearch(*m_w, QStringLiteral("word"));
        QCoreApplication::processEvents();
        const long rows = v->SendScintilla(Sci::SCI_LINESONSCREEN);
        if (then == QLatin1String("scroll")) v->SendScintilla(Sci::SCI_SETFIRSTVISIBLELINE, 2500);
        if (then == QLatin1String("taller")) {
            m_w->resize(m_w->width(), m_w->height() + 200);
            QTRY_VERIFY(v->SendScintilla(Sci::SCI_LINESONSCREEN) > rows + 5);
        }
        QCoreApplication::processEvents();
        // On screen: from the top left corner to the bottom right one.
        const QSize size = v->viewport()->size();
        const long first = v->SendScintilla(Sci::SCI_POSITIONFROMPOINT, 0UL, 0L);
        const long last =
            v->SendScintilla(Sci::SCI_POSITIONFROMPOINT, static_cast<unsigned long>(size.width()),
                             static_cast<long>(size.height()));
        const auto lineOf = [v](long pos) { return v->SendScintilla(Sci::SCI_LINEFROMPOSITION, pos); };
        QSet<long> marked;
        for (const TextMatch& m : m_w->finder()->MarkedRanges()) {
            const long at = static_cast<long>(m.start);
            QCOMPARE(m.end - m.start, std::size_t(4));
            QVERIFY2(lineOf(at) >= lineOf(first) && lineOf(at) <= lineOf(last) + 2 && at >= first - 65536 &&
                         at <= last + 65536,
                     qPrintable(QStringLiteral("%1 off screen %2-%3").arg(at).arg(first).arg(last)));
            marked.insert(at);
        }
        int shown = 0;
        for (long at = text.indexOf(QLatin1String("word"), first); at >= 0 && at + 4 <= last;
             at = text.indexOf(QLatin1String("word"), at + 1), ++shown)
            QVERIFY2(marked.contains(at), qPrintable(QString::number(at)));
        QVERIFY(shown > 0);
    }

    // A long line scrolled sideways below a short one: the matches shown on it are marked, not those
    // at its start.
    void matchesOnALongLineScrolledSideways() {
        TextView* v = m_w->textView();
        m_w->SetWordWrap(false);
        const QString text = QStringLiteral("short\n") +
                             (QStringLiteral("word") + QString(16, QLatin1Char(' '))).repeated(100000) +
                             QStringLiteral("\nshort\n");
        v->setText(text);
        TypeSearch(*m_w, QStringLiteral("word"));
        v->SendScintilla(Sci::SCI_SETXOFFSET, 3000000);
        QCoreApplication::processEvents();
        const long y = v->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0UL, v->SendScintilla(Sci::SCI_POSITIONFROMLINE, 1));
        const long first = v->SendScintilla(Sci::SCI_POSITIONFROMPOINT, 0UL, y);
        const long last =
            v->SendScintilla(Sci::SCI_POSITIONFROMPOINT, static_cast<unsigned long>(v->viewport()->width()), y);
        QVERIFY(first > 300000);  // past the first 2,000 matches
        QSet<long> marked;
        for (const TextMatch& m : m_w->finder()->MarkedRanges()) marked.insert(static_cast<long>(m.start));
        int shown = 0;
        for (long at = text.indexOf(QLatin1String("word"), first); at >= 0 && at + 4 <= last;
             at = text.indexOf(QLatin1String("word"), at + 1), ++shown)
            QVERIFY2(marked.contains(at), qPrintable(QString::number(at)));
        QVERIFY(shown > 0);
    }

    void replaceReplacesTheCurrentMatchAndSelectsTheNext() {
        m_w->textView()->setText(U("見出し、見出し、見出し"));
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_R, Qt::ControlModifier);
        QVERIFY(m_w->findBar()->ReplaceShown());
        Enter(Field(*m_w), U("見出し"));
        QTest::keyClick(Field(*m_w), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->findBar()->ReplaceField()));
        Enter(m_w->findBar()->ReplaceField(), U("章"));
        // The caret moved off the match: the first press only finds.
        SetCaret(*m_w, 1);
        Button(*m_w, "置換")->click();
        QCOMPARE(Selection(*m_w), U("見出し @12"));
        QCOMPARE(m_w->textView()->text(), U("見出し、見出し、見出し"));
        Button(*m_w, "置換")->click();
        QCOMPARE(m_w->textView()->text(), U("見出し、章、見出し"));
        QCOMPARE(Selection(*m_w), U("見出し @18"));
        QTest::keyClick(m_w->findBar()->ReplaceField(), Qt::Key_Return);
        QCOMPARE(m_w->textView()->text(), U("見出し、章、章"));
        QCOMPARE(Selection(*m_w), U("見出し @0"));
        QCOMPARE(m_w->NoticeText(), U("先頭から検索しました"));
        // Each replacement is one step of undo.
        m_w->textView()->Undo();
        QCOMPARE(m_w->textView()->text(), U("見出し、章、見出し"));
    }

    void replaceAllIsOneUndoStep_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("regex");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("replaced");
        QTest::addColumn<QString>("notice");
        QTest::newRow("double-byte text") << "見出し x 見出し\n見出し"
                                          << "見出し" << false << "章"
                                          << "章 x 章\n章"
                                          << "3 件置換しました";
        QTest::newRow("groups") << "2024-05 1999-12"
                                << "(\\d+)-(\\d+)" << true << "\\2/$1"
                                << "05/2024 12/1999"
                                << "2 件置換しました";
        QTest::newRow("line starts") << "a\nb"
                                     << "^" << true << "> "
                                     << "> a\n> b"
                                     << "2 件置換しました";
        QTest::newRow("line ends before CR LF, LF and CR") << "a\r\nb\rc\nd"
                                                           << "$" << true << ";"
                                                           << "a;\r\nb;\rc;\nd;"
                                                           << "4 件置換しました";
        QTest::newRow("characters cp932 lacks stay as they are") << "abc"
                                                                 << "b" << false << "é€〜"
                                                                 << "aé€〜c"
                                                                 << "1 件置換しました";
        QTest::newRow("nothing found") << "abc"
                                       << "z" << false << "y"
                                       << "abc"
                                       << "見つかりません";
    }
    void replaceAllIsOneUndoStep() {
        QFETCH(QString, text);
        QFETCH(QString, search);
        QFETCH(bool, regex);
        QFETCH(QString, replacement);
        QFETCH(QString, replaced);
        QFETCH(QString, notice);
        MessageBoxRecorder boxes;
        m_w->textView()->setText(text);
        m_w->textView()->SendScintilla(Sci::SCI_EMPTYUNDOBUFFER);
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_R, Qt::ControlModifier);
        SetOptions(*m_w, false, false, regex);
        Enter(Field(*m_w), search);
        Enter(m_w->findBar()->ReplaceField(), replacement);
        // The button's mnemonic clicks it after a short press animation.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(m_w->NoticeText(), notice);
        QCOMPARE(m_w->textView()->text(), replaced);
        QCOMPARE(m_w->NoticeText(), notice);
        QVERIFY(boxes.shown().empty());
        if (replaced == text) return;
        m_w->textView()->setFocus();
        QTest::keyClick(m_w->textView(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_w->textView()->text(), text);
        QVERIFY(!m_w->textView()->CanUndo());
        QTest::keyClick(m_w->textView(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(m_w->textView()->text(), replaced);
    }

    // The fields keep their own editing keys; elsewhere the keys stay the window's commands.
    void fieldsKeepTheirEditingKeys() {
        QApplication::clipboard()->setText(QStringLiteral("pasted"));
        m_w->textView()->setText(QStringLiteral("text"));
        TypeSearch(*m_w, QStringLiteral("abc"));
        QWidget* field = QApplication::focusWidget();
        QVERIFY(m_w->findBar()->isAncestorOf(field));
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(Field(*m_w)->selectedText(), QStringLiteral("abc"));
        QVERIFY(!m_w->textView()->HasSelection());
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_w->findBar()->FindText(), QStringLiteral("pasted"));
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_w->findBar()->FindText(), QStringLiteral("abc"));
        QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(m_w->findBar()->FindText(), QStringLiteral("pasted"));
        QCOMPARE(m_w->textView()->text(), QStringLiteral("text"));
        QVERIFY(!m_w->textView()->CanRedo());
    }

    // Another document in the view: its own matches are counted and marked.
    void openingADocumentCountsAfresh() {
        m_w->textView()->setText(QStringLiteral("x x x"));
        m_w->document()->markSaved();
        TypeSearch(*m_w, QStringLiteral("x"));
        QCOMPARE(m_w->findBar()->CountText(), U("1 / 3 件"));
        m_w->document()->open(m_box->writeFile(QStringLiteral("b.txt"), "y x\r\nx\r\n"));
        QCOMPARE(m_w->findBar()->CountText(), U("2 件"));
        QCOMPARE(m_w->finder()->MarkedRanges().size(), std::size_t(2));
        QCOMPARE(m_w->finder()->MarkedRanges().front().start, std::size_t(2));
        m_w->document()->newDocument();
        QCOMPARE(m_w->findBar()->CountText(), U("0 件"));
        QVERIFY(m_w->finder()->MarkedRanges().empty());
    }

    void historyKeepsTenRecentSearches() {
        m_w->textView()->setText(QStringLiteral("a b c"));
        m_w->commands().runCommand(CommandId::Find);
        for (int i = 0; i < 12; ++i) {
            m_w->findBar()->SetFindText(QString::number(i % 11));
            QTest::keyClick(Field(*m_w), Qt::Key_Return);
        }
        const QStringList expected = {"0", "10", "9", "8", "7", "6", "5", "4", "3", "2"};
        QCOMPARE(m_w->findBar()->History(), expected);
        QCOMPARE(m_w->findBar()->FindField()->count(), 10);
        QCOMPARE(m_w->findBar()->FindField()->itemText(1), QStringLiteral("10"));
        // Choosing from the drop-down searches for that text.
        m_w->findBar()->SetFindText(QString());
        SetCaret(*m_w, 0);
        m_w->findBar()->FindField()->setCurrentIndex(-1);
        m_w->findBar()->SetHistory({"c", "b"});
        m_w->findBar()->FindField()->setCurrentIndex(1);
        QCOMPARE(Selection(*m_w), QStringLiteral("b @2"));
    }

    void goToLineMovesToTheStartOfADocumentLine_data() {
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("line");
        QTest::newRow("line 3") << false << "3" << true << 2;
        QTest::newRow("beyond the last line is refused") << false << "99" << true << 1;
        QTest::newRow("document lines under word wrap") << true << "4" << true << 3;
        QTest::newRow("cancel") << false << "3" << false << 1;
    }
    void goToLineMovesToTheStartOfADocumentLine() {
        QFETCH(bool, wrap);
        QFETCH(QString, typed);
        QFETCH(bool, accept);
        QFETCH(int, line);
        m_w->SetWordWrap(wrap);
        const QString longLine = QStringLiteral("word ").repeated(80);
        m_w->textView()->setText(QStringLiteral("one\n") + longLine + QStringLiteral("\nthree\nfour"));
        SetCaret(*m_w, 5);
        int preselected = 0;
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<GoToLineDialog*>(modal);
            QVERIFY(dialog);
            preselected = dialog->Line();
            QCOMPARE(dialog->LineField()->maximum(), 4);
            QTest::keyClicks(dialog->LineField(), typed);
            QTest::keyClick(dialog->LineField(), accept ? Qt::Key_Return : Qt::Key_Escape);
        });
        m_w->index()->headingList()->setFocus();
        QTest::keyClick(m_w->index()->headingList(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(preselected, 2);
        QCOMPARE(m_w->textView()->CaretLine(), line);
        if (accept) {
            QCOMPARE(m_w->textView()->CaretColumn(), 0);
            QCOMPARE(m_w->focusWidget(), static_cast<QWidget*>(m_w->textView()));
        }
    }

    void coloursAreChosenAndCancelChangesNothing() {
        QColor offered;
        QColor answer(0x10, 0x20, 0x30);
        m_w->windowCommands().setColourChooser([&](const QColor& initial) {
            offered = initial;
            return answer;
        });
        const QColor paper = m_w->textView()->BackColor();
        QVERIFY(m_w->commands().runCommand(CommandId::BackColour));
        QCOMPARE(offered, paper);
        QCOMPARE(m_w->textView()->BackColor(), answer);
        QCOMPARE(m_w->BackColor, QStringLiteral("#102030"));
        // What is drawn: a spot right of the (empty) text.
        const QImage shot = m_w->textView()->viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(shot.width() - 5, shot.height() - 5), answer);

        answer = QColor();
        QVERIFY(m_w->commands().runCommand(CommandId::BackColour));
        QCOMPARE(m_w->textView()->BackColor(), QColor(0x10, 0x20, 0x30));
        QVERIFY(m_w->commands().runCommand(CommandId::TextColour));
        QCOMPARE(m_w->TextColor, QString());
        answer = QColor(0xAB, 0xCD, 0xEF);
        QVERIFY(m_w->commands().runCommand(CommandId::TextColour));
        QCOMPARE(m_w->textView()->TextColor(), answer);
        QCOMPARE(m_w->TextColor, QStringLiteral("#ABCDEF"));
    }

    // A dark desktop theme: colours nobody chose follow it, and what the find bar and the list draw over
    // it stays readable; a colour the user chose stays.
    void darkPaletteKeepsTextReadable() {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
        dark.setColor(QPalette::Text, Qt::white);
        const struct Restore {
            QPalette p;
            ~Restore() { QApplication::setPalette(p); }
        } restore{light};
        QApplication::setPalette(dark);
        QCoreApplication::processEvents();
        TextView* view = m_w->textView();
        QCOMPARE(view->BackColor(), dark.color(QPalette::Base));
        QCOMPARE(view->TextColor(), dark.color(QPalette::Text));

        FindBar* bar = m_w->findBar();
        m_w->finder()->Open(false);
        bar->SetNotFound(true);
        bar->SetMessage(QStringLiteral("x"));
        const QPalette field = Field(*m_w)->palette();
        QVERIFY(Contrast(field.color(QPalette::Base), field.color(QPalette::Text)) >= 4.5);
        const auto* message = bar->findChild<QLabel*>(QStringLiteral("FindMessage"));
        QVERIFY(Contrast(message->palette().color(QPalette::WindowText), bar->palette().color(QPalette::Window)) >=
                4.5);
        // The list's filter matches: black on yellow, whatever the theme.
        QVERIFY(Contrast(QColor(255, 214, 10), Qt::black) >= 4.5);

        // Back to light: the view follows again. A chosen background then stays through a change, and the
        // text keeps the colour it was chosen against.
        QApplication::setPalette(light);
        QCoreApplication::processEvents();
        QCOMPARE(view->BackColor(), light.color(QPalette::Base));
        QVERIFY(Contrast(message->palette().color(QPalette::WindowText), bar->palette().color(QPalette::Window)) >=
                4.5);
        m_w->windowCommands().setColourChooser([](const QColor&) { return QColor(0xFF, 0xFF, 0xE0); });
        QVERIFY(m_w->commands().runCommand(CommandId::BackColour));
        QApplication::setPalette(dark);
        QCoreApplication::processEvents();
        QCOMPARE(view->BackColor(), QColor(0xFF, 0xFF, 0xE0));
        QCOMPARE(view->TextColor(), light.color(QPalette::Text));
    }

private:
    // The contrast ratio of two colours, as the web's accessibility guidelines reckon it.
    static double Contrast(const QColor& a, const QColor& b) {
        const auto luminance = [](const QColor& c) {
            const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
        };
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    }

    std::unique_ptr<Sandbox> m_box;
    std::unique_ptr<MainWindow> m_w;
};

QTEST_MAIN(FindTest)
#include "tst_find.moc"
