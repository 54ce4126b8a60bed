#include <gtest/gtest.h>

#include <climits>

#include "settings/FontStandIn.h"

namespace oruvan {
namespace {

using Names = std::vector<std::string>;

struct StandInCase {
    const char* what;
    const char* face;
    Names installed;
    Names japanese;
    const char* chosen;
};

const Names kIpaGothics = {"DejaVu Sans", "IPAGothic", "IPAPGothic"};
const Names kIpaAll = {"DejaVu Sans", "IPAGothic", "IPAPGothic", "IPAMincho", "IPAPMincho"};

const StandInCase kStandInCases[] = {
    {"installed face as it is", "DejaVu Sans", kIpaGothics, {"IPAGothic"}, "DejaVu Sans"},
    {"proportional gothic", "ＭＳ Ｐゴシック", kIpaGothics, {"IPAGothic"}, "IPAPGothic"},
    {"fixed gothic", "ＭＳ ゴシック", kIpaGothics, {"IPAGothic"}, "IPAGothic"},
    {"ASCII spelling", "MS PGothic", kIpaGothics, {}, "IPAPGothic"},
    {"case and blanks ignored", "ms  pgothic", kIpaGothics, {}, "IPAPGothic"},
    {"installed name matched without case", "ＭＳ ゴシック", {"ipagothic"}, {}, "IPAGothic"},
    {"UI face", "MS UI Gothic", kIpaGothics, {}, "IPAPGothic"},
    {"Meiryo", "メイリオ", kIpaAll, {}, "IPAPGothic"},
    {"Yu Gothic", "游ゴシック", kIpaAll, {}, "IPAPGothic"},
    {"fixed mincho", "ＭＳ 明朝", kIpaAll, {}, "IPAMincho"},
    {"proportional mincho", "MS PMincho", kIpaAll, {}, "IPAPMincho"},
    {"Yu Mincho", "游明朝", kIpaAll, {}, "IPAPMincho"},
    {"mincho without mincho faces: gothic of its width", "ＭＳ 明朝", kIpaGothics, {}, "IPAGothic"},
    {"fixed gothic, only proportional installed", "MS Gothic", {"IPAPGothic"}, {}, "IPAPGothic"},
    {"localised name only", "ＭＳ Ｐゴシック", {"IPA Pゴシック"}, {"IPA Pゴシック"}, "IPA Pゴシック"},
    {"ASCII name preferred", "ＭＳ Ｐゴシック", {"IPA Pゴシック", "IPAPGothic"}, {}, "IPAPGothic"},
    {"Noto", "ＭＳ Ｐゴシック", {"Noto Sans CJK JP"}, {"Noto Sans CJK JP"}, "Noto Sans CJK JP"},
    {"any Japanese face",
     "Yu Gothic",
     {"DejaVu Sans", "Droid Sans Fallback"},
     {"Droid Sans Fallback"},
     "Droid Sans Fallback"},
    {"no Japanese face at all", "ＭＳ Ｐゴシック", {"DejaVu Sans"}, {}, "ＭＳ Ｐゴシック"},
    {"unknown missing face left to fontconfig", "Osaka", kIpaGothics, {"IPAGothic"}, "Osaka"},
};

class StandInFaceTest : public ::testing::TestWithParam<StandInCase> {};

TEST_P(StandInFaceTest, ChoosesAnInstalledFaceOfTheSameKind) {
    const StandInCase& c = GetParam();
    EXPECT_EQ(StandInFace(c.face, c.installed, c.japanese), c.chosen) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, StandInFaceTest, ::testing::ValuesIn(kStandInCases));

TEST(FontStandIn, EveryWindowsFaceHasAStandIn) {
    for (const std::string& face : WindowsJapaneseFaces())
        EXPECT_NE(StandInFace(face, StandInCandidates(), {}), face) << face;
}

TEST(FontStandIn, ShownPointSize) {
    const std::pair<int, int> cases[] = {{9, 9},  {1, 1},    {12, 12},     {1000, 1000}, {0, 9},
                                         {-3, 9}, {1001, 9}, {INT_MIN, 9}, {INT_MAX, 9}};
    for (const auto& [stored, shown] : cases) EXPECT_EQ(ShownPointSize(stored), shown) << stored;
}

}  // namespace
}  // namespace oruvan
