#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#include "IniFolderFixture.h"
#include "platform/IniFile.h"

namespace oruvan {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public IniFolderFixture {
protected:
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir)) names.push_back(e.path().filename().string());
        return names;
    }
};

struct ReadCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::optional<std::string> expected;  // nullopt: the default
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class IniReadTest : public IniFileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadTest, ReadsValue) {
    const ReadCase& c = GetParam();
    writeFile(c.file);
    IniFile ini(m_path);
    EXPECT_EQ(ini.readString(c.section, c.key, "<default>"), c.expected.value_or("<default>"));
}

const std::string kLongA(kMaxIniValueBytes + 1000, 'a');

INSTANTIATE_TEST_SUITE_P(
    Lines, IniReadTest,
    ::testing::Values(
        ReadCase{"Plain", "[s]\r\nk=v\r\n", "s", "k", "v"},
        ReadCase{"MissingSection", "[s]\r\nk=v\r\n", "t", "k", std::nullopt},
        ReadCase{"MissingKey", "[s]\r\nk=v\r\n", "s", "j", std::nullopt},
        ReadCase{"CaseFolded", "[FORM]\nlEfT=5\n", "Form", "Left", "5"},
        ReadCase{"FullWidthCaseFolded", "[\x82\x60]\nk=v\n", "\x82\x81", "K", "v"},
        ReadCase{"SectionWithTrail5C", "[\x95\x5c]\nk=v\n", "\x95\x5c", "k", "v"},
        ReadCase{"SectionEndingInTrail5D", "[a\x81\x5d]\nk=v\n", "a\x81\x5d", "k", "v"},
        ReadCase{"SectionEndingInTrail5B", "[\x81\x5b]\nk=v\n", "\x81\x5b", "k", "v"},
        ReadCase{"KeyEndingInTrail5B", "[s]\nk\x81\x5b=v\n", "s", "k\x81\x5b", "v"},
        ReadCase{"BlanksStripped", " \t[ s ] \r\n\t k \v=  v  v \f\r\n", "s", "k", "v  v"},
        ReadCase{"FullWidthSpaceKept", "[s]\nk=\x81\x40v\x81\x40\n", "s", "k", "\x81\x40v\x81\x40"},
        ReadCase{"TextAfterHeader", "[s] ; note\nk=v\n", "s", "k", "v"},
        ReadCase{"FirstSectionOnly", "[s]\nk=1\n[t]\n[S]\nk=2\nj=3\n", "s", "k", "1"},
        ReadCase{"RepeatedSectionIgnored", "[s]\nk=1\n[S]\nj=3\n", "s", "j", std::nullopt},
        ReadCase{"FirstKeyOnly", "[s]\nk=1\nK=2\n", "s", "k", "1"},
        ReadCase{"FirstEqualsSplits", "[s]\nk=a=b\n", "s", "k", "a=b"},
        ReadCase{"LineWithoutEquals", "[s]\nk\n", "s", "k", std::nullopt},
        ReadCase{"CommentLine", "[s]\n;k=1\n", "s", ";k", std::nullopt},
        ReadCase{"IndentedComment", "[s]\n  ; k=1\n", "s", "; k", std::nullopt},
        ReadCase{"KeyBeforeAnySection", "k=1\n[s]\n", "s", "k", std::nullopt},
        ReadCase{"UnclosedHeaderIsNoSection", "[s]\n[t\nk=v\n", "s", "k", "v"},
        ReadCase{"EmptyValue", "[s]\nk=\n", "s", "k", ""},
        ReadCase{"DoubleQuotes", "[s]\nk= \" a b \" \n", "s", "k", " a b "},
        ReadCase{"SingleQuotes", "[s]\nk='x'\n", "s", "k", "x"},
        ReadCase{"EmptyQuotes", "[s]\nk=\"\"\n", "s", "k", ""},
        ReadCase{"MixedQuotesKept", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
        ReadCase{"LoneQuoteKept", "[s]\nk=\"\n", "s", "k", "\""},
        ReadCase{"OnePairOnly", "[s]\nk=\"\"x\"\"\n", "s", "k", "\"x\""},
        ReadCase{"CrOnlyLines", "[s]\rk=v\r", "s", "k", "v"},
        ReadCase{"NoFinalBreak", "[s]\nk=v", "s", "k", "v"},
        ReadCase{"EmptySectionName", "[]\nk=v\n", "", "k", "v"},
        ReadCase{"LongValueCut", "[s]\nk=" + kLongA + "\n", "s", "k", std::string(kMaxIniValueBytes, 'a')},
        ReadCase{"CutKeepsDoubleByteWhole", "[s]\nk=" + std::string(kMaxIniValueBytes - 1, 'a') + "\x82\xa0xyz\n", "s", "k",
                 std::string(kMaxIniValueBytes - 1, 'a')},
        ReadCase{"CutAfterDoubleByte", "[s]\nk=" + std::string(kMaxIniValueBytes - 2, 'a') + "\x82\xa0xyz\n", "s", "k",
                 std::string(kMaxIniValueBytes - 2, 'a') + "\x82\xa0"},
        ReadCase{"BrokenCp932", "[s]\n\xff\x81=\x80\xfd\x81\nk=v\x81\n", "s", "k", "v\x81"},
        ReadCase{"LoneLeadBeforeBracket", "[s\x81]\nk=1\n[s]\nk=2\n", "s", "k", "2"}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST_F(IniFileTest, MissingFileReadsDefaults) {
    IniFile ini(m_path);
    EXPECT_EQ(ini.readString("s", "k", "d"), "d");
    EXPECT_EQ(ini.readInteger("s", "k", 7), 7);
    EXPECT_TRUE(ini.readBool("s", "k", true));
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(IniFileTest, DirectoryOrFifoReadsDefaults) {
    IniFile dir(m_dir.string());
    EXPECT_EQ(dir.readString("s", "k", "d"), "d");
    const std::string fifo = (m_dir / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    IniFile pipe(fifo);
    EXPECT_EQ(pipe.readString("s", "k", "d"), "d");
}

struct IntCase {
    const char* text;
    std::optional<int> expected;
};

TEST(IniIntegerTest, ParsesIntegers) {
    const IntCase cases[] = {
        {"12", 12},
        {"+7", 7},
        {"-0", 0},
        {"007", 7},
        {"-2147483648", INT_MIN},
        {"2147483647", INT_MAX},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$ff", 255},
        {"0xFFFFFFFF", -1},
        {"$80000000", INT_MIN},
        {"0x0000000001", 1},
        {"0x100000000", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"0xg", std::nullopt},
        {"-$1", std::nullopt},
        {"-0x1", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"1.0", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
        {"yes", std::nullopt},
        {"\x82\x4f", std::nullopt},  // full-width 0
    };
    for (const IntCase& c : cases) {
        int value = 12345;
        bool ok = IniFile::parseInteger(c.text, value);
        EXPECT_EQ(ok, c.expected.has_value()) << c.text;
        EXPECT_EQ(value, c.expected.value_or(12345)) << c.text;
    }
}

TEST_F(IniFileTest, IntegersAndBooleansThroughTheFile) {
    writeFile(
        "[s]\nblank = 42 \nquoted=\"43\"\nhex=$10\nbad=4x\nempty=\n"
        "two=2\nminus=-1\nzero=0\nyes=yes\n");
    IniFile ini(m_path);
    EXPECT_EQ(ini.readInteger("s", "blank", -9), 42);
    EXPECT_EQ(ini.readInteger("s", "quoted", -9), 43);
    EXPECT_EQ(ini.readInteger("s", "hex", -9), 16);
    EXPECT_EQ(ini.readInteger("s", "bad", -9), -9);
    EXPECT_EQ(ini.readInteger("s", "empty", -9), -9);
    for (bool def : {false, true}) {
        EXPECT_TRUE(ini.readBool("s", "two", def));
        EXPECT_TRUE(ini.readBool("s", "minus", def));
        EXPECT_FALSE(ini.readBool("s", "zero", def));
        EXPECT_EQ(ini.readBool("s", "yes", def), def);
        EXPECT_EQ(ini.readBool("s", "empty", def), def);
        EXPECT_EQ(ini.readBool("s", "absent", def), def);
    }
}

struct Write {
    std::string section, key, value;
};

struct WriteCase {
    const char* name;
    std::optional<std::string> before;  // nullopt: no file
    std::vector<Write> writes;
    std::string after;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class IniWriteTest : public IniFileTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(IniWriteTest, WritesFileAndReadsBack) {
    const WriteCase& c = GetParam();
    if (c.before) writeFile(*c.before);
    IniFile ini(m_path);
    for (const Write& w : c.writes) ini.writeString(w.section, w.key, w.value);
    EXPECT_EQ(readFile(), c.after);
    IniFile fresh(m_path);
    for (const Write& w : c.writes) EXPECT_EQ(fresh.readString(w.section, w.key, "<default>"), w.value);
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniWriteTest,
    ::testing::Values(
        WriteCase{"NewFile", std::nullopt, {{"s", "k", "v"}, {"s", "j", "w"}}, "[s]\r\nk=v\r\nj=w\r\n"},
        WriteCase{"SectionsInOrderOfFirstWrite",
                  std::nullopt,
                  {{"b", "k", "1"}, {"a", "k", "2"}, {"b", "j", "3"}},
                  "[b]\r\nk=1\r\nj=3\r\n[a]\r\nk=2\r\n"},
        WriteCase{"ExistingKeyKeepsPlaceAndSpelling",
                  "[S]\n  KEY = old \nother=1\n",
                  {{"s", "key", "new"}},
                  "[S]\nKEY=new\r\nother=1\n"},
        WriteCase{"NewKeyAfterLastKeyLine",
                  "[a]\nx=1\n\n; about b\n[b]\ny=2\n",
                  {{"a", "z", "3"}},
                  "[a]\nx=1\nz=3\r\n\n; about b\n[b]\ny=2\n"},
        WriteCase{"NewKeyInSectionWithoutKeys", "[a]\n\n[b]\n", {{"a", "k", "v"}}, "[a]\nk=v\r\n\n[b]\n"},
        WriteCase{"RepeatedSectionUsesFirst",
                  "[a]\nx=1\n[A]\ny=2\n",
                  {{"a", "y", "3"}},
                  "[a]\nx=1\ny=3\r\n[A]\ny=2\n"},
        WriteCase{"RepeatedKeyChangesFirst", "[a]\nx=1\nx=2\n", {{"a", "x", "3"}}, "[a]\nx=3\r\nx=2\n"},
        WriteCase{"NewSectionAfterMissingBreak", "[a]\nx=1", {{"b", "k", "v"}}, "[a]\nx=1\r\n[b]\r\nk=v\r\n"},
        WriteCase{"NewKeyAfterMissingBreak", "[a]\nx=1", {{"a", "y", "2"}}, "[a]\nx=1\r\ny=2\r\n"},
        WriteCase{"UnchangedValueLeavesLine", "[a]\n x = 1 \n", {{"a", "x", "1"}}, "[a]\n x = 1 \n"},
        WriteCase{"OtherLinesKeptByteForByte",
                  "junk\n[a]\r;c=1\r\nno equals\n  \nx=1\n[b]\n\xff\x80\n",
                  {{"a", "x", "2"}, {"b", "y", "3"}},
                  "junk\n[a]\r;c=1\r\nno equals\n  \nx=2\r\n[b]\ny=3\r\n\xff\x80\n"},
        WriteCase{"CommentedKeyIsNew", "[a]\n;x=1\n", {{"a", "x", "2"}}, "[a]\nx=2\r\n;x=1\n"},
        WriteCase{"KeyWithoutEqualsIsNew", "[a]\nx\n", {{"a", "x", "2"}}, "[a]\nx=2\r\nx\n"},
        WriteCase{"BlanksAndQuotesProtected",
                  std::nullopt,
                  {{"s", "a", " x "}, {"s", "b", "\"q\""}, {"s", "c", "'x\""}, {"s", "d", ""}},
                  "[s]\r\na=\" x \"\r\nb=\"\"q\"\"\r\nc='x\"\r\nd=\r\n"},
        WriteCase{"Cp932Names",
                  "[\x95\x5c]\nk\x81\x5b=1\n",
                  {{"\x95\x5c", "k\x81\x5b", "2"}, {"a\x81\x5d", "\x83\x5c", "\x95\x5c"}},
                  "[\x95\x5c]\nk\x81\x5b=2\r\n[a\x81\x5d]\r\n\x83\x5c=\x95\x5c\r\n"}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

// Never rewritten in place: a hard-linked settings file gets a copy of its own.
TEST_F(IniFileTest, HardLinkedFileIsReplacedNotShared) {
    writeFile("[s]\nk=1\n");
    const std::string other = (m_dir / "other.ini").string();
    ASSERT_EQ(link(m_path.c_str(), other.c_str()), 0);
    IniFile ini(m_path);
    ini.writeInteger("s", "k", 2);
    EXPECT_EQ(readFile(), "[s]\nk=2\r\n");
    std::ifstream in(other, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[s]\nk=1\n");
}

TEST_F(IniFileTest, UnwritablePlacesThrowWithPath) {
    const std::string paths[] = {(m_dir / "no" / "such" / "dir.ini").string(), m_dir.string()};
    for (const std::string& path : paths) {
        IniFile ini(path);
        try {
            ini.writeInteger("s", "k", 1);
            ADD_FAILURE() << "no error for " << path;
        } catch (const IniWriteError& e) {
            EXPECT_EQ(e.path(), path);
        }
        EXPECT_EQ(ini.readInteger("s", "k", 5), 5) << "memory must not keep a write the disk refused";
    }
    EXPECT_TRUE(fs::is_directory(m_dir));
    EXPECT_TRUE(folderEntries().empty()) << "a temporary file was left behind";
}

TEST_F(IniFileTest, ReadOnlyFileIsNotReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
    writeFile("[s]\nk=1\n");
    ASSERT_EQ(chmod(m_path.c_str(), 0444), 0);
    IniFile ini(m_path);
    EXPECT_THROW(ini.writeInteger("s", "k", 2), IniWriteError);
    EXPECT_EQ(readFile(), "[s]\nk=1\n");
}

TEST_F(IniFileTest, ReadOnlyFolderThrows) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    ASSERT_EQ(chmod(m_dir.c_str(), 0555), 0);
    IniFile ini(m_path);
    EXPECT_THROW(ini.writeInteger("s", "k", 2), IniWriteError);
}

TEST_F(IniFileTest, UnstorableTextIsRefused) {
    writeFile("[s]\nk=1\n");
    IniFile ini(m_path);
    EXPECT_THROW(ini.writeString("s", "k", "a\nb"), IniWriteError);
    EXPECT_THROW(ini.writeString("s", "k", "a\rb"), IniWriteError);
    for (const char* key : {"a=b", " k", "k ", "[k", ";k", "a\nb"})
        EXPECT_THROW(ini.writeString("s", key, "v"), std::invalid_argument) << key;
    for (const char* section : {"a]b", " s", "a\rb", "a\x81"})
        EXPECT_THROW(ini.writeString(section, "k", "v"), std::invalid_argument) << section;
    EXPECT_EQ(readFile(), "[s]\nk=1\n");
}

TEST_F(IniFileTest, SeesChangesMadeByOthers) {
    writeFile("[s]\nk=1\n");
    IniFile ini(m_path);
    EXPECT_EQ(ini.readInteger("s", "k", 0), 1);
    writeFile("[s]\nk=22\n");
    EXPECT_EQ(ini.readInteger("s", "k", 0), 22);
    ini.writeInteger("s", "j", 3);
    EXPECT_EQ(readFile(), "[s]\nk=22\nj=3\r\n");
    fs::remove(m_path);
    EXPECT_EQ(ini.readInteger("s", "k", 0), 0);
}

TEST_F(IniFileTest, BatchWritesFirstChangeAtOnceAndRestAtEnd) {
    IniFile ini(m_path);
    ini.beginBatch();
    ini.writeInteger("s", "a", 1);
    EXPECT_EQ(readFile(), "[s]\r\na=1\r\n");
    ini.writeInteger("s", "b", 2);
    EXPECT_EQ(ini.readInteger("s", "b", 0), 2);
    EXPECT_EQ(readFile(), "[s]\r\na=1\r\n");
    ini.endBatch();
    EXPECT_EQ(readFile(), "[s]\r\na=1\r\nb=2\r\n");

    ini.beginBatch();
    ini.writeInteger("s", "a", 5);
    ini.writeInteger("s", "b", 6);
    ini.cancelBatch();
    EXPECT_EQ(readFile(), "[s]\r\na=5\r\nb=2\r\n");
    EXPECT_EQ(ini.readInteger("s", "b", 0), 2);
}

TEST_F(IniFileTest, BatchOnUnwritablePathFailsAtFirstWrite) {
    IniFile ini(m_dir.string());
    ini.beginBatch();
    EXPECT_THROW(ini.writeInteger("s", "a", 1), IniWriteError);
    ini.cancelBatch();
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(IniFileTest, BinaryFileReadsDefaultsAndKeepsBytes) {
    std::mt19937 random(42);
    std::string data(10 * 1024 * 1024, '\0');
    for (char& c : data) c = static_cast<char>(random() & 0xFF);
    writeFile(data);
    IniFile ini(m_path);
    EXPECT_EQ(ini.readInteger("Form", "Left", 272), 272);
    ini.writeInteger("Form", "Left", 5);
    const bool endsInBreak = data.back() == '\n' || data.back() == '\r';
    const std::string written = readFile();
    EXPECT_TRUE(written == data + (endsInBreak ? "" : "\r\n") + "[Form]\r\nLeft=5\r\n");
    EXPECT_EQ(IniFile(m_path).readInteger("Form", "Left", 0), 5);
}

}  // namespace
}  // namespace oruvan
