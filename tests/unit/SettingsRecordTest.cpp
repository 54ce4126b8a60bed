#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "IniFolderFixture.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "settings/SettingsRecord.h"

namespace oruvan {
namespace {

namespace fs = std::filesystem;

class SettingsRecordTest : public IniFolderFixture {
protected:
    SettingsRecord readFromFile(const std::string& text, const SettingsRecord& defaults = DefaultSettings()) {
        writeFile(text);
        IniFile ini(m_path);
        return ReadSettings(ini, defaults);
    }

};

SettingsRecord SampleSettings() {
    SettingsRecord s;
    s.left = -20;
    s.top = 30;
    s.width = 800;
    s.height = 600;
    s.registeredFiles = {"/home/u/a.txt", "", "\x95\x5c.txt", " padded "};
    s.dropDownCount = 8;
    s.wordWrap = true;
    s.listViewVisible = false;
    s.startUpIndex = 2;
    s.fontName = "IPAGothic";
    s.fontSize = 12;
    s.titleMarks = "#,*";
    s.nextPageMenuIsHead = false;
    s.ignoreHeadSpaces = false;
    s.captionIncludingTitleMark = true;
    s.backColor = "#102030";
    s.textColor = "#fFeE00";
    s.searchHistory = {"\x8c\xa9\x8f\x6f\x82\xb5", " padded ", "(a|b)\\1"};
    return s;
}

TEST_F(SettingsRecordTest, NoFileGivesDesignedValues) {
    IniFile ini(m_path);
    const SettingsRecord s = ReadSettings(ini, DefaultSettings());
    EXPECT_EQ(s, DefaultSettings());
    EXPECT_TRUE(s.registeredFiles.empty());
    // The cp932 bytes of "ＭＳ Ｐゴシック" and "//@,--,■".
    EXPECT_EQ(s.fontName, "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");
    EXPECT_EQ(s.titleMarks, "//@,--,\x81\xa1");
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(SettingsRecordTest, RoundTrip) {
    {
        IniFile ini(m_path);
        WriteSettings(ini, SampleSettings());
    }
    IniFile ini(m_path);
    EXPECT_EQ(ReadSettings(ini, DefaultSettings()), SampleSettings());
}

TEST_F(SettingsRecordTest, FileWrittenFromNothingHasSavedOrder) {
    SettingsRecord s = SampleSettings();
    s.registeredFiles = {"a", "b"};
    IniFile ini(m_path);
    WriteSettings(ini, s);
    EXPECT_EQ(readFile(),
              "[Files]\r\nCount=2\r\n0=a\r\n1=b\r\n"
              "[Font]\r\nName=IPAGothic\r\nSize=12\r\n"
              "[Setting]\r\nDropDownCount=8\r\nStartUpIndex=2\r\nTitleMarks=#,*\r\nListViewVisible=0\r\n"
              "WordWrap=1\r\nNextPageMenuIsHead=0\r\nIgnoreHeadSpaces=0\r\nCaptionIncludingTitleMark=1\r\n"
              "BackColor=#102030\r\nTextColor=#fFeE00\r\n"
              "[Form]\r\nLeft=-20\r\nTop=30\r\nWidth=800\r\nHegiht=600\r\n"
              "[Search]\r\nCount=3\r\n0=\x8c\xa9\x8f\x6f\x82\xb5\r\n1=\" padded \"\r\n2=(a|b)\\1\r\n");
}

TEST_F(SettingsRecordTest, ExistingFileKeepsOrderUnknownAndStaleKeys) {
    writeFile(
        "; my settings\n[form]\nhegiht=1\nleft=2\nExtra=keep\n\n"
        "[Files]\nCount=5\n0=a\n1=b\n2=c\n3=d\n4=e\n[Other]\nx=y\n");
    SettingsRecord s = DefaultSettings();
    s.registeredFiles = {"x", "y"};
    {
        IniFile ini(m_path);
        WriteSettings(ini, s);
    }
    EXPECT_EQ(readFile(),
              "; my settings\n[form]\nhegiht=340\r\nleft=272\r\nExtra=keep\nTop=125\r\nWidth=423\r\n\n"
              "[Files]\nCount=2\r\n0=x\r\n1=y\r\n2=c\n3=d\n4=e\n[Other]\nx=y\n"
              "[Font]\r\nName=\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e\r\nSize=9\r\n"
              "[Setting]\r\nDropDownCount=16\r\nStartUpIndex=-1\r\nTitleMarks=//@,--,\x81\xa1\r\n"
              "ListViewVisible=1\r\nWordWrap=0\r\nNextPageMenuIsHead=1\r\nIgnoreHeadSpaces=1\r\n"
              "CaptionIncludingTitleMark=0\r\n");
    IniFile ini(m_path);
    EXPECT_EQ(ReadSettings(ini, DefaultSettings()).registeredFiles, (std::vector<std::string>{"x", "y"}));
}

TEST_F(SettingsRecordTest, ValuesAsStored) {
    const SettingsRecord s = readFromFile(
        "[Setting]\nTitleMarks=\nWordWrap=2\nNextPageMenuIsHead=-1\nIgnoreHeadSpaces=yes\n"
        "CaptionIncludingTitleMark=0x1\nDropDownCount=0\nStartUpIndex=99\n"
        "[Font]\nSize=big\nName=\n[Form]\nLeft=2000\nTop=-5\nWidth=5000\nHegiht=abc\n");
    EXPECT_EQ(s.titleMarks, "");
    EXPECT_TRUE(s.wordWrap);
    EXPECT_TRUE(s.nextPageMenuIsHead);
    EXPECT_TRUE(s.ignoreHeadSpaces);
    EXPECT_TRUE(s.captionIncludingTitleMark);
    EXPECT_EQ(s.dropDownCount, 0);
    EXPECT_EQ(s.startUpIndex, 99);
    EXPECT_EQ(s.fontSize, 9);
    EXPECT_EQ(s.fontName, "");
    EXPECT_EQ(s.left, 2000);
    EXPECT_EQ(s.top, -5);
    EXPECT_EQ(s.width, 5000);
    EXPECT_EQ(s.height, 340);
}

TEST_F(SettingsRecordTest, NonIntegerBooleansGiveTheGivenDefault) {
    SettingsRecord flipped = DefaultSettings();
    flipped.wordWrap = !flipped.wordWrap;
    flipped.listViewVisible = !flipped.listViewVisible;
    flipped.ignoreHeadSpaces = !flipped.ignoreHeadSpaces;
    const SettingsRecord s =
        readFromFile("[Setting]\nWordWrap=yes\nListViewVisible=true\nIgnoreHeadSpaces=\n", flipped);
    EXPECT_EQ(s.wordWrap, flipped.wordWrap);
    EXPECT_EQ(s.listViewVisible, flipped.listViewVisible);
    EXPECT_EQ(s.ignoreHeadSpaces, flipped.ignoreHeadSpaces);
}

struct CountCase {
    const char* file;
    std::vector<std::string> expected;
};

TEST_F(SettingsRecordTest, FilesReadUpToCount) {
    const CountCase cases[] = {
        {"[Files]\nCount=3\n0=a\n", {"a", "", ""}},
        {"[Files]\nCount=2\n0=a\n1=b\n2=stale\n", {"a", "b"}},
        {"[Files]\n1=b\n0=a\nCount=2\n", {"a", "b"}},
        {"[Files]\nCount=0\n0=a\n", {}},
        {"[Files]\nCount=-4\n0=a\n", {}},
        {"[Files]\nCount=two\n0=a\n", {}},
        {"[Files]\n0=a\n", {}},
    };
    for (const CountCase& c : cases) EXPECT_EQ(readFromFile(c.file).registeredFiles, c.expected) << c.file;
}

// HeadingLevels and FoldSections follow the options once they have been used; a file that never had them
// keeps its bytes while the options stay off.
TEST_F(SettingsRecordTest, HeadingLevelsWrittenOnceUsed) {
    struct Case {
        const char* before;
        bool on;
        const char* setting;  // the [Setting] section's tail as written
        bool fold = false;
    };
    const Case cases[] = {
        {"", false, "CaptionIncludingTitleMark=0\r\n[Form]"},
        {"", true, "CaptionIncludingTitleMark=0\r\nHeadingLevels=1\r\n[Form]"},
        {"[Setting]\r\nHeadingLevels=1\r\n", false, "[Setting]\r\nHeadingLevels=0\r\n"},
        {"[setting]\r\nheadinglevels=0\r\n", true, "[setting]\r\nheadinglevels=1\r\n"},
        {"", true, "CaptionIncludingTitleMark=0\r\nHeadingLevels=1\r\nFoldSections=1\r\n[Form]", true},
        {"[Setting]\r\nFoldSections=1\r\n", false, "[Setting]\r\nFoldSections=0\r\n", false},
    };
    for (const Case& c : cases) {
        writeFile(c.before);
        SettingsRecord s = DefaultSettings();
        s.headingLevels = c.on;
        s.foldSections = c.fold;
        {
            IniFile ini(m_path);
            WriteSettings(ini, s);
        }
        EXPECT_NE(readFile().find(c.setting), std::string::npos) << c.before << " / " << c.on << "\n"
                                                                 << readFile();
        IniFile ini(m_path);
        EXPECT_EQ(ReadSettings(ini, DefaultSettings()), s) << c.before << " / " << c.on;
    }
    const SettingsRecord read = readFromFile("[Setting]\nHeadingLevels=2\n");
    EXPECT_TRUE(read.headingLevels);
    EXPECT_FALSE(readFromFile("[Setting]\nHeadingLevels=on\n").headingLevels);
}

// Colours are "#" and six hexadecimal digits, anything else reads as the default; the history holds at
// most ten searches and no empty one.
struct ColorAndHistoryCase {
    const char* file;
    std::string backColor;
    std::string textColor;
    std::vector<std::string> history;
};

TEST_F(SettingsRecordTest, ColorsAndSearchHistoryAsStored) {
    const ColorAndHistoryCase cases[] = {
        {"", "", "", {}},
        {"[Setting]\nBackColor=#A0b0C0\nTextColor=#000000\n", "#A0b0C0", "#000000", {}},
        {"[Setting]\nBackColor=A0B0C0\nTextColor=#12345\n", "", "", {}},
        {"[Setting]\nBackColor=#12345G\nTextColor=#1234567\n", "", "", {}},
        {"[Setting]\nBackColor=red\nTextColor=\n", "", "", {}},
        {"[Search]\nCount=2\n0=b\n1=a\n2=stale\n", "", "", {"b", "a"}},
        {"[Search]\nCount=3\n0=b\n2=c\n", "", "", {"b", "c"}},
        {"[Search]\nCount=12\n0=0\n1=1\n2=2\n3=3\n4=4\n5=5\n6=6\n7=7\n8=8\n9=9\n10=10\n11=11\n",
         "",
         "",
         {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {"[Search]\nCount=-1\n0=b\n", "", "", {}},
    };
    for (const ColorAndHistoryCase& c : cases) {
        const SettingsRecord s = readFromFile(c.file);
        EXPECT_EQ(s.backColor, c.backColor) << c.file;
        EXPECT_EQ(s.textColor, c.textColor) << c.file;
        EXPECT_EQ(s.searchHistory, c.history) << c.file;
    }
}

TEST_F(SettingsRecordTest, HugeCountIsCapped) {
    const SettingsRecord s = readFromFile("[Files]\nCount=2147483647\n0=a\n");
    ASSERT_EQ(s.registeredFiles.size(), static_cast<std::size_t>(kMaxRegisteredFiles));
    EXPECT_EQ(s.registeredFiles[0], "a");
    EXPECT_EQ(s.registeredFiles[1], "");
}

TEST_F(SettingsRecordTest, UnwritableFileStopsAtFirstKey) {
    const std::string path = (m_dir / "missing" / "oruvan.ini").string();
    IniFile ini(path);
    try {
        WriteSettings(ini, SampleSettings());
        FAIL() << "no error";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(e.path(), path);
    }
    EXPECT_EQ(ReadSettings(ini, DefaultSettings()), DefaultSettings());
}

// Registered files edited in the settings dialog come back as Unicode; what the user left alone is
// written as the bytes read.
// Two windows on one file: each writes back what it changed, over what the other saved meanwhile.
TEST(MergeChangedSettingsTest, TakesOnlyWhatTheWindowChanged) {
    const SettingsRecord asRead = DefaultSettings();
    SettingsRecord saved = SampleSettings();  // by another window: every value differs
    saved.headingLevels = true;
    SettingsRecord moved = asRead;
    moved.left = 5;
    moved.top = 6;
    moved.width = 700;
    moved.height = 500;
    SettingsRecord expected = saved;
    expected.left = 5;
    expected.top = 6;
    expected.width = 700;
    expected.height = 500;
    EXPECT_TRUE(MergeChangedSettings(asRead, moved, saved) == expected) << "only moved: the rest as saved";
    EXPECT_TRUE(MergeChangedSettings(asRead, saved, asRead) == saved) << "every value changed here";
    SettingsRecord marks = asRead;
    marks.titleMarks = "#";
    expected = saved;
    expected.titleMarks = "#";
    expected.left = asRead.left;
    expected.top = asRead.top;
    expected.width = asRead.width;
    expected.height = asRead.height;
    EXPECT_TRUE(MergeChangedSettings(asRead, marks, saved) == expected) << "the marks changed here";
    // The start-up index points into the files: one changed takes both.
    SettingsRecord start = asRead;
    start.startUpIndex = 0;
    const SettingsRecord merged = MergeChangedSettings(asRead, start, saved);
    EXPECT_EQ(merged.startUpIndex, 0);
    EXPECT_EQ(merged.registeredFiles, asRead.registeredFiles);
}

TEST(BytesAsReadTest, KeepsTheBytesOfUnchangedTexts) {
    const std::string ibm = "\xFA\x4A";  // "Ⅰ", also NEC 0x8754
    const std::string nec = "\x87\x54";
    const std::string one = "\xE2\x85\xA0";  // the UTF-8 of both
    struct Case {
        const char* what;
        std::vector<std::string> read;
        std::vector<std::string> utf8;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"unchanged", {"/tmp/" + ibm + ".txt"}, {"/tmp/" + one + ".txt"}, {"/tmp/" + ibm + ".txt"}},
        {"both codes in their places", {nec, ibm}, {one, one}, {nec, ibm}},
        {"moved up after a removal", {"a", ibm}, {one}, {ibm}},
        {"new entry converted", {ibm}, {one, "b\xE8\xA1\xA8"}, {ibm, "b\x95\x5C"}},
        {"edited entry converted", {ibm}, {one + "x"}, {nec + "x"}},
        {"nothing read", {}, {one}, {nec}},
        {"invalid bytes kept", {"\x80\xFF"}, {Cp932ToUtf8("\x80\xFF")}, {"\x80\xFF"}},
        {"empty entries", {"", ""}, {"", ""}, {"", ""}},
    };
    for (const Case& c : cases) EXPECT_EQ(BytesAsRead(c.read, c.utf8), c.written) << c.what;
}

TEST(SettingsFileNameTest, ReplacesExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/oruvan/oruvan", "/opt/oruvan/oruvan.ini"},
        {"/opt/oruvan/oruvan.exe", "/opt/oruvan/oruvan.ini"},
        {"/opt/a.b.c", "/opt/a.b.ini"},
        {"/opt/ver1.2/oruvan", "/opt/ver1.2/oruvan.ini"},
        {"/opt/.oruvan", "/opt/.oruvan.ini"},
        {"/opt/oruvan.", "/opt/oruvan.ini"},
        {"oruvan.bin", "oruvan.ini"},
        {"oruvan", "oruvan.ini"},
    };
    for (const auto& [exe, ini] : cases) EXPECT_EQ(SettingsFileNameFor(exe), ini) << exe;
}

}  // namespace
}  // namespace oruvan
