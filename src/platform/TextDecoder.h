#pragma once
// Streaming decoder: reads a file in chunks of any size into the view's UTF-8, counting line breaks and
// noting the lines whose bytes EncodeText would not give back.
//
// Typical use, for a file opened in `encoding`:
//     TextDecoder decoder(encoding);
//     while (read a chunk) decoder.decode(chunk, false, utf8);   // append utf8 to the view
//     decoder.decode({}, true, utf8);
//     document encoding = decoder.encoding();  // with or without a byte order mark, as read
//     break style = decoder.breaks().dominant(), mixed = decoder.breaks().mixed();
//     for (const NonCanonicalLine& l : decoder.nonCanonical()) keep the runs FindKeptRuns (KeptCodes.h)
//         finds in bytes [l.begin, l.end) of the file, on view line l.line, and move them with the text.
// Saving then writes ByteOrderMark(encoding) and EncodeKeeping of the text with the runs that still hold
// what they were read with.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextEncoding.h"

namespace oruvan {

// How breaks reach the output: as they are, or each of CR LF, CR and LF as one LF (the view of old,
// which writes CR LF everywhere).
enum class BreakMode : std::uint8_t { Keep, ToLf };

// A line whose bytes do not come back from its text: a code that shares its character with another
// (cp932 NEC/IBM rows, EUC-JP duplicates) or an ISO-2022-JP line not in canonical form.
struct NonCanonicalLine {
    std::size_t line;     // zero-based, as the view counts lines: CR LF, LF and CR each end one
    std::uint64_t begin;  // byte offsets of the line in the whole input (a byte order mark counts),
    std::uint64_t end;    // its break excluded (but for an ISO-2022-JP line before a last line of escape
                          // sequences alone with no break after it: up to the end, those included)
    bool operator==(const NonCanonicalLine& o) const {
        return line == o.line && begin == o.begin && end == o.end;
    }
};

namespace detail {
// Where the decoder is within the input's lines; shared with the decoding loops.
struct LineState {
    std::size_t line = 0;
    BreakCounts counts;
    std::vector<NonCanonicalLine>* spans = nullptr;  // null: nothing is recorded
    std::uint64_t lineStart = 0;
    bool spanOpen = false;
    // The input offset of `base`, so positions in the current buffer give offsets in the whole input.
    const unsigned char* base = nullptr;
    std::uint64_t baseOffset = 0;

    std::uint64_t offsetOf(const unsigned char* p) const {
        return baseOffset + static_cast<std::uint64_t>(p - base);
    }
    void noteNonCanonical() {
        if (!spans || spanOpen) return;
        spans->push_back({line, lineStart, lineStart});
        spanOpen = true;
    }
    // A break of `kind` from `at` to `next` ends the current line.
    void endLine(const unsigned char* at, const unsigned char* next, LineBreak kind) {
        if (spanOpen) {
            spans->back().end = offsetOf(at);
            spanOpen = false;
        }
        ++line;
        ++(kind == LineBreak::CrLf ? counts.crlf : kind == LineBreak::Lf ? counts.lf : counts.cr);
        lineStart = offsetOf(next);
    }
    // The input ends at `end` (an offset) without a break after the last line.
    void endInput(std::uint64_t end) {
        if (spanOpen) spans->back().end = end;
        spanOpen = false;
    }
};
}  // namespace detail

class TextDecoder {
public:
    // A UTF-8 or UTF-16 decoder drops a byte order mark at the very start, whichever of the two forms
    // of the encoding it is given, and encoding() then says whether there was one.
    explicit TextDecoder(Encoding encoding, BreakMode breaks = BreakMode::Keep);

    // Appends the UTF-8 of `in` to out. Pass last = true with the final chunk (possibly empty). A
    // character, escape sequence or CR that a chunk cuts is held back until the next chunk, so any split
    // of the input gives the same output as decoding it whole.
    void decode(std::string_view in, bool last, std::string& out);

    // The encoding as read: the one given, with a byte order mark exactly when the input had one.
    Encoding encoding() const { return WithByteOrderMark(m_encoding, m_bom); }
    // Lines to keep the original bytes of, in ascending order. A line's entry is complete once its break
    // (or the end of input) has been read.
    const std::vector<NonCanonicalLine>& nonCanonical() const { return m_nonCanonical; }
    // The same lines' numbers only.
    std::vector<std::size_t> nonCanonicalLines() const;
    // Line breaks read so far.
    std::size_t linesSeen() const { return m_state.line; }
    const BreakCounts& breaks() const { return m_state.counts; }

private:
    const unsigned char* decodeSpan(const unsigned char* p, const unsigned char* stop,
                                    const unsigned char* end, bool final, std::string& out);
    const unsigned char* decodeIsoLines(const unsigned char* p, const unsigned char* stop,
                                        const unsigned char* end, bool final, std::string& out);
    void finishIsoLine(bool beforeLf, bool last, std::string& out);

    Encoding m_encoding;
    BreakMode m_breaks;
    bool m_bom = false;
    bool m_started = false;
    std::uint64_t m_received = 0;  // input bytes given before the current chunk
    std::string m_pending;         // bytes held back from the end of the last chunk
    detail::LineState m_state;
    std::vector<NonCanonicalLine> m_nonCanonical;
    std::string m_isoLine;              // ISO-2022-JP: the bytes of the line being read
    bool m_isoAfterCr = false;          // and whether a lone CR ended the line before
    bool m_isoBeforeAsBytes = false;    // whether the line before was escape sequences shown as bytes
    std::uint64_t m_isoLineBefore = 0;  // where the line before starts in the input
};

}  // namespace oruvan
