#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Valve's KeyValues text, as Steam keeps its library list in steamapps/libraryfolders.vdf:
//   "libraryfolders" { "0" { "path" "/home/ann/.local/share/Steam" "apps" { "4000" "123" } } }
// Keys and values are quoted texts (\\ \" \n \t escaped) or bare words; "{" opens an object
// for the key before it; "//" starts a comment; a "[$WIN32]"-style condition after a value is
// skipped.
namespace quenor::vdf {

struct Node {
    std::string key;
    std::string value;           // a value's text; empty for an object
    std::vector<Node> children;  // an object's members, in file order
    bool isObject = false;
};

// A file that cannot be read as KeyValues: the line and what is wrong there.
class VdfError : public std::runtime_error {
  public:
    VdfError(std::size_t line, const std::string& defect);
    std::size_t line() const { return line_; }

  private:
    std::size_t line_;
};

// Objects nest at most this deep; a deeper file is refused.
inline constexpr std::size_t kMaxDepth = 64;

// Parses a whole file into an object node (key empty) holding its top-level members.
Node parseVdf(std::string_view text);

// The first member named `key` (without regard to ASCII letter case), or null.
const Node* member(const Node& object, std::string_view key);

// The node as KeyValues text, every key and value quoted and escaped.
std::string writeVdf(const Node& object);

}  // namespace quenor::vdf
