#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quenor::vivtool::testing {

struct VivRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs quenor-viv in-process with the real file system.
VivRun runVivCommand(const std::vector<std::string>& args);

// Every file and folder below `folder`, relative and sorted, one per line ("" when empty).
std::string folderListing(const std::filesystem::path& folder);

}  // namespace quenor::vivtool::testing
