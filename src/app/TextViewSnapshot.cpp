// Copies of the text for recovery: taken on the interface thread, turned into bytes on a worker.
#include <algorithm>

#include "app/TextView.h"
#include "platform/Cp932.h"

namespace oruvan {

TextView::Snapshot TextView::TakeSnapshot(std::shared_ptr<std::string> buffer) const {
    Snapshot s;
    s.utf8 = buffer ? std::move(buffer) : std::make_shared<std::string>();
    s.utf8->clear();
    AppendUtf8(0, Utf8Length(), *s.utf8);
    s.originals = OriginalsCopy();
    return s;
}

void TextView::AppendUtf8(long start, long end, std::string& out) const {
    // The two sides of the buffer's gap, copied as they lie: asking for a range across it would first
    // move the gap (a second pass over the text).
    const long gap = std::clamp(static_cast<long>(SendScintilla(SCI_GETGAPPOSITION)), start, end);
    const std::string_view before = rangeUtf8(start, gap);
    const std::string_view after = rangeUtf8(gap, end);
    out.append(before.data(), before.size());
    out.append(after.data(), after.size());
}

std::vector<std::pair<int, std::string>> TextView::OriginalsCopy() const {
    std::vector<std::pair<int, std::string>> copy;
    for (const auto& [line, bytes] : OriginalLines()) copy.emplace_back(line, std::string(bytes));
    return copy;
}

void TextView::SnapshotBytes(const Snapshot& snapshot, std::string& out) {
    const std::string_view text = *snapshot.utf8;
    out.clear();
    out.reserve(text.size() + text.size() / 8);
    auto original = snapshot.originals.begin();
    int line = 0;
    for (std::size_t start = 0;; ++line) {
        const std::size_t end = text.find('\n', start);
        const std::string_view body = text.substr(start, end == std::string_view::npos ? end : end - start);
        while (original != snapshot.originals.end() && original->first < line) ++original;
        if (original != snapshot.originals.end() && original->first == line)
            out += original->second;
        else
            Utf8ToCp932(body, out);
        if (end == std::string_view::npos) break;
        out += "\r\n";
        start = end + 1;
    }
}

std::string TextView::EncodingName() const { return "Shift_JIS"; }

}  // namespace oruvan
