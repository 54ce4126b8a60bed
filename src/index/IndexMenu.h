#pragma once
// The Index menu: its own head (the filter command and a separator, put there by the window), then the
// headings in pages of 16 chained through "next page" submenus, each filled when first opened.
#include <QMenu>

namespace oruvan {

class IndexModel;

class IndexMenu : public QMenu {
    Q_OBJECT
public:
    // The menu's own items above the entries: the filter command and a separator.
    static constexpr int kHead = 2;

    IndexMenu(const IndexModel* headings, QWidget* parent);

    // Puts the headings in again from the first page; disabled while there are none.
    void rebuild(bool nextPageOnTop, bool levels);

Q_SIGNALS:
    void entryChosen(int entry);

private:
    void fillPage(QMenu* menu, int page);

    const IndexModel* m_headings;
    bool m_nextPageOnTop = false;
    bool m_levels = false;
};

}  // namespace oruvan
