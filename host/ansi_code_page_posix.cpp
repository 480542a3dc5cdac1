#include "host/ansi_code_page_posix.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace quenor::host {

namespace {

struct LanguagePage {
    std::string_view language;
    int page;
};

// Languages whose Windows locale has another ANSI code page than 1252.
constexpr LanguagePage kPages[] = {
    {"cs", 1250}, {"hu", 1250}, {"pl", 1250}, {"ro", 1250}, {"sk", 1250}, {"sl", 1250},
    {"hr", 1250}, {"bs", 1250}, {"sq", 1250}, {"ru", 1251}, {"uk", 1251}, {"be", 1251},
    {"bg", 1251}, {"mk", 1251}, {"sr", 1251}, {"kk", 1251}, {"ky", 1251}, {"tt", 1251},
    {"mn", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"he", 1255}, {"yi", 1255},
    {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"et", 1257}, {"lv", 1257}, {"lt", 1257},
    {"vi", 1258}, {"th", 874},  {"ja", 932},  {"ko", 949},
};

std::string localeName(const Environment& environment) {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const std::optional<std::string> value = environment.variable(name);
        if (value && !value->empty()) return *value;
    }
    return {};
}

}  // namespace

int ansiCodePageOfLocale(const Environment& environment) {
    const std::string locale = localeName(environment);
    // "ll_TT.codeset@modifier"
    const std::size_t languageEnd = locale.find_first_of("_.@");
    const std::string language = locale.substr(0, languageEnd);
    std::string territory;
    if (languageEnd != std::string::npos && locale[languageEnd] == '_') {
        const std::size_t end = locale.find_first_of(".@", languageEnd);
        territory = locale.substr(
            languageEnd + 1, end == std::string::npos ? std::string::npos : end - languageEnd - 1);
    }
    const std::size_t at = locale.find('@');
    const std::string modifier = at == std::string::npos ? "" : locale.substr(at + 1);
    if (language == "sr" && modifier == "latin") return 1250;
    if (language == "zh") {
        return territory == "TW" || territory == "HK" || territory == "MO" ? 950 : 936;
    }
    const auto* found = std::find_if(std::begin(kPages), std::end(kPages),
                                     [&](const LanguagePage& p) { return p.language == language; });
    return found == std::end(kPages) ? 1252 : found->page;
}

}  // namespace quenor::host
