#pragma once
// An INI file read and written with the private-profile rules the settings file has always had.
//
// Names and values are cp932 byte strings; the path is in the file system's encoding.
//
// Reading (lines end at CR LF, LF or a lone CR):
// - Section and key names match without regard to case (CompareTextIgnoreCase). Only the first section
//   of a name counts, and within it only the first line of a key. Keys before the first section belong
//   to no section.
// - Blanks (0x09-0x0D and space) around section names, key names and values are dropped; the
//   full-width space is kept.
// - "[name]" opens a section; text after the "]" is ignored. A "]" or "[" that is the trail byte of a
//   double-byte character belongs to that character. A line starting with "[" and lacking its "]" is
//   neither a section nor a key.
// - A line whose first non-blank character is ";" is a comment, even when it holds a "=".
// - Any other line with a "=" sets a key: the first "=" splits name from value. Lines without one are
//   ignored.
// - A value that starts and ends with the same quote (" or ') loses that pair. The text is cut to its
//   first kMaxIniValueBytes bytes, never inside a double-byte character. The limit is far above any
//   value the program writes (a list of a thousand title marks included), so what is written is read
//   back whole, while a corrupt file cannot make a value of many megabytes.
// - Integers: optional sign and decimal digits, or "0x"/"0X"/"$" and up to 32 bits of hex digits
//   (0xFFFFFFFF is -1). Anything else, trailing garbage or an out-of-range number included, gives the
//   default. Booleans are integers, non-zero true.
// - A missing, unreadable or non-regular file reads as empty; reading never fails.
//
// Writing:
// - An existing key's line becomes "key=value" (the key spelled as in the file) with CR LF; a new key
//   goes right after the last key line of its section (or its header); a new section goes to the end of
//   the file. Every other line is kept byte for byte, line breaks included. A write that changes nothing
//   leaves the file alone.
// - A value that would not read back as written (blanks at either end, or a quote pair around it) is
//   stored inside double quotes.
// - The file is replaced as CarefulFile replaces it, keeping its permissions (a symbolic link stays a
//   link, and one to no file yet makes the file where it points); never in place, so a hard-linked file
//   gets a copy of its own. A read-only file, a read-only folder, a refused write, or a value holding a
//   line break throws IniWriteError; the file is left as it was.
//
// The parsed file is kept in memory and parsed again only when the file changed on disk (size, mtime,
// ctime or inode differ).
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/FileStamp.h"

namespace oruvan {

constexpr std::size_t kMaxIniValueBytes = 1 << 20;

class IniWriteError : public std::runtime_error {
public:
    IniWriteError(const std::string& path, const std::string& reason);
    // The settings file path, for the user's message.
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

class IniFile {
public:
    explicit IniFile(std::string path);
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& path() const { return m_path; }

    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue);
    int readInteger(std::string_view section, std::string_view key, int defaultValue);
    bool readBool(std::string_view section, std::string_view key, bool defaultValue);
    // True when the file holds the key (whatever its value).
    bool hasKey(std::string_view section, std::string_view key) { return findKey(section, key) != nullptr; }

    // Names must be representable: no line break, no "=" in a key, no "]" in a section, no blanks at
    // either end, and a key must not start with "[" or ";" (std::invalid_argument otherwise).
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // A batch groups many writes into few disk writes. Its first write that changes the file still
    // goes to disk at once, so a file that cannot be written fails there exactly as outside a batch;
    // later writes are held in memory and written by endBatch(), which throws IniWriteError when that
    // fails. cancelBatch() ends the batch at every level, drops the held writes and goes back to what the
    // disk holds. Batches nest; writes still held when the object is destroyed are dropped. Inside a
    // batch the file is not checked for changes made by others, which also makes a long run of reads
    // cheaper.
    void beginBatch();
    void endBatch();
    void cancelBatch();

    // The integer rules above; false (value untouched) for text that is no integer.
    static bool parseInteger(std::string_view text, int& value);

private:
    enum class Eol : std::uint8_t { None, Lf, CrLf, Cr };
    struct Line {
        std::string text;
        Eol eol;
    };
    using LineIt = std::list<Line>::iterator;
    struct NameLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    struct Section {
        LineIt lastKeyLine;  // new keys go right after this one (the header while there are no keys)
        std::map<std::string, LineIt, NameLess> keys;
    };
    void refresh();
    void load();
    void parse(const std::string& content);
    void invalidate();
    const Line* findKey(std::string_view section, std::string_view key);
    void commit();
    void saveNow();
    void save() const;
    std::string serialize() const;

    std::string m_path;
    std::list<Line> m_lines;
    std::map<std::string, std::unique_ptr<Section>, NameLess> m_sections;
    FileStamp m_stamp;
    bool m_loaded = false;
    int m_batchDepth = 0;
    bool m_batchWritten = false;  // the batch's first change is already on disk
    bool m_batchDirty = false;    // held changes await endBatch()
};

}  // namespace oruvan
