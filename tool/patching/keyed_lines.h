#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quenor::patching {

// The lines of a config file: they end at CR LF, CR or LF, as editors on every system save
// them; the text after the last line end, when there is any, is a last line of its own. An
// empty text has no lines.
std::vector<std::string> splitConfigLines(std::string_view text);

// A line that starts with `key` (without regard to ASCII letter case) becomes the key as the
// line spells it, one blank and `value`; any other line stays as it is.
std::string rewriteKeyedLine(std::string_view line, std::string_view key, std::string_view value);

}  // namespace quenor::patching
