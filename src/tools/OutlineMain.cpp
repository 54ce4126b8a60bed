// oruvan-outline: prints the index of a cp932 text file, or its Index menu, as the editor would build it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outline/HeadingFilter.h"
#include "outline/HeadingScanner.h"
#include "platform/IniFile.h"
#include "outline/IndexMenuLayout.h"
#include "outline/TitleMarks.h"
#include "platform/Cp932.h"
#include "settings/ProgramLayout.h"

namespace oruvan {
namespace {

constexpr const char* kProgram = "oruvan-outline";

constexpr const char* kUsage =
    "Usage: oruvan-outline [options] FILE\n"
    "Prints the headings of a Shift-JIS (cp932) text file, one a line: the line number (from 1),\n"
    "a tab and the index text.\n"
    "\n"
    "  --marks=TEXT                         title marks as a comma text (default \"//@,--,\xe2\x96\xa0\")\n"
    "  --ignore-head-spaces=0|1             ignore blanks around each line (default 1)\n"
    "  --caption-including-title-mark=0|1   keep the title mark in the index text (default 0)\n"
    "  --heading-levels=0|1                 indent each heading by a full-width space per level\n"
    "                                       below 1, as the editor's lists do (default 0)\n"
    "  --menu                               print the Index menu instead, a page level indented by\n"
    "                                       two spaces, a separator as \"-\"\n"
    "  --next-page-menu-is-head=0|1         put the next-page item at the top of a page (default 1)\n"
    "  --filter=WORDS                       print only the headings that hold every word (words\n"
    "                                       part at blanks; letter case is ignored, widths are not)\n"
    "  --levels                             add a tab and the heading's level: the position (from 1)\n"
    "                                       of its title mark among the marks\n"
    "  --raw                                take --marks and --filter and write text as cp932\n"
    "                                       bytes, not UTF-8\n"
    "  --settings=FILE                      read the defaults from FILE instead of the editor's\n"
    "                                       settings: oruvan.ini beside this program, or for an\n"
    "                                       installed copy ~/.config/oruvan/oruvan.ini\n"
    "  --help                               show this help\n";

struct OutlineOptions {
    HeadingRules rules;
    bool menu = false;
    bool nextPageMenuIsHead = true;
    bool raw = false;
    bool levelColumn = false;    // --levels
    bool headingLevels = false;  // indentation by level
    HeadingFilter filter;
    std::string file;
};

OutlineOptions DefaultOptions() {
    OutlineOptions options;
    options.rules.marks = TitleMarksFromText(kDefaultTitleMarksText);
    options.rules.ignoreHeadSpaces = true;
    options.rules.captionIncludingTitleMark = false;
    options.nextPageMenuIsHead = true;
    return options;
}

enum class ParseResult { Run, Help, Error };

bool ParseFlag(std::string_view value, bool& flag) {
    if (value != "0" && value != "1") return false;
    flag = value == "1";
    return true;
}

ParseResult ApplyArguments(int argc, char** argv, OutlineOptions& options, std::string& error) {
    std::optional<std::string> marks;
    std::optional<std::string> filter;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            files.emplace_back(arg);
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string_view name = arg.substr(0, eq);
        const std::string_view value = eq == std::string_view::npos ? std::string_view() : arg.substr(eq + 1);
        const bool hasValue = eq != std::string_view::npos;
        bool ok = true;
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            return ParseResult::Help;
        } else if (name == "--marks" && hasValue) {
            marks = std::string(value);
        } else if (name == "--ignore-head-spaces" && hasValue) {
            ok = ParseFlag(value, options.rules.ignoreHeadSpaces);
        } else if (name == "--caption-including-title-mark" && hasValue) {
            ok = ParseFlag(value, options.rules.captionIncludingTitleMark);
        } else if (name == "--next-page-menu-is-head" && hasValue) {
            ok = ParseFlag(value, options.nextPageMenuIsHead);
        } else if (name == "--heading-levels" && hasValue) {
            ok = ParseFlag(value, options.headingLevels);
        } else if (name == "--filter" && hasValue) {
            filter = std::string(value);
        } else if (arg == "--levels") {
            options.levelColumn = true;
        } else if (name == "--settings" && hasValue) {
            // Read before the other options (see SettingsPath); nothing more to do here.
        } else if (arg == "--menu") {
            options.menu = true;
        } else if (arg == "--raw") {
            options.raw = true;
        } else {
            error = "unknown option: " + std::string(arg);
            return ParseResult::Error;
        }
        if (!ok) {
            error = std::string(name) + " takes 0 or 1, not \"" + std::string(value) + "\"";
            return ParseResult::Error;
        }
    }
    if (files.size() != 1) {
        error = files.empty() ? "no FILE given" : "more than one FILE given";
        return ParseResult::Error;
    }
    if (options.menu && (filter || options.levelColumn)) {
        error = "--filter and --levels print the index, not the menu";
        return ParseResult::Error;
    }
    options.file = files.front();
    // --raw may follow --marks and --filter, so their text is converted only once all options are known.
    if (marks) options.rules.marks = TitleMarksFromText(options.raw ? *marks : Utf8ToCp932(*marks));
    if (filter) options.filter = options.raw ? HeadingFilter(*filter) : HeadingFilterFromUtf8(*filter);
    return ParseResult::Run;
}

// Where the whole lines of buf[0, size) end: after the last LF, or after the last CR when more bytes
// follow it (a CR at the very end may be half of a CR LF), or at size once the file has ended.
std::size_t WholeLinesEnd(const char* buf, std::size_t size, bool atEnd) {
    if (atEnd) return size;
    const void* lf = memrchr(buf, '\n', size);
    std::size_t end = lf ? static_cast<const char*>(lf) - buf + 1 : 0;
    const void* cr = memrchr(buf + end, '\r', size - end);
    if (cr && static_cast<const char*>(cr) - buf + 1 < static_cast<std::ptrdiff_t>(size))
        end = static_cast<const char*>(cr) - buf + 1;
    return end;
}

// Scans the file a few whole lines at a time through one buffer, which stays in the cache and does not
// grow with the file. With `flush`, the headings of each piece are handed to it and dropped, so the
// index never has to be held whole. False with errno's text in `error`.
bool ScanFile(const std::string& path, const HeadingRules& rules, Index& index, std::string& error,
              const std::function<bool(Index&)>& flush = {}) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = fstat(fd, &st) == 0;
    if (ok && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        ok = false;
    }
    HeadingScanner scanner(rules);
    std::size_t capacity = std::size_t(256) << 10;
    std::unique_ptr<char[]> buf(new char[capacity]);
    std::size_t used = 0;
    for (bool atEnd = false; ok && !atEnd;) {
        if (used == capacity) {  // a line longer than the buffer
            std::unique_ptr<char[]> bigger(new char[capacity * 2]);
            std::memcpy(bigger.get(), buf.get(), used);
            buf = std::move(bigger);
            capacity *= 2;
        }
        const ssize_t got = read(fd, buf.get() + used, capacity - used);
        if (got < 0) {
            ok = errno == EINTR;
            continue;
        }
        atEnd = got == 0;
        used += static_cast<std::size_t>(got);
        const std::size_t end = WholeLinesEnd(buf.get(), used, atEnd);
        scanner.scanCp932(std::string_view(buf.get(), end), index);
        if (flush && !index.empty()) {
            if (!flush(index)) {
                close(fd);
                return true;  // the caller reports its own failure
            }
            index.clear();
        }
        std::memmove(buf.get(), buf.get() + end, used - end);
        used -= end;
    }
    if (!ok) error = std::strerror(errno);
    close(fd);
    return ok;
}

void AppendText(std::string_view cp932, bool raw, std::string& out) {
    if (raw)
        out.append(cp932);
    else
        Cp932ToUtf8(cp932, out);
}

void AppendNumber(int n, std::string& out) {
    char number[16];
    const auto end = std::to_chars(number, number + sizeof number, n).ptr;
    out.append(number, static_cast<std::size_t>(end - number));
}

void AppendIndex(const Index& index, const OutlineOptions& options, std::string& out) {
    std::size_t bytes = 0;
    for (const IndexEntry& entry : index) bytes += entry.text.size() * (options.raw ? 1 : 2) + 12;
    out.reserve(bytes);
    const bool plain = !options.headingLevels;
    for (const IndexEntry& entry : index) {
        if (!options.filter.matches(entry.text)) continue;
        AppendNumber(entry.line + 1, out);
        out += '\t';
        AppendText(plain ? entry.text : IndentedText(entry, true), options.raw, out);
        if (options.levelColumn) {
            out += '\t';
            AppendNumber(entry.level, out);
        }
        out += '\n';
    }
}

// Walks the chain of pages with a stack of its own: a long index nests thousands of pages deep.
void AppendMenu(const Index& index, bool nextPageMenuIsHead, bool headingLevels, bool raw, std::string& out) {
    const int n = static_cast<int>(index.size());
    struct Page {
        std::vector<IndexMenuItem> items;
        std::size_t next = 0;
    };
    std::vector<Page> pages;
    if (n > 0) pages.push_back({IndexMenuPage(index, 0, nextPageMenuIsHead)});
    while (!pages.empty()) {
        if (pages.back().next == pages.back().items.size()) {
            pages.pop_back();
            continue;
        }
        const IndexMenuItem item = pages.back().items[pages.back().next++];
        const int level = static_cast<int>(pages.size()) - 1;
        out.append(static_cast<std::size_t>(2 * level), ' ');
        switch (item.kind) {
            case IndexMenuItem::Entry:
                AppendText(ShortenMenuCaption(
                               IndentedText(index[static_cast<std::size_t>(item.entry)], headingLevels)),
                           raw, out);
                break;
            case IndexMenuItem::Separator:
                out += '-';
                break;
            case IndexMenuItem::PageItem:
                AppendText(kNextPageCaption, raw, out);
                pages.push_back({IndexMenuPage(index, level + 1, nextPageMenuIsHead)});
                break;
        }
        out += '\n';
    }
}

// The settings file the options start from: --settings=FILE, else the one the editor beside us uses.
// `named` tells whether the user asked for it, so that a missing file is then an error.
std::string SettingsPath(int argc, char** argv, bool& named) {
    named = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") break;
        if (arg.substr(0, 11) == "--settings=") {
            named = true;
            return std::string(arg.substr(11));
        }
    }
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return LayoutFor(CurrentLayoutFacts((self.parent_path() / "oruvan").string())).settingsFile;
}

// The editor's settings give the defaults the command-line options then override.
void ApplySettingsFile(const std::string& path, OutlineOptions& options) {
    IniFile ini(path);
    options.rules.marks = TitleMarksFromText(ini.readString("Setting", "TitleMarks", kDefaultTitleMarksText));
    options.rules.ignoreHeadSpaces = ini.readBool("Setting", "IgnoreHeadSpaces", options.rules.ignoreHeadSpaces);
    options.rules.captionIncludingTitleMark =
        ini.readBool("Setting", "CaptionIncludingTitleMark", options.rules.captionIncludingTitleMark);
    options.nextPageMenuIsHead = ini.readBool("Setting", "NextPageMenuIsHead", options.nextPageMenuIsHead);
    options.headingLevels = ini.readBool("Setting", "HeadingLevels", options.headingLevels);
}

int Run(int argc, char** argv) {
    OutlineOptions options = DefaultOptions();
    std::string error;
    bool named = false;
    const std::string settings = SettingsPath(argc, argv, named);
    if (named) {
        struct stat st {};
        errno = 0;
        if (::stat(settings.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            std::fprintf(stderr, "%s: cannot read settings %s: %s\n", kProgram, settings.c_str(),
                         errno ? std::strerror(errno) : "not a file");
            return 1;
        }
    }
    if (!settings.empty()) ApplySettingsFile(settings, options);
    switch (ApplyArguments(argc, argv, options, error)) {
        case ParseResult::Help:
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        case ParseResult::Error:
            std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(), kUsage);
            return 2;
        case ParseResult::Run:
            break;
    }

    Index index;
    std::string out;
    bool written = true;
    auto write = [&] {
        written = written && std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
        out.clear();
        return written;
    };
    // The plain index goes out as it is found; the menu needs every heading first.
    std::function<bool(Index&)> flush;
    if (!options.menu)
        flush = [&](Index& piece) {
            AppendIndex(piece, options, out);
            return out.size() < (std::size_t(64) << 10) || write();
        };
    if (!ScanFile(options.file, options.rules, index, error, flush)) {
        std::fprintf(stderr, "%s: cannot read %s: %s\n", kProgram, options.file.c_str(), error.c_str());
        return 1;
    }
    if (options.menu) AppendMenu(index, options.nextPageMenuIsHead, options.headingLevels, options.raw, out);
    if (!write() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "%s: cannot write the output: %s\n", kProgram, std::strerror(errno));
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace oruvan

int main(int argc, char** argv) { return oruvan::Run(argc, argv); }
