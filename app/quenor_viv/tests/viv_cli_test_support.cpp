#include "app/quenor_viv/tests/viv_cli_test_support.h"

#include <algorithm>
#include <sstream>

#include "app/quenor_viv/run_viv.h"

namespace quenor::vivtool::testing {

VivRun runVivCommand(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    VivRun run;
    run.status = runViv(args, out, err, files::systemFileIo());
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::string folderListing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        names.push_back(item.path().lexically_relative(folder).generic_string());
    }
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const std::string& name : names) listing += name + "\n";
    return listing;
}

}  // namespace quenor::vivtool::testing
