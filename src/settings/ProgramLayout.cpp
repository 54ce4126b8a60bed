#include "settings/ProgramLayout.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "settings/SettingsRecord.h"

namespace oruvan {

namespace {

constexpr const char* kHelpFileName = "readme.txt";

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

// <prefix>/share/oruvan for an executable in <prefix>/bin that has it; empty otherwise.
std::string InstalledDataFolder(const LayoutFacts& facts) {
    const std::string bin = FolderOf(facts.executable);
    if (NameOf(bin) != "bin") return {};
    const std::string prefix = FolderOf(bin);
    const std::string data = Join(prefix, "share/oruvan");
    return facts.exists(data) ? data : std::string();
}

// The user's configuration folder by the XDG rules: a relative $XDG_CONFIG_HOME is ignored. Empty when
// there is no usable home folder either.
std::string ConfigHome(const LayoutFacts& facts) {
    if (IsAbsolute(facts.xdgConfigHome)) return facts.xdgConfigHome;
    if (IsAbsolute(facts.home)) return Join(facts.home, ".config");
    return {};
}

}  // namespace

ProgramLayout LayoutFor(const LayoutFacts& facts) {
    ProgramLayout layout;
    const std::string data = InstalledDataFolder(facts);
    layout.installed = !data.empty();

    const std::string beside = SettingsFileNameFor(facts.executable);
    const std::string configHome = ConfigHome(facts);
    layout.perUserSettings = layout.installed && !configHome.empty() && !facts.exists(beside);
    layout.settingsFile = layout.perUserSettings ? Join(configHome, "oruvan/oruvan.ini") : beside;

    layout.helpFile = Join(FolderOf(facts.executable), kHelpFileName);
    if (layout.installed && !facts.exists(layout.helpFile) && facts.exists(Join(data, kHelpFileName)))
        layout.helpFile = Join(data, kHelpFileName);
    layout.translationsFolder = Join(layout.installed ? data : FolderOf(facts.executable), "translations");
    return layout;
}

LayoutFacts CurrentLayoutFacts(const std::string& executable) {
    LayoutFacts facts;
    facts.executable = executable;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) facts.xdgConfigHome = xdg;
    if (const char* home = std::getenv("HOME")) facts.home = home;
    if (facts.home.empty())
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) facts.home = pw->pw_dir;
    facts.exists = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0;
    };
    return facts;
}

void CreateFolderFor(const std::string& file) {
    const std::string folder = FolderOf(file);
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string step = slash == std::string::npos ? folder : folder.substr(0, slash);
        if (::mkdir(step.c_str(), 0700) != 0 && errno != EEXIST) return;
        if (slash == std::string::npos) return;
    }
}

}  // namespace oruvan
