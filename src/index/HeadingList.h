#pragma once
// The list view of the headings beside the text: its rows as wide as the widest heading, and a click on
// the row already current counted as a choice.
#include <QFont>
#include <QListView>
#include <QScopedValueRollback>
#include <vector>

#include "outline/IndexTracker.h"

class QStyle;

namespace oruvan {

class IndexModel;

class HeadingList : public QListView {
    Q_OBJECT
public:
    explicit HeadingList(QWidget* parent = nullptr);

    IndexModel* headings() const { return m_headings; }
    // Replaces the rows; widths measured for the old ones are forgotten.
    void setEntries(Index entries);
    // Moves the rows, and the widths measured for those that stay, along with the index.
    void applySplices(const std::vector<IndexSplice>& splices);
    // Makes entry n the current row and shows it; none when it is not shown (filtered out, no entry).
    void showEntry(int entry);
    // Row moves the program makes say nothing while the returned guard lives.
    [[nodiscard]] QScopedValueRollback<bool> quietly() { return QScopedValueRollback<bool>(m_quiet, true); }
    // Makes every row as wide as the widest heading drawn, indented by level when `levels`.
    void fitWidth(bool levels);

Q_SIGNALS:
    // The user made a row current, or clicked the one that was.
    void chosen();

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    IndexModel* m_headings;
    bool m_quiet = false;
    // The two measures of each entry, item for item beside the index.
    struct RowWidth {
        double estimate = -1;
        int exact = -1;
    };
    std::vector<RowWidth> m_rowWidths;
    QFont m_rowWidthFont;
    const QStyle* m_rowWidthStyle = nullptr;
};

}  // namespace oruvan
