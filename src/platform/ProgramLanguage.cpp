#include "platform/ProgramLanguage.h"

#include <cstdlib>
#include <optional>
#include <string_view>

namespace oruvan {

namespace {

// "ja_JP.UTF-8@x" -> "ja".
std::string_view LanguageCode(std::string_view locale) {
    return locale.substr(0, locale.find_first_of("_.@"));
}

bool IsCLocale(std::string_view locale) {
    return locale.empty() || locale == "POSIX" || LanguageCode(locale) == "C";
}

std::optional<UiLanguage> Known(std::string_view locale) {
    const std::string_view code = LanguageCode(locale);
    if (code == "ja") return UiLanguage::Japanese;
    if (code == "en") return UiLanguage::English;
    return std::nullopt;
}

}  // namespace

UiLanguage LanguageFor(const LocaleEnvironment& env) {
    const std::string& locale = !env.lcAll.empty()        ? env.lcAll
                                : !env.lcMessages.empty() ? env.lcMessages
                                                          : env.lang;
    if (IsCLocale(locale)) return UiLanguage::Japanese;
    std::string_view list = env.language;
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        if (auto known = Known(list.substr(0, colon))) return *known;
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return Known(locale).value_or(UiLanguage::English);
}

LocaleEnvironment CurrentLocaleEnvironment() {
    auto get = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return {get("LC_ALL"), get("LC_MESSAGES"), get("LANG"), get("LANGUAGE")};
}

}  // namespace oruvan
