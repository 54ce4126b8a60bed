#include "settings/SettingsRecord.h"

#include <algorithm>

#include "outline/TitleMarks.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"

namespace oruvan {

namespace {

constexpr const char* kForm = "Form";
constexpr const char* kFiles = "Files";
constexpr const char* kSetting = "Setting";
constexpr const char* kFont = "Font";
constexpr const char* kHeadingLevels = "HeadingLevels";
constexpr const char* kFoldSections = "FoldSections";
constexpr const char* kSearch = "Search";

std::string ReadColor(IniFile& ini, const char* key, const std::string& fallback) {
    std::string text = ini.readString(kSetting, key, fallback);
    return IsColorText(text) ? text : fallback;
}

}  // namespace

bool SettingsRecord::operator==(const SettingsRecord& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height &&
           registeredFiles == o.registeredFiles && dropDownCount == o.dropDownCount &&
           wordWrap == o.wordWrap && listViewVisible == o.listViewVisible && startUpIndex == o.startUpIndex &&
           fontName == o.fontName && fontSize == o.fontSize && titleMarks == o.titleMarks &&
           nextPageMenuIsHead == o.nextPageMenuIsHead && ignoreHeadSpaces == o.ignoreHeadSpaces &&
           captionIncludingTitleMark == o.captionIncludingTitleMark && headingLevels == o.headingLevels &&
           foldSections == o.foldSections &&
           backColor == o.backColor && textColor == o.textColor && searchHistory == o.searchHistory;
}

SettingsRecord DefaultSettings() {
    SettingsRecord s;
    s.left = 272;
    s.top = 125;
    s.width = 423;
    s.height = 340;
    s.dropDownCount = 16;
    s.wordWrap = false;
    s.listViewVisible = true;
    s.startUpIndex = -1;
    s.fontName = "\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ Ｐゴシック
    s.fontSize = 9;
    s.titleMarks = kDefaultTitleMarksText;
    s.nextPageMenuIsHead = true;
    s.ignoreHeadSpaces = true;
    s.captionIncludingTitleMark = false;
    s.headingLevels = false;
    return s;
}

SettingsRecord ReadSettings(IniFile& ini, const SettingsRecord& defaults) {
    // One look at the file for all the reads, not one per key. Reads hold no writes, so ending the
    // batch never writes and cannot throw.
    struct ReadBatch {
        IniFile& ini;
        explicit ReadBatch(IniFile& i) : ini(i) { ini.beginBatch(); }
        ~ReadBatch() { ini.endBatch(); }
    } batch(ini);
    SettingsRecord s;
    s.left = ini.readInteger(kForm, "Left", defaults.left);
    s.top = ini.readInteger(kForm, "Top", defaults.top);
    s.width = ini.readInteger(kForm, "Width", defaults.width);
    s.height = ini.readInteger(kForm, "Hegiht", defaults.height);

    const int count = std::min(ini.readInteger(kFiles, "Count", 0), kMaxRegisteredFiles);
    if (count > 0) s.registeredFiles.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        s.registeredFiles.push_back(ini.readString(kFiles, std::to_string(i), ""));

    s.dropDownCount = ini.readInteger(kSetting, "DropDownCount", defaults.dropDownCount);
    s.wordWrap = ini.readBool(kSetting, "WordWrap", defaults.wordWrap);
    s.listViewVisible = ini.readBool(kSetting, "ListViewVisible", defaults.listViewVisible);
    s.startUpIndex = ini.readInteger(kSetting, "StartUpIndex", defaults.startUpIndex);
    s.fontName = ini.readString(kFont, "Name", defaults.fontName);
    s.fontSize = ini.readInteger(kFont, "Size", defaults.fontSize);
    s.titleMarks = ini.readString(kSetting, "TitleMarks", defaults.titleMarks);
    s.nextPageMenuIsHead = ini.readBool(kSetting, "NextPageMenuIsHead", defaults.nextPageMenuIsHead);
    s.ignoreHeadSpaces = ini.readBool(kSetting, "IgnoreHeadSpaces", defaults.ignoreHeadSpaces);
    s.captionIncludingTitleMark =
        ini.readBool(kSetting, "CaptionIncludingTitleMark", defaults.captionIncludingTitleMark);
    s.headingLevels = ini.readBool(kSetting, kHeadingLevels, defaults.headingLevels);
    s.foldSections = ini.readBool(kSetting, kFoldSections, defaults.foldSections);
    s.backColor = ReadColor(ini, "BackColor", defaults.backColor);
    s.textColor = ReadColor(ini, "TextColor", defaults.textColor);
    const int searches = std::min(ini.readInteger(kSearch, "Count", 0), kMaxSearchHistory);
    for (int i = 0; i < searches; ++i) {
        std::string text = ini.readString(kSearch, std::to_string(i), "");
        if (!text.empty()) s.searchHistory.push_back(std::move(text));
    }
    return s;
}

void WriteSettings(IniFile& ini, const SettingsRecord& s) {
    ini.beginBatch();
    try {
        const int count = static_cast<int>(s.registeredFiles.size());
        ini.writeInteger(kFiles, "Count", count);
        for (int i = 0; i < count; ++i)
            ini.writeString(kFiles, std::to_string(i), s.registeredFiles[static_cast<std::size_t>(i)]);
        ini.writeString(kFont, "Name", s.fontName);
        ini.writeInteger(kFont, "Size", s.fontSize);
        ini.writeInteger(kSetting, "DropDownCount", s.dropDownCount);
        ini.writeInteger(kSetting, "StartUpIndex", s.startUpIndex);
        ini.writeString(kSetting, "TitleMarks", s.titleMarks);
        ini.writeBool(kSetting, "ListViewVisible", s.listViewVisible);
        ini.writeBool(kSetting, "WordWrap", s.wordWrap);
        ini.writeBool(kSetting, "NextPageMenuIsHead", s.nextPageMenuIsHead);
        ini.writeBool(kSetting, "IgnoreHeadSpaces", s.ignoreHeadSpaces);
        ini.writeBool(kSetting, "CaptionIncludingTitleMark", s.captionIncludingTitleMark);
        if (s.headingLevels || ini.hasKey(kSetting, kHeadingLevels))
            ini.writeBool(kSetting, kHeadingLevels, s.headingLevels);
        if (s.foldSections || ini.hasKey(kSetting, kFoldSections))
            ini.writeBool(kSetting, kFoldSections, s.foldSections);
        if (!s.backColor.empty()) ini.writeString(kSetting, "BackColor", s.backColor);
        if (!s.textColor.empty()) ini.writeString(kSetting, "TextColor", s.textColor);
        ini.writeInteger(kForm, "Left", s.left);
        ini.writeInteger(kForm, "Top", s.top);
        ini.writeInteger(kForm, "Width", s.width);
        ini.writeInteger(kForm, "Hegiht", s.height);
        if (!s.searchHistory.empty()) {
            const int count = std::min(static_cast<int>(s.searchHistory.size()), kMaxSearchHistory);
            ini.writeInteger(kSearch, "Count", count);
            for (int i = 0; i < count; ++i)
                ini.writeString(kSearch, std::to_string(i), s.searchHistory[static_cast<std::size_t>(i)]);
        }
    } catch (...) {
        ini.cancelBatch();
        throw;
    }
    ini.endBatch();
}

SettingsRecord MergeChangedSettings(const SettingsRecord& asRead, const SettingsRecord& mine,
                                    const SettingsRecord& onDisk) {
    SettingsRecord out = onDisk;
    const auto changed = [&](auto field) { return mine.*field != asRead.*field; };
    const auto take = [&](auto field) {
        if (changed(field)) out.*field = mine.*field;
    };
    if (changed(&SettingsRecord::registeredFiles) || changed(&SettingsRecord::startUpIndex)) {
        out.registeredFiles = mine.registeredFiles;
        out.startUpIndex = mine.startUpIndex;
    }
    take(&SettingsRecord::dropDownCount);
    take(&SettingsRecord::wordWrap);
    take(&SettingsRecord::listViewVisible);
    take(&SettingsRecord::fontName);
    take(&SettingsRecord::fontSize);
    take(&SettingsRecord::titleMarks);
    take(&SettingsRecord::nextPageMenuIsHead);
    take(&SettingsRecord::ignoreHeadSpaces);
    take(&SettingsRecord::captionIncludingTitleMark);
    take(&SettingsRecord::headingLevels);
    take(&SettingsRecord::foldSections);
    take(&SettingsRecord::backColor);
    take(&SettingsRecord::textColor);
    take(&SettingsRecord::searchHistory);
    out.left = mine.left;
    out.top = mine.top;
    out.width = mine.width;
    out.height = mine.height;
    return out;
}

std::vector<std::string> BytesAsRead(const std::vector<std::string>& read,
                                     const std::vector<std::string>& utf8) {
    std::vector<std::string> readAsUtf8;
    readAsUtf8.reserve(read.size());
    for (const std::string& r : read) readAsUtf8.push_back(Cp932ToUtf8(r));
    std::vector<std::string> out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (i < read.size() && readAsUtf8[i] == utf8[i]) {
            out.push_back(read[i]);
            continue;
        }
        const auto same = std::find(readAsUtf8.begin(), readAsUtf8.end(), utf8[i]);
        out.push_back(same != readAsUtf8.end() ? read[std::size_t(same - readAsUtf8.begin())]
                                               : Utf8ToCp932(utf8[i]));
    }
    return out;
}

bool IsColorText(std::string_view text) {
    return text.size() == 7 && text[0] == '#' &&
           text.find_first_not_of("0123456789ABCDEFabcdef", 1) == std::string_view::npos;
}

std::string SettingsFileNameFor(const std::string& exePath) {
    const std::size_t slash = exePath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = exePath.rfind('.');
    if (dot != std::string::npos && dot > nameStart) return exePath.substr(0, dot) + ".ini";
    return exePath + ".ini";
}

}  // namespace oruvan
