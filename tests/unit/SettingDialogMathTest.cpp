#include <gtest/gtest.h>

#include <climits>

#include "settings/SettingDialogMath.h"

namespace oruvan {
namespace {

// The settings dialog's scale: left 168, 237 wide; the marker is 12 wide.
constexpr int kScaleLeft = 168;
constexpr int kScaleWidth = 237;
constexpr int kMarkerWidth = 12;

TEST(SettingDialogMathTest, MarkerLeftForValue) {
    const struct {
        int value;
        int left;
    } cases[] = {
        // For 0, -450 / 38 truncates to -11, not -12.
        {2, 168}, {40, 393}, {16, 250}, {3, 173}, {0, 157}, {100, 748}, {-100, -435},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MarkerLeftFor(c.value, kScaleLeft, kScaleWidth, kMarkerWidth), c.left) << c.value;
}

TEST(SettingDialogMathTest, ExtremeValuesDoNotOverflow) {
    EXPECT_EQ(MarkerLeftFor(INT_MAX, kScaleLeft, kScaleWidth, kMarkerWidth), INT_MAX);
    EXPECT_EQ(MarkerLeftFor(INT_MIN, kScaleLeft, kScaleWidth, kMarkerWidth), INT_MIN);
    EXPECT_EQ(ValueForMarkerLeft(INT_MAX, kScaleLeft, kScaleWidth, kMarkerWidth), 40);
    EXPECT_EQ(ValueForMarkerLeft(INT_MIN, kScaleLeft, kScaleWidth, kMarkerWidth), 2);
}

TEST(SettingDialogMathTest, DraggedMarkerValue) {
    const struct {
        int left;
        int clamped;
        int value;
    } cases[] = {
        {250, 250, 15}, {203, 203, 7}, {168, 168, 2}, {393, 393, 40}, {392, 392, 39}, {174, 174, 3},
        {173, 173, 2},  {100, 168, 2}, {-50, 168, 2}, {394, 393, 40}, {900, 393, 40},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClampMarkerLeft(c.left, kScaleLeft, kScaleWidth, kMarkerWidth), c.clamped) << c.left;
        EXPECT_EQ(ValueForMarkerLeft(c.left, kScaleLeft, kScaleWidth, kMarkerWidth), c.value) << c.left;
    }
}

TEST(SettingDialogMathTest, ScaleNoWiderThanMarkerGivesTheLowestValue) {
    EXPECT_EQ(ValueForMarkerLeft(10, 10, 12, 12), 2);
    EXPECT_EQ(ValueForMarkerLeft(10, 10, 5, 12), 2);
}

TEST(SettingDialogMathTest, CentreLabelTruncatesTowardZero) {
    EXPECT_EQ(CentreLabelLeft(250, 12, 12), 250);
    EXPECT_EQ(CentreLabelLeft(250, 12, 6), 253);
    EXPECT_EQ(CentreLabelLeft(250, 12, 15), 249);  // -3 / 2 is -1
    EXPECT_EQ(CentreLabelLeft(250, 12, 17), 248);
    EXPECT_EQ(CentreLabelLeft(-436, 12, 20), -440);
}

struct PathCase {
    const char* program;
    const char* path;
    const char* registered;
};

void ExpectRegistered(const PathCase* begin, const PathCase* end, PathStyle style) {
    for (const PathCase* c = begin; c != end; ++c)
        EXPECT_EQ(RegisteredForm(c->program, c->path, style), c->registered)
            << c->program << " + " << c->path;
}

// 表 is 0x95 0x5C in cp932: its second byte is a backslash.
#define HYO "\x95\x5c"

TEST(SettingDialogMathTest, RegisteredFormWindows) {
    const PathCase cases[] = {
        {"C:\\Tools\\oruvan.exe", "C:\\Tools\\docs\\a.txt", "docs\\a.txt"},
        {"C:\\Tools\\oruvan.exe", "c:\\TOOLS\\b.txt", "b.txt"},
        {"C:\\Tools\\oruvan.exe", "C:\\Data\\b.txt", "..\\Data\\b.txt"},
        {"C:\\Tools\\oruvan.exe", "D:\\x\\c.txt", "D:\\x\\c.txt"},
        {"C:\\Tools\\oruvan.exe", "C:\\a.txt", "..\\a.txt"},
        {"C:\\Tools\\oruvan.exe", "C:\\Toolsx\\a.txt", "..\\Toolsx\\a.txt"},
        {"C:\\Tools\\Bin\\oruvan.exe", "C:\\Tools\\Data\\x\\a.txt", "..\\Data\\x\\a.txt"},
        {"C:\\oruvan.exe", "C:\\Tools\\a.txt", "Tools\\a.txt"},
        {"C:\\Tools\\oruvan.exe", "docs\\a.txt", "docs\\a.txt"},
        {"C:\\Tools\\oruvan.exe", "\\\\srv\\share\\a.txt", "\\\\srv\\share\\a.txt"},
        // Network shares are drives of their own, compared ignoring case.
        {"\\\\srv\\share\\Tools\\p.exe", "\\\\SRV\\Share\\Tools\\a.txt", "a.txt"},
        {"\\\\srv\\share\\Tools\\p.exe", "\\\\srv\\share\\Data\\a.txt", "..\\Data\\a.txt"},
        {"\\\\srv\\share\\Tools\\p.exe", "\\\\srv\\other\\Tools\\a.txt", "\\\\srv\\other\\Tools\\a.txt"},
        {"\\\\srv\\share\\Tools\\p.exe", "C:\\Tools\\a.txt", "C:\\Tools\\a.txt"},
        // A trail byte 0x5C splits neither a folder name nor a file name.
        {"C:\\" HYO "\\oruvan.exe", "C:\\" HYO "\\a.txt", "a.txt"},
        {"C:\\" HYO "\\oruvan.exe", "C:\\" HYO "\\sub\\a.txt", "sub\\a.txt"},
        {"C:\\Tools\\oruvan.exe", "C:\\" HYO "\\a.txt", "..\\" HYO "\\a.txt"},
        {"C:\\Tools\\oruvan.exe", "C:\\Tools\\" HYO ".txt", HYO ".txt"},
        {"C:\\Tools\\oruvan.exe", "C:\\Tools\\" HYO, HYO},
        // Full-width Ａ and ａ are the same letter.
        {"C:\\\x82\x60\\p.exe", "C:\\\x82\x81\\a.txt", "a.txt"},
    };
    ExpectRegistered(std::begin(cases), std::end(cases), PathStyle::Windows);
}

TEST(SettingDialogMathTest, RegisteredFormPosix) {
    const PathCase cases[] = {
        {"/opt/oruvan/bin/oruvan", "/opt/oruvan/bin/docs/a.txt", "docs/a.txt"},
        {"/opt/oruvan/bin/oruvan", "/opt/oruvan/bin/a.txt", "a.txt"},
        {"/opt/oruvan/bin/oruvan", "/opt/oruvan/data/a.txt", "../data/a.txt"},
        {"/opt/oruvan/bin/oruvan", "/home/user/a.txt", "../../../home/user/a.txt"},
        {"/opt/oruvan/bin/oruvan", "/a.txt", "../../../a.txt"},
        {"/opt/oruvan/bin/oruvan", "/opt/Oruvan/bin/a.txt", "../../Oruvan/bin/a.txt"},
        {"/opt/oruvan/bin/oruvan", "docs/a.txt", "docs/a.txt"},
        {"/opt/oruvan/bin/oruvan", "/opt/oruvan/bin/表/a.txt", "表/a.txt"},
        {"/opt/oruvan/bin/oruvan", "/opt/oruvan/bin/a\\b.txt", "a\\b.txt"},
        {"/oruvan", "/x/a.txt", "x/a.txt"},
        {"/oruvan", "/a.txt", "a.txt"},
        // An installed copy registers absolute paths.
        {"", "/usr/bin/a.txt", "/usr/bin/a.txt"},
        {"", "/home/user/a.txt", "/home/user/a.txt"},
    };
    ExpectRegistered(std::begin(cases), std::end(cases), PathStyle::Posix);
}

TEST(SettingDialogMathTest, PadToColumns) {
    const struct {
        const char* text;
        int columns;
        const char* padded;
    } cases[] = {
        {"【Oruvan 1.5】", 25, "【Oruvan 1.5】           "},
        {"　ab", 6, "　ab  "},
        {"", 3, "   "},
        {"ｱ", 2, "ｱ "},  // half-width katakana takes one column
        {"abcdef", 4, "abcdef"},
        {"abc", 0, "abc"},
        {"abc", -5, "abc"},
    };
    for (const auto& c : cases) EXPECT_EQ(PadToColumns(c.text, c.columns), c.padded) << c.text;
}

}  // namespace
}  // namespace oruvan
