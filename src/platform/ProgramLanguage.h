#pragma once
// The language the programs speak: Japanese, their own, or English. Both programs decide it the same
// way from the environment, as gettext reads it, so the editor and the outline tool always agree.
#include <string>

namespace oruvan {

enum class UiLanguage { Japanese, English };

struct LocaleEnvironment {
    std::string lcAll;       // LC_ALL
    std::string lcMessages;  // LC_MESSAGES
    std::string lang;        // LANG
    std::string language;    // LANGUAGE: a priority list ("fr:ja:en"), ignored in the C locale
};

// Japanese for a Japanese locale and for the C/POSIX locale (the programs' own language); English for
// every other. LANGUAGE's first entry we have a text for wins over the locale.
UiLanguage LanguageFor(const LocaleEnvironment& env);

LocaleEnvironment CurrentLocaleEnvironment();

}  // namespace oruvan
