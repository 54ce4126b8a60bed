#include "platform/DocumentBytes.h"

#include "platform/TextLines.h"

namespace oruvan {

std::vector<KeptRun> KeptRunsOfLine(Encoding e, const NonCanonicalLine& line, std::string_view from) {
    const std::string_view text = from.substr(0, static_cast<std::size_t>(line.end - line.begin));
    std::size_t breakLength = 0;
    // An ISO-2022-JP break within is followed by a last line of escape sequences alone, kept with it.
    const std::size_t within = e == Encoding::Iso2022Jp ? NextBreak(text, 0, breakLength) : text.size();
    if (within < text.size()) return FindKeptRuns(e, text.substr(0, within), text.substr(within));
    // The break goes along: it keeps escape sequences on a line of their own.
    const std::string_view after = from.substr(text.size(), 2);
    if (NextBreak(after, 0, breakLength) != 0) breakLength = 0;
    return FindKeptRuns(e, text, after.substr(0, breakLength));
}

bool EncodeDocument(Encoding e, std::string_view utf8, const std::vector<KeptSpan>& spans, std::string& out,
                    std::size_t piece, const std::function<bool(std::string&)>& spill) {
    out += ByteOrderMark(e);
    return EncodeKeeping(e, utf8, spans, out, piece, spill);
}

}  // namespace oruvan
