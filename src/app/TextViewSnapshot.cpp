// Copies of the text for recovery: taken on the interface thread, turned into bytes on a worker.
#include "app/TextView.h"
#include "platform/Cp932.h"

namespace oruvan {

TextView::Snapshot TextView::TakeSnapshot(std::shared_ptr<std::string> buffer) const {
    Snapshot s;
    s.utf8 = buffer ? std::move(buffer) : std::make_shared<std::string>();
    const std::string_view text = Utf8Buffer();
    // A reused buffer has its pages already: the copy is then all the cost.
    s.utf8->assign(text.data(), text.size());
    for (const auto& [line, bytes] : OriginalLines()) s.originals.emplace_back(line, std::string(bytes));
    return s;
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
