#include "settings/SettingDialogMath.h"

#include <climits>
#include <cstdint>
#include <vector>

#include "platform/Cp932.h"
#include "platform/TextCompare.h"

namespace oruvan {

namespace {

constexpr int kMarkerSteps = kMarkerMaxValue - kMarkerMinValue;

int ToInt(std::int64_t v) {
    if (v < INT_MIN) return INT_MIN;
    if (v > INT_MAX) return INT_MAX;
    return static_cast<int>(v);
}

// Byte offsets of the path separators, skipping the trail bytes of cp932 double-byte characters in the
// Windows style.
std::vector<std::size_t> SeparatorOffsets(std::string_view s, PathStyle style) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (style == PathStyle::Windows) {
            if (IsLeadByte(b)) {
                ++i;
                continue;
            }
            if (b == '\\') out.push_back(i);
        } else if (b == '/') {
            out.push_back(i);
        }
    }
    return out;
}

// The drive of a path: "C:", "\\server\share", "/" for an absolute POSIX path, else empty.
std::string_view DrivePart(std::string_view s, const std::vector<std::size_t>& seps, PathStyle style) {
    if (style == PathStyle::Posix) return s.substr(0, !s.empty() && s[0] == '/' ? 1 : 0);
    if (s.size() >= 2 && s[1] == ':' && !IsLeadByte(static_cast<unsigned char>(s[0]))) return s.substr(0, 2);
    if (seps.size() >= 2 && seps[0] == 0 && seps[1] == 1) {
        // Two backslashes, the server, one backslash, the share (up to the next backslash or the end).
        if (seps.size() < 4) return s;
        return s.substr(0, seps[3]);
    }
    return {};
}

struct SplitPath {
    std::string_view drive;
    std::vector<std::string_view> folders;
    std::string_view fileName;
};

SplitPath Split(std::string_view s, PathStyle style) {
    const std::vector<std::size_t> seps = SeparatorOffsets(s, style);
    SplitPath p;
    p.drive = DrivePart(s, seps, style);
    std::size_t start = p.drive.size();
    // The POSIX root is both the drive and the first separator.
    if (style == PathStyle::Posix && start == 1) start = 0;
    std::size_t last = std::string_view::npos;
    for (std::size_t sep : seps)
        if (sep >= start) last = sep;
    if (last == std::string_view::npos) {
        p.fileName = s.substr(start);
        return p;
    }
    p.fileName = s.substr(last + 1);
    // Pieces between separators of the folder part; the empty one before a leading separator is
    // dropped, the one after the last separator is the file name.
    std::size_t pieceStart = start;
    for (std::size_t sep : seps) {
        if (sep < start) continue;
        if (sep != start) p.folders.push_back(s.substr(pieceStart, sep - pieceStart));
        pieceStart = sep + 1;
        if (sep == last) break;
    }
    return p;
}

bool SameName(std::string_view a, std::string_view b, PathStyle style) {
    return style == PathStyle::Windows ? SameTextIgnoreCase(a, b) : a == b;
}

}  // namespace

int MarkerLeftFor(int value, int scaleLeft, int scaleWidth, int markerWidth) {
    const std::int64_t travel = std::int64_t{scaleWidth} - markerWidth;
    return ToInt(travel * (std::int64_t{value} - kMarkerMinValue) / kMarkerSteps + scaleLeft);
}

int ClampMarkerLeft(int markerLeft, int scaleLeft, int scaleWidth, int markerWidth) {
    std::int64_t left = markerLeft;
    if (left < scaleLeft) left = scaleLeft;
    if (left + markerWidth > std::int64_t{scaleLeft} + scaleWidth)
        left = std::int64_t{scaleLeft} + scaleWidth - markerWidth;
    return ToInt(left);
}

int ValueForMarkerLeft(int markerLeft, int scaleLeft, int scaleWidth, int markerWidth) {
    const std::int64_t travel = std::int64_t{scaleWidth} - markerWidth;
    if (travel <= 0) return kMarkerMinValue;
    const std::int64_t left = ClampMarkerLeft(markerLeft, scaleLeft, scaleWidth, markerWidth);
    return ToInt((left - scaleLeft) * kMarkerSteps / travel + kMarkerMinValue);
}

int CentreLabelLeft(int markerLeft, int markerWidth, int labelWidth) {
    return ToInt(std::int64_t{markerLeft} + (std::int64_t{markerWidth} - labelWidth) / 2);
}

std::string RegisteredForm(std::string_view programFile, std::string_view path, PathStyle style) {
    if (programFile.empty()) return std::string(path);
    const SplitPath program = Split(programFile, style);
    const SplitPath target = Split(path, style);
    // A relative path has no drive; it is kept as it is rather than guessed at.
    if (target.drive.empty() || !SameName(program.drive, target.drive, PathStyle::Windows))
        return std::string(path);

    std::size_t common = 0;
    while (common < program.folders.size() && common < target.folders.size() &&
           SameName(program.folders[common], target.folders[common], style))
        ++common;

    const char sep = style == PathStyle::Windows ? '\\' : '/';
    std::string out;
    for (std::size_t i = common; i < program.folders.size(); ++i) {
        out += "..";
        out += sep;
    }
    for (std::size_t i = common; i < target.folders.size(); ++i) {
        out += target.folders[i];
        out += sep;
    }
    out += target.fileName;
    return out;
}

std::string PadToColumns(std::string_view utf8, int columns) {
    std::string out(utf8);
    const std::size_t width = Cp932Length(utf8);
    if (columns > 0 && width < static_cast<std::size_t>(columns))
        out.append(static_cast<std::size_t>(columns) - width, ' ');
    return out;
}

}  // namespace oruvan
