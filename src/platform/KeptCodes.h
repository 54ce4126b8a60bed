#pragma once
// Characters whose bytes do not come back from their text (a code that shares its character with another
// code, ISO-2022-JP not in canonical form), kept beside the text in runs as small as the encoding allows:
// found on a line as read, and written back by their bytes wherever the text still holds what they
// decode to, so an edit elsewhere on the line leaves them.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextEncoding.h"

namespace oruvan {

// Text [begin, end) of a line kept with the bytes it was read with.
struct KeptRun {
    std::size_t begin;
    std::size_t end;
    std::string bytes;
    bool operator==(const KeptRun& o) const { return begin == o.begin && end == o.end && bytes == o.bytes; }
};

// The runs of a line as read (its break excluded), by their places in DecodeText of the line; the bytes
// between them are what EncodeText gives for their text. A character of its own in Shift_JIS and EUC-JP;
// in ISO-2022-JP, what lies between two ASCII characters. Escape sequences that shift to nothing go with
// the character after them, or before them at the line's end; on a line of them alone they go with its
// break, `lineBreak` (the run then covers the break, past the line's text; none when there is none).
// `lineBreak` may go on past the break with a last line of escape sequences alone: they go with it too.
std::vector<KeptRun> FindKeptRuns(Encoding e, std::string_view line, std::string_view lineBreak);

// A run of a document's text kept with bytes, and `text`, what the bytes decode to. The run may hold that
// text several times over (runs of the same bytes that met), and stands for that many copies of them.
struct KeptSpan {
    std::size_t begin;
    std::size_t end;
    std::string_view bytes;
    std::string_view text;
};

// How many times over `held` is `text` (0 when it holds anything else).
std::size_t KeptRepeats(std::string_view held, std::string_view text);

// Encodes utf8 as EncodeText does, but writes the spans (ascending, apart) that still hold their text by
// their bytes, with what ISO-2022-JP needs after them to read on. The text between them is encoded in
// pieces of whole lines of about `piece` bytes; after each, `spill` (when given) may take what `out`
// holds. Returns false as soon as spill does.
bool EncodeKeeping(Encoding e, std::string_view utf8, const std::vector<KeptSpan>& spans, std::string& out,
                   std::size_t piece = std::string::npos,
                   const std::function<bool(std::string&)>& spill = {});

}  // namespace oruvan
