#include "index/IndexController.h"

#include <QComboBox>
#include <QListView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "index/HeadingFilterField.h"
#include "index/HeadingList.h"
#include "index/IndexFollower.h"
#include "index/IndexMenu.h"
#include "index/IndexModel.h"
#include "index/SectionCounter.h"
#include "index/SectionFolds.h"
#include "outline/Sections.h"
#include "platform/Cp932.h"
#include "outline/HeadingScanner.h"
#include "view/TextCopies.h"
#include "view/TextView.h"
#include "widgets/MessageBoxes.h"

namespace oruvan {

IndexController::IndexController(TextView* view, TextCopies* copies, QWidget* window)
    : QObject(window), m_view(view), m_copies(copies), m_window(window) {
    m_follower = new IndexFollower(view);  // before any edit, so every one is seen
    m_counter = new SectionCounter(view);
    m_folds = new SectionFolds(view);

    m_combo = new QComboBox(window);
    m_combo->setObjectName(QStringLiteral("headingCombo"));
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_combo->setMinimumContentsLength(1);
    m_combo->setMaxVisibleItems(16);
    m_comboModel = new IndexModel(m_combo);
    m_combo->setModel(m_comboModel);
    if (auto* popup = qobject_cast<QListView*>(m_combo->view())) popup->setUniformItemSizes(true);

    m_listPanel = new QWidget(window);
    m_listPanel->setObjectName(QStringLiteral("listPanel"));
    auto* column = new QVBoxLayout(m_listPanel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    // The bar alone limits the pane: with the list view off it is one pixel wide, field or not.
    column->setSizeConstraint(QLayout::SetNoConstraint);
    m_list = new HeadingList(m_listPanel);
    m_filter = new HeadingFilterField(m_list, view, m_listPanel);
    column->addWidget(m_filter);
    column->addWidget(m_list);
    m_list->headings()->setToolTipNote([this](int n) { return SectionCountText(sectionCount(n)); });

    m_menu = new IndexMenu(m_comboModel, window);

    m_reindexTimer = new QTimer(this);
    m_reindexTimer->setObjectName(QStringLiteral("reindexTimer"));
    m_reindexTimer->setSingleShot(true);
    m_reindexTimer->setInterval(1000);

    connect(m_reindexTimer, &QTimer::timeout, this, [this] { report([this] { reindexAfterEdits(); }); });
    connect(m_combo, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { report([this] { chooseFromCombo(); }); });
    connect(m_list, &HeadingList::chosen, this, [this] { report([this] { chooseFromList(); }); });
    connect(m_filter, &HeadingFilterField::filtered, this, [this] { selectEntry(currentEntry()); });
    connect(m_filter, &HeadingFilterField::rowChosen, this, &IndexController::chooseRow);
    connect(m_menu, &IndexMenu::entryChosen, this, &IndexController::chooseFromMenu);
    connect(view, &TextView::changed, this, [this] { report([this] { onTextChanged(); }); });
    connect(m_folds, &SectionFolds::markerClicked, this,
            [this](int line) { report([this, line] { onMarkerClicked(line); }); });
    // Whatever put the caret into a folded section (a find, go to line, undo) unfolds what hides it.
    connect(view, &TextView::caretUpdated, this, [this] {
        if (m_folds->hiddenLines().empty()) return;
        QTimer::singleShot(0, this, [this] {
            report([this] {
                const int line = m_view->CaretLine();
                if (m_view->LineShown(line)) return;
                catchUp();
                if (m_folds->reveal(line)) m_view->ScrollToCaret();
            });
        });
    });
}

void IndexController::report(const std::function<void()>& handler) const { ReportErrors(m_window, handler); }

void IndexController::setOptions(IndexOptions options) {
    // Folding switched alone leaves the index as it is.
    IndexOptions unfolded = options;
    unfolded.foldSections = m_options.foldSections;
    const bool sameIndex =
        m_rebuildCount > 0 && options.foldSections != m_options.foldSections && unfolded == m_options;
    m_options = std::move(options);
    m_combo->setMaxVisibleItems(std::max(1, m_options.dropDownCount));
    m_folds->setEnabled(m_options.foldSections);
    if (!sameIndex) rebuild();
}

void IndexController::rebuild() {
    // Text being composed is no text yet; its commit is an edit, indexed a second later.
    const TextView::ComposingAside aside(m_view);
    rebuildNow();
}

void IndexController::rebuildNow() {
    ++m_rebuildCount;
    fillViews();
    m_list->fitWidth(m_options.headingLevels);
    m_menu->rebuild(m_options.nextPageOnTop, m_options.headingLevels);
}

void IndexController::fillViews() {
    // Rows going and coming move the list's current row: no choice of the user's, so no jump.
    const auto quiet = m_list->quietly();
    const HeadingRules rules = m_options.rules();
    // After edits the index follows them: the touched lines are rescanned, the others moved, with the
    // result a whole scan gives. Other rebuilds start from scratch.
    std::optional<std::vector<IndexSplice>> splices;
    if (m_followEdits) splices = m_follower->update(m_comboModel->entries(), rules);
    if (splices) {
        m_list->applySplices(*splices);
        m_comboModel->applySplices(*splices);
        m_folds->indexSpliced(*splices, m_comboModel->entries(), m_options.headingLevels);
        revealCaret();
        selectEntry(0);
        m_copies->dropIndexed();
        m_follower->indexed(rules);
        return;
    }
    // Lines kept with their own cp932 bytes are tested on them, as the file holds them. Taken before the
    // buffer: reading a line may move the buffer's gap.
    const LineBytesList own = m_view->HeadingOwnBytes();
    const std::string_view text = m_view->Utf8Buffer();
    Index entries = ScanHeadingsUtf8(text, rules, own);
    m_comboModel->setShowLevels(m_options.headingLevels);
    m_list->headings()->setShowLevels(m_options.headingLevels);
    m_list->setEntries({});
    m_comboModel->setEntries(std::move(entries));
    m_list->setEntries(m_comboModel->entries());
    m_folds->indexRebuilt(m_comboModel->entries(), m_options.headingLevels);
    revealCaret();
    selectEntry(0);
    // The saved text is usually the same bytes: share one copy rather than hold two.
    m_copies->setIndexed(text);
    m_follower->indexed(rules);
}

int IndexController::entryCount() const { return m_comboModel->rowCount(); }

int IndexController::currentEntry() const { return m_combo->currentIndex(); }

void IndexController::selectEntry(int n) {
    m_combo->setCurrentIndex(n < 0 || n >= entryCount() ? -1 : n);
    m_list->showEntry(n);
}

int IndexController::entryLine(int n) const {
    const Index& entries = m_comboModel->entries();
    if (entries.empty()) return 0;
    n = std::clamp(n, 0, static_cast<int>(entries.size()) - 1);
    return entries[static_cast<std::size_t>(n)].line;
}

void IndexController::jumpTo(int n) {
    if (n < 0) n = currentEntry();
    const int line = entryLine(n);
    m_folds->reveal(line);
    m_view->SetCaretToLineStart(line);
    m_view->ScrollLineToTop(line);
    emit jumped();
}

void IndexController::stepPrevious() {
    m_combo->setCurrentIndex(currentEntry() - 1);
    jumpTo();
}

void IndexController::stepNext() {
    m_combo->setCurrentIndex(std::min(currentEntry() + 1, entryCount() - 1));
    jumpTo();
}

void IndexController::followCaret(int line) {
    const Index& entries = m_comboModel->entries();
    auto after = std::upper_bound(entries.begin(), entries.end(), line,
                                  [](int l, const IndexEntry& e) { return l < e.line; });
    const int b = static_cast<int>(after - entries.begin()) - 1;
    if (b >= 0) selectEntry(b);
}

TextCount IndexController::sectionCount(int n) {
    const Index& entries = m_comboModel->entries();
    if (n < 0 || n >= static_cast<int>(entries.size())) return {};
    return *sectionCountAt(entries[static_cast<std::size_t>(n)].line);
}

std::optional<TextCount> IndexController::sectionCountAt(int line, double budgetMs, bool* unfinished) {
    const Index& entries = m_comboModel->entries();
    const std::optional<std::size_t> i = SectionAt(entries, line);
    if (!i) return std::nullopt;
    const int end = SectionEndLine(entries, *i, m_options.headingLevels, m_view->LineCount());
    std::optional<TextCount> count = m_counter->lines(entries[*i].line, end, budgetMs);
    if (!count && unfinished) *unfinished = true;
    return count;
}

TextCount IndexController::documentCount() { return *m_counter->lines(0, m_view->LineCount()); }

std::optional<std::int64_t> IndexController::selectionCount(double budgetMs, bool* unfinished) {
    return m_counter->selection(budgetMs, unfinished);
}

void IndexController::catchUp() {
    if (m_reindexTimer->isActive()) reindexAfterEdits();
}

bool IndexController::canMoveSection(int step) {
    const Index& entries = m_comboModel->entries();
    const std::optional<std::size_t> i = SectionAt(entries, m_view->CaretLine());
    if (!i) return false;
    const bool levels = m_options.headingLevels;
    const int lines = m_view->LineCount();
    return (step < 0 ? SectionSwapUp(entries, *i, levels, lines) : SectionSwapDown(entries, *i, levels, lines))
        .has_value();
}

void IndexController::moveSection(int step) {
    // The text being composed is committed first and indexed with the rest.
    m_view->EndComposition();
    catchUp();
    if (!canMoveSection(step)) return;
    const Index& entries = m_comboModel->entries();
    const std::size_t i = *SectionAt(entries, m_view->CaretLine());
    const bool levels = m_options.headingLevels;
    const int lines = m_view->LineCount();
    const LineSwap swap =
        *(step < 0 ? SectionSwapUp(entries, i, levels, lines) : SectionSwapDown(entries, i, levels, lines));
    const long firstStart = m_view->Utf8LineStart(swap.first);
    const long movedDown = m_view->SwapLineRuns(swap.first, swap.middle, swap.end);
    // The caret on the moved heading, where it now stands.
    m_view->SetCaretUtf8(step < 0 ? firstStart : movedDown);
    m_view->ScrollToCaret();
    reindexAfterEdits();
}

bool IndexController::canShiftSection(int step) {
    const std::optional<std::size_t> i = SectionAt(m_comboModel->entries(), m_view->CaretLine());
    return i && CanShiftSection(m_comboModel->entries(), *i, m_options.headingLevels, m_options.titleMarks, step);
}

void IndexController::shiftSection(int step) {
    m_view->EndComposition();
    catchUp();
    if (!canShiftSection(step)) return;
    const Index& entries = m_comboModel->entries();
    const std::size_t i = *SectionAt(entries, m_view->CaretLine());
    const std::size_t end = SectionEnd(entries, i, m_options.headingLevels);
    HeadingRules withMark = m_options.rules(), withoutMark = withMark;
    withMark.captionIncludingTitleMark = true;
    withoutMark.captionIncludingTitleMark = false;
    std::vector<TextView::Replacement> marks;
    for (std::size_t j = i; j < end; ++j) {
        const int line = entries[j].line;
        const std::string text = m_view->LineAt(line);
        const auto from = TitleTextSpan(text, withMark), to = TitleTextSpan(text, withoutMark);
        if (!from || !to) continue;  // read as a heading on its own bytes alone: left as it is
        const long lineStart = m_view->LineIndex(line);
        marks.push_back({m_view->Utf8PositionOf(lineStart + static_cast<long>(from->first)),
                         m_view->Utf8PositionOf(lineStart + static_cast<long>(to->first)),
                         Cp932ToUtf8(*MarkOfLevel(m_options.titleMarks, entries[j].level + step))});
    }
    m_view->ReplaceRanges(marks);
    m_view->SetCaretUtf8(m_view->Utf8LineStart(entries[i].line));
    reindexAfterEdits();
}

bool IndexController::caretInSection() {
    return m_folds->enabled() && SectionAt(m_comboModel->entries(), m_view->CaretLine()).has_value();
}

bool IndexController::caretSectionFolded() {
    const std::optional<std::size_t> i = SectionAt(m_comboModel->entries(), m_view->CaretLine());
    return i && m_folds->folded(*i);
}

void IndexController::revealCaret() {
    const int line = m_view->CaretLine();
    if (!m_folds->hiddenLines().empty() && !m_view->LineShown(line)) m_folds->reveal(line);
}

void IndexController::keepCaretInSight() {
    int line = m_view->CaretLine();
    for (const auto& [first, end] : m_folds->hiddenLines())
        if (first <= line && line < end) {
            m_view->SetCaretToLineStart(first - 1);
            m_view->ScrollToCaret();
            return;
        }
}

void IndexController::foldCaretSection(bool on) {
    catchUp();
    if (!caretInSection()) return;
    const std::size_t i = *SectionAt(m_comboModel->entries(), m_view->CaretLine());
    m_folds->setFolded(i, on);
    keepCaretInSight();
}

void IndexController::foldAll(bool on) {
    catchUp();
    if (!m_folds->enabled()) return;
    m_folds->setAllFolded(on);
    keepCaretInSight();
}

void IndexController::showToLevel(int level) {
    catchUp();
    m_list->headings()->setMaxLevel(level);
    selectEntry(currentEntry());
    if (!m_folds->enabled()) return;
    if (level > 0)
        m_folds->foldDeeperThan(level);
    else
        m_folds->setAllFolded(false);
    keepCaretInSight();
}

int IndexController::listLevelLimit() const { return m_list->headings()->maxLevel(); }

void IndexController::onMarkerClicked(int line) {
    catchUp();
    const Index& entries = m_comboModel->entries();
    const std::optional<std::size_t> i = SectionAt(entries, line);
    if (!i || entries[*i].line != line) return;
    m_folds->setFolded(*i, !m_folds->folded(*i));
    keepCaretInSight();
}

void IndexController::chooseFromCombo() {
    selectEntry(currentEntry());
    jumpTo();
}

void IndexController::chooseFromList() {
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    selectEntry(current.isValid() ? m_list->headings()->entryAt(current.row()) : -1);
    jumpTo();
}

void IndexController::chooseFromMenu(int entry) {
    m_combo->setCurrentIndex(entry);
    chooseFromCombo();
}

void IndexController::chooseRow(int row) {
    selectEntry(m_list->headings()->entryAt(row));
    jumpTo();
}

void IndexController::onTextChanged() {
    m_reindexTimer->stop();
    m_reindexTimer->start();
}

void IndexController::reindexAfterEdits() {
    m_reindexTimer->stop();
    // Text being composed is no text yet; its commit or its cancel is an edit and starts the wait again.
    if (m_view->Composing()) return;
    // The edits since the last index tell whether the text differs; only after a new document was
    // swapped in does the kept copy have to.
    const std::optional<bool> unchanged = m_follower->unchanged();
    if (unchanged ? *unchanged : m_copies->indexed() && *m_copies->indexed() == m_view->Utf8Buffer()) return;
    {
        const QScopedValueRollback<bool> follow(m_followEdits, true);
        rebuild();
    }
    emit jumped();
}

}  // namespace oruvan
