#pragma once

#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace quenor::vivtool {

// An entry name that cannot be written inside the output folder; the message says why.
class UnsafeEntryName : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The path, relative to the output folder, that an entry extracts to. Both '\' and '/'
// separate folders; empty and "." components are dropped. Names that would leave the folder
// (a ".." component, an absolute path, a drive letter such as "C:", any other ':') are refused,
// and so are Windows device names ("NUL", "con.cfg", "COM1"), on every system alike.
std::filesystem::path extractionPath(std::string_view entryName);

}  // namespace quenor::vivtool
