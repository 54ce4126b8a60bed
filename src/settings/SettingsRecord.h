#pragma once
// Every value the settings file holds, the designed defaults, and the order in which they are read and
// written. Strings are cp932.
#include <string>
#include <string_view>
#include <vector>

namespace oruvan {

class IniFile;

struct SettingsRecord {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::string> registeredFiles;
    int dropDownCount = 0;
    bool wordWrap = false;
    bool listViewVisible = false;
    int startUpIndex = -1;
    std::string fontName;
    int fontSize = 0;
    std::string titleMarks;  // comma text
    bool nextPageMenuIsHead = false;
    bool ignoreHeadSpaces = false;
    bool captionIncludingTitleMark = false;
    bool headingLevels = false;  // the index shows heading levels by indentation
    bool foldSections = false;   // the text view folds sections by heading
    std::string backColor;  // "#RRGGBB"; empty: the text view's own colours
    std::string textColor;
    std::vector<std::string> searchHistory;  // most recent first

    bool operator==(const SettingsRecord& o) const;
    bool operator!=(const SettingsRecord& o) const { return !(*this == o); }
};

// A corrupt Count could ask for billions of entries; a real list never comes near this.
constexpr int kMaxRegisteredFiles = 100000;
constexpr int kMaxSearchHistory = 10;

// The window's designed values: what a start without a settings file shows.
SettingsRecord DefaultSettings();

// Reads every key, each with its value in `defaults` as the default. The Files entries are read up to
// Count (at most kMaxRegisteredFiles); an absent entry reads as empty text.
SettingsRecord ReadSettings(IniFile& ini, const SettingsRecord& defaults);

// True for a colour as the settings store it: "#" and six hexadecimal digits.
bool IsColorText(std::string_view text);

// Writes every key in the saved order. HeadingLevels and FoldSections, which came after the others, are
// written once they have been on or are in the file already: a file from before it stays as it was while the option is off. The
// colours (after the Setting keys) and the search history (a section of its own, last) are written only
// when they hold something, so that a file written from nothing has no key for them. All writes form one
// batch: the first one reaches the disk at once, so a file that cannot be written fails before anything
// else; the rest follow in one disk write at the end. Throws IniWriteError.
void WriteSettings(IniFile& ini, const SettingsRecord& settings);

// What a window writes back: each value it changed since it read the file (`asRead` against `mine`) is
// its own; every other value is what the file holds now (`onDisk`, read again just before writing), so
// what another window saved meanwhile stays. The registered files and the start-up index, which points
// into them, go together. The window's bounds are always its own.
SettingsRecord MergeChangedSettings(const SettingsRecord& asRead, const SettingsRecord& mine,
                                    const SettingsRecord& onDisk);

// The cp932 bytes to write back for texts shown as Unicode (UTF-8), given the bytes read: a text that
// still reads as the bytes at its own place, or else as other bytes read, gets those bytes back, so a
// code that shares its character with another code stays as read. Any other text is converted.
std::vector<std::string> BytesAsRead(const std::vector<std::string>& read, const std::vector<std::string>& utf8);

// The executable's path with its extension replaced by ".ini"; a name without one (a leading dot does not
// start an extension) gets ".ini" appended.
std::string SettingsFileNameFor(const std::string& exePath);

}  // namespace oruvan
