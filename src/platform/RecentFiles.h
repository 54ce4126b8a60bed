#pragma once
// The desktop's shared list of recently used files (recently-used.xbel), through GLib's bookmark file:
// an entry added to what other programs wrote, never written over a file that could not be read.
#include <string>

namespace oruvan {

struct RecentEntry {
    std::string path;      // absolute, in the file system's encoding
    std::string mimeType;  // "text/plain"
    std::string appName;   // the program's desktop id
    std::string appExec;   // its command line, "%u" standing for the file
};

// $XDG_DATA_HOME/recently-used.xbel, or ~/.local/share/recently-used.xbel when that is unset, empty or
// not an absolute path.
std::string RecentlyUsedFile(const std::string& xdgDataHome, const std::string& home);

// Adds or refreshes `entry` in the list at `listFile` (made, with its folder, when missing). Returns what
// went wrong for a user to read, or "" when the list was written. A list that exists but cannot be read
// or parsed is left as it is.
std::string AddRecentlyUsed(const std::string& listFile, const RecentEntry& entry);

}  // namespace oruvan
