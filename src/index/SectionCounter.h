#pragma once
// Counts the text view's lines and selection as a writer does (platform/CharacterCount.h), following
// every edit: an edit inside one line is recounted between the steady boundaries around it, others
// recount the lines they leave. Nothing is counted until asked for, so opening a file costs nothing.
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

#include "outline/LineCounts.h"

namespace oruvan {

class TextView;

class SectionCounter : public QObject {
    Q_OBJECT
public:
    explicit SectionCounter(TextView* view);

    // Lines [first, end) of the view (end past the last: to the end of the text). With a budget (ms), lines
    // not counted yet are counted only while it lasts, and nothing is returned when it ran out: asked
    // again, the count goes on where it stopped.
    std::optional<TextCount> lines(long first, long end, double budgetMs = -1);
    // The characters of the selection; nothing when there is none, or when the budget ran out (then
    // *unfinished is set).
    std::optional<std::int64_t> selection(double budgetMs = -1, bool* unfinished = nullptr);

private:
    struct Pending {
        long position, length;
        bool insertion;
        long line, linesBefore;
        long textLines;  // the view's lines before the edit
        bool windowed;  // [windowStart, windowEnd) held `counted` characters before the edit
        long windowStart, windowEnd;
        std::int64_t counted;
    };
    void aboutToChange(long position, long length, bool insertion);
    void settle();
    // Starts over when the view holds another document than the one counted.
    void checkDocument();
    std::int64_t countLine(long line) const;

    TextView* m_view;
    LineCounts m_counts;
    long m_document = -1;
    std::optional<Pending> m_pending;
    LineCounts::CountLine m_countLine;
};

// "3,456": a count with its thousands grouped; "9.2": the sheets a count fills.
QString GroupedNumber(std::int64_t n);
QString SheetsNumber(const TextCount& count);
// "節 3,456字 (9.2枚)": a section's characters and its 400-character sheets.
QString SectionCountText(const TextCount& count);
// "選択 120字".
QString SelectionCountText(std::int64_t characters);

}  // namespace oruvan
