#include "tests/expected_log.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "core/testing/tool_fixture.h"
#include "tool/testing/fake_installation.h"

namespace quenor::testing {

namespace {

std::string substitute(std::string line, const std::map<std::string, std::string>& values) {
    for (const auto& [name, value] : values) {
        const std::string placeholder = "{" + name + "}";
        for (std::size_t at = line.find(placeholder); at != std::string::npos;
             at = line.find(placeholder, at + value.size())) {
            line.replace(at, placeholder.size(), value);
        }
    }
    return line;
}

// The separator the tool puts between a folder and a name; "{TEMP}/" in the expected logs
// stands for the temporary folder followed by it.
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// The frame whose config file a path names: n for ".../sgsmN.cfg".
int frameOfConfigFile(const std::string& path) {
    const std::string name = path.substr(path.find_last_of("/\\") + 1);
    if (name.size() != 9 || name.rfind("sgsm", 0) != 0 || name.substr(5) != ".cfg") {
        throw std::runtime_error("@insertInFile names no config file: " + path);
    }
    return name[4] - '0';
}

// The messages of one insertInFile run over a sample config file, scratch file in {TEMP}.
std::vector<std::string> insertInFileMessages(const std::string& file, const std::string& temp) {
    const std::string scratch = temp + kSeparator + "quenor.tmp";
    std::vector<std::string> messages{"insertInFile start...",
                                      " FileCopy " + file + " " + scratch + " - OK",
                                      " Open " + file + " - OK", " Open " + scratch + " - OK"};
    for (int line = 0; line < demoConfigLineCount(frameOfConfigFile(file)); ++line) {
        messages.push_back(" Line Input - OK");
        messages.push_back(" Print #outputFile - OK");
    }
    messages.push_back(" EOF - OK");
    messages.push_back(" FileCopy " + scratch + " " + file + " - OK");
    messages.push_back("Kill " + scratch + " - OK");
    return messages;
}

}  // namespace

std::filesystem::path expectedLogFolder() {
    const char* source = std::getenv("QUENOR_SOURCE_DIR");
    return std::filesystem::path(source != nullptr ? source : ".") / "tests" / "expected";
}

std::vector<std::string> expectedLog(const std::string& name,
                                     const std::map<std::string, std::string>& folders) {
    const std::filesystem::path path = expectedLogFolder() / (name + ".log");
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read the expected log " + path.string());
    std::map<std::string, std::string> values = folders;
    values["NOW"] = kFixedStamp;
    const std::string stamp = std::string(kFixedStamp) + "     ";
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("##", 0) == 0) continue;
        for (std::size_t at = line.find("{TEMP}/"); at != std::string::npos;
             at = line.find("{TEMP}/", at + 1)) {
            line[at + 6] = kSeparator;
        }
        line = substitute(line, values);
        if (line.rfind("@raw:", 0) == 0) {
            lines.push_back(line.substr(5));
        } else if (line.rfind("@insertInFile ", 0) == 0) {
            for (const std::string& message :
                 insertInFileMessages(line.substr(14), values.at("TEMP"))) {
                lines.push_back(stamp + message);
            }
        } else {
            lines.push_back(stamp + line);
        }
    }
    return lines;
}

}  // namespace quenor::testing
