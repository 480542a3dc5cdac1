#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quenor {

// The one error type of the tool: a number, a source and a description, as the
// registry class raises them and as every failed step of the tool reports itself.
class ToolError : public std::runtime_error {
  public:
    ToolError(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description.empty() ? "error " + std::to_string(number) : description),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)) {}

    std::int32_t number() const { return number_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }

  private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// Error numbers the tool raises for failures outside the registry class.
namespace error_number {
inline constexpr std::int32_t kFileNotFound = 53;    // a file step found no file
inline constexpr std::int32_t kPathAccess = 75;      // a file could not be opened or written
inline constexpr std::int32_t kDeviceIo = 57;        // a read or write failed part-way
inline constexpr std::int32_t kBadFileFormat = 321;  // a file's content is not what it must be
inline constexpr std::int32_t kInUse = 70;           // another process is changing the game
}  // namespace error_number

// A change that did not begin because another process was changing the same installation
// and the player chose not to wait longer. Nothing was changed, and the box that asked has
// been shown: a window shows nothing more.
class ChangeRefused : public ToolError {
  public:
    using ToolError::ToolError;
};

}  // namespace quenor
