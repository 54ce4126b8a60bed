#pragma once
// A document as the editor holds it, its text in UTF-8 with each break as read and the runs kept with the
// bytes they were read with, turned back into the bytes of its file: what a save writes and what a
// recovery copy holds.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/KeptCodes.h"
#include "platform/TextDecoder.h"

namespace oruvan {

// The runs to keep of a line the decoder reported (TextDecoder::nonCanonical), by their places in the
// line's text. `from` holds the file's bytes from the line's start on: the line, and its break when two
// more bytes are there to tell it (and past it a last line of ISO-2022-JP escape sequences alone, when
// the decoder reports the line up to those).
std::vector<KeptRun> KeptRunsOfLine(Encoding e, const NonCanonicalLine& line, std::string_view from);

// Appends the encoding's byte order mark, then the text as EncodeKeeping writes it, in pieces of whole
// lines of about `piece` bytes handed to `spill` (when given) as they fill. False as soon as spill is.
bool EncodeDocument(Encoding e, std::string_view utf8, const std::vector<KeptSpan>& spans, std::string& out,
                    std::size_t piece = std::string::npos,
                    const std::function<bool(std::string&)>& spill = {});

}  // namespace oruvan
