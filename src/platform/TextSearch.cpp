#include "platform/TextSearch.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstring>

#include "platform/SearchFold.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

namespace oruvan {

namespace {

// The scan for a previous match starts this far back and doubles until it finds one.
constexpr std::size_t kFirstWindow = 64 * 1024;

std::size_t NextCharAt(std::string_view s, std::size_t p) {
    ++p;
    while (p < s.size() && IsUtf8Continuation(static_cast<unsigned char>(s[p]))) ++p;
    return p;
}

// Lines end at CR LF, LF or CR, as the document's own breaks do: a position between the CR and the LF of
// one break is no line start.
std::size_t LineStartBefore(std::string_view s, std::size_t p) {
    std::size_t start = LastBreakEnd(s, 0, p);
    // p inside CR LF: the line holds the CR.
    if (start != std::string_view::npos && start > p) start = LastBreakEnd(s, 0, p - 1);
    return start == std::string_view::npos ? 0 : start;
}

// The end of the line after the one holding p, break included.
std::size_t EndOfNextLine(std::string_view s, std::size_t p) {
    for (int line = 0; line < 2 && p < s.size(); ++line) {
        std::size_t length = 0;
        p = NextBreak(s, p, length) + length;
    }
    return p;
}

}  // namespace

Replacement::Replacement(std::string_view text, bool regex) {
    auto literal = [this](std::string_view s) {
        if (m_pieces.empty() || m_pieces.back().group >= 0) m_pieces.push_back({});
        m_pieces.back().text.append(s);
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char n = i + 1 < text.size() ? text[i + 1] : '\0';
        if (regex && (c == '\\' || c == '$') && n >= '0' && n <= '9') {
            m_pieces.push_back({std::string(), n - '0'});
            ++i;
        } else if (regex && c == '\\' && (n == '\\' || n == 'n' || n == 't')) {
            literal(n == 'n' ? "\n" : n == 't' ? "\t" : "\\");
            ++i;
        } else if (regex && c == '$' && n == '$') {
            literal("$");
            ++i;
        } else {
            literal(text.substr(i, 1));
        }
    }
}

struct TextSearch::Impl {
    pcre2_code* code = nullptr;
    // The same pattern anchored when compiled: anchoring a match instead would leave the JIT, and the
    // interpreter checks the whole subject's UTF-8 first.
    pcre2_code* anchored = nullptr;
    pcre2_match_data* data = nullptr;
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* stack = nullptr;

    ~Impl() { reset(); }
    void reset() {
        pcre2_match_data_free(data);
        pcre2_code_free(code);
        pcre2_code_free(anchored);
        pcre2_match_context_free(context);
        pcre2_jit_stack_free(stack);
        data = nullptr;
        code = nullptr;
        anchored = nullptr;
        context = nullptr;
        stack = nullptr;
    }
};

TextSearch::TextSearch() : m(std::make_unique<Impl>()) {}
TextSearch::~TextSearch() = default;

bool TextSearch::ready() const { return m->code != nullptr; }

bool TextSearch::compile(std::u32string_view text, const SearchOptions& options, SearchError* error) {
    m->reset();
    m_tooComplex = false;
    std::string pattern;
    if (options.regex)
        for (char32_t c : text) AppendUtf8(c, pattern);
    else
        pattern = LiteralPattern(text, options.matchCase, options.ignoreWidth);
    // \C could stop inside a character; bytes that are not UTF-8 are skipped rather than refused.
    std::uint32_t flags = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_NEVER_BACKSLASH_C;
    if (options.regex) flags |= PCRE2_MULTILINE | (options.matchCase ? 0 : PCRE2_CASELESS);
    pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
    // ^, $ and . follow the document's breaks, whichever of CR LF, LF and CR each line has.
    pcre2_set_newline(cc, PCRE2_NEWLINE_ANYCRLF);
    int code = 0;
    PCRE2_SIZE offset = 0;
    m->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags, &code,
                            &offset, cc);
    if (m->code) {
        int ignored = 0;
        m->anchored = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                    flags | PCRE2_ANCHORED, &ignored, &offset, cc);
    }
    pcre2_compile_context_free(cc);
    if (!m->code) {
        if (error) {
            PCRE2_UCHAR message[256];
            pcre2_get_error_message(code, message, sizeof message);
            error->message = reinterpret_cast<const char*>(message);
            error->offset = 0;
            for (std::size_t i = 0; i < offset && i < pattern.size(); ++i)
                if (!IsUtf8Continuation(static_cast<unsigned char>(pattern[i]))) ++error->offset;
        }
        return false;
    }
    // Without the JIT the interpreter runs.
    pcre2_jit_compile(m->code, PCRE2_JIT_COMPLETE);
    if (m->anchored) pcre2_jit_compile(m->anchored, PCRE2_JIT_COMPLETE);
    m->data = pcre2_match_data_create_from_pattern(m->code, nullptr);
    m->context = pcre2_match_context_create(nullptr);
    m->stack = pcre2_jit_stack_create(32 * 1024, 4 * 1024 * 1024, nullptr);
    pcre2_jit_stack_assign(m->context, nullptr, m->stack);
    return true;
}

std::optional<TextMatch> TextSearch::match(std::string_view subject, std::size_t from, std::uint32_t flags) {
    pcre2_code* code = flags & PCRE2_ANCHORED ? m->anchored : m->code;
    if (!code || from > subject.size()) return std::nullopt;
    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data() ? subject.data() : "");
    for (;;) {
        const int rc =
            pcre2_match(code, text, subject.size(), from, flags & ~PCRE2_ANCHORED, m->data, m->context);
        if (rc < 0) {
            if (rc != PCRE2_ERROR_NOMATCH) m_tooComplex = true;
            return std::nullopt;
        }
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(m->data);
        // A lookbehind or \K can end a match before it starts; it then counts as empty.
        const TextMatch found{ov[0], std::max(ov[0], ov[1])};
        // PCRE2 takes the LF of a CR LF for a break of its own, so ^ and $ also hold between the two: an
        // empty match there is none, and the search goes on after the break.
        const bool insideBreak = found.start > 0 && found.start < subject.size() &&
                                 subject[found.start - 1] == '\r' && subject[found.start] == '\n';
        if (found.end > found.start || !insideBreak) return found;
        if (flags & PCRE2_ANCHORED) return std::nullopt;
        from = found.start + 1;
        flags &= ~PCRE2_NOTEMPTY_ATSTART;
    }
}

std::optional<TextMatch> TextSearch::next(std::string_view subject, std::size_t from, bool emptyAtFrom) {
    m_tooComplex = false;
    std::optional<TextMatch> found = match(subject, from, 0);
    if (!found || emptyAtFrom || found->start != from || found->end != from) return found;
    if (auto longer = match(subject, from, PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED)) return longer;
    if (m_tooComplex || from >= subject.size()) return std::nullopt;
    return match(subject, NextCharAt(subject, from), 0);
}

std::optional<TextMatch> TextSearch::at(std::string_view subject, std::size_t start) {
    m_tooComplex = false;
    return match(subject, start, PCRE2_ANCHORED);
}

std::size_t TextSearch::forEach(std::string_view subject, std::size_t from, std::size_t to,
                                const std::function<bool(const TextMatch&)>& found) {
    m_tooComplex = false;
    std::size_t p = from;
    bool afterEmpty = false;
    while (p <= subject.size() && p < to) {
        std::optional<TextMatch> hit =
            match(subject, p, afterEmpty ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0);
        if (!hit) {
            if (!afterEmpty || m_tooComplex || p >= subject.size()) return subject.size();
            p = NextCharAt(subject, p);
            afterEmpty = false;
            continue;
        }
        if (hit->start >= to) return hit->start;
        if (!found(*hit)) return hit->end > hit->start ? hit->end : NextCharAt(subject, hit->end);
        afterEmpty = hit->start == hit->end;
        p = hit->end;
    }
    return p;
}

std::optional<TextMatch> TextSearch::previous(std::string_view subject, std::size_t before) {
    m_tooComplex = false;
    std::size_t window = kFirstWindow;
    std::size_t hi = std::min(before, subject.size() + 1);
    while (hi > 0) {
        const std::size_t start = LineStartBefore(subject, hi > window ? hi - window : 0);
        // Seen only up to the line after hi's: a scan never runs on to the end of a large text.
        const std::string_view seen = subject.substr(0, EndOfNextLine(subject, std::min(hi, subject.size())));
        std::optional<TextMatch> last;
        forEach(seen, start, hi, [&last](const TextMatch& found) {
            last = found;
            return true;
        });
        if (m_tooComplex) return std::nullopt;
        if (last) {
            if (auto whole = at(subject, last->start)) return whole;
            return last;
        }
        if (start == 0) break;
        hi = start;
        window *= 2;
    }
    return std::nullopt;
}

void TextSearch::appendReplacement(std::string_view subject, const Replacement& r, std::string& out) const {
    const PCRE2_SIZE* ov = m->data ? pcre2_get_ovector_pointer(m->data) : nullptr;
    const std::uint32_t pairs = m->data ? pcre2_get_ovector_count(m->data) : 0;
    for (const Replacement::Piece& piece : r.m_pieces) {
        if (piece.group < 0) {
            out += piece.text;
            continue;
        }
        const auto g = static_cast<std::uint32_t>(piece.group);
        if (!ov || g >= pairs || ov[2 * g] == PCRE2_UNSET || ov[2 * g + 1] < ov[2 * g]) continue;
        out.append(subject.substr(ov[2 * g], ov[2 * g + 1] - ov[2 * g]));
    }
}

}  // namespace oruvan
