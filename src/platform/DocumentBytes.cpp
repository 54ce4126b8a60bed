#include "platform/DocumentBytes.h"

#include "platform/TextLines.h"

namespace oruvan {

std::vector<KeptRun> KeptRunsOfLine(Encoding e, const NonCanonicalLine& line, std::string_view from) {
    const std::string_view text = from.substr(0, static_cast<std::size_t>(line.end - line.begin));
    // The break goes along: it keeps escape sequences on a line of their own.
    const std::string_view after = from.substr(text.size(), 2);
    std::size_t breakLength = 0;
    if (NextBreak(after, 0, breakLength) != 0) breakLength = 0;
    return FindKeptRuns(e, text, after.substr(0, breakLength));
}

bool EncodeDocument(Encoding e, std::string_view utf8, const std::vector<KeptSpan>& spans, std::string& out,
                    std::size_t piece, const std::function<bool(std::string&)>& spill) {
    out += ByteOrderMark(e);
    return EncodeKeeping(e, utf8, spans, out, piece, spill);
}

}  // namespace oruvan
