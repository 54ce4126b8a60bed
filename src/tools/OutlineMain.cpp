// oruvan-outline: prints the index of a text file, or its Index menu, as the editor would build it.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "OutlineHelp.h"
#include "OutlineOutput.h"
#include "outline/HeadingFilter.h"
#include "outline/HeadingScanner.h"
#include "platform/IniFile.h"
#include "outline/Sections.h"
#include "platform/CharacterCount.h"
#include "outline/TitleMarks.h"
#include "platform/Cp932.h"
#include "platform/EncodingDetector.h"
#include "platform/TextDecoder.h"
#include "platform/TextLines.h"
#include "settings/ProgramLayout.h"
#include "version/Version.h"

namespace oruvan {
namespace {

constexpr const char* kProgram = "oruvan-outline";



OutlineOptions DefaultOptions() {
    OutlineOptions options;
    options.rules.marks = TitleMarksFromText(kDefaultTitleMarksText);
    options.rules.ignoreHeadSpaces = true;
    options.rules.captionIncludingTitleMark = false;
    options.nextPageMenuIsHead = true;
    return options;
}

enum class ParseResult { Run, Help, Version, Error };

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
        } else if (arg == "--version" || arg == "-v") {
            return ParseResult::Version;
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
        } else if (arg == "--counts") {
            options.countColumn = true;
        } else if (name == "--encoding" && hasValue) {
            options.encoding = value == "auto" ? std::nullopt : EncodingFromName(value);
            if (value != "auto" && !options.encoding) {
                error = "unknown encoding: " + std::string(value);
                return ParseResult::Error;
            }
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
    if (files.empty()) {
        error = "no FILE given";
        return ParseResult::Error;
    }
    if (std::count(files.begin(), files.end(), "-") > 1) {
        error = "standard input (\"-\") given more than once";
        return ParseResult::Error;
    }
    if (options.menu && (filter || options.levelColumn || options.countColumn)) {
        error = "--filter, --levels and --counts print the index, not the menu";
        return ParseResult::Error;
    }
    options.files = std::move(files);
    // --raw may follow --marks and --filter, so their text is converted only once all options are known.
    if (marks) options.rules.marks = TitleMarksFromText(options.raw ? *marks : Utf8ToCp932(*marks));
    if (filter) options.filter = options.raw ? HeadingFilter(*filter) : HeadingFilterFromUtf8(*filter);
    return ParseResult::Run;
}

// Where the whole lines of buf[0, size) end: after the last break that more bytes cannot change, or at
// size once the file has ended.
std::size_t WholeLinesEnd(const char* buf, std::size_t size, bool atEnd) {
    if (atEnd) return size;
    const std::size_t end = LastBreakEnd(std::string_view(buf, size), 0, size, true);
    return end == std::string_view::npos ? 0 : end;
}

using Buffer = std::unique_ptr<char, decltype(&std::free)>;

// A read buffer of `size` bytes, a power of two. The one that holds the detection window asks for huge
// pages: touching 4 MiB of fresh memory a page at a time would cost more than detecting the encoding.
Buffer NewBuffer(std::size_t size) {
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    char* p = static_cast<char*>(std::aligned_alloc(size >= kHugePage ? kHugePage : 64, size));
    if (!p) throw std::bad_alloc();
    if (size >= kHugePage) madvise(p, size, MADV_HUGEPAGE);
    return Buffer(p, &std::free);
}

// Scans FILE ("-": standard input) a few whole lines at a time through one buffer, which stays in the
// cache and does not grow with the file. Unless --encoding names it, the encoding is detected on the head
// of the input as the editor detects it; `encoding` receives it before the first flush. Shift_JIS, UTF-8
// and EUC-JP are scanned as they are (the last two decoding the lines that may be headings), any other
// encoding decoded to UTF-8 a block at a time; the headings' texts are cp932 for Shift_JIS, otherwise
// UTF-8 as the editor decodes them. With `flush`, the headings
// of each piece are handed to it and dropped, so the index never has to be held whole. False with
// errno's text in `error`.
bool ScanFile(const OutlineOptions& options, Index& index, Encoding& encoding, std::string& error,
              const std::function<bool(Index&)>& flush = {}, std::vector<std::int64_t>* lineCounts = nullptr) {
    constexpr std::size_t kBlock = std::size_t(256) << 10;
    const bool standardInput = options.file == "-";
    const int fd = standardInput ? STDIN_FILENO : open(options.file.c_str(), O_RDONLY | O_CLOEXEC);
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
    std::size_t capacity = options.encoding ? kBlock : kDetectionWindow;
    Buffer buf = NewBuffer(capacity);
    std::size_t used = 0;
    bool atEnd = false;
    const auto readMore = [&](std::size_t most) {
        const ssize_t got = read(fd, buf.get() + used, most);
        if (got < 0) return errno == EINTR;
        atEnd = got == 0;
        used += static_cast<std::size_t>(got);
        return true;
    };
    if (!options.encoding) {
        while (ok && !atEnd && used < capacity) ok = readMore(capacity - used);
        const bool whole = atEnd || (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= used);
        encoding = DetectEncoding(std::string_view(buf.get(), used), whole);
    } else {
        encoding = *options.encoding;
    }
    // UTF-8 needs no decoding but of its headings; its byte order mark goes.
    const bool utf8Bytes = encoding == Encoding::Utf8 || encoding == Encoding::Utf8Bom;
    if (utf8Bytes) {
        while (ok && !atEnd && used < 3) ok = readMore(capacity - used);
        const std::string_view bom = ByteOrderMark(Encoding::Utf8Bom);
        if (std::string_view(buf.get(), used).substr(0, bom.size()) == bom) {
            used -= bom.size();
            std::memmove(buf.get(), buf.get() + bom.size(), used);
        }
    }
    HeadingScanner scanner(options.rules);
    std::optional<TextDecoder> decoder;
    const bool eucJpBytes = encoding == Encoding::EucJp;
    if (encoding != Encoding::ShiftJis && !utf8Bytes && !eucJpBytes) decoder.emplace(encoding, BreakMode::Keep);
    std::string utf8;
    std::string decoded;
    // Each line counted as the editor counts it, in the text it decodes.
    const auto countLines = [&](std::string_view text) {
        LineSplitter lines(text);
        std::string_view line;
        while (lines.next(line)) lineCounts->push_back(CountCharacters(line));
    };
    while (ok) {
        if (decoder) {
            decoder->decode(std::string_view(buf.get(), used), atEnd, utf8);
            used = 0;
            const std::size_t end = WholeLinesEnd(utf8.data(), utf8.size(), atEnd);
            scanner.scanUtf8(std::string_view(utf8).substr(0, end), index);
            if (lineCounts) countLines(std::string_view(utf8).substr(0, end));
            utf8.erase(0, end);
        } else {
            const std::size_t end = WholeLinesEnd(buf.get(), used, atEnd);
            if (lineCounts) {
                decoded.clear();
                DecodeText(encoding, std::string_view(buf.get(), end), decoded);
                countLines(decoded);
            }
            if (utf8Bytes)
                scanner.scanUtf8Bytes(std::string_view(buf.get(), end), index);
            else if (eucJpBytes)
                scanner.scanEucJpBytes(std::string_view(buf.get(), end), index);
            else
                scanner.scanCp932(std::string_view(buf.get(), end), index);
            std::memmove(buf.get(), buf.get() + end, used - end);
            used -= end;
        }
        if (flush && !index.empty()) {
            if (!flush(index)) break;  // the caller reports its own failure
            index.clear();
        }
        if (atEnd) break;
        if (used == capacity) {  // a line longer than the buffer
            Buffer bigger = NewBuffer(capacity * 2);
            std::memcpy(bigger.get(), buf.get(), used);
            buf = std::move(bigger);
            capacity *= 2;
        }
        ok = readMore(std::min(capacity - used, kBlock));
    }
    if (!ok) error = std::strerror(errno);
    if (!standardInput) close(fd);
    return ok;
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
            std::fputs(OutlineUsage(LanguageFor(CurrentLocaleEnvironment())), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        case ParseResult::Version:
            std::printf("%s %s\n", kProgram, version::kNumber);
            return std::fflush(stdout) == 0 ? 0 : 1;
        case ParseResult::Error:
            std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(),
                         OutlineUsage(LanguageFor(CurrentLocaleEnvironment())));
            return 2;
        case ParseResult::Run:
            break;
    }

    // With levels on, a line's mark is the longest it begins with, as in the editor.
    options.rules.longestMark = options.headingLevels;
    std::string out;
    bool written = true;
    auto write = [&] {
        written = written && std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
        out.clear();
        return written;
    };
    const bool several = options.files.size() > 1;
    bool failed = false;
    for (const std::string& file : options.files) {
        options.file = file;
        Index index;
        OutputForm form{Encoding::ShiftJis, options.raw, {}};
        if (several) form.prefix = (file == "-" ? std::string("(standard input)") : file) + '\t';
        // The plain index goes out as it is found; the menu and the counts need every heading first.
        std::function<bool(Index&)> flush;
        if (!options.menu && !options.countColumn)
            flush = [&](Index& piece) {
                AppendIndex(piece, options, form, out);
                return out.size() < (std::size_t(64) << 10) || write();
            };
        std::vector<std::int64_t> lineCounts;
        if (!ScanFile(options, index, form.encoding, error, flush, options.countColumn ? &lineCounts : nullptr)) {
            if (!write()) break;
            std::fflush(stdout);
            std::fprintf(stderr, "%s: cannot read %s: %s\n", kProgram, file.c_str(), error.c_str());
            failed = true;
            continue;
        }
        if (options.menu) AppendMenu(index, options.nextPageMenuIsHead, options.headingLevels, form, out);
        if (options.countColumn) {
            const std::vector<std::int64_t> counts = SectionCharacters(index, options.headingLevels, lineCounts);
            AppendIndex(index, options, form, out, &counts);
        }
        if (!written || !write()) break;
    }
    if (!write() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "%s: cannot write the output: %s\n", kProgram, std::strerror(errno));
        return 1;
    }
    // One file keeps the status it always had; among several, grep's 2 says some could not be read.
    if (failed) return several ? 2 : 1;
    return 0;
}

}  // namespace
}  // namespace oruvan

int main(int argc, char** argv) { return oruvan::Run(argc, argv); }
