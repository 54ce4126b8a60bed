// The INI file: reading any file, writing values back, and the settings record over it.
//
// Input: the file's bytes. The sections and keys looked up are the names its lines seem to hold.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "outline/Cp932Strings.h"
#include "platform/IniFile.h"
#include "platform/TextCompare.h"
#include "settings/SettingsRecord.h"

using namespace oruvan;
namespace fs = std::filesystem;

namespace {

// A private folder for the run, in memory when /dev/shm is there: every write ends in an fsync. Never
// destroyed, so the exit handler can still remove it.
const fs::path& Folder() {
    static const fs::path* const folder = [] {
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string tmpl = (base / "oruvan-fuzz-ini-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        const auto* path = new fs::path(tmpl);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(Folder(), ignored);
        });
        return path;
    }();
    return *folder;
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool IsBlank(char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

void AddName(std::vector<std::string>& names, std::string_view name, std::size_t limit) {
    if (names.size() < limit && std::find(names.begin(), names.end(), name) == names.end())
        names.emplace_back(name);
}

// Names taken loosely from the lines; a name that is not really there reads as absent, which is checked
// as well.
void CandidateNames(std::string_view file, std::vector<std::string>& sections,
                    std::vector<std::string>& keys) {
    for (const char* name : {"Files", "Setting"}) AddName(sections, name, 10);
    AddName(keys, "Count", 20);
    std::size_t start = 0;
    while (start < file.size()) {
        std::size_t end = file.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = file.size();
        const std::string_view line = Trim(file.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line[0] == '[') {
            AddName(sections, Trim(line.substr(1, line.find(']', 1) - 1)), 10);
        } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
            AddName(keys, Trim(line.substr(0, eq)), 20);
        }
    }
}

// The name with the case of its ASCII letters turned over; the second byte of a pair is left alone.
std::string OtherCase(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); i += Cp932CharLength(out, i)) {
        char& c = out[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 0x20);
    }
    return out;
}

int Sign(int v) { return (v > 0) - (v < 0); }

// The names are the keys of ordered maps: the comparison must be an order.
void CheckNameOrder(const std::vector<std::string>& names) {
    const std::size_t n = std::min<std::size_t>(names.size(), 8);
    for (std::size_t i = 0; i < n; ++i) {
        FUZZ_CHECK(CompareTextIgnoreCase(names[i], names[i]) == 0);
        FUZZ_CHECK(CompareTextIgnoreCase(names[i], OtherCase(names[i])) == 0);
        for (std::size_t j = 0; j < n; ++j) {
            const int ij = Sign(CompareTextIgnoreCase(names[i], names[j]));
            FUZZ_CHECK(ij == -Sign(CompareTextIgnoreCase(names[j], names[i])));
            for (std::size_t k = 0; k < n; ++k) {
                const int jk = Sign(CompareTextIgnoreCase(names[j], names[k]));
                if (ij == jk && ij != 0) FUZZ_CHECK(Sign(CompareTextIgnoreCase(names[i], names[k])) == ij);
            }
        }
    }
}

struct Entry {
    std::string section, key, value;
};

bool SameEntry(const Entry& a, const Entry& b) {
    return SameTextIgnoreCase(a.section, b.section) && SameTextIgnoreCase(a.key, b.key);
}

// What a value reads back as: all of it, or as much of it as the limit holds in whole characters.
bool ReadsBackAs(const std::string& read, const std::string& written) {
    if (written.size() <= kMaxIniValueBytes) return read == written;
    return read.size() + 1 >= kMaxIniValueBytes && read.size() <= kMaxIniValueBytes &&
           written.compare(0, read.size(), read) == 0;
}

// Every read agrees with the others and with the rules for values.
std::vector<Entry> ReadEverything(IniFile& ini, const std::vector<std::string>& sections,
                                  const std::vector<std::string>& keys) {
    std::vector<Entry> present;
    for (const std::string& s : sections) {
        for (const std::string& k : keys) {
            // No value holds a line break, so that default tells an absent key.
            const std::string value = ini.readString(s, k, "\n");
            FUZZ_CHECK(ini.readString(OtherCase(s), OtherCase(k), "\n") == value);
            if (value == "\n") {
                FUZZ_CHECK(ini.readInteger(s, k, -7) == -7);
                FUZZ_CHECK(ini.readBool(s, k, true));
                continue;
            }
            FUZZ_CHECK(value.find_first_of("\r\n") == std::string::npos);
            FUZZ_CHECK(value.size() <= kMaxIniValueBytes);
            int number = 0;
            const bool isNumber = IniFile::parseInteger(value, number);
            FUZZ_CHECK(ini.readInteger(s, k, 7) == (isNumber ? number : 7));
            FUZZ_CHECK(ini.readInteger(s, k, -7) == (isNumber ? number : -7));
            FUZZ_CHECK(ini.readBool(s, k, false) == (isNumber && number != 0));
            FUZZ_CHECK(ini.readBool(s, k, true) == (!isNumber || number != 0));
            present.push_back({s, k, value});
        }
    }
    return present;
}

// Writes values that need quoting and values that do not, to existing keys, new keys and new sections.
std::vector<Entry> WriteBack(IniFile& ini, const std::vector<Entry>& present,
                             const std::vector<std::string>& keys) {
    std::vector<Entry> writes;
    for (std::size_t i = 0; i < present.size() && i < 12; ++i) {
        const Entry& e = present[i];
        const std::string variants[] = {
            e.value + "x",         " " + e.value,       e.value + "\t",
            "\"" + e.value + "\"", "'" + e.value + "'", "",
            e.value + "\x81",      "\"" + e.value,      std::string(e.value.rbegin(), e.value.rend()),
        };
        const std::string& value = variants[i % std::size(variants)];
        writes.push_back({e.section, e.key, value});
        writes.push_back({e.section, "new " + e.key, e.value});  // a new key, unless it exists
        writes.push_back({e.key, e.section, value});             // maybe a new section
    }
    if (!keys.empty()) writes.push_back({"fuzz", keys.back(), keys.front()});

    std::vector<Entry> accepted;
    ini.beginBatch();
    for (const Entry& w : writes) {
        try {
            ini.writeString(w.section, w.key, w.value);
            accepted.push_back(w);
        } catch (const std::invalid_argument&) {
            // A name that cannot be stored: refused before anything changes.
        } catch (const IniWriteError& error) {
            std::fprintf(stderr, "%s\n", error.what());
            FUZZ_CHECK(!"a write into a writable folder failed");
        }
    }
    ini.endBatch();
    return accepted;
}

void CheckWrites(const std::string& path, std::string_view original) {
    std::vector<std::string> sections, keys;
    CandidateNames(original, sections, keys);
    std::vector<std::string> names = sections;
    names.insert(names.end(), keys.begin(), keys.end());
    CheckNameOrder(names);

    WriteFile(path, original);
    IniFile ini(path);
    const std::vector<Entry> present = ReadEverything(ini, sections, keys);
    const std::vector<Entry> accepted = WriteBack(ini, present, keys);
    if (accepted.empty()) {
        FUZZ_CHECK(ReadFile(path) == original);
        return;
    }

    // Read from the disk: the last write of each key is there, every other value is as it was.
    IniFile fresh(path);
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        const Entry& w = accepted[i];
        const bool overwritten =
            std::any_of(accepted.begin() + static_cast<std::ptrdiff_t>(i) + 1, accepted.end(),
                        [&](const Entry& later) { return SameEntry(later, w); });
        if (overwritten) continue;
        FUZZ_CHECK(ReadsBackAs(fresh.readString(w.section, w.key, "\n"), w.value));
        FUZZ_CHECK(ReadsBackAs(ini.readString(w.section, w.key, "\n"), w.value));
    }
    for (const Entry& e : present) {
        const bool written =
            std::any_of(accepted.begin(), accepted.end(), [&](const Entry& w) { return SameEntry(w, e); });
        if (!written) FUZZ_CHECK(fresh.readString(e.section, e.key, "\n") == e.value);
    }

    // Writing what is already there leaves the file alone (a value longer than a read gives is not).
    const std::string after = ReadFile(path);
    IniFile again(path);
    for (const Entry& w : accepted) {
        const Entry& last = *std::find_if(accepted.rbegin(), accepted.rend(),
                                          [&](const Entry& later) { return SameEntry(later, w); });
        if (last.value.size() <= kMaxIniValueBytes)
            again.writeString(w.section, w.key, again.readString(w.section, w.key, ""));
    }
    FUZZ_CHECK(ReadFile(path) == after);
}

void CheckSettings(const std::string& path, std::string_view original) {
    WriteFile(path, original);
    IniFile ini(path);
    const SettingsRecord read = ReadSettings(ini, DefaultSettings());
    FUZZ_CHECK(ReadFile(path) == original);  // reading never writes
    const int count = ini.readInteger("Files", "Count", 0);
    FUZZ_CHECK(read.registeredFiles.size() ==
               static_cast<std::size_t>(std::clamp(count, 0, kMaxRegisteredFiles)));
    for (std::size_t i = 0; i < read.registeredFiles.size() && i < 64; ++i)
        FUZZ_CHECK(read.registeredFiles[i] == ini.readString("Files", std::to_string(i), ""));
    if (read.registeredFiles.size() > 256) return;  // the round trip below is the same for longer lists

    // Written over the same file, the record reads back whole, whatever the defaults.
    WriteSettings(ini, read);
    SettingsRecord otherDefaults;
    otherDefaults.fontName = "x";
    otherDefaults.titleMarks = "y";
    otherDefaults.startUpIndex = 99;
    IniFile fresh(path);
    FUZZ_CHECK(ReadSettings(fresh, DefaultSettings()) == read);
    FUZZ_CHECK(ReadSettings(fresh, otherDefaults) == read);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view original = fuzz::AsText(data, size);
    CheckWrites((Folder() / "oruvan.ini").string(), original);
    CheckSettings((Folder() / "settings.ini").string(), original);
    return 0;
}
