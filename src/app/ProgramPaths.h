#pragma once
// Where the program finds its settings, help text and recovery copies.
#include <QString>

namespace oruvan {

struct ProgramPaths {
    QString settingsFile;  // the INI file
    QString programFile;   // the executable, for the help command
    QString programDir;    // base of relative registered paths
    QString helpFile;      // the help text; readme.txt in programDir when empty
    // Settings in the user's configuration folder (an installed copy): the folder is made on the
    // first write and files are registered by their absolute paths.
    bool perUserSettings = false;
    // Recovery copies of unsaved edits; none are kept when empty.
    QString recoveryDir;
    // The desktop's list of recently used files; files are not put on it when empty.
    QString recentFilesList;
};

}  // namespace oruvan
