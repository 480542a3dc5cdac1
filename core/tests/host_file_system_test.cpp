// The tool's own files reach the disk through the file layer, so a failing disk shows in
// every step as a ToolError that names the file and the cause.
#include <gtest/gtest.h>

#include <functional>

#include "core/platform/host_file_system.h"
#include "core/testing/temp_folder.h"
#include "core/tool_error.h"
#include "lib/files/testing/fault_file_io.h"

namespace quenor::testing {
namespace {

TEST(HostFileSystem, EveryWriteStepReportsAFailingDisk) {
    TempFolder folder;
    const std::string existing = folder.file("config.cfg");
    writeFileBytes(existing, "devicewidth 800\r\n");
    files::FaultInjectingFileIo disk(files::systemFileIo());
    HostFileSystem host("quenor", disk);
    disk.setAlive(false);

    struct Step {
        const char* name;
        std::int32_t number;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"append", error_number::kPathAccess,
         [&] { host.appendToFile(folder.file("quenor.log"), "line\r\n"); }},
        {"write", error_number::kPathAccess, [&] { host.writeFile(existing, "x"); }},
        {"copy", error_number::kPathAccess,
         [&] { host.copyFile(existing, folder.file("quenor.tmp")); }},
        {"remove", error_number::kPathAccess, [&] { host.removeFile(existing); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        try {
            step.run();
            ADD_FAILURE() << "no error";
        } catch (const ToolError& error) {
            EXPECT_EQ(error.number(), step.number);
            EXPECT_NE(error.description().find(folder.str()), std::string::npos)
                << error.description();
            EXPECT_NE(error.description().find("injected fault"), std::string::npos)
                << error.description();
        }
    }
    EXPECT_EQ(readFileOrMissing(existing), "devicewidth 800\r\n");
    EXPECT_EQ(host.readFile(existing, 100), "devicewidth 800\r\n");  // reads still work
}

}  // namespace
}  // namespace quenor::testing
