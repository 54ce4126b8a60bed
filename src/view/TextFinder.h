#pragma once
// Finding and replacing in the text view, driven by the find bar: the search as the user types, the next
// and previous match with wrap-around, replacing one match or all of them (one undo step), the matches on
// screen marked, and the matches counted in slices so that typing never waits for a large document.
#include <QObject>
#include <QString>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/TextSearch.h"

class QTimer;

namespace oruvan {

class FindBar;
class TextView;

class TextFinder : public QObject {
    Q_OBJECT
public:
    // The count stops here and shows "10000+ 件".
    static constexpr std::size_t kCountCap = 10000;

    TextFinder(TextView* view, FindBar* bar, QObject* parent = nullptr);

    // Ctrl+F and Ctrl+R: the bar opens with the selected text (when it lies within one line) to search.
    void Open(bool withReplace);
    // Enter, F3 and Shift+F3: the last search text, with the bar open or closed.
    void FindNext();
    void FindPrevious();
    void ReplaceOne();
    void ReplaceAll();
    // The view holds another text (a document opened, a new one): count and marks start afresh.
    void TextReplaced();

    // The status bar text of the last search; empty once the selection has moved on.
    QString Notice() const { return m_notice; }
    bool CountDone() const { return m_countDone; }
    // Runs the count to its end at once (benchmarks and tests).
    void FinishCount();
    // The text ranges marked as matches on screen.
    std::vector<TextMatch> MarkedRanges() const;

Q_SIGNALS:
    // A message for the status bar; empty clears it.
    void noticeChanged(const QString& text);
    // The selection moved to a match: the window follows the caret.
    void moved();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool prepare();
    void searchAsTyped();
    void step(bool forward);
    void select(const TextMatch& m);
    void setNotice(const QString& text);
    void dropStaleNotice();
    void notFound();
    void tooComplex();
    std::string insertableReplacement() const;

    void restartCount();
    void countSlice();
    void showCount();
    void markVisible(bool force = false);
    void clearMarks();
    void textChanged();

    TextView* m_view;
    FindBar* m_bar;
    TextSearch m_search;
    bool m_ready = false;
    std::u32string m_compiledText;
    SearchOptions m_compiledOptions;

    QString m_notice;
    long m_noticeAnchor = -1;
    long m_noticeCaret = -1;

    QTimer* m_countTimer;
    QTimer* m_recountTimer;
    std::size_t m_countPos = 0;
    std::size_t m_countTotal = 0;
    std::vector<std::size_t> m_countStarts;
    bool m_countDone = false;
    // The change report of our own replacement is on its way; the count is already fresh.
    bool m_ownEdit = false;

    long m_markedStart = -1;
    long m_markedEnd = -1;
};

}  // namespace oruvan
