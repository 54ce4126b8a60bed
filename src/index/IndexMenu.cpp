#include "index/IndexMenu.h"

#include "index/IndexModel.h"
#include "outline/HeadingScanner.h"
#include "outline/IndexMenuLayout.h"
#include "widgets/Cp932Text.h"
#include "widgets/MessageBoxes.h"

namespace oruvan {

IndexMenu::IndexMenu(const IndexModel* headings, QWidget* parent)
    : QMenu(tr("インデックス(&I)"), parent), m_headings(headings) {
    setObjectName(QStringLiteral("indexMenu"));
    setEnabled(false);
}

void IndexMenu::rebuild(bool nextPageOnTop, bool levels) {
    m_nextPageOnTop = nextPageOnTop;
    m_levels = levels;
    setEnabled(true);
    if (m_headings->rowCount() == 0) {
        setEnabled(false);
        return;
    }
    // The entries follow the menu's own head, which stays. Page submenus are children of this menu;
    // removing the actions alone would leave them behind.
    const QList<QMenu*> pages = findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    const QList<QAction*> items = actions().mid(kHead);
    for (QAction* a : items) removeAction(a);
    qDeleteAll(items);
    qDeleteAll(pages);
    fillPage(this, 0);
}

// Pages are filled when first opened, so a rebuild costs one page whatever the size of the index.
void IndexMenu::fillPage(QMenu* menu, int page) {
    const Index& entries = m_headings->entries();
    const std::vector<IndexMenuItem> items = IndexMenuPage(entries, page, m_nextPageOnTop);
    std::vector<std::string> texts;
    std::vector<std::string> indents;      // a level's indentation takes no access key
    std::vector<bool> utf8(items.size());  // texts of headings cp932 cannot hold are UTF-8
    texts.reserve(items.size());
    indents.resize(items.size());
    const std::string pageCaption = ToCp932(tr("次のページ (&>)"));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const IndexMenuItem& item = items[i];
        if (item.kind != IndexMenuItem::Entry) {
            texts.push_back(item.kind == IndexMenuItem::PageItem ? pageCaption : "");
            continue;
        }
        const IndexEntry& e = entries[static_cast<std::size_t>(item.entry)];
        utf8[i] = !e.utf8.empty();
        const std::string caption = EscapeMenuText(utf8[i] ? ShortenMenuCaptionUtf8(IndentedUtf8(e, m_levels))
                                                           : ShortenMenuCaption(IndentedText(e, m_levels)));
        const std::string_view indentText = utf8[i] ? kLevelIndentUtf8 : kLevelIndent;
        std::size_t indent = 0;
        for (std::size_t level = LevelIndentBytes(e, m_levels) / 2;
             level > 0 && caption.compare(indent, indentText.size(), indentText) == 0; --level)
            indent += indentText.size();
        indents[i] = caption.substr(0, indent);
        texts.push_back(caption.substr(indent));
    }
    // On the first page the entries leave the key of the command above them to it.
    const bool head = menu == this;
    if (head) texts.push_back(ToCp932(actions().first()->text()));
    AssignAccessKeys(texts, utf8);
    if (head) texts.pop_back();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const IndexMenuItem& item = items[i];
        const std::string text = indents[i] + texts[i];
        auto* a = new QAction(utf8[i] ? QString::fromStdString(text) : FromCp932(text), menu);
        a->setData(item.entry);
        switch (item.kind) {
            case IndexMenuItem::Separator:
                a->setSeparator(true);
                break;
            case IndexMenuItem::PageItem: {
                auto* sub = new QMenu(this);
                a->setMenu(sub);
                const int next = page + 1;
                connect(sub, &QMenu::aboutToShow, this, [this, sub, next] {
                    if (sub->actions().isEmpty()) fillPage(sub, next);
                });
                break;
            }
            case IndexMenuItem::Entry:
                connect(a, &QAction::triggered, this, [this, a] {
                    ReportErrors(parentWidget(), [this, a] { emit entryChosen(a->data().toInt()); });
                });
                break;
        }
        menu->addAction(a);
    }
}

}  // namespace oruvan
