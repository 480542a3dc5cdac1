#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quenor::reg::wine {

// A registry file that cannot be used: it cannot be read, does not start with Wine's
// header, or holds a line that cannot be understood. Such a file is never written over.
class WineRegistryError : public std::runtime_error {
  public:
    WineRegistryError(std::string file, std::size_t line, const std::string& defect);

    const std::string& file() const { return file_; }
    // 1-based line of the defect; 0 when the whole file is at fault.
    std::size_t line() const { return line_; }

  private:
    std::string file_;
    std::size_t line_;
};

enum class LineKind {
    Other,  // comments, blank lines, #time/#class/#link/#arch options, unknown lines
    Value,  // "name"=... or @=..., with its continuation lines
};

// One line of a registry file as it was read, kept byte for byte (line end included; a
// value's continuation lines included), with what it means when it is a value.
struct WineLine {
    LineKind kind = LineKind::Other;
    std::string raw;
    std::size_t lineNumber = 0;
    // Values only: the name (empty: the default value), the type and the data as Windows
    // holds it (string types as UTF-16LE with their terminating NUL).
    std::u16string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// A key section: the "[path] seconds" line and every line up to the next key line.
struct WineSection {
    std::vector<std::u16string> path;  // names below the file's root; empty names skipped
    std::string keyLine;               // raw, line end included
    std::size_t lineNumber = 0;
    std::vector<WineLine> lines;
};

// A whole registry file: the lines before the first key (header, comments, #arch) and the
// key sections in file order. Repeated sections of one key are kept apart; readers merge
// them (a repeated value: the last one wins).
struct WineRegDocument {
    std::vector<WineLine> preamble;
    std::vector<WineSection> sections;
    std::string newline = "\n";  // the line end of the header line, used for new lines
    std::string arch;            // the value of #arch= when given ("win32", "win64")
};

inline constexpr std::string_view kWineHeader = "WINE REGISTRY Version 2";
// Files larger than this are refused before anything is allocated for them.
inline constexpr std::size_t kMaxRegistryFileSize = std::size_t{512} * 1024 * 1024;

// What a reading of a registry file meets, line by line in file order. `offset` is where the
// line starts in the text read; `raw` is the line with its line end (a value's with its
// continuation lines). Value lines come with what they mean (their raw left empty).
class WineRegSink {
  public:
    virtual ~WineRegSink() = default;
    // `path` holds the key's names; the sink may take them (the reader fills it anew).
    virtual void keyLine(std::size_t offset, std::string_view raw, std::size_t lineNumber,
                         std::vector<std::u16string>& path) = 0;
    virtual void valueLine(std::size_t offset, std::string_view raw, WineLine&& line) = 0;
    virtual void otherLine(std::size_t offset, std::string_view raw, std::size_t lineNumber) = 0;
};

// What the lines before the first key say of the whole file.
struct WineFileFacts {
    std::string newline = "\n";  // the line end of the header line
    std::string arch;            // the value of #arch= when given
};

// Reads a whole registry file into a sink, checking every line as parseWineRegistry does (and
// throwing the same errors); nothing of it is kept but what the sink keeps.
WineFileFacts readWineRegistry(std::string_view text, const std::string& fileName,
                               WineRegSink& sink);
// Reads a part of a registry file that starts at a key line, as a file's sections do (lines
// numbered from firstLine). A file that reads whole reads the same in such parts: a line whose
// first character past its blanks is "[" always starts a key, never continues a value.
void readWineSections(std::string_view text, const std::string& fileName, std::size_t firstLine,
                      WineRegSink& sink);

// Parses a registry file; `fileName` is only used in error messages. Throws
// WineRegistryError for a wrong first line, NUL bytes, a key line without its closing
// bracket or a value line that cannot be read.
WineRegDocument parseWineRegistry(std::string_view text, const std::string& fileName);

// The sections of a part of a file that starts at a key line (see readWineSections).
std::vector<WineSection> parseWineSections(std::string_view text, const std::string& fileName);

// The document as it was read, byte for byte.
std::string renderUnchanged(const WineRegDocument& document);

// One value line in Wine's own output syntax (with the given line end; long hex data
// wraps after 76 columns with "\" and two spaces as Wine does).
std::string formatValueLine(std::u16string_view name, std::uint32_t type,
                            const std::vector<std::uint8_t>& data, std::string_view newline);
// A "[path] seconds" line followed by its "#time=" line, for a key written now.
std::string formatKeyLines(const std::vector<std::u16string>& path, std::int64_t unixSeconds,
                           std::string_view newline);

}  // namespace quenor::reg::wine
