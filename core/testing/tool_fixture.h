#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/platform/host_file_system.h"
#include "core/testing/fake_platform.h"
#include "core/testing/scripted_message_boxes.h"
#include "core/testing/temp_folder.h"
#include "core/tool.h"
#include "lib/registry/registry_store.h"

namespace quenor::testing {

// A tool run over a temporary tool folder, the real file system, a fixed clock
// (12/7/2026 9:30:05 AM), a US date format, a map environment and the given registry.
class ToolFixture {
  public:
    explicit ToolFixture(reg::RegistryStore& registry, MessageBoxes* boxes = nullptr);

    Tool& tool() { return *tool_; }
    std::string logPath() const { return folder_.file("quenor.log"); }
    // The log's content, or "<missing>".
    std::string log() const { return readFileOrMissing(logPath()); }
    // The log split into its messages: the time stamp and five blanks checked and removed,
    // every line ending in CR LF checked.
    std::vector<std::string> logMessages() const;

    TempFolder folder_;
    FixedClock clock;
    UsRegionalFormat format;
    MapEnvironment environment;
    FixedSystemInfo system;
    ScriptedMessageBoxes ownBoxes;
    HostFileSystem files{"quenor", files::systemFileIo(), folder_.path()};

  private:
    std::unique_ptr<Tool> tool_;
};

inline constexpr const char* kFixedStamp = "12/7/2026 9:30:05 AM";

}  // namespace quenor::testing
