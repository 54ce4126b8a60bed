#include <gtest/gtest.h>

#include "platform/ProgramLanguage.h"

namespace oruvan {
namespace {

TEST(ProgramLanguageTest, FromTheEnvironment) {
    using L = UiLanguage;
    const struct {
        LocaleEnvironment env;  // LC_ALL, LC_MESSAGES, LANG, LANGUAGE
        L expected;
    } cases[] = {
        {{"", "", "", ""}, L::Japanese},  // nothing set: the C locale
        {{"", "", "C", ""}, L::Japanese},
        {{"", "", "C.UTF-8", ""}, L::Japanese},
        {{"", "", "POSIX", ""}, L::Japanese},
        {{"", "", "ja_JP.UTF-8", ""}, L::Japanese},
        {{"", "", "ja_JP.eucJP", ""}, L::Japanese},
        {{"", "", "en_US.UTF-8", ""}, L::English},
        {{"", "", "de_DE.UTF-8", ""}, L::English},  // no translation: English
        {{"", "", "sr_RS@latin", ""}, L::English},
        {{"ja_JP.UTF-8", "", "en_US.UTF-8", ""}, L::Japanese},  // LC_ALL first
        {{"C", "", "en_US.UTF-8", ""}, L::Japanese},
        {{"", "en_GB.UTF-8", "ja_JP.UTF-8", ""}, L::English},  // then LC_MESSAGES
        {{"", "", "en_US.UTF-8", "ja"}, L::Japanese},          // LANGUAGE over the locale
        {{"", "", "de_DE.UTF-8", "fr:ja_JP:en"}, L::Japanese}, // its first entry we have
        {{"", "", "ja_JP.UTF-8", "fr:de"}, L::Japanese},       // none we have: the locale decides
        {{"", "", "ja_JP.UTF-8", "::en"}, L::English},
        {{"", "", "C.UTF-8", "en"}, L::Japanese},  // ignored in the C locale, as gettext does
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageFor(c.env), c.expected)
            << c.env.lcAll << "|" << c.env.lcMessages << "|" << c.env.lang << "|" << c.env.language;
}

}  // namespace
}  // namespace oruvan
