#pragma once
// The find bar's matches marked on screen: every match in the lines shown, following scrolling, resizing
// and edits, and the match the selection is in a stronger colour. Only what is on screen is searched, so
// marking costs the same in any size of document.
#include <QObject>
#include <optional>
#include <utility>
#include <vector>

#include "platform/TextSearch.h"

namespace oruvan {

class FindQuery;
class TextView;

class MatchMarks : public QObject {
    Q_OBJECT
public:
    MatchMarks(TextView* view, FindQuery* query, QObject* parent = nullptr);

    // Marks the matches on screen, unless that part of the text is marked already (`force`: mark again,
    // the search or the text being another); with no search shown, none.
    void MarkVisible(bool force = false);
    // The selected match, while the bar is open; nothing takes the mark away.
    void MarkCurrent(std::optional<TextMatch> m);
    void Clear();
    // The text ranges marked as matches (not the current one).
    std::vector<TextMatch> Ranges() const;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TextView* m_view;
    FindQuery* m_query;
    // The stretches of text marked last, one per line shown (a long line's only around what is shown).
    std::vector<std::pair<long, long>> m_marked;

    std::vector<std::pair<long, long>> shownStretches() const;
};

}  // namespace oruvan
