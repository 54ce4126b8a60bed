// Finding a heading by typing in the filter field above the list box, and heading levels shown as
// indentation in the index views.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

#include "index/IndexModel.h"
#include "view/TextView.h"
#include "helpers/TestSupport.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

constexpr int kGap = 30;  // body lines after each heading, so every jump scrolls

// Headings with their marks: the default marks make "//@" level 1, "--" level 2 and "■" level 3.
const char* const kHeadings[] = {"■Alpha one",       "--Beta two", "//@alpha three",
                                 "■ＡＬＰＨＡ four", "--Gamma",    "//@Delta alpha"};
constexpr int kEntries = 6;

int headingLine(int entry) { return 1 + entry * (kGap + 1); }

// "text#entry" for every row a view shows.
QStringList rowsOf(const QAbstractItemModel* model) {
    QStringList out;
    for (int i = 0; i < model->rowCount(); ++i) {
        const QModelIndex index = model->index(i, 0);
        out << index.data(Qt::DisplayRole).toString() + QLatin1Char('#') +
                   QString::number(index.data(IndexModel::EntryNumberRole).toInt());
    }
    return out;
}

// Start and length of each run of row `row` that the filter matched.
QList<int> runsOf(const QAbstractItemModel* model, int row) {
    return model->index(row, 0).data(IndexModel::MatchRangesRole).value<QList<int>>();
}

QStringList allRows() {
    QStringList out;
    for (int i = 0; i < kEntries; ++i)
        out << U(kHeadings[i]).remove(QRegularExpression(QStringLiteral("^(//@|--|■)"))) + QLatin1Char('#') +
                   QString::number(i);
    return out;
}

// Types as a keyboard would, characters beyond ASCII included.
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x80)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

int selectedRow(const MainWindow& w) {
    const QModelIndexList selected = w.index()->headingList()->selectionModel()->selectedIndexes();
    return selected.size() == 1 ? selected.first().row() : -1;
}

}  // namespace

class IndexFilterTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }
    void init();
    void cleanup() { m_w.reset(); }

    void typingFiltersTheList_data();
    void typingFiltersTheList();
    void matchedWordsAreHighlighted();
    void enterJumpsToTheFirstShownHeading();
    void downMovesIntoTheList();
    void escapeEmptiesTheFieldAndGoesBack();
    void caretTrackingSelectsShownHeadingsOnly();
    void rebuildKeepsTheFilter();
    void commandKeyShowsAHiddenList();
    void fieldKeepsItsEditingKeys();

    void levelsIndentTheViews();
    void levelsCommandAndSetting();

private:
    void load();
    // The caret stands at the start of the heading's line, and that line is at the top of the view.
    void verifyAtHeading(int entry);

    Sandbox m_box;
    std::unique_ptr<MainWindow> m_w;
};

void IndexFilterTest::init() {
    m_w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    load();
}

void IndexFilterTest::load() {
    std::string bytes = "preface\r\n";
    for (const char* heading : kHeadings) {
        bytes += Sjis(heading) + "\r\n";
        for (int j = 0; j < kGap; ++j) bytes += "body\r\n";
    }
    m_w->textView()->LoadFromFile(m_box.writeFile(QStringLiteral("doc.txt"), bytes));
    m_w->index()->rebuild();
}

void IndexFilterTest::verifyAtHeading(int entry) {
    QCOMPARE(m_w->index()->currentEntry(), entry);
    QCOMPARE(m_w->textView()->SelStart(), m_w->textView()->LineIndex(headingLine(entry)));
    QCOMPARE(m_w->textView()->FirstVisibleLine(), headingLine(entry));
}

void IndexFilterTest::typingFiltersTheList_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("one word, case folded")
        << U("ALPHA") << QStringList{U("Alpha one#0"), U("alpha three#2"), U("Delta alpha#5")};
    QTest::newRow("every word") << U("alpha t") << QStringList{U("alpha three#2"), U("Delta alpha#5")};
    QTest::newRow("words in any order") << U("two beta") << QStringList{U("Beta two#1")};
    QTest::newRow("full-width space separates") << U("alpha　three") << QStringList{U("alpha three#2")};
    QTest::newRow("full-width letters folded, width kept")
        << U("ａｌｐｈａ") << QStringList{U("ＡＬＰＨＡ four#3")};
    QTest::newRow("nothing matches") << U("zeta") << QStringList{};
    QTest::newRow("a character no heading can hold") << U("alpha é") << QStringList{};
    QTest::newRow("blanks only") << U("  ") << allRows();
}

void IndexFilterTest::typingFiltersTheList() {
    QFETCH(QString, typed);
    QFETCH(QStringList, rows);
    QTest::keyClick(m_w->textView(), Qt::Key_J, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->filterField()));
    QCOMPARE(m_w->index()->filterField()->placeholderText(), U("見出しを絞り込む"));
    typeText(m_w->index()->filterField(), typed);
    QCOMPARE(m_w->index()->filterField()->text(), typed);
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), rows);
    // The drop-down and the Index menu stay whole.
    QCOMPARE(rowsOf(m_w->index()->headingCombo()->model()), allRows());
    QCOMPARE(m_w->index()->indexMenu()->actions().size(), IndexMenu::kHead + kEntries);
    // Rows carry their entry's line.
    for (int i = 0; i < m_w->index()->headingList()->model()->rowCount(); ++i) {
        const QModelIndex index = m_w->index()->headingList()->model()->index(i, 0);
        QCOMPARE(index.data(Qt::UserRole).toInt(),
                 headingLine(index.data(IndexModel::EntryNumberRole).toInt()));
    }
    // Emptied, the list is whole again with the drop-down's selection.
    m_w->index()->filterField()->clear();
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), allRows());
    QCOMPARE(selectedRow(*m_w), m_w->index()->currentEntry());
}

void IndexFilterTest::matchedWordsAreHighlighted() {
    ChangeIndexOptions(*m_w, [](IndexOptions& o) { o.headingLevels = true; });
    QTest::keyClicks(m_w->index()->filterField(), U("ha del"));
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), QStringList{U("Delta alpha#5")});
    const QModelIndex row = m_w->index()->headingList()->model()->index(0, 0);
    // Plain text for assistive technology; the runs are "Del" and "ha" of "alpha", at level 1.
    QCOMPARE(row.data(Qt::AccessibleTextRole).toString(), U("Delta alpha"));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(m_w->index()->headingList());
    QVERIFY(list && list->childCount() == 1);
    QCOMPARE(list->child(0)->text(QAccessible::Name), U("Delta alpha"));
    QCOMPARE(QAccessible::queryAccessibleInterface(m_w->index()->filterField())->text(QAccessible::Name),
             U("見出しを絞り込む"));
    QCOMPARE(row.data(IndexModel::MatchRangesRole).value<QList<int>>(), (QList<int>{0, 3, 9, 2}));
    m_w->index()->filterField()->setText(U("one"));
    // "Alpha one" stands at level 3: two full-width spaces before it.
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), QStringList{U("　　Alpha one#0")});
    QCOMPARE(runsOf(m_w->index()->headingList()->model(), 0), (QList<int>{8, 3}));
    // The run is drawn in the highlight colour; without a filter nothing is.
    const auto highlighted = [this] {
        QCoreApplication::processEvents();
        const QImage image = m_w->index()->headingList()->viewport()->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == QColor(255, 214, 10);
        return count;
    };
    QVERIFY(highlighted() > 20);
    m_w->index()->filterField()->clear();
    QCOMPARE(highlighted(), 0);

    // In a UTF-8 document the runs fall on the heading as written: the emoji takes two UTF-16 units
    // where the text cp932 can hold has one '?'.
    const std::string doc = "--\xf0\x9f\x8e\x89 party Caf\xc3\xa9\n--\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4\n";
    m_w->textView()->LoadFromFile(m_box.writeFile(QStringLiteral("utf8.txt"), doc), Encoding::Utf8);
    m_w->index()->rebuild();
    m_w->index()->filterField()->setText(U("party caf"));
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), QStringList{U("　🎉 party Café#0")});
    QCOMPARE(runsOf(m_w->index()->headingList()->model(), 0), (QList<int>{4, 5, 10, 3}));
    QCOMPARE(rowsOf(m_w->index()->headingCombo()->model()),
             (QStringList{U("　🎉 party Café#0"), U("　한국어#1")}));
    QVERIFY(highlighted() > 20);
    // Characters cp932 lacks match themselves, never the '?' that stands for them in cp932.
    const auto runsOfRow = [this](int row) { return runsOf(m_w->index()->headingList()->model(), row); };
    m_w->index()->filterField()->setText(U("국"));
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), QStringList{U("　한국어#1")});
    QCOMPARE(runsOfRow(0), (QList<int>{2, 1}));
    m_w->index()->filterField()->setText(U("é 🎉"));
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), QStringList{U("　🎉 party Café#0")});
    QCOMPARE(runsOfRow(0), (QList<int>{1, 2, 13, 1}));
    m_w->index()->filterField()->setText(U("?"));
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), QStringList{});
}

void IndexFilterTest::enterJumpsToTheFirstShownHeading() {
    m_w->index()->filterField()->setFocus();
    QTest::keyClicks(m_w->index()->filterField(), U("alpha"));
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_Return);
    verifyAtHeading(0);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->headingList()));
    QCOMPARE(selectedRow(*m_w), 0);
    QCOMPARE(m_w->StatusText(), QStringLiteral("%1行: 1列").arg(headingLine(0) + 1));
    // Down in the list: the next heading shown, not the next in the document.
    QTest::keyClick(m_w->index()->headingList(), Qt::Key_Down);
    verifyAtHeading(2);
    QCOMPARE(selectedRow(*m_w), 1);
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 2);

    // The first shown heading is chosen again even when it is the one selected.
    m_w->textView()->setFocus();
    m_w->textView()->SetSelStart(m_w->textView()->LineIndex(headingLine(5) + 4));
    m_w->index()->filterField()->setFocus();
    QTest::keyClicks(m_w->index()->filterField(), U(" del"));
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), QStringList{U("Delta alpha#5")});
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_Enter, Qt::KeypadModifier);
    verifyAtHeading(5);

    // With nothing shown Enter does nothing.
    m_w->index()->filterField()->setFocus();
    QTest::keyClicks(m_w->index()->filterField(), U("zzz"));
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->filterField()));
    verifyAtHeading(5);
}

void IndexFilterTest::downMovesIntoTheList() {
    m_w->index()->filterField()->setFocus();
    QTest::keyClicks(m_w->index()->filterField(), U("two"));  // the first heading, selected, is not shown
    QCOMPARE(selectedRow(*m_w), -1);
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->headingList()));
    verifyAtHeading(1);
    QCOMPARE(selectedRow(*m_w), 0);

    // A heading shown and selected already stays so, and the caret stays where it is.
    m_w->textView()->setFocus();
    m_w->textView()->SetSelStart(m_w->textView()->LineIndex(headingLine(1) + 3));
    QTest::keyClick(m_w->textView(), Qt::Key_Right);
    const int caret = m_w->textView()->SelStart();
    m_w->index()->filterField()->setFocus();
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->headingList()));
    QCOMPARE(m_w->textView()->SelStart(), caret);
    QCOMPARE(selectedRow(*m_w), 0);
}

void IndexFilterTest::escapeEmptiesTheFieldAndGoesBack() {
    for (QWidget* from :
         {static_cast<QWidget*>(m_w->textView()), static_cast<QWidget*>(m_w->index()->headingList()),
          static_cast<QWidget*>(m_w->index()->headingCombo())}) {
        from->setFocus();
        QTest::keyClick(from, Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->filterField()));
        QTest::keyClicks(m_w->index()->filterField(), U("gamma"));
        QCOMPARE(m_w->index()->headingList()->model()->rowCount(), 1);
        QTest::keyClick(m_w->index()->filterField(), Qt::Key_Escape);
        QCOMPARE(m_w->index()->filterField()->text(), QString());
        QCOMPARE(rowsOf(m_w->index()->headingList()->model()), allRows());
        QCOMPARE(QApplication::focusWidget(), from);
        QCOMPARE(selectedRow(*m_w), m_w->index()->currentEntry());
    }
    // Ctrl+J on a filled field selects its text, so typing replaces it.
    m_w->index()->filterField()->setText(U("beta"));
    QTest::keyClick(m_w->textView(), Qt::Key_J, Qt::ControlModifier);
    QTest::keyClicks(m_w->index()->filterField(), U("delta"));
    QCOMPARE(m_w->index()->filterField()->text(), U("delta"));
}

void IndexFilterTest::caretTrackingSelectsShownHeadingsOnly() {
    m_w->index()->filterField()->setText(U("alpha"));  // entries 0, 2, 3 (full-width: no), 5
    m_w->textView()->setFocus();
    const auto caretTo = [this](int line) {
        m_w->textView()->SetSelStart(m_w->textView()->LineIndex(line) + 1);
        QTest::keyClick(m_w->textView(), Qt::Key_Right);
    };
    caretTo(headingLine(2) + 5);
    QCOMPARE(m_w->index()->currentEntry(), 2);
    QCOMPARE(selectedRow(*m_w), 1);
    caretTo(headingLine(1) + 5);  // Beta: not shown
    QCOMPARE(m_w->index()->currentEntry(), 1);
    QCOMPARE(m_w->index()->headingCombo()->currentIndex(), 1);
    QCOMPARE(selectedRow(*m_w), -1);
    caretTo(headingLine(5));
    QCOMPARE(selectedRow(*m_w), 2);
    // The step keys walk the whole index.
    QTest::keyClick(m_w->textView(), Qt::Key_Up, Qt::AltModifier);
    verifyAtHeading(4);
    QCOMPARE(selectedRow(*m_w), -1);
}

void IndexFilterTest::rebuildKeepsTheFilter() {
    m_w->index()->filterField()->setText(U("gamma"));
    m_w->textView()->setFocus();
    m_w->textView()->SetSelStart(0);
    QTest::keyClicks(m_w->textView(), U("--gamma ray"));
    QTest::keyClick(m_w->textView(), Qt::Key_Return);
    m_w->index()->reindexAfterEdits();
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), (QStringList{U("gamma ray#0"), U("Gamma#5")}));
    QCOMPARE(m_w->index()->headingCombo()->model()->rowCount(), kEntries + 1);
    QCOMPARE(m_w->index()->headingList()->model()->index(1, 0).data(Qt::UserRole).toInt(),
             headingLine(4) + 1);
    // Caret tracking after the rebuild: the new heading owns the caret and is shown.
    QCOMPARE(m_w->index()->currentEntry(), 0);
    QCOMPARE(selectedRow(*m_w), 0);
}

void IndexFilterTest::commandKeyShowsAHiddenList() {
    m_w->SetListViewVisible(false);
    QCoreApplication::processEvents();
    QVERIFY(!m_w->index()->filterField()->isVisible());
    QVERIFY(m_w->index()->headingList()->width() <= 1);
    m_w->textView()->setFocus();
    QTest::keyClick(m_w->textView(), Qt::Key_J, Qt::ControlModifier);
    QVERIFY(m_w->GetListViewVisible());
    QVERIFY(m_w->index()->filterField()->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_w->index()->filterField()));
    // The field sits above the list, as wide as it.
    QCOMPARE(m_w->index()->filterField()->width(), m_w->index()->headingList()->width());
    QVERIFY(m_w->index()->filterField()->geometry().bottom() < m_w->index()->headingList()->geometry().top());
}

// Copy, paste and undo in the field work on the field: the text view and its undo stay untouched.
void IndexFilterTest::fieldKeepsItsEditingKeys() {
    const QString text = m_w->textView()->text();
    QApplication::clipboard()->setText(U("beta"));
    m_w->index()->filterField()->setFocus();
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_w->index()->filterField()->text(), U("beta"));
    QTest::keyClicks(m_w->index()->filterField(), U(" two"));
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), U("beta two"));
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(m_w->index()->filterField()->text(), QString());
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_w->index()->filterField()->text(), U("beta two"));
    QCOMPARE(m_w->textView()->text(), text);
    QVERIFY(!m_w->textView()->CanUndo());
    // The window's other keys still work from the field.
    const int rebuilds = m_w->index()->rebuildCount();
    QTest::keyClick(m_w->index()->filterField(), Qt::Key_F5);
    QCOMPARE(m_w->index()->rebuildCount(), rebuilds + 1);
}

void IndexFilterTest::levelsIndentTheViews() {
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), allRows());  // off: as the marks left them
    ChangeIndexOptions(*m_w, [](IndexOptions& o) { o.headingLevels = true; });
    const QStringList indented{U("　　Alpha one#0"),       U("　Beta two#1"), U("alpha three#2"),
                               U("　　ＡＬＰＨＡ four#3"), U("　Gamma#4"),    U("Delta alpha#5")};
    QCOMPARE(rowsOf(m_w->index()->headingList()->model()), indented);
    QCOMPARE(rowsOf(m_w->index()->headingCombo()->model()), indented);
    // The Index menu follows; the indentation takes no access key.
    QStringList captions;
    for (QAction* a : m_w->index()->indexMenu()->actions().mid(IndexMenu::kHead)) captions << a->text();
    QCOMPARE(captions, (QStringList{U("　　&Alpha one"), U("　&Beta two"), U("a&lpha three"),
                                    U("　　ＡＬＰＨＡ &four"), U("　&Gamma"), U("&Delta alpha")}));
    // The list's scroll range takes the indentation in.
    const int indentedWidth =
        m_w->index()->headingList()->model()->index(0, 0).data(Qt::SizeHintRole).toSize().width();
    ChangeIndexOptions(*m_w, [](IndexOptions& o) { o.headingLevels = false; });
    QCOMPARE(rowsOf(m_w->index()->headingCombo()->model()), allRows());
    QVERIFY(m_w->index()->headingList()->model()->index(0, 0).data(Qt::SizeHintRole).toSize().width() <
            indentedWidth);
}

void IndexFilterTest::levelsCommandAndSetting() {
    QAction* item = m_w->commands().action(CommandId::HeadingLevels);
    MessageBoxRecorder boxes;
    boxes.answer(Answer::No);  // the document loaded is not saved
    QVERIFY(item->isCheckable());
    QVERIFY(m_w->commands().runCommand(CommandId::HeadingLevels));
    QVERIFY(m_w->index()->options().headingLevels);
    m_w->commands().updateCommands();
    QVERIFY(item->isChecked());
    QCOMPARE(m_w->index()->headingList()->model()->index(1, 0).data().toString(), U("　Beta two"));
    QVERIFY(m_w->close());
    QVERIFY(m_box.readFile(QStringLiteral("oruvan.ini"))
                .find("CaptionIncludingTitleMark=0\r\nHeadingLevels=1\r\n") != std::string::npos);
    // Read back at the next start, and written as 0 once switched off again.
    m_w = m_box.makeWindow();
    QVERIFY(m_w->index()->options().headingLevels);
    QVERIFY(m_w->commands().runCommand(CommandId::HeadingLevels));
    QVERIFY(m_w->close());
    QVERIFY(m_box.readFile(QStringLiteral("oruvan.ini")).find("HeadingLevels=0\r\n") != std::string::npos);
}

QTEST_MAIN(IndexFilterTest)
#include "tst_indexfilter.moc"
