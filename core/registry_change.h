#pragma once

#include "core/tool.h"

namespace quenor {

// The registry side of one change, taken while the installation is locked (InstallationLock):
// what this run read of the registry before is read again where another process saved it since,
// the values the change writes are kept in memory, and commit() saves them when the change has
// written them all, each registry file once.
//
// A change that fails before its commit still has what it wrote saved when the object goes:
// its steps stay done, as its log lines say. A file that cannot be saved then is noted in the
// change's report and told through the boxes' note.
class RegistryChange {
  public:
    // Throws ToolError, with nothing held, when the registry cannot be read again.
    explicit RegistryChange(PlatformServices& services, ChangeReport* report = nullptr);
    // The tool's change, reported in its ChangeReport.
    explicit RegistryChange(Tool& tool);
    ~RegistryChange();
    RegistryChange(const RegistryChange&) = delete;
    RegistryChange& operator=(const RegistryChange&) = delete;

    // Saves the values written. Throws ToolError naming the file, the cause and the values not
    // saved when a file could not be saved (those are undone).
    void commit();

  private:
    // Commits once, noting in the report what could not be saved.
    std::vector<Failure> save();

    PlatformServices& services_;
    ChangeReport* report_;
    bool committed_ = false;
};

}  // namespace quenor
