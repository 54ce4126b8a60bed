#pragma once
// Finding and replacing in the text view, driven by the find bar: the search as the user types, the next
// and previous match with wrap-around, replacing one match or all of them (one undo step), and the status
// notice of the last search. The matches are counted by a MatchCounter and marked by MatchMarks.
#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "platform/TextSearch.h"
#include "view/FindQuery.h"

namespace oruvan {

class FindBar;
class MatchCounter;
class MatchMarks;
class TextView;

class TextFinder : public QObject {
    Q_OBJECT
public:
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
    bool CountDone() const;
    // Runs the count to its end at once (benchmarks and tests).
    void FinishCount();
    // The text ranges marked as matches on screen.
    std::vector<TextMatch> MarkedRanges() const;

Q_SIGNALS:
    // A message for the status bar; empty clears it.
    void noticeChanged(const QString& text);
    // The selection moved to a match: the window follows the caret.
    void moved();

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
    void textChanged();

    TextView* m_view;
    FindBar* m_bar;
    FindQuery m_query;
    MatchCounter* m_counter;
    MatchMarks* m_marks;

    QString m_notice;
    long m_noticeAnchor = -1;
    long m_noticeCaret = -1;

    // The change report of our own replacement is on its way; the count is already fresh.
    bool m_ownEdit = false;
};

}  // namespace oruvan
