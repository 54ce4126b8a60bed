#include <gtest/gtest.h>

#include <string>

#include "platform/Cp932.h"
#include "platform/EncodingDetector.h"

namespace oruvan {
namespace {

struct DetectCase {
    const char* name;
    std::string bytes;
    Encoding expected;
    bool whole = true;
};

class DetectCaseTest : public ::testing::TestWithParam<DetectCase> {};

TEST_P(DetectCaseTest, Detects) {
    const DetectCase& c = GetParam();
    EXPECT_STREQ(EncodingName(DetectEncoding(c.bytes, c.whole)), EncodingName(c.expected)) << c.name;
    EXPECT_EQ(DetectEncoding(c.bytes, c.whole), c.expected) << c.name;
}

// The same text in another encoding; the encoders are checked against the system converter elsewhere.
std::string In(Encoding e, const char* utf8) { return EncodeText(e, utf8); }

const char kCSource[] =
    "#include <stdio.h>\n\nint main(void)\n{\n    /* 挨拶を表示する */\n    puts(\"hello, world\");\n"
    "    return 0;\n}\n";

const DetectCase kDetectCases[] = {
    {"empty", "", Encoding::ShiftJis},
    {"pure ascii", "int main() { return 0; }\r\n", Encoding::ShiftJis},
    {"one short line", "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD", Encoding::ShiftJis},
    {"two kanji", "\x93\xFA\x96\x7B", Encoding::ShiftJis},
    {"NEC and IBM extension characters", In(Encoding::ShiftJis, "①②③ⅰⅱ髙﨑№㈱"), Encoding::ShiftJis},
    {"half-width katakana only, odd", "\xB1\xB2\xB3\xB4\xB5", Encoding::ShiftJis},
    {"half-width katakana only, even", In(Encoding::ShiftJis, "ｶﾀｶﾅ"), Encoding::ShiftJis},
    {"half-width katakana with a middle dot", In(Encoding::ShiftJis, "ﾃﾞｰﾀ･ﾍﾞｰｽ ｺﾝﾋﾟｭｰﾀ"),
     Encoding::ShiftJis},
    {"cp932 C source with one Japanese comment", In(Encoding::ShiftJis, kCSource), Encoding::ShiftJis},
    {"cp932 prose",
     In(Encoding::ShiftJis, "吾輩は猫である。名前はまだ無い。\r\nどこで生れたかとんと見当がつかぬ。\r\n"),
     Encoding::ShiftJis},
    {"euc-jp one short line", "\xA4\xB3\xA4\xF3\xA4\xCB\xA4\xC1\xA4\xCF", Encoding::EucJp},
    // Short texts that read without fault either way.
    {"euc-jp short heading, valid cp932 too", In(Encoding::EucJp, "■本文です"), Encoding::EucJp},
    {"euc-jp short heading of kanji, valid cp932 too", In(Encoding::EucJp, "■本文\n"), Encoding::EucJp},
    {"euc-jp katakana word, valid cp932 too", In(Encoding::EucJp, "テスト"), Encoding::EucJp},
    {"cp932 half-width katakana word, valid euc-jp too", In(Encoding::ShiftJis, "ﾃﾞｰﾀﾍﾞｰｽ"),
     Encoding::ShiftJis},
    {"cp932 half-width katakana with a mark, valid euc-jp too", In(Encoding::ShiftJis, "ﾃﾞｰﾀ\n"),
     Encoding::ShiftJis},
    {"euc-jp kanji only", In(Encoding::EucJp, "日本語"), Encoding::EucJp},
    {"euc-jp half-width katakana", In(Encoding::EucJp, "ｶﾀｶﾅ"), Encoding::EucJp},
    {"euc-jp JIS X 0212", In(Encoding::EucJp, "丂です"), Encoding::EucJp},
    {"euc-jp C source with one Japanese comment", In(Encoding::EucJp, kCSource), Encoding::EucJp},
    {"euc-jp prose",
     In(Encoding::EucJp, "吾輩は猫である。名前はまだ無い。\nどこで生れたかとんと見当がつかぬ。\n"),
     Encoding::EucJp},
    {"utf-8 one short line", "こんにちは", Encoding::Utf8},
    {"utf-8 C source with one Japanese comment", kCSource, Encoding::Utf8},
    {"utf-8 one accented letter", "caf\xC3\xA9\n", Encoding::Utf8},
    {"utf-8 with byte order mark", "\xEF\xBB\xBFplain", Encoding::Utf8Bom},
    {"utf-16le with byte order mark", "\xFF\xFE" + In(Encoding::Utf16Le, "テキスト"), Encoding::Utf16LeBom},
    {"utf-16be with byte order mark", "\xFE\xFF" + In(Encoding::Utf16Be, "テキスト"), Encoding::Utf16BeBom},
    {"utf-16le without byte order mark", In(Encoding::Utf16Le, "テキスト\r\n二行目\r\n"), Encoding::Utf16Le},
    {"utf-16be without byte order mark", In(Encoding::Utf16Be, "テキスト\n二行目\n"), Encoding::Utf16Be},
    {"utf-16le ascii", In(Encoding::Utf16Le, "abc"), Encoding::Utf16Le},
    {"utf-16le C source", In(Encoding::Utf16Le, kCSource), Encoding::Utf16Le},
    {"utf-16le long line with many U+xx00",
     In(Encoding::Utf16Le, "　一つ目の段落は一行で、一から十まで一気に書く。\r\n"), Encoding::Utf16Le},
    {"utf-16be long line with many U+xx00",
     In(Encoding::Utf16Be, "　一つ目の段落は一行で、一から十まで一気に書く。\n"), Encoding::Utf16Be},
    {"iso-2022-jp", In(Encoding::Iso2022Jp, "件名: テスト\r\n本文です。ｶﾅも。\r\n"), Encoding::Iso2022Jp},
    {"iso-2022-jp 1978 set", "\x1B$@$3$s\x1B(J\r\n", Encoding::Iso2022Jp},
    {"terminal colour escapes", "\x1B[31mred\x1B[0m\n", Encoding::ShiftJis},
    {"binary with NUL bytes",
     std::string("\x7F"
                 "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x3E\0\x01\0\0\0",
                 24),
     Encoding::ShiftJis},
    {"ascii with a stray NUL", std::string("line one\r\nline\0two\r\n", 20), Encoding::ShiftJis},
    {"cp932 with a stray NUL", std::string("\x82\xA0\x82\xA2\r\n\0\x82\xA4\r\n", 11), Encoding::ShiftJis},
    // The window's end cuts a character: not held against the encoding.
    {"utf-8 cut by the window", std::string("日本語").substr(0, 8), Encoding::Utf8, false},
    {"euc-jp cut by the window", In(Encoding::EucJp, "日本語です").substr(0, 9), Encoding::EucJp, false},
    {"utf-16le cut by the window", In(Encoding::Utf16Le, "日本\r\n\xF0\x9F\x98\x80").substr(0, 10),
     Encoding::Utf16Le, false},
};

INSTANTIATE_TEST_SUITE_P(Table, DetectCaseTest, ::testing::ValuesIn(kDetectCases));

TEST(DetectEncoding, CutCharacterOfAWholeFileIsInvalid) {
    EXPECT_NE(DetectEncoding(std::string("日本語").substr(0, 8), true), Encoding::Utf8);
    EXPECT_EQ(DetectEncoding(std::string_view(), true), Encoding::ShiftJis);
}

TEST(DetectEncoding, LooksOnlyAtTheWindow) {
    std::string text;
    while (text.size() < kDetectionWindow) text += "日本語のテキスト、UTF-8 で。\n";
    EXPECT_EQ(DetectEncoding(text + "\xFF\xFE\x82", true), Encoding::Utf8);
    std::string ascii(kDetectionWindow, 'a');
    EXPECT_EQ(DetectEncoding(ascii + "日本語", true), Encoding::ShiftJis);
}

}  // namespace
}  // namespace oruvan
