#include "platform/KeptCodes.h"

#include <algorithm>

#include "platform/ConvertLoops.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

namespace oruvan {

namespace {

constexpr char kToAscii[] = "\x1B(B";

// What cannot be cut finer is kept whole.
std::vector<KeptRun> WholeLine(std::size_t textSize, std::string_view line) {
    if (textSize == 0) return {};
    return {{0, textSize, std::string(line)}};
}

// Shift_JIS and EUC-JP: a character at a time, each by the bytes of the file that decode to it.
std::vector<KeptRun> CharacterRuns(Encoding e, std::string_view line) {
    const std::string text = DecodeText(e, line);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::vector<KeptRun> runs;
    std::string code;
    std::size_t at = 0;
    for (std::size_t t = 0; t < text.size();) {
        char32_t c;
        const std::size_t n = std::max<std::size_t>(ReadUtf8(p + t, p + text.size(), c), 1);
        const std::string_view character(text.data() + t, n);
        code.clear();
        EncodeText(e, character, code);
        std::size_t length = line.substr(at, code.size()) == code ? code.size() : 0;
        if (length == 0) {
            for (const std::size_t l : {2, 3, 1, 4}) {
                if (at + l <= line.size() && DecodeText(e, line.substr(at, l)) == character) {
                    length = l;
                    break;
                }
            }
            if (length == 0) return WholeLine(text.size(), line);
            runs.push_back({t, t + n, std::string(line.substr(at, length))});
        }
        at += length;
        t += n;
    }
    if (at != line.size()) return WholeLine(text.size(), line);
    return runs;
}

// An ISO-2022-JP line's text (escape sequences alone read as nothing).
std::string LineText(std::string_view line) {
    std::string text;
    detail::DecodeIso2022JpLine(line, false, text);
    return text;
}

// A piece of an ISO-2022-JP line and its text.
struct Piece {
    std::size_t from, to;            // in the line
    std::size_t textBegin, textEnd;  // in its text
    bool kept;                       // its bytes are not what its text encodes to
};

// The pieces of `bytes` (which start in ASCII) as Iso2022JpPieceEnds cuts them, appending their text to
// `text`; escape sequences that shift to nothing join the piece after them (the last piece may be such
// sequences alone). False when the pieces do not read as the whole does.
bool SplitPieces(std::string_view bytes, bool atEscapes, std::vector<Piece>& pieces, std::string& text) {
    std::string canonical;
    std::size_t from = 0;
    for (const std::size_t to : detail::Iso2022JpPieceEnds(bytes, atEscapes)) {
        const std::string_view piece = bytes.substr(from, to - from);
        const std::size_t begin = text.size();
        detail::DecodeIso2022JpLine(piece, false, text);
        canonical.clear();
        EncodeText(Encoding::Iso2022Jp, std::string_view(text).substr(begin), canonical);
        if (!pieces.empty() && pieces.back().textBegin == pieces.back().textEnd)
            pieces.back() = {pieces.back().from, to, begin, text.size(), true};
        else
            pieces.push_back({from, to, begin, text.size(), canonical != piece});
        from = to;
    }
    return from == bytes.size() && text == LineText(bytes);
}

// Escape sequences alone at the end join the piece before them; false when there is none.
bool JoinLastShifts(std::vector<Piece>& pieces) {
    if (pieces.empty() || pieces.back().textBegin != pieces.back().textEnd) return true;
    const std::size_t to = pieces.back().to;
    pieces.pop_back();
    if (pieces.empty()) return false;
    pieces.back().to = to;
    pieces.back().kept = true;
    return true;
}

// ISO-2022-JP: the pieces between two ASCII characters that do not come back from their text, each cut
// again before every escape sequence, so that an edit beside a character of another set leaves it.
std::vector<KeptRun> Iso2022JpRuns(std::string_view line, std::string_view lineBreak) {
    // What lineBreak holds past the break is a last line of escape sequences alone, which goes with it.
    std::size_t breakLength = 0;
    NextBreak(lineBreak, 0, breakLength);
    std::vector<Piece> pieces;
    std::string text;
    std::vector<KeptRun> runs;
    if (!SplitPieces(line, false, pieces, text)) {
        pieces.clear();
        text = LineText(line);
        runs = WholeLine(text.size(), line);
    } else if (!JoinLastShifts(pieces)) {
        if (lineBreak.empty()) return {};
        return {{0, breakLength, std::string(line) + std::string(lineBreak)}};
    }
    for (const Piece& piece : pieces) {
        if (!piece.kept) continue;
        const std::string_view bytes = line.substr(piece.from, piece.to - piece.from);
        std::vector<Piece> fine;
        std::string fineText;
        if (!SplitPieces(bytes, true, fine, fineText) || !JoinLastShifts(fine))
            fine = {{0, bytes.size(), 0, piece.textEnd - piece.textBegin, true}};
        for (const Piece& f : fine)
            runs.push_back({piece.textBegin + f.textBegin, piece.textBegin + f.textEnd,
                            std::string(bytes.substr(f.from, f.to - f.from))});
    }
    if (lineBreak.size() > breakLength)
        runs.push_back({text.size(), text.size() + breakLength, std::string(lineBreak)});
    return runs;
}

}  // namespace

std::vector<KeptRun> FindKeptRuns(Encoding e, std::string_view line, std::string_view lineBreak) {
    if (e == Encoding::Iso2022Jp) return Iso2022JpRuns(line, lineBreak);
    return CharacterRuns(e, line);
}

std::size_t KeptRepeats(std::string_view held, std::string_view text) {
    if (text.empty() || held.size() % text.size() != 0) return 0;
    for (std::size_t at = 0; at < held.size(); at += text.size())
        if (held.compare(at, text.size(), text) != 0) return 0;
    return held.size() / text.size();
}

bool EncodeKeeping(Encoding e, std::string_view utf8, const std::vector<KeptSpan>& spans, std::string& out,
                   std::size_t piece, const std::function<bool(std::string&)>& spill) {
    bool ok = true;
    std::size_t done = 0;
    // Whole lines at a time: every encoding, ISO-2022-JP included, then writes the text as it would whole.
    const auto encodeUpTo = [&](std::size_t stop) {
        while (done < stop && ok) {
            std::size_t cut = stop;
            if (stop - done > piece) {
                cut = LastBreakEnd(utf8, done, done + piece);
                if (cut == std::string_view::npos) {
                    std::size_t length = 0;
                    cut = std::min(stop, NextBreak(utf8, done + piece, length) + length);
                }
            }
            EncodeText(e, utf8.substr(done, cut - done), out);
            done = cut;
            if (spill && out.size() >= piece) ok = spill(out);
        }
    };
    // How many times over each span holds its text, 0 for those written from their text.
    const auto holds = [&](const KeptSpan& s) -> std::size_t {
        if (s.begin < done || s.end <= s.begin || s.end > utf8.size()) return 0;
        return KeptRepeats(utf8.substr(s.begin, s.end - s.begin), s.text);
    };
    std::size_t times = spans.empty() ? 0 : holds(spans.front());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const KeptSpan& s = spans[i];
        if (times == 0) {
            times = i + 1 < spans.size() ? holds(spans[i + 1]) : 0;
            continue;
        }
        encodeUpTo(s.begin);
        if (!ok) return false;
        done = s.end;
        const std::size_t nextTimes = i + 1 < spans.size() ? holds(spans[i + 1]) : 0;
        // A set the bytes leave in effect would misread what follows on the line, unless it starts by
        // setting its own.
        bool lineGoesOn = s.end < utf8.size() && utf8[s.end] != '\r' && utf8[s.end] != '\n';
        if (nextTimes && spans[i + 1].begin == s.end && detail::Iso2022JpStartsWithEscape(spans[i + 1].bytes))
            lineGoesOn = false;
        const bool shifted = e == Encoding::Iso2022Jp && detail::Iso2022JpEndsShifted(s.bytes);
        const bool selfSet = detail::Iso2022JpStartsWithEscape(s.bytes);
        for (std::size_t k = 1; k <= times; ++k) {
            out += s.bytes;
            if (shifted && (k < times ? !selfSet : lineGoesOn)) out += kToAscii;
        }
        times = nextTimes;
    }
    encodeUpTo(utf8.size());
    return ok;
}

}  // namespace oruvan
