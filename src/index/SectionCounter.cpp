#include "index/SectionCounter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <algorithm>
#include <string_view>

#include "platform/CharacterCount.h"
#include "view/TextView.h"

namespace oruvan {

namespace {

// How far around an edit a steady boundary is looked for before the whole line is recounted.
constexpr long kWindowReach = 64;

}  // namespace

SectionCounter::SectionCounter(TextView* view) : QObject(view), m_view(view) {
    m_countLine = [this](long line) { return countLine(line); };
    connect(view, &TextView::aboutToChange, this, &SectionCounter::aboutToChange);
}

std::int64_t SectionCounter::countLine(long line) const {
    return CountCharacters(m_view->Utf8Range(m_view->Utf8LineStart(line), m_view->Utf8LineStart(line + 1)));
}

void SectionCounter::checkDocument() {
    if (m_view->DocumentId() == m_document) return;
    m_document = m_view->DocumentId();
    m_pending.reset();
    m_counts.reset(m_view->Utf8LineCount());
}

void SectionCounter::aboutToChange(long position, long length, bool insertion) {
    if (m_view->DocumentId() != m_document) return;  // a document being filled: counted when asked for
    settle();
    Pending p{position, length, insertion, m_view->Utf8LineOf(position), 1, m_view->Utf8LineCount(), false, 0, 0, 0};
    if (!insertion) p.linesBefore = m_view->Utf8LineOf(position + length) - p.line + 1;
    if (p.linesBefore == 1 && m_counts.counted(p.line)) {
        // Both ends of the window sit at boundaries the edit cannot move: the line's own ends, or
        // steady ones found near the edit.
        const long lineStart = m_view->Utf8LineStart(p.line);
        const long lineEnd = m_view->Utf8LineStart(p.line + 1);
        const long editEnd = position + (insertion ? 0 : length);
        const long from = std::max(lineStart, position - kWindowReach);
        const long to = std::min(lineEnd, editEnd + kWindowReach);
        const std::size_t before = SteadyBoundaryBefore(m_view->Utf8Range(from, position), position - from);
        const std::size_t after = SteadyBoundaryAfter(m_view->Utf8Range(editEnd, to), 0);
        if ((before != std::string_view::npos || from == lineStart) &&
            (after != std::string_view::npos || to == lineEnd)) {
            p.windowed = true;
            p.windowStart = before == std::string_view::npos ? from : from + static_cast<long>(before);
            p.windowEnd = after == std::string_view::npos ? to : editEnd + static_cast<long>(after);
            p.counted = CountCharacters(m_view->Utf8Range(p.windowStart, p.windowEnd));
        }
    }
    m_pending = p;
}

void SectionCounter::settle() {
    if (!m_pending) return;
    const Pending p = *m_pending;
    m_pending.reset();
    // Breaks may join or part next to the edit (a lone CR meeting a LF): the view's own count of lines
    // tells how many the touched ones became.
    const long linesAfter = p.linesBefore + m_view->Utf8LineCount() - p.textLines;
    if (p.windowed && linesAfter == 1) {
        const long end = p.windowEnd + (p.insertion ? p.length : -p.length);
        m_counts.addToLine(p.line, CountCharacters(m_view->Utf8Range(p.windowStart, end)) - p.counted);
        return;
    }
    m_counts.replaceLines(p.line, p.linesBefore, linesAfter, m_countLine);
}

std::optional<TextCount> SectionCounter::lines(long first, long end, double budgetMs) {
    checkDocument();
    settle();
    if (budgetMs < 0) return m_counts.count(first, end, m_countLine);
    QElapsedTimer clock;
    clock.start();
    return m_counts.count(first, end, m_countLine,
                          [&] { return static_cast<double>(clock.nsecsElapsed()) < budgetMs * 1e6; });
}

std::optional<std::int64_t> SectionCounter::selection(double budgetMs, bool* unfinished) {
    const auto [start, end] = m_view->Utf8Selection();
    if (start == end) return std::nullopt;
    const long firstLine = m_view->Utf8LineOf(start), lastLine = m_view->Utf8LineOf(end);
    if (firstLine == lastLine) return CountCharacters(m_view->Utf8Range(start, end));
    // The lines between the ends are known or counted once; only the ends are read.
    std::int64_t n = CountCharacters(m_view->Utf8Range(start, m_view->Utf8LineStart(firstLine + 1)));
    const std::optional<TextCount> between = lines(firstLine + 1, lastLine, budgetMs);
    if (!between) {
        if (unfinished) *unfinished = true;
        return std::nullopt;
    }
    n += between->characters;
    n += CountCharacters(m_view->Utf8Range(m_view->Utf8LineStart(lastLine), end));
    return n;
}

QString GroupedNumber(std::int64_t n) { return QLocale(QLocale::English).toString(static_cast<qlonglong>(n)); }

QString SheetsNumber(const TextCount& count) {
    const std::int64_t tenths = count.sheetTenths();
    return GroupedNumber(tenths / 10) + QLatin1Char('.') + QString::number(tenths % 10);
}

QString SectionCountText(const TextCount& count) {
    return QCoreApplication::translate("oruvan::SectionCounter", "節 %1字 (%2枚)").arg(GroupedNumber(count.characters), SheetsNumber(count));
}

QString SelectionCountText(std::int64_t characters) {
    return QCoreApplication::translate("oruvan::SectionCounter", "選択 %1字").arg(GroupedNumber(characters));
}

}  // namespace oruvan
