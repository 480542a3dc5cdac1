#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenor::patching {

// The lines of a config file: they end at CR LF, CR or LF, as editors on every system save
// them; the text after the last line end, when there is any, is a last line of its own. An
// empty text has no lines.
std::vector<std::string> splitConfigLines(std::string_view text);

// One rule for the lines of a config file that hold a key, for the rewrite and every reader
// (the window's check before it writes, its read-back, quenorctl's status and the drift
// report), so that they never disagree:
//   - a line holds `key` when it starts with it, without regard to ASCII letter case;
//   - its value is what follows the key, less the blanks, tabs and '=' before it and the
//     blanks and tabs after it ("devicewidth = 1600 " holds "1600").
// A line indented before its key holds no key.

// A line that holds `key` becomes the key as the line spells it, one blank and `value`; any
// other line stays as it is.
std::string rewriteKeyedLine(std::string_view line, std::string_view key, std::string_view value);

// The value of a line that holds `key`; nothing for any other line.
std::optional<std::string> keyedLineValue(std::string_view line, std::string_view key);

// The values of every line of `text` that holds `key`, in their order.
std::vector<std::string> keyedValues(std::string_view text, std::string_view key);

// The first line of `text` that would hold `key` but for the blanks or tabs it starts with;
// nothing when there is none. A message names it, so that the player can mend it.
std::optional<std::string> indentedKeyedLine(std::string_view text, std::string_view key);

}  // namespace quenor::patching
