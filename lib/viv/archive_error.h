#pragma once

#include <stdexcept>
#include <string>
#include "lib/files/file_error.h"

namespace quenor::viv {

// Every failure of the archive library: a complete sentence naming the archive (or file), the
// entry where one is concerned, and the defect or cause. A failed file operation underneath
// reaches callers as files::FileIoError.
class ArchiveError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace quenor::viv
