#pragma once

#include <stdexcept>

namespace quenor::files {

// A failed file operation (open, read, write, sync, rename). The message is a complete
// sentence naming the file and the system's reason; callers add what they were doing.
class FileIoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace quenor::files
