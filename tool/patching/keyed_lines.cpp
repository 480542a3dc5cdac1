#include "tool/patching/keyed_lines.h"

#include "lib/base/ascii.h"
#include "lib/base/byte_reader.h"

namespace quenor::patching {

std::vector<std::string> splitConfigLines(std::string_view text) {
    std::vector<std::string> lines;
    base::ByteReader in(text);
    while (!in.atEnd()) {
        const std::string_view rest = in.restText();
        const std::size_t end = rest.find_first_of("\r\n");
        lines.emplace_back(rest.substr(0, end));
        if (end == std::string_view::npos) break;
        in.skip(end + 1);
        if (rest[end] == '\r') in.consume("\n");
    }
    return lines;
}

namespace {

bool holdsKey(std::string_view line, std::string_view key) {
    return base::equalsIgnoringAsciiCase(line.substr(0, key.size()), key);
}

}  // namespace

std::optional<std::string> keyedLineValue(std::string_view line, std::string_view key) {
    if (!holdsKey(line, key)) return std::nullopt;
    std::string_view value = line.substr(key.size());
    const std::size_t start = value.find_first_not_of(" \t=");
    if (start == std::string_view::npos) return std::string();
    value.remove_prefix(start);
    return std::string(value.substr(0, value.find_last_not_of(" \t") + 1));
}

std::vector<std::string> keyedValues(std::string_view text, std::string_view key) {
    std::vector<std::string> values;
    for (const std::string& line : splitConfigLines(text)) {
        if (auto value = keyedLineValue(line, key)) values.push_back(std::move(*value));
    }
    return values;
}

std::optional<std::string> indentedKeyedLine(std::string_view text, std::string_view key) {
    for (const std::string& line : splitConfigLines(text)) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start != 0 && start != std::string::npos && !holdsKey(line, key) &&
            holdsKey(line.substr(start), key)) {
            return line;
        }
    }
    return std::nullopt;
}

std::string rewriteKeyedLine(std::string_view line, std::string_view key, std::string_view value) {
    if (!holdsKey(line, key)) return std::string(line);
    std::string keyed(line.substr(0, key.size()));
    keyed += ' ';
    keyed += value;
    return keyed;
}

}  // namespace quenor::patching
