#pragma once

#include <memory>
#include <vector>

#include "core/tool.h"
#include "tool/originals/kept_originals.h"
#include "tool/originals/originals_record.h"

namespace quenor::originals {

// One change of the installation by Apply or Reset, from the player's confirmation to its
// end. Beginning it keeps what the change may alter and has not been kept yet: the archive as
// it is (byte for byte, checked by SHA-256) and "GFX Mode" and "OnPlay Player" with their keys
// (or their absence). Ending it notes what the archive holds, so that a restore can tell the
// tool's own changes from those of others.
class ChangeOfInstallation {
  public:
    // Keeps the originals, then notes that a change begins. Throws ToolError when either
    // fails: the change must not happen then, and nothing of the game was touched. Does
    // nothing where the services keep no originals (tests that do not look at them).
    explicit ChangeOfInstallation(Tool& tool);
    // Notes what the archive holds now, whether the change finished or failed. When that
    // cannot be noted, the change stays noted as begun, which a restore accepts as the tool's.
    ~ChangeOfInstallation();
    ChangeOfInstallation(const ChangeOfInstallation&) = delete;
    ChangeOfInstallation& operator=(const ChangeOfInstallation&) = delete;

  private:
    // Notes the content the archive will have once `entryName` holds the file's content.
    void aboutToWrite(const std::string& entryName, const std::filesystem::path& source);

    // Saves written_ with every set of originals kept, so that each knows the change as Quenor's.
    void noteWritten();

    Tool& tool_;
    std::unique_ptr<KeptOriginals> kept_;
    std::vector<KeptOriginals> others_;  // further sets an earlier version kept
    WrittenRecord written_;
    std::string startSha256_;  // the archive as the change found it
};

// The local date and time as the records note it: "2026-12-08 14:03:59".
std::string recordTime(const Clock& clock);

}  // namespace quenor::originals
