#pragma once
// The count of the find bar's matches in the whole text, shown in the bar ("2 / 12 件" with a match
// selected, "12 件" otherwise). It runs in slices that give the event loop back, so typing never waits
// for a large document; it stops at a cap, and after an edit it starts again once typing pauses.
#include <QObject>
#include <cstddef>
#include <vector>

class QTimer;

namespace oruvan {

class FindBar;
class FindQuery;
class TextView;

class MatchCounter : public QObject {
    Q_OBJECT
public:
    // The count stops here and shows "10000+ 件".
    static constexpr std::size_t kCap = 10000;

    MatchCounter(TextView* view, FindBar* bar, FindQuery* query, QObject* parent = nullptr);

    // Counts from the start (the search or the text is another); with no search shown, no count.
    void Restart();
    // The text was edited: the count goes stale now and starts again once typing pauses.
    void RestartLater();
    void Stop();
    // Runs the count to its end at once (benchmarks and tests).
    void Finish();
    bool Done() const { return m_done; }
    // Shows the count, and which match the selection is when it is one.
    void Show();

private:
    void countSlice();

    TextView* m_view;
    FindBar* m_bar;
    FindQuery* m_query;
    QTimer* m_sliceTimer;
    QTimer* m_restartTimer;
    std::size_t m_pos = 0;  // where the next slice goes on
    std::size_t m_total = 0;
    std::vector<std::size_t> m_starts;  // of the first kCap matches, to number the selected one
    bool m_done = false;
};

}  // namespace oruvan
