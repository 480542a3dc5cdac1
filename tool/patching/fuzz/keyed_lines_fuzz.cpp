// Fuzz target over config-line rewriting and reading, with any bytes as the file and any key
// and value: the rewritten file has the same lines, each keyed line holds the key as spelled
// and the value, every other line is kept byte for byte, and a second rewrite changes nothing.
// The reader agrees with the rewrite: it finds a value in exactly the lines the rewrite
// rewrites, each rewritten line reads back as the value (less the blanks and '=' the reader
// skips around it), and a line it calls indented is never one it reads.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "lib/base/ascii.h"
#include "tool/patching/keyed_lines.h"

namespace {

using namespace quenor;

// The input: one byte with the key's length (0 to 31), the key, one byte with the value's
// length, the value (line ends left out: the tool's values are single words), then the file.
struct Input {
    std::string key;
    std::string value;
    std::string_view file;
};

Input split(std::string_view data) {
    Input in;
    auto take = [&data](std::size_t wanted) {
        const std::string_view part = data.substr(0, wanted);
        data.remove_prefix(part.size());
        return std::string(part);
    };
    in.key = take(data.empty() ? 0 : static_cast<unsigned char>(take(1)[0]) % 32);
    in.value = take(data.empty() ? 0 : static_cast<unsigned char>(take(1)[0]) % 32);
    std::erase_if(in.value, [](char c) { return c == '\r' || c == '\n'; });
    in.file = data;
    return in;
}

// What the reader makes of a value written after the key and one blank.
std::string readBack(std::string_view value) {
    const std::size_t start = value.find_first_not_of(" \t=");
    if (start == std::string_view::npos) return "";
    value.remove_prefix(start);
    return std::string(value.substr(0, value.find_last_not_of(" \t") + 1));
}

std::string rewrite(std::string_view file, const Input& in) {
    std::string out;
    for (const std::string& line : patching::splitConfigLines(file)) {
        out += patching::rewriteKeyedLine(line, in.key, in.value);
        out += "\r\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Input in = split({reinterpret_cast<const char*>(data), size});
    const auto before = patching::splitConfigLines(in.file);
    const std::string written = rewrite(in.file, in);
    const auto after = patching::splitConfigLines(written);
    if (after.size() != before.size()) __builtin_trap();
    if (in.file.empty() != written.empty()) __builtin_trap();
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::string& line = before[i];
        if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();
        const bool keyed = base::startsWithIgnoringAsciiCase(line, in.key);
        if (patching::keyedLineValue(line, in.key).has_value() != keyed) __builtin_trap();
        if (keyed) {
            if (after[i] != line.substr(0, in.key.size()) + " " + in.value) __builtin_trap();
            if (patching::keyedLineValue(after[i], in.key) != readBack(in.value)) __builtin_trap();
        } else if (after[i] != line) {
            __builtin_trap();
        }
    }
    if (rewrite(written, in) != written) __builtin_trap();
    for (const std::string& value : patching::keyedValues(written, in.key)) {
        if (value != readBack(in.value)) __builtin_trap();
    }
    if (const auto indented = patching::indentedKeyedLine(in.file, in.key)) {
        if (patching::keyedLineValue(*indented, in.key)) __builtin_trap();
    }
    return 0;
}
