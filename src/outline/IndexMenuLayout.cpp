#include "outline/IndexMenuLayout.h"

#include <algorithm>

#include "outline/NvStrUtils.h"

namespace oruvan {

const char* const kNextPageCaption = "\x8e\x9f\x82\xcc\x83\x79\x81\x5b\x83\x57 (&>)";

int IndexMenuPageCount(int n) { return n <= 0 ? 0 : (n - 1) / kIndexMenuPageSize + 1; }

std::vector<IndexMenuItem> IndexMenuPage(int n, int page, bool nextPageMenuIsHead) {
    std::vector<IndexMenuItem> items;
    if (page < 0 || page >= IndexMenuPageCount(n)) return items;
    const int first = page * kIndexMenuPageSize;
    const int last = std::min(first + kIndexMenuPageSize, n) - 1;
    const bool hasNext = last + 1 < n;
    items.reserve(kIndexMenuPageSize + 2);
    if (hasNext && nextPageMenuIsHead) {
        items.push_back({IndexMenuItem::PageItem, -1});
        items.push_back({IndexMenuItem::Separator, -1});
    }
    for (int i = first; i <= last; ++i) items.push_back({IndexMenuItem::Entry, i});
    if (hasNext && !nextPageMenuIsHead) {
        items.push_back({IndexMenuItem::Separator, -1});
        items.push_back({IndexMenuItem::PageItem, -1});
    }
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
