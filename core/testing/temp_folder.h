#pragma once

#include <filesystem>
#include <string>

namespace quenor::testing {

// A fresh folder under the system's temporary folder, removed with its content at the end.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // Path of a name inside the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// The whole content of a file, or "<missing>" when there is none.
std::string readFileOrMissing(const std::filesystem::path& path);
// Writes a file, making its folders first.
void writeFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace quenor::testing
