#pragma once
// The settings file and the window: reads it into the parts at start, and writes back at close only
// what this window changed, so that what another window saved meanwhile stays.
#include <string>
#include <vector>

#include "settings/SettingsRecord.h"

namespace oruvan {

class MainWindow;

class WindowSettings {
public:
    explicit WindowSettings(MainWindow* window);

    void load();
    void save();
    // The settings as the window holds them now.
    SettingsRecord current() const;

private:
    MainWindow* m_window;
    // The settings file's bytes for the registered files and the face name, written back for what
    // the user did not change.
    std::vector<std::string> m_filesAsRead;
    std::string m_fontNameAsRead;
    // The settings as this window last read or wrote them.
    SettingsRecord m_settingsAsRead;
};

}  // namespace oruvan
