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

std::string rewriteKeyedLine(std::string_view line, std::string_view key, std::string_view value) {
    const std::string_view prefix = line.substr(0, key.size());
    if (!base::equalsIgnoringAsciiCase(prefix, key)) return std::string(line);
    std::string keyed(prefix);
    keyed += ' ';
    keyed += value;
    return keyed;
}

}  // namespace quenor::patching
