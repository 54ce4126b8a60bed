#include "view/MatchMarks.h"

#include <QEvent>
#include <algorithm>

#include "view/FindQuery.h"
#include "view/TextView.h"

namespace oruvan {

namespace {

using Sci = QsciScintillaBase;

constexpr int kMatchIndicator = 20;
constexpr int kCurrentIndicator = 21;
// No screen shows more matches than this; a long line is marked only around what is on screen.
constexpr int kMarkLimit = 2000;
constexpr long kLongLineMargin = 4096;

long Bgr(int r, int g, int b) { return r | g << 8 | b << 16; }

}  // namespace

MatchMarks::MatchMarks(TextView* view, FindQuery* query, QObject* parent)
    : QObject(parent), m_view(view), m_query(query) {
    const struct {
        int indicator;
        long colour;
        int alpha;
    } looks[] = {{kMatchIndicator, Bgr(255, 214, 0), 90}, {kCurrentIndicator, Bgr(255, 120, 0), 150}};
    for (const auto& l : looks) {
        m_view->SendScintilla(Sci::SCI_INDICSETSTYLE, l.indicator, static_cast<long>(Sci::INDIC_ROUNDBOX));
        m_view->SendScintilla(Sci::SCI_INDICSETFORE, l.indicator, l.colour);
        m_view->SendScintilla(Sci::SCI_INDICSETALPHA, l.indicator, static_cast<long>(l.alpha));
        m_view->SendScintilla(Sci::SCI_INDICSETOUTLINEALPHA, l.indicator, 220L);
        m_view->SendScintilla(Sci::SCI_INDICSETUNDER, l.indicator, 1L);
    }
    connect(m_view, &Sci::SCN_UPDATEUI, this, [this](int updated) {
        if (updated & (Sci::SC_UPDATE_V_SCROLL | Sci::SC_UPDATE_H_SCROLL | Sci::SC_UPDATE_CONTENT))
            MarkVisible();
    });
    m_view->viewport()->installEventFilter(this);
}

bool MatchMarks::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Resize) MarkVisible();
    return QObject::eventFilter(watched, e);
}

std::vector<std::pair<long, long>> MatchMarks::shownStretches() const {
    TextView* v = m_view;
    const QSize size = v->viewport()->size();
    const long top = v->SendScintilla(Sci::SCI_GETFIRSTVISIBLELINE);
    const long first = v->SendScintilla(Sci::SCI_DOCLINEFROMVISIBLE, top);
    const long last =
        std::min(v->SendScintilla(Sci::SCI_DOCLINEFROMVISIBLE, top + v->SendScintilla(Sci::SCI_LINESONSCREEN) + 1),
                 v->SendScintilla(Sci::SCI_GETLINECOUNT) - 1);
    std::vector<std::pair<long, long>> stretches;
    for (long line = first; line <= last; ++line) {
        long start = v->SendScintilla(Sci::SCI_POSITIONFROMLINE, line);
        long end = v->SendScintilla(Sci::SCI_GETLINEENDPOSITION, line);
        if (end - start > 2 * kLongLineMargin) {
            // Of a long line, what lies between the view's left and right edges on its rows shown.
            const long height = v->SendScintilla(Sci::SCI_TEXTHEIGHT, line);
            const long y0 = v->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0UL, start);
            const long rows = v->SendScintilla(Sci::SCI_WRAPCOUNT, line);
            const long yTop = std::max(0L, y0);
            const long yBottom = std::min(static_cast<long>(size.height()) - 1, y0 + rows * height - 1);
            const long a = v->SendScintilla(Sci::SCI_POSITIONFROMPOINT, 0UL, yTop) - kLongLineMargin;
            const long b = v->SendScintilla(Sci::SCI_POSITIONFROMPOINT, static_cast<unsigned long>(size.width()),
                                            yBottom) + kLongLineMargin;
            start = v->SendScintilla(Sci::SCI_POSITIONBEFORE, std::max(start, a) + 1);
            end = v->SendScintilla(Sci::SCI_POSITIONAFTER, std::min(end, b) - 1);
        }
        if (end > start) stretches.emplace_back(start, end);
    }
    return stretches;
}

void MatchMarks::MarkVisible(bool force) {
    if (!m_query->Shown()) {
        Clear();
        return;
    }
    TextView* v = m_view;
    std::vector<std::pair<long, long>> stretches = shownStretches();
    if (!force && stretches == m_marked) return;
    m_marked = std::move(stretches);
    v->SendScintilla(Sci::SCI_SETINDICATORCURRENT, kMatchIndicator);
    v->SendScintilla(Sci::SCI_INDICATORCLEARRANGE, 0UL, v->Utf8Length());
    int marked = 0;
    for (const auto& [start, end] : m_marked) {
        const auto* p = reinterpret_cast<const char*>(
            v->SendScintilla(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
        if (!p) continue;
        const std::string_view range(p, static_cast<std::size_t>(end - start));
        m_query->Search().forEach(range, 0, range.size() + 1, [&](const TextMatch& m) {
            if (m.end > m.start)
                v->SendScintilla(Sci::SCI_INDICATORFILLRANGE,
                                 static_cast<unsigned long>(start + static_cast<long>(m.start)),
                                 static_cast<long>(m.end - m.start));
            return ++marked < kMarkLimit;
        });
        if (marked >= kMarkLimit) break;
    }
}

void MatchMarks::MarkCurrent(std::optional<TextMatch> m) {
    m_view->SendScintilla(Sci::SCI_SETINDICATORCURRENT, kCurrentIndicator);
    m_view->SendScintilla(Sci::SCI_INDICATORCLEARRANGE, 0UL, m_view->Utf8Length());
    if (m && m_query->Shown() && m->end > m->start)
        m_view->SendScintilla(Sci::SCI_INDICATORFILLRANGE, static_cast<unsigned long>(m->start),
                              static_cast<long>(m->end - m->start));
}

void MatchMarks::Clear() {
    m_marked.clear();
    for (int indicator : {kMatchIndicator, kCurrentIndicator}) {
        m_view->SendScintilla(Sci::SCI_SETINDICATORCURRENT, indicator);
        m_view->SendScintilla(Sci::SCI_INDICATORCLEARRANGE, 0UL, m_view->Utf8Length());
    }
}

std::vector<TextMatch> MatchMarks::Ranges() const {
    std::vector<TextMatch> ranges;
    const long length = m_view->Utf8Length();
    long pos = 0;
    while (pos < length) {
        const long end = m_view->SendScintilla(Sci::SCI_INDICATOREND, kMatchIndicator, pos);
        if (m_view->SendScintilla(Sci::SCI_INDICATORVALUEAT, kMatchIndicator, pos) != 0)
            ranges.push_back({static_cast<std::size_t>(pos), static_cast<std::size_t>(end)});
        if (end <= pos) break;
        pos = end;
    }
    return ranges;
}

}  // namespace oruvan
