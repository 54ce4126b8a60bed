#pragma once
// The stretch of a text that edits have touched since a moment of reference, with the bytes it held
// then: whether the text is back to what it was costs the length of the stretch, not of the text.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace oruvan {

// What the trackers ask of a text, in its own byte positions and lines (CR LF, a lone CR and a lone LF
// each end a line; an empty last line counts).
class TextAccess {
public:
    virtual ~TextAccess() = default;
    virtual long length() const = 0;
    // Valid until the next call.
    virtual std::string_view range(long start, long end) const = 0;
    virtual long lineCount() const = 0;
    virtual long lineFromPosition(long pos) const = 0;
    // The text's length for lineCount() and beyond.
    virtual long positionFromLine(long line) const = 0;
};

class ChangeWindow {
public:
    // Past this many kept bytes the window gives up and the answer is unknown: copying the text between
    // edits far apart, or a section moved, would cost more than the comparison saves.
    static constexpr std::size_t kMaxKept = std::size_t(1) << 20;

    // The text as it is now becomes the reference.
    void reset();
    // Reports come before the text changes.
    void beforeInsert(const TextAccess& text, long pos, long length);
    void beforeDelete(const TextAccess& text, long pos, long length);
    // Nothing when the window gave up.
    std::optional<bool> unchanged(const TextAccess& text) const;

private:
    void cover(const TextAccess& text, long start, long end);

    bool m_active = false;
    bool m_gaveUp = false;
    long m_start = 0;  // the window in the text as it is now
    long m_end = 0;
    std::string m_old;  // what the window held at the reference
};

}  // namespace oruvan
