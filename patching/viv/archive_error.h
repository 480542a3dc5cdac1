#pragma once

#include <stdexcept>
#include <string>

namespace quenor::viv {

// Every failure of the archive library: a complete sentence naming the archive (or file), the
// entry where one is concerned, and the defect or cause.
class ArchiveError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A failed file operation (open, read, write, sync, rename). The message names the file and
// the system's reason; callers add what they were doing.
class FileIoError : public ArchiveError {
  public:
    using ArchiveError::ArchiveError;
};

}  // namespace quenor::viv
