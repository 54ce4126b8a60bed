#pragma once
// Where the program's own files are: the settings file and the help text, for a copy that runs from its
// own folder and for one installed under a prefix (the Debian package installs into /usr).
//
// A copy is installed when its executable lies in a folder named "bin" beside which "share/oruvan"
// exists: the layout an install lays out, which no build tree or unpacked folder has. Its settings then
// live per user, in $XDG_CONFIG_HOME/oruvan/oruvan.ini (by default ~/.config/oruvan/oruvan.ini), unless
// an INI file beside the executable exists: that one always wins. Every other copy keeps its INI file
// beside the executable. Paths are POSIX paths in the file system's encoding.
#include <functional>
#include <string>

namespace oruvan {

// What the decision looks at, gathered by the caller (CurrentLayoutFacts for this process).
struct LayoutFacts {
    std::string executable;                          // the editor's executable, an absolute path
    std::string xdgConfigHome;                       // $XDG_CONFIG_HOME as set (empty when unset)
    std::string home;                                // the user's home folder
    std::function<bool(const std::string&)> exists;  // whether a file or folder is at the path
};

struct ProgramLayout {
    bool installed = false;
    std::string settingsFile;
    // Settings that do not travel with the program: their folder is made on the first write, and files
    // are registered by their absolute paths, not relative to the program's folder.
    bool perUserSettings = false;
    // readme.txt beside the executable, else the installed copy's; the one beside the executable when
    // neither exists.
    std::string helpFile;
    // The translations of the program's texts: the installed copy's, else the folder beside the
    // executable (where the build puts them).
    std::string translationsFolder;
};

ProgramLayout LayoutFor(const LayoutFacts& facts);

// The facts for this process: its environment, the password database and the file system.
LayoutFacts CurrentLayoutFacts(const std::string& executable);

// Makes the folders missing on the way to the file, readable by the user alone. A folder that cannot be
// made is left to the write that follows to report.
void CreateFolderFor(const std::string& file);

}  // namespace oruvan
