#include "outline/IndexMenuLayout.h"

#include <algorithm>

#include "outline/Cp932Strings.h"
#include "platform/Cp932.h"
#include "platform/TextCompare.h"
#include "platform/Utf8.h"

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

std::string ShortenMenuCaptionUtf8(std::string_view utf8) {
    if (Cp932Columns(utf8) <= kMenuCaptionMaxBytes) return std::string(utf8);
    const auto* begin = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = begin + utf8.size();
    const auto* p = begin;
    std::size_t columns = 0;
    const auto take = [&] {
        char32_t c = 0;
        const std::size_t n = ReadUtf8(p, end, c);
        columns += n == 0 ? 1 : static_cast<std::size_t>(Cp932Width(c));
        p += n == 0 ? 1 : n;
    };
    while (columns + 1 < kMenuCaptionMaxBytes) take();
    // A wide character starting in the last column is kept whole, as a double-byte one is.
    if (columns + 1 == kMenuCaptionMaxBytes) take();
    return std::string(utf8.substr(0, static_cast<std::size_t>(p - begin)))
        .append(columns > kMenuCaptionMaxBytes ? ".." : "...");
}

std::string EscapeMenuText(std::string_view caption) {
    std::string out;
    out.reserve(caption.size() + 2);
    for (char c : caption) {
        if (c == '&') out += '&';
        out += c;
    }
    return out;
}

namespace {

// One character of a menu text as the menu shows it; "&" marks are not characters.
struct MenuChar {
    std::size_t pos;
    bool wide;     // a double-byte cp932 code
    bool marked;   // the text marks it as its access key
    unsigned key;  // what it answers to: its case-folded cp932 code; 0 for a character cp932 lacks
};

// The cp932 code of the character at text[i] and its length in text.
std::pair<unsigned, std::size_t> Cp932CharAt(std::string_view text, std::size_t i) {
    const std::size_t len = Cp932CharLength(text, i);
    unsigned code = static_cast<unsigned char>(text[i]);
    if (len == 2) code = code << 8 | static_cast<unsigned char>(text[i + 1]);
    return {code, len};
}

// The same for UTF-8 text: the code its conversion gives, 0 when that is the '?' of a character cp932
// lacks.
std::pair<unsigned, std::size_t> Utf8CharAt(std::string_view text, std::size_t i) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    char32_t c = 0;
    const std::size_t len = std::max<std::size_t>(1, ReadUtf8(p + i, p + text.size(), c));
    const std::string cp932 = Utf8ToCp932(text.substr(i, len));
    if (cp932 == "?" && text[i] != '?') return {0, len};
    return {Cp932CharAt(cp932, 0).first, len};
}

// The menu sees the text through the converter, so characters split as the converter splits them and
// every '&' byte counts ('&' is never a trail byte).
std::vector<MenuChar> MenuChars(std::string_view text, bool utf8) {
    std::vector<MenuChar> chars;
    bool marked = false;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '&') {
            const bool literal = i + 1 < text.size() && text[i + 1] == '&';
            if (literal)
                chars.push_back({i + 1, false, false, '&'});
            else
                marked = true;
            i += literal ? 2 : 1;
            continue;
        }
        const auto [code, len] = utf8 ? Utf8CharAt(text, i) : Cp932CharAt(text, i);
        chars.push_back({i, code > 0xFF, marked, FoldCp932Char(code)});
        marked = false;
        i += len;
    }
    return chars;
}

bool IsLetterOrDigit(unsigned key) { return (key >= '0' && key <= '9') || (key >= 'a' && key <= 'z'); }

// Blanks, control bytes, bytes the converter cannot show as a character and "&" make no key.
bool CanBeKey(const MenuChar& c) {
    if (c.wide) return true;
    return (c.key > 0x20 && c.key < 0x7F && c.key != '&') || (c.key >= 0xA1 && c.key <= 0xDF);
}

}  // namespace

void AssignAccessKeys(std::vector<std::string>& texts, const std::vector<bool>& utf8) {
    std::vector<std::vector<MenuChar>> chars;
    chars.reserve(texts.size());
    std::vector<unsigned> taken;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        chars.push_back(MenuChars(texts[i], i < utf8.size() && utf8[i]));
        for (const MenuChar& c : chars.back())
            if (c.marked) taken.push_back(c.key);
    }
    const auto untaken = [&taken](const MenuChar& c) {
        return CanBeKey(c) && std::find(taken.begin(), taken.end(), c.key) == taken.end();
    };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::vector<MenuChar>& cs = chars[i];
        if (std::any_of(cs.begin(), cs.end(), [](const MenuChar& c) { return c.marked; })) continue;
        auto pick = std::find_if(cs.begin(), cs.end(),
                                 [&](const MenuChar& c) { return IsLetterOrDigit(c.key) && untaken(c); });
        if (pick == cs.end()) pick = std::find_if(cs.begin(), cs.end(), untaken);
        if (pick == cs.end()) continue;
        taken.push_back(pick->key);
        texts[i].insert(pick->pos, 1, '&');
    }
}

}  // namespace oruvan
