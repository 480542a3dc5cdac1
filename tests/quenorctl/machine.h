#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/testing/fake_platform.h"
#include "core/testing/scripted_message_boxes.h"
#include "tool/testing/fake_installation.h"
#include "window/form_model.h"

namespace quenor::testing {

// A machine with the game installed in a Wine prefix: its own home, temporary folder and a
// folder the programs run from (so their quenor.log lies there).
class Machine {
  public:
    Machine();

    // quenorctl with these arguments; returns the exit status.
    int quenorctl(std::vector<std::string> arguments, std::string* out = nullptr,
                  std::string* err = nullptr);

    // The window on the same platform: started, `act` clicks, closed.
    void window(const std::function<void(ui::FormModel&, ScriptedMessageBoxes&)>& act);

    // The log without its time stamps (each line's and the header's), this machine's folder
    // written as "<machine>".
    std::vector<std::string> log() const;

    // The values Apply and Reset write, as the registry files hold them.
    std::string registryValues() const;

    std::string archive() const { return readFileOrMissing(installation_.archive()); }
    const FakeInstallation& installation() const { return installation_; }
    // The user's home: the tool's state folder, and so the originals, lie below it.
    std::filesystem::path home() const { return folder_.path() / "home"; }
    // The folder that holds the machine's home, prefix and programs.
    const std::filesystem::path& root() const { return folder_.path(); }
    // What the programs see as their environment (HOME, and WINEPREFIX naming the prefix).
    MapEnvironment& environment() { return environment_; }

  private:
    static FakeInstallationOptions options();

    TempFolder folder_;
    FakeInstallation installation_;
    MapEnvironment environment_;
};

// Sets a value below HKEY_CURRENT_USER in the machine's registry files, as another program would.
void setUserValue(const Machine& machine, const char* key, const char* name, std::uint32_t type,
                  std::vector<std::uint8_t> data);

// Presses Apply in the window after `choose` made the choices, answering its two boxes.
void applyInWindow(Machine& machine, const std::function<void(ui::FormModel&)>& choose);

}  // namespace quenor::testing
