// The main window's index: building it into the two views and the Index menu, jumping to a heading,
// and following the caret.
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>

#include "index/IndexFollower.h"
#include "index/IndexModel.h"
#include "view/TextView.h"
#include "app/MainWindow.h"
#include "outline/HeadingScanner.h"
#include "outline/IndexMenuLayout.h"
#include "outline/Cp932Strings.h"
#include "widgets/Cp932Text.h"

namespace oruvan {

HeadingRules MainWindow::headingRules() const {
    HeadingRules rules;
    rules.marks = TitleMarkList;
    rules.ignoreHeadSpaces = IgnoreHeadSpaces;
    rules.captionIncludingTitleMark = CaptionIncludingTitleMark;
    return rules;
}

void MainWindow::UpdateIndex() {
    update();
    if (IndexRebuildSuspended) return;
    // Text being composed is no text yet; its commit is an edit, indexed a second later.
    const TextView::ComposingAside aside(m_textView);
    RebuildIndex();
}

void MainWindow::ResumeIndexRebuild() {
    IndexRebuildSuspended = false;
    UpdateIndex();
}

void MainWindow::RebuildIndex() {
    ++m_rebuildCount;
    FillIndexLists();
    FitListBoxExtent();
    BuildIndexMenu();
}

void MainWindow::FillIndexLists() {
    // Rows going and coming move the list's current row: no choice of the user's, so no jump.
    const QScopedValueRollback<bool> quiet(m_selecting, true);
    const HeadingRules rules = headingRules();
    // After edits the index follows them: the touched lines are rescanned, the others moved, with the
    // result a whole scan gives. Other rebuilds start from scratch.
    std::optional<std::vector<IndexSplice>> splices;
    if (m_followEdits) splices = m_follower->update(m_comboModel->entries(), rules);
    if (splices) {
        SpliceAlong(m_rowWidths, *splices, RowWidth{});
        m_listModel->applySplices(*splices);
        m_comboModel->applySplices(*splices);
        SelectEntry(0);
        m_copies.dropIndexed();
        m_follower->indexed(rules);
        return;
    }
    // Lines kept with their own cp932 bytes are tested on them, as the file holds them. Taken before the
    // buffer: reading a line may move the buffer's gap.
    const LineBytesList own = m_textView->HeadingOwnBytes();
    const std::string_view text = m_textView->Utf8Buffer();
    Index entries = ScanHeadingsUtf8(text, rules, own);
    m_rowWidths.clear();
    m_comboModel->setShowLevels(HeadingLevels);
    m_listModel->setShowLevels(HeadingLevels);
    m_listModel->setEntries({});
    m_comboModel->setEntries(std::move(entries));
    m_listModel->setEntries(m_comboModel->entries());
    SelectEntry(0);
    // The saved text is usually the same bytes: share one copy rather than hold two.
    m_copies.setIndexed(text);
    m_follower->indexed(rules);
}

int MainWindow::EntryCount() const { return m_comboModel->rowCount(); }

void MainWindow::SelectEntry(int n) {
    const QScopedValueRollback<bool> quiet(m_selecting, true);
    if (n < 0 || n >= EntryCount()) {
        cmbMain->setCurrentIndex(-1);
        ListBox1->selectionModel()->clear();
    } else {
        cmbMain->setCurrentIndex(n);
        // While the list is filtered the entry may not be in it.
        const int row = m_listModel->rowOf(n);
        if (row < 0) {
            ListBox1->selectionModel()->clear();
        } else {
            const QModelIndex index = m_listModel->index(row);
            ListBox1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
            ListBox1->scrollTo(index);
        }
    }
}

int MainWindow::CurrentEntry() const { return cmbMain->currentIndex(); }

// Measuring every heading with text shaping costs milliseconds per thousand; a sum of cached
// per-character advances finds the few widest candidates, and only those are measured exactly. Both
// measures of an entry are kept until it changes or the list box's font or style does.
void MainWindow::FitListBoxExtent() {
    const QFont font = ListBox1->font();
    const Index& entries = m_listModel->entries();
    if (font != m_rowWidthFont || ListBox1->style() != m_rowWidthStyle ||
        m_rowWidths.size() != entries.size()) {
        m_rowWidths.assign(entries.size(), RowWidth{});
        m_rowWidthFont = font;
        m_rowWidthStyle = ListBox1->style();
    }
    const QFontMetricsF fm(font);
    std::vector<float> advance(0x10000, -1.0f);
    auto estimate = [&](std::string_view text) {
        double sum = 0;
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t n = Cp932CharLength(text, i);
            unsigned code = static_cast<unsigned char>(text[i]);
            if (n == 2) code = code << 8 | static_cast<unsigned char>(text[i + 1]);
            float& a = advance[code];
            if (a < 0) a = static_cast<float>(fm.horizontalAdvance(FromCp932(text.substr(i, n))));
            sum += a;
            i += n;
        }
        return sum;
    };
    double most = 0;
    const double indentAdvance = HeadingLevels ? estimate(kLevelIndent) : 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        RowWidth& r = m_rowWidths[i];
        // A heading cp932 cannot hold is rare: it is measured as it stands.
        if (r.estimate < 0)
            r.estimate =
                (entries[i].utf8.empty() ? estimate(entries[i].text)
                                         : fm.horizontalAdvance(QString::fromStdString(entries[i].utf8))) +
                indentAdvance * static_cast<double>(LevelIndentBytes(entries[i], HeadingLevels) / 2);
        most = std::max(most, r.estimate);
    }
    // The candidates are measured as the list draws them: the style's size of a view item holds the text
    // and the margins drawn on either side of it, so the end of the widest one shows in full.
    QStyleOptionViewItem item;
    item.initFrom(ListBox1);
    item.rect = QRect();
    item.font = font;
    item.fontMetrics = QFontMetrics(item.font);
    item.features = QStyleOptionViewItem::HasDisplay;
    item.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    item.textElideMode = ListBox1->textElideMode();
    item.widget = ListBox1;
    int w = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        RowWidth& r = m_rowWidths[i];
        if (r.estimate < most * 0.9 - 2) continue;
        if (r.exact < 0) {
            item.text = m_listModel->displayText(static_cast<int>(i));
            r.exact = ListBox1->style()
                          ->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), ListBox1)
                          .width();
        }
        w = std::max(w, r.exact);
    }
    m_listModel->setRowSize(QSize(w, 12));
}

void MainWindow::BuildIndexMenu() {
    mnuIndex->setEnabled(true);
    if (EntryCount() == 0) {
        mnuIndex->setEnabled(false);
        return;
    }
    // The entries follow the menu's own command and its separator, which stay. Page submenus are
    // children of mnuIndex; removing the actions alone would leave them behind.
    const QList<QMenu*> pages = mnuIndex->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    const QList<QAction*> items = mnuIndex->actions().mid(kIndexMenuHead);
    for (QAction* a : items) mnuIndex->removeAction(a);
    qDeleteAll(items);
    qDeleteAll(pages);
    fillIndexPage(mnuIndex, 0);
}

// Pages are filled when first opened, so a rebuild costs one page whatever the size of the index.
void MainWindow::fillIndexPage(QMenu* menu, int page) {
    const Index& entries = m_comboModel->entries();
    const std::vector<IndexMenuItem> items = IndexMenuPage(entries, page, NextPageMenuIsHead);
    std::vector<std::string> texts;
    std::vector<std::string> indents;  // a level's indentation takes no access key
    std::vector<bool> utf8(items.size());  // texts of headings cp932 cannot hold are UTF-8
    texts.reserve(items.size());
    indents.resize(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const IndexMenuItem& item = items[i];
        if (item.kind != IndexMenuItem::Entry) {
            texts.push_back(item.kind == IndexMenuItem::PageItem ? kNextPageCaption : "");
            continue;
        }
        const IndexEntry& e = entries[static_cast<std::size_t>(item.entry)];
        utf8[i] = !e.utf8.empty();
        const std::string caption =
            EscapeMenuText(utf8[i] ? ShortenMenuCaptionUtf8(IndentedUtf8(e, HeadingLevels))
                                   : ShortenMenuCaption(IndentedText(e, HeadingLevels)));
        const std::string_view indentText = utf8[i] ? kLevelIndentUtf8 : kLevelIndent;
        std::size_t indent = 0;
        for (std::size_t level = LevelIndentBytes(e, HeadingLevels) / 2;
             level > 0 && caption.compare(indent, indentText.size(), indentText) == 0; --level)
            indent += indentText.size();
        indents[i] = caption.substr(0, indent);
        texts.push_back(caption.substr(indent));
    }
    // On the first page the entries leave the command's key above them to it.
    const bool head = menu == mnuIndex;
    if (head) texts.push_back(ToCp932(mnuIndex->actions().first()->text()));
    AssignAccessKeys(texts, utf8);
    if (head) texts.pop_back();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const IndexMenuItem& item = items[i];
        const std::string text = indents[i] + texts[i];
        auto* a = new TMenuItem2(utf8[i] ? QString::fromStdString(text) : FromCp932(text), menu);
        a->EntryNumber = item.entry;
        switch (item.kind) {
            case IndexMenuItem::Separator:
                a->setSeparator(true);
                break;
            case IndexMenuItem::PageItem: {
                auto* sub = new QMenu(mnuIndex);
                a->setMenu(sub);
                const int next = page + 1;
                connect(sub, &QMenu::aboutToShow, this, [this, sub, next] {
                    if (sub->actions().isEmpty()) fillIndexPage(sub, next);
                });
                break;
            }
            case IndexMenuItem::Entry:
                connect(a, &QAction::triggered, this,
                        [this, a] { guarded([this, a] { IndexMenuItemClick(a); }); });
                break;
        }
        menu->addAction(a);
    }
}

void MainWindow::IndexMenuItemClick(TMenuItem2* sender) {
    cmbMain->setCurrentIndex(sender->EntryNumber);
    cmbMainChange();
}

void MainWindow::cmbMainChange() {
    SelectEntry(CurrentEntry());
    JumpToEntry(-1);
}

void MainWindow::ListBox1Click() {
    const QModelIndex current = ListBox1->selectionModel()->currentIndex();
    SelectEntry(current.isValid() ? m_listModel->entryAt(current.row()) : -1);
    JumpToEntry(-1);
}

int MainWindow::EntryLine(int n) const {
    const Index& entries = m_comboModel->entries();
    if (entries.empty()) return 0;
    n = std::clamp(n, 0, static_cast<int>(entries.size()) - 1);
    return entries[static_cast<std::size_t>(n)].line;
}

void MainWindow::JumpToEntry(int n) {
    if (n < 0) n = CurrentEntry();
    const int line = EntryLine(n);
    m_textView->SetCaretToLineStart(line);
    m_textView->ScrollLineToTop(line);
    TrackCaret();
}

void MainWindow::GoPrevEntry() {
    cmbMain->setCurrentIndex(CurrentEntry() - 1);
    JumpToEntry(-1);
}

// On the last heading the view stays there rather than wrapping to the first one.
void MainWindow::GoNextEntry() {
    cmbMain->setCurrentIndex(std::min(CurrentEntry() + 1, EntryCount() - 1));
    JumpToEntry(-1);
}

void MainWindow::TrackCaret() {
    int ln, col, docLine;
    if (WordWrap) {
        // The display row and the column within it, for the selection's start.
        ln = m_textView->CaretDisplayLine();
        col = m_textView->CaretDisplayColumn();
        docLine = m_textView->SelectionStartLine();
    } else {
        ln = docLine = m_textView->SelectionEndLine();
        col = m_textView->SelectionEndColumn();
    }
    SetStatusText(QStringLiteral("%1行: %2列").arg(ln + 1).arg(col + 1));
    const Index& entries = m_comboModel->entries();
    auto after = std::upper_bound(entries.begin(), entries.end(), docLine,
                                  [](int l, const IndexEntry& e) { return l < e.line; });
    const int b = static_cast<int>(after - entries.begin()) - 1;
    if (b >= 0) SelectEntry(b);
}

void MainWindow::SetStatusText(const QString& text) { m_status->setText(text); }

QString MainWindow::StatusText() const { return m_status->text(); }

void MainWindow::RichEdit1Change() {
    Timer1->stop();
    Timer1->start();
    TrackCaret();
}

void MainWindow::Timer1Timer() {
    Timer1->stop();
    // Text being composed is no text yet; its commit or its cancel is an edit and starts the wait again.
    if (m_textView->Composing()) return;
    // The edits since the last index tell whether the text differs; only after a new document was
    // swapped in does the kept copy have to.
    const std::optional<bool> unchanged = m_follower->unchanged();
    if (unchanged ? *unchanged : m_copies.indexed() && *m_copies.indexed() == m_textView->Utf8Buffer()) return;
    if (IndexRebuildSuspended) {
        m_copies.setIndexed(m_textView->Utf8Buffer(), false);
        m_follower->compared();
    }
    {
        const QScopedValueRollback<bool> follow(m_followEdits, true);
        UpdateIndex();
    }
    TrackCaret();
}

}  // namespace oruvan
