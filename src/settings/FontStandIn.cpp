#include "settings/FontStandIn.h"

#include <algorithm>

#include "settings/SettingsRecord.h"

namespace oruvan {

namespace {

enum Kind { PGothic, Gothic, PMincho, Mincho, KindCount };

struct WindowsFace {
    const char* name;
    Kind kind;
};

const WindowsFace kWindowsFaces[] = {
    {"ＭＳ Ｐゴシック", PGothic}, {"MS PGothic", PGothic}, {"MS UI Gothic", PGothic},
    {"メイリオ", PGothic},        {"Meiryo", PGothic},     {"Meiryo UI", PGothic},
    {"游ゴシック", PGothic},      {"Yu Gothic", PGothic},  {"Yu Gothic UI", PGothic},
    {"ＭＳ ゴシック", Gothic},    {"MS Gothic", Gothic},   {"ＭＳ Ｐ明朝", PMincho},
    {"MS PMincho", PMincho},      {"游明朝", PMincho},     {"Yu Mincho", PMincho},
    {"ＭＳ 明朝", Mincho},        {"MS Mincho", Mincho},
};

// Installed faces of each kind, best first; ASCII names first, as they reach every part of the view.
const std::vector<std::string> kCandidates[KindCount] = {
    {"IPAPGothic", "IPA Pゴシック", "IPAexGothic", "IPAexゴシック", "Noto Sans CJK JP", "Source Han Sans JP",
     "TakaoPGothic", "Takao Pゴシック", "VL PGothic", "VL Pゴシック"},
    {"IPAGothic", "IPAゴシック", "Noto Sans Mono CJK JP", "TakaoGothic", "Takaoゴシック", "VL Gothic",
     "VL ゴシック"},
    {"IPAPMincho", "IPA P明朝", "IPAexMincho", "IPAex明朝", "Noto Serif CJK JP", "Source Han Serif JP",
     "TakaoPMincho", "Takao P明朝"},
    {"IPAMincho", "IPA明朝", "TakaoMincho", "Takao明朝"},
};

// The kinds to try for a face of one kind: its own, the other width of its style, then the other style.
const Kind kSearchOrder[KindCount][KindCount] = {
    {PGothic, Gothic, PMincho, Mincho},
    {Gothic, PGothic, Mincho, PMincho},
    {PMincho, Mincho, PGothic, Gothic},
    {Mincho, PMincho, Gothic, PGothic},
};

std::string Key(std::string_view name) {
    std::string key;
    for (char c : name) {
        if (c == ' ' || c == '\t') continue;
        key += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    return key;
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
    const std::string key = Key(name);
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return Key(n) == key; });
}

}  // namespace

std::string StandInFace(std::string_view face, const std::vector<std::string>& installed,
                        const std::vector<std::string>& japanese) {
    if (Contains(installed, face)) return std::string(face);
    const std::string key = Key(face);
    const auto known = std::find_if(std::begin(kWindowsFaces), std::end(kWindowsFaces),
                                    [&](const WindowsFace& w) { return Key(w.name) == key; });
    if (known == std::end(kWindowsFaces)) return std::string(face);
    for (const Kind kind : kSearchOrder[known->kind])
        for (const std::string& candidate : kCandidates[kind])
            if (Contains(installed, candidate)) return candidate;
    return japanese.empty() ? std::string(face) : japanese.front();
}

std::vector<std::string> WindowsJapaneseFaces() {
    std::vector<std::string> faces;
    for (const WindowsFace& w : kWindowsFaces) faces.emplace_back(w.name);
    return faces;
}

std::vector<std::string> StandInCandidates() {
    std::vector<std::string> all;
    for (const auto& kind : kCandidates) all.insert(all.end(), kind.begin(), kind.end());
    return all;
}

int ShownPointSize(int stored) {
    constexpr int kLargest = 1000;
    return stored >= 1 && stored <= kLargest ? stored : DefaultSettings().fontSize;
}

}  // namespace oruvan
