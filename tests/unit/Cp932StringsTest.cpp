#include <gtest/gtest.h>

#include <string>

#include "outline/Cp932Strings.h"

namespace oruvan {
namespace {

TEST(Cp932StringsTest, StartsWithText) {
    struct Case {
        std::string prefix, text;
        bool expected;
    };
    const Case cases[] = {
        {"", "", true},
        {"", "abc", true},
        {"ab", "ABc", true},
        {"abc", "ab", false},
        {"ab", "ab", true},
        {"\x82\x60", "\x82\x81", true},   // full-width A and a
        {"a", "\x82\x81", false},         // width differs
        {"\x82\xa0", "\x83\x41", false},  // hiragana and katakana differ
        {"\x81", "\x81\xa1", true},       // the first byte alone is compared
        {"\x81\xa1", "\x81\xa2\x81\xa1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartsWithText(c.prefix, c.text), c.expected) << c.prefix << "|" << c.text;
}

TEST(Cp932StringsTest, ReplaceAllText) {
    struct Case {
        std::string text, pattern, replacement, expected;
    };
    const Case cases[] = {
        {"a\tb\t", "\t", "  ", "a  b  "},
        {"xAbyab", "AB", "-", "x-y-"},
        {"aaa", "aa", "b", "ba"},
        {"abc", "", "x", "abc"},
        {"", "a", "x", ""},
        {"\x95\x5c\\", "\\", "/", "\x95\x5c/"},              // 0x5c inside a kanji is not a backslash
        {"\x81\x81\x81\x40", "\x81\x40", "_", "\x81\x81_"},  // nor is a match straddling two characters
        {"a\x81\xa1", "a\x81", "x", "a\x81\xa1"},            // a match may not end inside a character
        {"\x81\ta\t", "\t", "  ", "\x81\ta  "},              // a lead byte takes any byte along
        {"\x82\x60\x82\x81", "\x82\x81", "z", "zz"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceAllText(c.text, c.pattern, c.replacement), c.expected) << c.text;
}

TEST(Cp932StringsTest, ExtractFileName) {
    struct Case {
        std::string path, separators, expected;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "\\:", "file.txt"},
        {"C:file.txt", "\\:", "file.txt"},
        {"/home/u/a.txt", "/", "a.txt"},
        {"/home/u/", "/", ""},
        {"plain.txt", "/", "plain.txt"},
        {"", "/", ""},
        {"C:\\\x95\x5c.txt", "\\:", "\x95\x5c.txt"},
        {"\x95\x5c\\x", "\\", "x"},
        {"a\\b/c", "/", "c"},
        {"a/\x81/b", "/", "b"},  // a lead byte with no trail does not hide the slash
    };
    for (const Case& c : cases) EXPECT_EQ(ExtractFileName(c.path, c.separators), c.expected) << c.path;
}

}  // namespace
}  // namespace oruvan
