#pragma once
// The arithmetic behind the settings and About dialogs, kept free of the toolkit so it can be tested
// alone: the drop-down count marker on its scale, the registered form of a file path, and padding of
// the notice lines. Divisions truncate toward zero.
#include <string>
#include <string_view>

namespace oruvan {

// The drop-down count the marker can be dragged to; values handed in may lie outside.
constexpr int kMarkerMinValue = 2;
constexpr int kMarkerMaxValue = 40;

// The marker's left edge for a value, not clamped: values below the range put it left of the scale,
// values above it beyond the scale's end.
int MarkerLeftFor(int value, int scaleLeft, int scaleWidth, int markerWidth);

// Keeps a dragged marker on the scale.
int ClampMarkerLeft(int markerLeft, int scaleLeft, int scaleWidth, int markerWidth);

// The value a dragged marker shows: the left edge is clamped to the scale first, so the result is
// always within kMarkerMinValue..kMarkerMaxValue.
int ValueForMarkerLeft(int markerLeft, int scaleLeft, int scaleWidth, int markerWidth);

// The left edge that centres a label of labelWidth over the marker.
int CentreLabelLeft(int markerLeft, int markerWidth, int labelWidth);

// How paths are spelled. Windows: drive letters and network shares, backslashes (a 0x5C trail byte of
// a cp932 double-byte character is not one), names compared ignoring letter case; the strings are
// cp932. Posix: one root, "/" separators, names compared exactly; the strings are the file system's
// bytes (UTF-8 never uses 0x2F inside a character).
enum class PathStyle { Windows, Posix };

// The form in which a file is registered: relative to the folder holding the program file when both
// are on the same drive (always, for absolute POSIX paths), else the path unchanged. With no program file
// (an installed copy: its settings do not travel with the program) every path stays as it is.
std::string RegisteredForm(std::string_view programFile, std::string_view path, PathStyle style);

// The text with blanks appended up to `columns` columns; a longer text is left as it is. The text is
// UTF-8; a character that takes two bytes in cp932 (full-width) counts two columns.
std::string PadToColumns(std::string_view utf8, int columns);

}  // namespace oruvan
