#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "IniFolderFixture.h"
#include "settings/ProgramLayout.h"

namespace oruvan {
namespace {

struct LayoutCase {
    const char* name;
    const char* executable;
    std::vector<std::string> existing;
    const char* xdgConfigHome;
    const char* home;
    bool installed;
    const char* settingsFile;
    bool perUser;
    const char* helpFile;
};

TEST(ProgramLayoutTest, SettingsAndHelpText) {
    const std::vector<std::string> usr = {"/usr/share/oruvan", "/usr/share/oruvan/readme.txt"};
    const LayoutCase cases[] = {
        {"build tree", "/src/build/test/oruvan", {"/src/build/test/readme.txt"}, "", "/home/u", false,
         "/src/build/test/oruvan.ini", false, "/src/build/test/readme.txt"},
        {"unpacked folder named bin", "/home/u/tools/bin/oruvan", {}, "", "/home/u", false,
         "/home/u/tools/bin/oruvan.ini", false, "/home/u/tools/bin/readme.txt"},
        {"share/oruvan beside a folder not named bin", "/usr/lib/oruvan", usr, "", "/home/u", false,
         "/usr/lib/oruvan.ini", false, "/usr/lib/readme.txt"},
        {"package", "/usr/bin/oruvan", usr, "", "/home/u", true, "/home/u/.config/oruvan/oruvan.ini", true,
         "/usr/share/oruvan/readme.txt"},
        {"XDG_CONFIG_HOME", "/usr/bin/oruvan", usr, "/var/cfg/", "/home/u", true, "/var/cfg/oruvan/oruvan.ini",
         true, "/usr/share/oruvan/readme.txt"},
        {"relative XDG_CONFIG_HOME is ignored", "/usr/bin/oruvan", usr, "cfg", "/home/u/", true,
         "/home/u/.config/oruvan/oruvan.ini", true, "/usr/share/oruvan/readme.txt"},
        {"an INI file beside the executable wins", "/usr/bin/oruvan", {usr[0], usr[1], "/usr/bin/oruvan.ini"}, "",
         "/home/u", true, "/usr/bin/oruvan.ini", false, "/usr/share/oruvan/readme.txt"},
        {"no home folder", "/usr/bin/oruvan", usr, "", "", true, "/usr/bin/oruvan.ini", false,
         "/usr/share/oruvan/readme.txt"},
        {"help text beside the executable wins", "/usr/bin/oruvan", {usr[0], usr[1], "/usr/bin/readme.txt"}, "",
         "/home/u", true, "/home/u/.config/oruvan/oruvan.ini", true, "/usr/bin/readme.txt"},
        {"installed without its help text", "/usr/bin/oruvan", {usr[0]}, "", "/home/u", true,
         "/home/u/.config/oruvan/oruvan.ini", true, "/usr/bin/readme.txt"},
        {"staged install", "/tmp/stage/usr/bin/oruvan", {"/tmp/stage/usr/share/oruvan"}, "", "/home/u", true,
         "/home/u/.config/oruvan/oruvan.ini", true, "/tmp/stage/usr/bin/readme.txt"},
        {"prefix is the root", "/bin/oruvan", {"/share/oruvan"}, "", "/root", true,
         "/root/.config/oruvan/oruvan.ini", true, "/bin/readme.txt"},
        {"local prefix", "/usr/local/bin/oruvan", {"/usr/local/share/oruvan"}, "/c", "/home/u", true,
         "/c/oruvan/oruvan.ini", true, "/usr/local/bin/readme.txt"},
    };
    for (const LayoutCase& c : cases) {
        LayoutFacts facts;
        facts.executable = c.executable;
        facts.xdgConfigHome = c.xdgConfigHome;
        facts.home = c.home;
        facts.exists = [&c](const std::string& path) {
            return std::find(c.existing.begin(), c.existing.end(), path) != c.existing.end();
        };
        const ProgramLayout layout = LayoutFor(facts);
        EXPECT_EQ(layout.installed, c.installed) << c.name;
        EXPECT_EQ(layout.settingsFile, c.settingsFile) << c.name;
        EXPECT_EQ(layout.perUserSettings, c.perUser) << c.name;
        EXPECT_EQ(layout.helpFile, c.helpFile) << c.name;
    }
}

TEST(ProgramLayoutTest, TranslationsFolder) {
    const struct {
        const char* executable;
        std::vector<std::string> existing;
        const char* folder;
    } cases[] = {
        {"/src/build/dev/oruvan", {}, "/src/build/dev/translations"},
        {"/usr/bin/oruvan", {"/usr/share/oruvan"}, "/usr/share/oruvan/translations"},
        {"/tmp/stage/usr/bin/oruvan", {"/tmp/stage/usr/share/oruvan"}, "/tmp/stage/usr/share/oruvan/translations"},
    };
    for (const auto& c : cases) {
        LayoutFacts facts;
        facts.executable = c.executable;
        facts.home = "/home/u";
        facts.exists = [&c](const std::string& path) {
            return std::find(c.existing.begin(), c.existing.end(), path) != c.existing.end();
        };
        EXPECT_EQ(LayoutFor(facts).translationsFolder, c.folder) << c.executable;
    }
}

class CreateFolderTest : public IniFolderFixture {};

TEST_F(CreateFolderTest, MakesTheMissingFoldersPrivate) {
    namespace fs = std::filesystem;
    const fs::path file = m_dir / "home" / ".config" / "oruvan" / "oruvan.ini";
    CreateFolderFor(file.string());
    EXPECT_TRUE(fs::is_directory(file.parent_path()));
    EXPECT_FALSE(fs::exists(file));
    struct stat st {};
    ASSERT_EQ(::stat(file.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Folders already there are left as they are.
    CreateFolderFor(file.string());
    EXPECT_TRUE(fs::is_directory(file.parent_path()));
}

TEST_F(CreateFolderTest, AFileInTheWayIsLeftToTheWrite) {
    namespace fs = std::filesystem;
    writeFileAt((m_dir / "home").string(), "x");
    CreateFolderFor((m_dir / "home" / ".config" / "oruvan.ini").string());
    EXPECT_TRUE(fs::is_regular_file(m_dir / "home"));
}

}  // namespace
}  // namespace oruvan
