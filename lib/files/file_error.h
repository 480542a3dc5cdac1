#pragma once

#include <stdexcept>
#include <string>

namespace quenor::files {

// A failed file operation (open, read, write, sync, rename). The message is a complete
// sentence naming the file and the system's reason; callers add what they were doing. The
// reason alone ("Permission denied") is kept for callers that word their own message.
class FileIoError : public std::runtime_error {
  public:
    explicit FileIoError(const std::string& message, std::string reason = {})
        : std::runtime_error(message), reason_(std::move(reason)) {}

    const std::string& reason() const { return reason_; }

  private:
    std::string reason_;
};

}  // namespace quenor::files
