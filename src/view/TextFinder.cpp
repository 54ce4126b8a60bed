#include "view/TextFinder.h"

#include <algorithm>

#include "view/MatchCounter.h"
#include "view/MatchMarks.h"
#include "view/TextView.h"
#include "widgets/FindBar.h"

namespace oruvan {

namespace {

using Sci = QsciScintillaBase;

// A longer selection (a whole long line, say) is no search text; the field keeps its own.
constexpr long kLongestSelectionTaken = 4096;

}  // namespace

TextFinder::TextFinder(TextView* view, FindBar* bar, QObject* parent)
    : QObject(parent),
      m_view(view),
      m_bar(bar),
      m_query(bar),
      m_counter(new MatchCounter(view, bar, &m_query, this)),
      m_marks(new MatchMarks(view, &m_query, this)) {
    connect(m_bar, &FindBar::findTextEdited, this, &TextFinder::searchAsTyped);
    connect(m_bar, &FindBar::optionsChanged, this, &TextFinder::searchAsTyped);
    connect(m_bar, &FindBar::findNext, this, &TextFinder::FindNext);
    connect(m_bar, &FindBar::findPrevious, this, &TextFinder::FindPrevious);
    connect(m_bar, &FindBar::replaceOne, this, &TextFinder::ReplaceOne);
    connect(m_bar, &FindBar::replaceAll, this, &TextFinder::ReplaceAll);
    connect(m_bar, &FindBar::closed, this, [this] {
        if (m_query.Ready()) m_bar->Remember(m_bar->FindText());
        m_counter->Stop();
        m_marks->Clear();
        m_view->setFocus(Qt::OtherFocusReason);
    });
    connect(m_view, &TextView::changed, this, &TextFinder::textChanged);
    connect(m_view, &TextView::keyUp, this, &TextFinder::dropStaleNotice);
    connect(m_view, &TextView::mouseDown, this, &TextFinder::dropStaleNotice);
}

// Compiles the bar's search when it changed; false when there is nothing valid to search for.
bool TextFinder::prepare() {
    if (m_query.UpToDate()) return true;
    m_query.Compile();
    m_counter->Restart();
    return m_query.Ready();
}

void TextFinder::Open(bool withReplace) {
    const long s = m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART);
    const long e = m_view->SendScintilla(Sci::SCI_GETSELECTIONEND);
    if (s != e && e - s <= kLongestSelectionTaken &&
        m_view->SendScintilla(Sci::SCI_LINEFROMPOSITION, s) ==
            m_view->SendScintilla(Sci::SCI_LINEFROMPOSITION, e)) {
        // The current match stays as it is searched for (a regular expression is no plain text).
        const bool isMatch =
            prepare() && m_query.Search().at(m_view->Utf8Buffer(), static_cast<std::size_t>(s)) ==
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
    m_counter->Restart();
    m_marks->MarkVisible(true);
}

void TextFinder::searchAsTyped() {
    m_bar->SetNotFound(false);
    if (!prepare()) {
        m_marks->Clear();
        setNotice({});
        return;
    }
    TextSearch& search = m_query.Search();
    const std::string_view text = m_view->Utf8Buffer();
    const auto from = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    std::optional<TextMatch> m = search.next(text, from);
    bool wrapped = false;
    if (!m && !search.tooComplex()) {
        m = search.next(text, 0);
        wrapped = m.has_value();
    }
    if (search.tooComplex()) return tooComplex();
    if (!m) {
        notFound();
    } else {
        select(*m);
        setNotice(wrapped ? tr("先頭から検索しました") : QString());
    }
    m_counter->Show();
    m_marks->MarkVisible(true);
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
    TextSearch& search = m_query.Search();
    const std::string_view text = m_view->Utf8Buffer();
    const auto s = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    const auto e = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONEND));
    // An empty selection may be the empty match found last: the next one lies beyond it.
    std::optional<TextMatch> m = forward ? search.next(text, e, s != e) : search.previous(text, s);
    bool wrapped = false;
    if (!m && !search.tooComplex()) {
        m = forward ? search.next(text, 0) : search.previous(text, text.size() + 1);
        wrapped = m.has_value();
    }
    if (search.tooComplex()) return tooComplex();
    if (!m) return notFound();
    m_bar->SetNotFound(false);
    select(*m);
    setNotice(!wrapped  ? QString()
              : forward ? tr("先頭から検索しました")
                        : tr("末尾から検索しました"));
    m_counter->Show();
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
    m_marks->MarkCurrent(m);
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
    m_marks->MarkCurrent(std::nullopt);
    setNotice(tr("見つかりません"));
}

void TextFinder::tooComplex() {
    const QString message = tr("正規表現が複雑すぎるため、検索を中止しました");
    m_bar->SetMessage(message);
    setNotice(message);
}

std::string TextFinder::insertableReplacement() const {
    const QByteArray u = m_bar->ReplaceText().toUtf8();
    return m_view->InsertableUtf8(std::string_view(u.constData(), static_cast<std::size_t>(u.size())));
}

void TextFinder::ReplaceOne() {
    m_view->EndComposition();
    if (m_bar->FindText().isEmpty() || !prepare()) return step(true);
    TextSearch& search = m_query.Search();
    const std::string_view text = m_view->Utf8Buffer();
    const auto s = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    const auto e = static_cast<std::size_t>(m_view->SendScintilla(Sci::SCI_GETSELECTIONEND));
    // Only a selection that is a match is replaced; otherwise the next match is found first.
    if (search.at(text, s) == TextMatch{s, e}) {
        const Replacement r(insertableReplacement(), m_bar->Regex());
        std::string out;
        search.appendReplacement(text, r, out);
        m_view->SendScintilla(Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(s), static_cast<long>(e));
        m_view->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(out.size()), out.c_str());
        m_view->SendScintilla(Sci::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(s + out.size()));
        // Nothing taken out and nothing put in (^ replaced by nothing) reports no change to wait for.
        m_ownEdit = e > s || !out.empty();
        m_counter->Restart();
    }
    step(true);
}

void TextFinder::ReplaceAll() {
    m_view->EndComposition();
    const QString what = m_bar->FindText();
    if (what.isEmpty() || !prepare()) return;
    m_bar->Remember(what);
    TextSearch& search = m_query.Search();
    const std::string_view text = m_view->Utf8Buffer();
    const Replacement r(insertableReplacement(), m_bar->Regex());
    // Every replacement is made before the text changes, then applied from the end, so no position
    // moves under a later one.
    struct Edit {
        std::size_t start, end, textStart, textLength;
    };
    std::vector<Edit> edits;
    std::string replaced;
    search.forEach(text, 0, text.size() + 1, [&](const TextMatch& m) {
        const std::size_t before = replaced.size();
        search.appendReplacement(text, r, replaced);
        edits.push_back({m.start, m.end, before, replaced.size() - before});
        return true;
    });
    if (search.tooComplex()) return tooComplex();
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
    setNotice(tr("%1 件置換しました").arg(edits.size()));
    m_counter->Restart();
    m_marks->MarkVisible(true);
}

void TextFinder::TextReplaced() {
    m_ownEdit = false;
    m_counter->Restart();
    m_marks->MarkVisible(true);
}

bool TextFinder::CountDone() const { return m_counter->Done(); }

void TextFinder::FinishCount() { m_counter->Finish(); }

std::vector<TextMatch> TextFinder::MarkedRanges() const { return m_marks->Ranges(); }

void TextFinder::textChanged() {
    dropStaleNotice();
    if (!m_query.Shown()) return;
    if (m_ownEdit) {
        m_ownEdit = false;
        return;
    }
    // The count waits until typing pauses; the marks on screen follow at once.
    m_counter->RestartLater();
    m_marks->MarkVisible(true);
}

}  // namespace oruvan
