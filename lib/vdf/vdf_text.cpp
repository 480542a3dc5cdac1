#include "lib/vdf/vdf_text.h"

#include "lib/base/ascii.h"
#include "lib/base/byte_reader.h"

namespace quenor::vdf {

namespace {

bool isSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A bare word ends at a blank, a quote, a brace or the end.
bool endsBareWord(std::uint8_t c) {
    return isSpace(c) || c == '"' || c == '{' || c == '}';
}

class Parser {
  public:
    explicit Parser(std::string_view text) : in_(text) {}

    Node parse() {
        Node root;
        root.isObject = true;
        readMembers(root, 0);
        if (!in_.atEnd()) fail("a \"}\" closes an object that was never opened");
        return root;
    }

  private:
    [[noreturn]] void fail(const std::string& defect) const { throw VdfError(line_, defect); }

    // Skips blanks, line ends and comments; counts lines.
    void skipSpace() {
        while (!in_.atEnd()) {
            const std::uint8_t c = in_.peek();
            if (c == '\n') ++line_;
            if (isSpace(c)) {
                in_.skip(1);
            } else if (in_.lookingAt("//")) {
                if (!in_.upTo('\n')) in_.skip(in_.remaining());
                ++line_;
            } else {
                return;
            }
        }
    }

    // A quoted text (the cursor on its opening quote) or a bare word.
    std::string readText() {
        std::string text;
        if (in_.consume("\"")) {
            while (true) {
                if (in_.atEnd()) fail("a quoted text has no closing quote");
                const std::uint8_t c = in_.u8();
                if (c == '"') return text;
                if (c == '\n') ++line_;
                if (c != '\\' || in_.atEnd()) {
                    text += static_cast<char>(c);
                    continue;
                }
                const std::uint8_t escaped = in_.u8();
                text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : static_cast<char>(escaped);
            }
        }
        while (!in_.atEnd() && !endsBareWord(in_.peek())) text += static_cast<char>(in_.u8());
        return text;
    }

    // Members up to the closing brace of an object at `depth`, or to the end of the file for
    // the top level.
    void readMembers(Node& object, std::size_t depth) {
        while (true) {
            skipSpace();
            if (in_.atEnd()) {
                if (depth > 0) fail("an object is not closed before the end of the file");
                return;
            }
            if (in_.peek() == '}') {
                if (depth == 0) return;  // the caller reports the stray brace
                in_.skip(1);
                return;
            }
            if (in_.peek() == '{') fail("an object has no key");
            Node node;
            node.key = readText();
            skipSpace();
            if (in_.atEnd()) fail("the key \"" + node.key.substr(0, 40) + "\" has no value");
            if (in_.consume("{")) {
                if (depth + 1 > kMaxDepth) fail("objects nest more than 64 deep");
                node.isObject = true;
                readMembers(node, depth + 1);
            } else if (in_.peek() == '}') {
                fail("the key \"" + node.key.substr(0, 40) + "\" has no value");
            } else {
                node.value = readText();
                skipCondition();
            }
            object.children.push_back(std::move(node));
        }
    }

    // "[$WIN32]" and the like, on the rest of a value's line.
    void skipCondition() {
        while (!in_.atEnd() && (in_.peek() == ' ' || in_.peek() == '\t')) in_.skip(1);
        if (in_.consume("[")) {
            if (!in_.upTo(']', 256)) fail("a condition \"[...\" has no closing \"]\"");
        }
    }

    base::ByteReader in_;
    std::size_t line_ = 1;
};

void quote(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    out += '"';
}

void write(std::string& out, const Node& object, std::size_t depth) {
    for (const Node& node : object.children) {
        out.append(depth, '\t');
        quote(out, node.key);
        if (node.isObject) {
            out += '\n';
            out.append(depth, '\t');
            out += "{\n";
            write(out, node, depth + 1);
            out.append(depth, '\t');
            out += "}\n";
        } else {
            out += "\t\t";
            quote(out, node.value);
            out += '\n';
        }
    }
}

}  // namespace

VdfError::VdfError(std::size_t line, const std::string& defect)
    : std::runtime_error("line " + std::to_string(line) + ": " + defect), line_(line) {}

Node parseVdf(std::string_view text) {
    return Parser(text).parse();
}

const Node* member(const Node& object, std::string_view key) {
    for (const Node& node : object.children) {
        if (base::equalsIgnoringAsciiCase(node.key, key)) return &node;
    }
    return nullptr;
}

std::string writeVdf(const Node& object) {
    std::string out;
    write(out, object, 0);
    return out;
}

}  // namespace quenor::vdf
