#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quenor::reg::wine {

// Replaces a file's content atomically: the bytes go to a temporary file in the same
// folder, which is flushed to disk and renamed over the target, so that the target holds
// either its old or its new content, never a part. The target's permissions are kept (a
// new file gets 0666 less the umask). On failure returns false with a message naming the
// file and the cause; the target is untouched and no temporary file is left behind.
bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                           std::string& error);

// Reads a whole file, refusing one larger than maxBytes before reading it. Returns false
// with a message naming the file and the cause.
bool readWholeFile(const std::filesystem::path& file, std::size_t maxBytes, std::string& bytes,
                   std::string& error);

}  // namespace quenor::reg::wine
