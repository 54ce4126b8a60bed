#pragma once
// The Index menu as data: pages of 16 entries chained through "next page" submenus. The GUI fills each
// page when its submenu is first opened, so one page costs the same whatever the size of the index.
#include <string>
#include <string_view>
#include <vector>

#include "outline/IndexEntry.h"

namespace oruvan {

constexpr int kIndexMenuPageSize = 16;
// Captions longer than this many bytes are shortened.
constexpr std::size_t kMenuCaptionMaxBytes = 40;
// The page item's caption, "次のページ (&>)" in cp932.
extern const char* const kNextPageCaption;

struct IndexMenuItem {
    enum Kind { Entry, Separator, PageItem };
    Kind kind = Entry;
    int entry = -1;  // the entry number for an Entry and for an entry shown as a separator, -1 otherwise
    bool operator==(const IndexMenuItem& o) const { return kind == o.kind && entry == o.entry; }
};

// The number of pages for n entries; 0 when the index is empty.
int IndexMenuPageCount(int n);

// The items of page `page` (0-based), in menu order, as the menu shows them. The page item, when present,
// opens page + 1. An entry whose text is "-" is a separator line; a separator that would stand first or
// last on the page, or right after another one, is left out. A page outside 0 .. IndexMenuPageCount - 1
// is empty.
std::vector<IndexMenuItem> IndexMenuPage(const Index& index, int page, bool nextPageMenuIsHead);

// The menu caption of an entry text: at most 40 bytes as it is, otherwise cut and marked with dots so
// that it is 43 bytes long and never ends in half a double-byte character.
std::string ShortenMenuCaption(std::string_view text);
// The same for the UTF-8 text of a document in another encoding, counted in columns as Cp932Columns
// counts them (the cp932 bytes of any character cp932 holds); a character cp932 lacks stays itself.
std::string ShortenMenuCaptionUtf8(std::string_view utf8);

// The menu shows a caption of exactly "-" as a separator line, which cannot be chosen.
inline bool IsSeparatorCaption(std::string_view caption) { return caption == "-"; }

// A caption as menu text, where "&" marks the access key: every literal "&" is doubled.
std::string EscapeMenuText(std::string_view caption);

// Gives the menu texts of one page access keys, as the menu chooses them automatically. A text that
// already marks a key keeps it. Every other text, in order, takes the first character not yet taken on
// the page (letter case aside), a letter or digit if it holds one, else any other visible character; a
// text whose characters are all taken, or that has none, gets no key. The texts flagged in `utf8` are
// UTF-8 (headings cp932 cannot hold): their characters answer to their cp932 codes, and a character
// cp932 lacks makes no key.
void AssignAccessKeys(std::vector<std::string>& texts, const std::vector<bool>& utf8 = {});

}  // namespace oruvan
