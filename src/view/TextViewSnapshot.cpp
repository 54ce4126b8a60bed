// Copies of the text for recovery: taken on the interface thread, turned into bytes on a worker.
#include <algorithm>

#include "view/TextView.h"

namespace oruvan {

TextView::Snapshot TextView::TakeSnapshot(std::shared_ptr<std::string> buffer) const {
    Snapshot s;
    s.utf8 = buffer ? std::move(buffer) : std::make_shared<std::string>();
    s.utf8->clear();
    AppendUtf8(0, Utf8Length(), *s.utf8);
    s.originals = m_kept.copy();
    s.encoding = m_encoding;
    return s;
}

void TextView::AppendUtf8(long start, long end, std::string& out) const {
    // The two sides of the buffer's gap, copied as they lie: asking for a range across it would first
    // move the gap (a second pass over the text).
    const long gap = std::clamp(static_cast<long>(SendScintilla(SCI_GETGAPPOSITION)), start, end);
    const std::string_view before = Utf8Range(start, gap);
    const std::string_view after = Utf8Range(gap, end);
    out.append(before.data(), before.size());
    out.append(after.data(), after.size());
}

std::string TextView::EncodingName() const { return NameOfEncoding(m_encoding); }

std::string TextView::NameOfEncoding(Encoding e) {
    const bool utf16 =
        WithByteOrderMark(e, false) == Encoding::Utf16Le || WithByteOrderMark(e, false) == Encoding::Utf16Be;
    std::string name = oruvan::EncodingName(e);
    if (utf16 && WithByteOrderMark(e, true) == e) name += " BOM";
    return name;
}

std::optional<Encoding> TextView::EncodingOfName(std::string_view name) {
    constexpr std::string_view kBom = " BOM";
    if (const auto e = EncodingFromName(name)) return e;
    if (name.size() > kBom.size() && name.substr(name.size() - kBom.size()) == kBom)
        if (const auto e = EncodingFromName(name.substr(0, name.size() - kBom.size())))
            return WithByteOrderMark(*e, true);
    return std::nullopt;
}

}  // namespace oruvan
