#include "outline/IndexMenuLayout.h"

#include <algorithm>

#include "outline/NvStrUtils.h"

namespace oruvan {

const char* const kNextPageCaption = "\x8e\x9f\x82\xcc\x83\x79\x81\x5b\x83\x57 (&>)";

int IndexMenuPageCount(int n) { return n <= 0 ? 0 : (n - 1) / kIndexMenuPageSize + 1; }

std::vector<IndexMenuItem> IndexMenuPage(const Index& index, int page, bool nextPageMenuIsHead) {
    const int n = static_cast<int>(index.size());
    std::vector<IndexMenuItem> items;
    if (page < 0 || page >= IndexMenuPageCount(n)) return items;
    const int first = page * kIndexMenuPageSize;
    const int last = std::min(first + kIndexMenuPageSize, n) - 1;
    const bool hasNext = last + 1 < n;
    items.reserve(kIndexMenuPageSize + 2);
    const auto add = [&items](IndexMenuItem::Kind kind, int entry) {
        const bool redundant = kind == IndexMenuItem::Separator &&
                               (items.empty() || items.back().kind == IndexMenuItem::Separator);
        if (!redundant) items.push_back({kind, entry});
    };
    if (hasNext && nextPageMenuIsHead) {
        add(IndexMenuItem::PageItem, -1);
        add(IndexMenuItem::Separator, -1);
    }
    for (int i = first; i <= last; ++i) {
        const bool line = IsSeparatorCaption(index[static_cast<std::size_t>(i)].text);
        add(line ? IndexMenuItem::Separator : IndexMenuItem::Entry, i);
    }
    if (hasNext && !nextPageMenuIsHead) {
        add(IndexMenuItem::Separator, -1);
        add(IndexMenuItem::PageItem, -1);
    }
    if (!items.empty() && items.back().kind == IndexMenuItem::Separator) items.pop_back();
    return items;
}

std::string ShortenMenuCaption(std::string_view text) {
    if (text.size() <= kMenuCaptionMaxBytes) return std::string(text);
    std::size_t i = 0;
    while (i + 1 < kMenuCaptionMaxBytes) i += LeadByteCharLength(text, i);
    // Byte 40 is a lead byte when a character starts there with one, whatever follows it.
    if (i + 1 == kMenuCaptionMaxBytes && IsLeadByte(static_cast<unsigned char>(text[i])))
        return std::string(text.substr(0, kMenuCaptionMaxBytes + 1)) + "..";
    return std::string(text.substr(0, kMenuCaptionMaxBytes)) + "...";
}

}  // namespace oruvan
