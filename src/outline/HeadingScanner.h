#pragma once
// Finds the headings of a whole text: every line that IsTitleLine accepts, in document order.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "outline/IndexEntry.h"
#include "outline/TitleMarks.h"

namespace oruvan {

// The heading test sees at most this many bytes of a line.
constexpr std::size_t kMaxLineBytes = 4096;

// The first 4,096 bytes of a line, or 4,095 when byte 4,096 would be the first half of a double-byte
// character. Leading blanks count: the cut comes before any trimming.
std::string_view CutLine(std::string_view line);

// Scans cp932 text. Lines end at CR LF, a lone CR or a lone LF; an empty last line after the last break
// is not a line. Entries carry zero-based line numbers.
Index ScanHeadingsCp932(std::string_view cp932Text, const HeadingRules& rules);

// Lines given by their own cp932 bytes, as (zero-based line, bytes), in ascending line order.
using LineBytesList = std::vector<std::pair<int, std::string>>;

// Scans the editor's UTF-8 buffer (as the cp932 converter produced it, raw-byte code points included)
// with the result ScanHeadingsCp932 gives for the buffer converted to cp932. Only lines whose first
// character can begin a mark are converted and tested. The lines of `ownBytes` are tested on those bytes
// instead: a line read with one of two codes for a character would convert back to the other one. An
// entry whose cp932 text lacks a character of the line, or reads one as another, keeps the heading as
// written beside it.
Index ScanHeadingsUtf8(std::string_view utf8Buffer, const HeadingRules& rules,
                       const LineBytesList& ownBytes = {});

class MarkStartFilter;

// Scans cp932 text that arrives in pieces, as a file read a block at a time: the lines of every piece
// are numbered on from the pieces before it.
class HeadingScanner {
public:
    explicit HeadingScanner(const HeadingRules& rules);
    ~HeadingScanner();
    HeadingScanner(const HeadingScanner&) = delete;
    HeadingScanner& operator=(const HeadingScanner&) = delete;

    // Appends the headings of the next piece to index. Every piece but the last must end with a whole
    // line break: a CR whose LF begins the next piece would count one line too many.
    void scanCp932(std::string_view piece, Index& index);
    // The same for UTF-8 text, as TextDecoder gives a document in any encoding: lines are tested as
    // ScanHeadingsUtf8 tests them, but the entries' texts are UTF-8, taken from the line itself, so that
    // a character cp932 lacks stays itself rather than '?'.
    void scanUtf8(std::string_view piece, Index& index);
    // The same for the bytes of a UTF-8 document as they stand (its byte order mark removed): the
    // headings scanUtf8 finds in what TextDecoder makes of them, without decoding all the text.
    void scanUtf8Bytes(std::string_view piece, Index& index);
    // The same for the bytes of an EUC-JP document: only the lines whose first character may begin a
    // mark are decoded.
    void scanEucJpBytes(std::string_view piece, Index& index);
    int linesRead() const { return m_lines; }

private:
    // One line of UTF-8 text, numbered m_lines, as scanUtf8 tests it.
    void scanUtf8Line(std::string_view line, Index& index);

    HeadingRules m_rules;
    std::unique_ptr<MarkStartFilter> m_filter;
    int m_lines = 0;
    std::string m_cp932;
    std::vector<std::uint8_t> m_eucJpStarts;  // by a first character's EUC-JP code: 0 unknown, 1 no, 2 may
};

}  // namespace oruvan
