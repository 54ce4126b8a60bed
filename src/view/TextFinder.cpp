#include "view/TextFinder.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

#include "view/TextView.h"
#include "widgets/FindBar.h"

namespace oruvan {

namespace {

using Sci = QsciScintillaBase;

constexpr int kMatchIndicator = 20;
constexpr int kCurrentIndicator = 21;
// A count slice gives the event loop back after this long; a recount waits for typing to pause.
constexpr int kSliceMs = 15;
constexpr int kRecountDelayMs = 300;
// No screen shows more matches than this; a very long line is marked only around what is on screen.
constexpr int kMarkLimit = 2000;
constexpr long kLongRange = 1 << 20;
constexpr long kLongLineMargin = 4096;
// A longer selection (a whole long line, say) is no search text; the field keeps its own.
constexpr long kLongestSelectionTaken = 4096;

const QString kCounting = QStringLiteral("… 件");

std::u32string Ucs4(const QString& s) {
    const QList<uint> v = s.toUcs4();
    return std::u32string(v.begin(), v.end());
}

long Bgr(int r, int g, int b) { return r | g << 8 | b << 16; }

}  // namespace

TextFinder::TextFinder(TextView* view, FindBar* bar, QObject* parent)
    : QObject(parent),
      m_view(view),
      m_bar(bar),
      m_countTimer(new QTimer(this)),
      m_recountTimer(new QTimer(this)) {
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
    m_countTimer->setSingleShot(true);
    m_countTimer->setInterval(0);
    connect(m_countTimer, &QTimer::timeout, this, &TextFinder::countSlice);
    m_recountTimer->setSingleShot(true);
    m_recountTimer->setInterval(kRecountDelayMs);
    connect(m_recountTimer, &QTimer::timeout, this, &TextFinder::restartCount);

    connect(m_bar, &FindBar::findTextEdited, this, &TextFinder::searchAsTyped);
    connect(m_bar, &FindBar::optionsChanged, this, &TextFinder::searchAsTyped);
    connect(m_bar, &FindBar::findNext, this, &TextFinder::FindNext);
    connect(m_bar, &FindBar::findPrevious, this, &TextFinder::FindPrevious);
    connect(m_bar, &FindBar::replaceOne, this, &TextFinder::ReplaceOne);
    connect(m_bar, &FindBar::replaceAll, this, &TextFinder::ReplaceAll);
    connect(m_bar, &FindBar::closed, this, [this] {
        if (m_ready) m_bar->Remember(m_bar->FindText());
        m_countTimer->stop();
        m_recountTimer->stop();
        clearMarks();
        m_view->setFocus(Qt::OtherFocusReason);
    });
    connect(m_view, &Sci::SCN_UPDATEUI, this, [this](int updated) {
        if (updated & (Sci::SC_UPDATE_V_SCROLL | Sci::SC_UPDATE_H_SCROLL | Sci::SC_UPDATE_CONTENT))
            markVisible();
    });
    connect(m_view, &TextView::changed, this, &TextFinder::textChanged);
    connect(m_view, &TextView::keyUp, this, &TextFinder::dropStaleNotice);
    connect(m_view, &TextView::mouseDown, this, &TextFinder::dropStaleNotice);
    m_view->viewport()->installEventFilter(this);
}

bool TextFinder::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Resize) markVisible();
    return QObject::eventFilter(watched, e);
}

// Compiles the bar's search when it changed; false when there is nothing valid to search for.
bool TextFinder::prepare() {
    const std::u32string text = Ucs4(m_bar->FindText());
    const SearchOptions options{m_bar->MatchCase(), m_bar->IgnoreWidth(), m_bar->Regex()};
    if (m_ready && text == m_compiledText && options == m_compiledOptions) return true;
    m_compiledText = text;
    m_compiledOptions = options;
    m_ready = false;
    m_bar->SetMessage({});
    if (!text.empty()) {
        SearchError error;
        m_ready = m_search.compile(text, options, &error);
        if (!m_ready)
            m_bar->SetMessage(QStringLiteral("正規表現が正しくありません: %1（%2 文字目）")
                                  .arg(QString::fromUtf8(error.message.c_str()))
                                  .arg(error.offset + 1));
    }
    restartCount();
    return m_ready;
}

void TextFinder::Open(bool withReplace) {
    const long s = m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART);
    const long e = m_view->SendScintilla(Sci::SCI_GETSELECTIONEND);
    if (s != e && e - s <= kLongestSelectionTaken &&
        m_view->SendScintilla(Sci::SCI_LINEFROMPOSITION, s) ==
            m_view->SendScintilla(Sci::SCI_LINEFROMPOSITION, e)) {
        // The current match stays as it is searched for (a regular expression is no plain text).
        const bool isMatch =
            prepare() && m_search.at(m_view->Utf8Buffer(), static_cast<std::size_t>(s)) ==
                             TextMatch{static_cast<std::size_t>(s), static_cast<std::size_t>(e)};
        if (!isMatch) {
            const auto* p = reinterpret_cast<const char*>(
                m_view->SendScintilla(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(s), e - s));
            m_bar->SetFindText(QString::fromUtf8(p, static_cast<int>(e - s)));
        }
    }
    m_bar->Open(withReplace);
    m_bar->SetNotFound(false);
    prepare();
    restartCount();
    markVisible(true);
}

void TextFinder::searchAsTyped() {
    m_bar->SetNotFound(false);
    if (!prepare()) {
        clearMarks();
        setNotice({});
        return;
    }
    const std::string_view text = m_view->Utf8Buffer();
    const auto from = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    std::optional<TextMatch> m = m_search.next(text, from);
    bool wrapped = false;
    if (!m && !m_search.tooComplex()) {
        m = m_search.next(text, 0);
        wrapped = m.has_value();
    }
    if (m_search.tooComplex()) return tooComplex();
    if (!m) {
        notFound();
    } else {
        select(*m);
        setNotice(wrapped ? QStringLiteral("先頭から検索しました") : QString());
    }
    showCount();
    markVisible(true);
}

void TextFinder::FindNext() { step(true); }
void TextFinder::FindPrevious() { step(false); }

void TextFinder::step(bool forward) {
    const QString what = m_bar->FindText();
    if (what.isEmpty()) {
        if (!m_bar->isVisible()) Open(false);
        return;
    }
    if (!prepare()) {
        if (!m_bar->isVisible()) m_bar->Open(m_bar->ReplaceShown());
        setNotice(m_bar->Message());
        return;
    }
    m_bar->Remember(what);
    const std::string_view text = m_view->Utf8Buffer();
    const auto s = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    const auto e = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONEND));
    // An empty selection may be the empty match found last: the next one lies beyond it.
    std::optional<TextMatch> m = forward ? m_search.next(text, e, s != e) : m_search.previous(text, s);
    bool wrapped = false;
    if (!m && !m_search.tooComplex()) {
        m = forward ? m_search.next(text, 0) : m_search.previous(text, text.size() + 1);
        wrapped = m.has_value();
    }
    if (m_search.tooComplex()) return tooComplex();
    if (!m) return notFound();
    m_bar->SetNotFound(false);
    select(*m);
    setNotice(!wrapped  ? QString()
              : forward ? QStringLiteral("先頭から検索しました")
                        : QStringLiteral("末尾から検索しました"));
    showCount();
}

void TextFinder::select(const TextMatch& m) {
    const auto start = static_cast<unsigned long>(m.start);
    const auto end = static_cast<long>(m.end);
    // A match out of sight comes into view a third of the way down, not at the very edge.
    TextView* v = m_view;
    const long row =
        v->SendScintilla(Sci::SCI_VISIBLEFROMDOCLINE, v->SendScintilla(Sci::SCI_LINEFROMPOSITION, start));
    const long top = v->SendScintilla(Sci::SCI_GETFIRSTVISIBLELINE);
    const long rows = v->SendScintilla(Sci::SCI_LINESONSCREEN);
    if (row < top || row >= top + rows)
        v->SendScintilla(Sci::SCI_SETFIRSTVISIBLELINE, std::max(0L, row - rows / 3));
    v->SendScintilla(Sci::SCI_SETSEL, start, end);
    v->SendScintilla(Sci::SCI_SCROLLRANGE, static_cast<unsigned long>(end), static_cast<long>(start));
    m_view->SendScintilla(Sci::SCI_SETINDICATORCURRENT, kCurrentIndicator);
    m_view->SendScintilla(Sci::SCI_INDICATORCLEARRANGE, 0UL, m_view->Utf8Length());
    if (m_bar->isVisible() && m.end > m.start)
        m_view->SendScintilla(Sci::SCI_INDICATORFILLRANGE, start, static_cast<long>(m.end - m.start));
    Q_EMIT moved();
}

void TextFinder::setNotice(const QString& text) {
    m_notice = text;
    m_noticeAnchor = m_view->SendScintilla(Sci::SCI_GETANCHOR);
    m_noticeCaret = m_view->SendScintilla(Sci::SCI_GETCURRENTPOS);
    Q_EMIT noticeChanged(text);
}

void TextFinder::dropStaleNotice() {
    if (m_notice.isEmpty()) return;
    if (m_view->SendScintilla(Sci::SCI_GETANCHOR) != m_noticeAnchor ||
        m_view->SendScintilla(Sci::SCI_GETCURRENTPOS) != m_noticeCaret)
        setNotice({});
}

void TextFinder::notFound() {
    m_bar->SetNotFound(true);
    m_view->SendScintilla(Sci::SCI_SETINDICATORCURRENT, kCurrentIndicator);
    m_view->SendScintilla(Sci::SCI_INDICATORCLEARRANGE, 0UL, m_view->Utf8Length());
    setNotice(QStringLiteral("見つかりません"));
}

void TextFinder::tooComplex() {
    const QString message = QStringLiteral("正規表現が複雑すぎるため、検索を中止しました");
    m_bar->SetMessage(message);
    setNotice(message);
}

std::string TextFinder::insertableReplacement() const {
    const QByteArray u = m_bar->ReplaceText().toUtf8();
    return m_view->InsertableUtf8(std::string_view(u.constData(), static_cast<std::size_t>(u.size())));
}

void TextFinder::ReplaceOne() {
    if (m_bar->FindText().isEmpty() || !prepare()) return step(true);
    const std::string_view text = m_view->Utf8Buffer();
    const auto s = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    const auto e = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONEND));
    // Only a selection that is a match is replaced; otherwise the next match is found first.
    if (m_search.at(text, s) == TextMatch{s, e}) {
        const Replacement r(insertableReplacement(), m_bar->Regex());
        std::string out;
        m_search.appendReplacement(text, r, out);
        m_view->SendScintilla(Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(s), static_cast<long>(e));
        m_view->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(out.size()), out.c_str());
        m_view->SendScintilla(Sci::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(s + out.size()));
        // Nothing taken out and nothing put in (^ replaced by nothing) reports no change to wait for.
        m_ownEdit = e > s || !out.empty();
        restartCount();
    }
    step(true);
}

void TextFinder::ReplaceAll() {
    const QString what = m_bar->FindText();
    if (what.isEmpty() || !prepare()) return;
    m_bar->Remember(what);
    const std::string_view text = m_view->Utf8Buffer();
    const Replacement r(insertableReplacement(), m_bar->Regex());
    // Every replacement is made before the text changes, then applied from the end, so no position
    // moves under a later one.
    struct Edit {
        std::size_t start, end, textStart, textLength;
    };
    std::vector<Edit> edits;
    std::string replaced;
    m_search.forEach(text, 0, text.size() + 1, [&](const TextMatch& m) {
        const std::size_t before = replaced.size();
        m_search.appendReplacement(text, r, replaced);
        edits.push_back({m.start, m.end, before, replaced.size() - before});
        return true;
    });
    if (m_search.tooComplex()) return tooComplex();
    if (edits.empty()) return notFound();
    m_view->SendScintilla(Sci::SCI_BEGINUNDOACTION);
    bool changes = false;  // a change report follows
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        changes = changes || it->end > it->start || it->textLength > 0;
        m_view->SendScintilla(Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(it->start),
                              static_cast<long>(it->end));
        m_view->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(it->textLength),
                              replaced.data() + it->textStart);
    }
    m_view->SendScintilla(Sci::SCI_ENDUNDOACTION);
    m_ownEdit = changes;
    m_bar->SetNotFound(false);
    setNotice(QStringLiteral("%1 件置換しました").arg(edits.size()));
    restartCount();
    markVisible(true);
}

void TextFinder::TextReplaced() {
    m_ownEdit = false;
    m_markedStart = m_markedEnd = -1;
    restartCount();
    markVisible(true);
}

void TextFinder::restartCount() {
    m_countTimer->stop();
    m_recountTimer->stop();
    m_countPos = 0;
    m_countTotal = 0;
    m_countStarts.clear();
    m_countDone = false;
    if (!m_ready || !m_bar->isVisible()) {
        m_bar->SetCountText({});
        return;
    }
    countSlice();
}

void TextFinder::countSlice() {
    const std::string_view text = m_view->Utf8Buffer();
    if (m_countPos > text.size()) {
        m_countPos = 0;
        m_countTotal = 0;
        m_countStarts.clear();
    }
    QElapsedTimer clock;
    clock.start();
    bool paused = false;
    m_countPos = m_search.forEach(text, m_countPos, text.size() + 1, [&](const TextMatch& m) {
        ++m_countTotal;
        if (m_countStarts.size() < kCountCap) m_countStarts.push_back(m.start);
        if (m_countTotal > kCountCap) return false;
        paused = (m_countTotal & 63) == 0 && clock.elapsed() >= kSliceMs;
        return !paused;
    });
    if (paused) {
        m_bar->SetCountText(kCounting);
        m_countTimer->start();
        return;
    }
    m_countDone = true;
    showCount();
}

void TextFinder::FinishCount() {
    while (m_countTimer->isActive() || m_recountTimer->isActive()) {
        const bool fresh = m_recountTimer->isActive();
        m_countTimer->stop();
        if (fresh)
            restartCount();
        else
            countSlice();
    }
}

void TextFinder::showCount() {
    if (!m_ready || !m_bar->isVisible()) return;
    if (!m_countDone) {
        m_bar->SetCountText(kCounting);
        return;
    }
    const QString total =
        m_countTotal > kCountCap ? QStringLiteral("%1+").arg(kCountCap) : QString::number(m_countTotal);
    const auto s = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    const auto e = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONEND));
    const auto it = std::lower_bound(m_countStarts.begin(), m_countStarts.end(), s);
    if (it != m_countStarts.end() && *it == s && m_search.at(m_view->Utf8Buffer(), s) == TextMatch{s, e})
        m_bar->SetCountText(QStringLiteral("%1 / %2 件").arg(it - m_countStarts.begin() + 1).arg(total));
    else
        m_bar->SetCountText(QStringLiteral("%1 件").arg(total));
}

void TextFinder::textChanged() {
    dropStaleNotice();
    if (!m_bar->isVisible() || !m_ready) return;
    if (m_ownEdit) {
        m_ownEdit = false;
        return;
    }
    // The count waits until typing pauses; the marks on screen follow at once.
    m_countTimer->stop();
    m_countDone = false;
    m_bar->SetCountText(kCounting);
    m_recountTimer->start();
    markVisible(true);
}

void TextFinder::markVisible(bool force) {
    if (!m_bar->isVisible() || !m_ready) {
        clearMarks();
        return;
    }
    TextView* v = m_view;
    const long top = v->SendScintilla(Sci::SCI_GETFIRSTVISIBLELINE);
    const long first = v->SendScintilla(Sci::SCI_DOCLINEFROMVISIBLE, top);
    const long last =
        v->SendScintilla(Sci::SCI_DOCLINEFROMVISIBLE, top + v->SendScintilla(Sci::SCI_LINESONSCREEN) + 1);
    long start = v->SendScintilla(Sci::SCI_POSITIONFROMLINE, first);
    long end = v->SendScintilla(Sci::SCI_GETLINEENDPOSITION, last);
    if (end - start > kLongRange) {
        const QSize size = v->viewport()->size();
        const long a = v->SendScintilla(Sci::SCI_POSITIONFROMPOINT, 0UL, 0L) - kLongLineMargin;
        const long b = v->SendScintilla(Sci::SCI_POSITIONFROMPOINT, static_cast<unsigned long>(size.width()),
                                        static_cast<long>(size.height())) +
                       kLongLineMargin;
        start = v->SendScintilla(Sci::SCI_POSITIONBEFORE, std::max(start, a) + 1);
        end = v->SendScintilla(Sci::SCI_POSITIONAFTER, std::min(end, b) - 1);
    }
    if (!force && start == m_markedStart && end == m_markedEnd) return;
    m_markedStart = start;
    m_markedEnd = end;
    v->SendScintilla(Sci::SCI_SETINDICATORCURRENT, kMatchIndicator);
    v->SendScintilla(Sci::SCI_INDICATORCLEARRANGE, 0UL, v->Utf8Length());
    if (end <= start) return;
    const auto* p = reinterpret_cast<const char*>(
        v->SendScintilla(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
    if (!p) return;
    const std::string_view range(p, static_cast<std::size_t>(end - start));
    int marked = 0;
    m_search.forEach(range, 0, range.size() + 1, [&](const TextMatch& m) {
        if (m.end > m.start)
            v->SendScintilla(Sci::SCI_INDICATORFILLRANGE,
                             static_cast<unsigned long>(start + static_cast<long>(m.start)),
                             static_cast<long>(m.end - m.start));
        return ++marked < kMarkLimit;
    });
}

void TextFinder::clearMarks() {
    m_markedStart = m_markedEnd = -1;
    for (int indicator : {kMatchIndicator, kCurrentIndicator}) {
        m_view->SendScintilla(Sci::SCI_SETINDICATORCURRENT, indicator);
        m_view->SendScintilla(Sci::SCI_INDICATORCLEARRANGE, 0UL, m_view->Utf8Length());
    }
}

std::vector<TextMatch> TextFinder::MarkedRanges() const {
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
