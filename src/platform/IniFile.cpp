#include "platform/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/CarefulWrite.h"
#include "platform/Cp932.h"
#include "platform/RegularFile.h"
#include "platform/TextCompare.h"
#include "platform/TextLines.h"

namespace oruvan {

namespace {

bool IsBlank(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// Finds an ASCII character that stands on its own, not as the trail byte of a double-byte character.
std::size_t FindSyntaxChar(std::string_view s, char c, std::size_t from = 0) {
    for (std::size_t i = from; i < s.size(); i += Cp932CharLength(s, i)) {
        if (s[i] == c) return i;
    }
    return std::string_view::npos;
}

// Blanks are all below 0x40, so they are never trail bytes and can be stripped bytewise.
std::string_view TrimLeft(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
    return s.substr(b);
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    std::size_t e = s.size();
    while (e > 0 && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(0, e);
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;  // raw text after the "=", blanks included
};

ParsedLine ParseLine(std::string_view text) {
    ParsedLine p;
    std::string_view t = TrimLeft(text);
    if (t.empty() || t[0] == ';') return p;
    if (t[0] == '[') {
        std::size_t close = FindSyntaxChar(t, ']', 1);
        if (close == std::string_view::npos) return p;
        p.kind = LineKind::Section;
        p.name = Trim(t.substr(1, close - 1));
        return p;
    }
    std::size_t eq = FindSyntaxChar(t, '=');
    if (eq == std::string_view::npos) return p;
    p.kind = LineKind::Key;
    p.name = Trim(t.substr(0, eq));
    p.value = t.substr(eq + 1);
    return p;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string DecodeValue(std::string_view raw) {
    std::string_view v = Trim(raw);
    if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    if (v.size() > kMaxIniValueBytes) {
        std::size_t end = 0;
        while (end < v.size()) {
            std::size_t next = end + Cp932CharLength(v, end);
            if (next > kMaxIniValueBytes) break;
            end = next;
        }
        v = v.substr(0, end);
    }
    return std::string(v);
}

// Quotes only what would otherwise not read back as written.
std::string EncodeValue(std::string_view value) {
    bool quote =
        !value.empty() && (IsBlank(static_cast<unsigned char>(value.front())) ||
                           IsBlank(static_cast<unsigned char>(value.back())) ||
                           (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()));
    if (!quote) return std::string(value);
    std::string s;
    s.reserve(value.size() + 2);
    s += '"';
    s += value;
    s += '"';
    return s;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

bool HasOuterBlanks(std::string_view s) { return Trim(s).size() != s.size(); }

void CheckSectionName(std::string_view name) {
    bool endsInLoneLead = false;
    for (std::size_t i = 0; i < name.size(); i += Cp932CharLength(name, i)) {
        endsInLoneLead = Cp932CharLength(name, i) == 1 && IsLeadByte(static_cast<unsigned char>(name[i]));
    }
    if (HasLineBreak(name) || HasOuterBlanks(name) || FindSyntaxChar(name, ']') != std::string_view::npos ||
        endsInLoneLead)
        throw std::invalid_argument("INI section name cannot be stored: " + std::string(name));
}

void CheckKeyName(std::string_view name) {
    if (HasLineBreak(name) || HasOuterBlanks(name) || name.find('=') != std::string_view::npos ||
        (!name.empty() && (name[0] == '[' || name[0] == ';')))
        throw std::invalid_argument("INI key name cannot be stored: " + std::string(name));
}

const char* EolText(int eol) {
    static const char* const kTexts[] = {"", "\n", "\r\n", "\r"};
    return kTexts[eol];
}

std::string ErrnoText(int err) { return std::strerror(err); }

}  // namespace

IniWriteError::IniWriteError(const std::string& path, const std::string& reason)
    : std::runtime_error("cannot write " + path + ": " + reason), m_path(path) {}

bool IniFile::NameLess::operator()(std::string_view a, std::string_view b) const {
    return CompareTextIgnoreCase(a, b) < 0;
}

IniFile::IniFile(std::string path) : m_path(std::move(path)) {}

void IniFile::refresh() {
    // Inside a batch the memory holds writes the disk has not seen yet.
    if (m_loaded && m_batchDepth > 0) return;
    if (m_loaded && StampOf(m_path).Unchanged(m_stamp)) return;
    load();
}

void IniFile::load() {
    m_stamp = StampOf(m_path);
    std::string content;
    if (!ReadRegularFile(m_path, content)) content.clear();
    parse(content);
    m_loaded = true;
}

void IniFile::parse(const std::string& content) {
    m_lines.clear();
    m_sections.clear();
    Section* current = nullptr;  // null before the first section and inside a repeated one
    LineSplitter lines(content);
    std::string_view text, brk;
    while (lines.next(text, brk)) {
        const Eol eol = brk.empty() ? Eol::None : brk == "\n" ? Eol::Lf : brk == "\r\n" ? Eol::CrLf : Eol::Cr;
        m_lines.push_back(Line{std::string(text), eol});

        LineIt it = std::prev(m_lines.end());
        ParsedLine p = ParseLine(it->text);
        if (p.kind == LineKind::Section) {
            auto [sit, inserted] = m_sections.try_emplace(std::string(p.name));
            current = nullptr;
            if (inserted) {
                sit->second = std::make_unique<Section>();
                sit->second->lastKeyLine = it;
                current = sit->second.get();
            }
        } else if (p.kind == LineKind::Key && current) {
            current->keys.try_emplace(std::string(p.name), it);
            current->lastKeyLine = it;
        }
    }
}

void IniFile::invalidate() {
    m_loaded = false;
    m_lines.clear();
    m_sections.clear();
}

const IniFile::Line* IniFile::findKey(std::string_view section, std::string_view key) {
    refresh();
    auto sit = m_sections.find(section);
    if (sit == m_sections.end()) return nullptr;
    auto kit = sit->second->keys.find(key);
    if (kit == sit->second->keys.end()) return nullptr;
    return &*kit->second;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) {
    const Line* line = findKey(section, key);
    if (!line) return std::string(defaultValue);
    return DecodeValue(ParseLine(line->text).value);
}

bool IniFile::parseInteger(std::string_view text, int& value) {
    if (text.empty()) return false;
    std::string_view hex;
    bool isHex = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = text.substr(2);
        isHex = true;
    } else if (text[0] == '$') {
        hex = text.substr(1);
        isHex = true;
    }
    if (isHex) {
        if (hex.empty()) return false;
        std::uint64_t v = 0;
        for (char c : hex) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return false;
            v = v * 16 + static_cast<std::uint64_t>(d);
            if (v > 0xFFFFFFFFu) return false;
        }
        // 32 bits as written: 0xFFFFFFFF is -1.
        value = static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
        return true;
    }
    std::size_t i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > static_cast<std::int64_t>(INT_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) return false;
    value = static_cast<int>(v);
    return true;
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) {
    const Line* line = findKey(section, key);
    if (!line) return defaultValue;
    int value = defaultValue;
    if (!parseInteger(DecodeValue(ParseLine(line->text).value), value)) return defaultValue;
    return value;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    CheckSectionName(section);
    CheckKeyName(key);
    if (HasLineBreak(value)) throw IniWriteError(m_path, "a value cannot hold a line break");
    std::string encoded = EncodeValue(value);
    refresh();

    auto sit = m_sections.find(section);
    if (sit == m_sections.end()) {
        if (!m_lines.empty() && m_lines.back().eol == Eol::None) m_lines.back().eol = Eol::CrLf;
        std::string header;
        header.reserve(section.size() + 2);
        header += '[';
        header += section;
        header += ']';
        m_lines.push_back(Line{std::move(header), Eol::CrLf});
        m_lines.push_back(Line{std::string(key) + "=" + encoded, Eol::CrLf});
        auto s = std::make_unique<Section>();
        s->lastKeyLine = std::prev(m_lines.end());
        s->keys.try_emplace(std::string(key), s->lastKeyLine);
        m_sections.try_emplace(std::string(section), std::move(s));
    } else {
        Section& s = *sit->second;
        auto kit = s.keys.find(key);
        if (kit != s.keys.end()) {
            Line& line = *kit->second;
            ParsedLine p = ParseLine(line.text);
            if (Trim(p.value) == encoded) return;
            line.text = std::string(p.name) + "=" + encoded;
            line.eol = Eol::CrLf;
        } else {
            LineIt after = s.lastKeyLine;
            if (after->eol == Eol::None) after->eol = Eol::CrLf;
            LineIt it = m_lines.insert(std::next(after), Line{std::string(key) + "=" + encoded, Eol::CrLf});
            s.keys.try_emplace(std::string(key), it);
            s.lastKeyLine = it;
        }
    }
    commit();
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

// Writes the file; on failure forgets what is in memory (it is re-read from disk) and rethrows.
void IniFile::saveNow() {
    try {
        save();
    } catch (...) {
        invalidate();
        throw;
    }
    m_stamp = StampOf(m_path);
}

void IniFile::commit() {
    if (m_batchDepth > 0 && m_batchWritten) {
        m_batchDirty = true;
        return;
    }
    saveNow();
    if (m_batchDepth > 0) m_batchWritten = true;
}

void IniFile::beginBatch() { ++m_batchDepth; }

void IniFile::endBatch() {
    if (m_batchDepth == 0 || --m_batchDepth > 0) return;
    bool dirty = m_batchDirty;
    m_batchWritten = false;
    m_batchDirty = false;
    if (!dirty) return;
    saveNow();
}

void IniFile::cancelBatch() {
    if (m_batchDirty) invalidate();
    m_batchDepth = 0;
    m_batchWritten = false;
    m_batchDirty = false;
}

std::string IniFile::serialize() const {
    std::size_t size = 0;
    for (const Line& line : m_lines) size += line.text.size() + 2;
    std::string out;
    out.reserve(size);
    for (const Line& line : m_lines) {
        out += line.text;
        out += EolText(static_cast<int>(line.eol));
    }
    return out;
}

void IniFile::save() const {
    CarefulWriteOptions options;
    options.refuseReadOnly = true;
    options.inPlaceForLinks = false;
    options.inPlaceInLockedFolder = false;
    const int error = WriteFileCarefully(m_path, serialize(), options);
    if (error == EISDIR || error == EINVAL) throw IniWriteError(m_path, "not a regular file");
    if (error != 0) throw IniWriteError(m_path, ErrnoText(error));
}

}  // namespace oruvan
