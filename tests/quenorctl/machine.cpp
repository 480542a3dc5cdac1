#include "tests/quenorctl/machine.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/quenorctl/quenorctl.h"
#include "host/start_quenor.h"
#include "lib/registry/wine/testing/disk_store.h"
#include "lib/registry/wine/wine_file_store.h"
#include "window/quenor_layout.h"
#include "window/testing/scripted_input.h"

namespace quenor::testing {

namespace fs = std::filesystem;

Machine::Machine()
    : installation_(folder_.path() / "prefix", options()),
      environment_({{"HOME", (folder_.path() / "home").string()},
                    {"WINEPREFIX", installation_.prefix().string()},
                    {"TEMP", (folder_.path() / "temp").string()},
                    {"TMPDIR", (folder_.path() / "temp").string()}}) {
    fs::create_directories(folder_.path() / "home");
    fs::create_directories(folder_.path() / "temp");
    fs::create_directories(folder_.path() / "bin");
}

FakeInstallationOptions Machine::options() {
    FakeInstallationOptions o;
    o.win64 = true;
    o.installDir = kWindowsInstallDir;
    return o;
}

int Machine::quenorctl(std::vector<std::string> arguments, std::string* out, std::string* err) {
    std::istringstream in;
    std::ostringstream output;
    std::ostringstream errors;
    const ctl::Context context{folder_.path() / "bin" / "quenorctl",
                               environment_,
                               in,
                               output,
                               errors,
                               files::systemFileIo(),
                               false};
    const int status = ctl::runQuenorctl(arguments, context);
    if (out) *out = output.str();
    if (err) *err = errors.str();
    return status;
}

void Machine::window(const std::function<void(ui::FormModel&, ScriptedMessageBoxes&)>& act) {
    ScriptedMessageBoxes boxes;
    auto started = host::StartedQuenor::start(
        [&] {
            return host::HostPlatform::open(folder_.path() / "bin" / "quenor", environment_,
                                            files::systemFileIo());
        },
        boxes);
    ASSERT_TRUE(started);
    act(started->window().form(), boxes);
    if (!started->window().unloaded()) started->window().Form_Unload();
    EXPECT_EQ(boxes.pendingAnswers(), 0u);
}

std::vector<std::string> Machine::log() const {
    std::vector<std::string> lines;
    std::istringstream in(readFileOrMissing(folder_.path() / "bin" / "quenor.log"));
    for (std::string line; std::getline(in, line);) {
        const std::size_t message = line.find("     ");
        line = message == std::string::npos ? line : line.substr(message + 5);
        if (line.rfind("********** NEW LOG - ", 0) == 0) line = "********** NEW LOG - <now>";
        for (std::size_t at; (at = line.find(folder_.str())) != std::string::npos;)
            line.replace(at, folder_.str().size(), "<machine>");
        lines.push_back(line);
    }
    return lines;
}

std::string Machine::registryValues() const {
    reg::wine::testing::DiskStore store(installation_.prefix());
    std::string values;
    const std::pair<const char*, const char*> wanted[] = {
        {"Software\\EA Sports\\NHL 09", "GFX Mode"},
        {"Software\\EA Sports\\NHL 09\\Details Settings", "OnPlay Player"},
        {"Software\\Olm\\Quenor", "Resolution"},
        {"Software\\Olm\\Quenor", "DeviceWidth"},
        {"Software\\Olm\\Quenor", "DeviceHeight"},
        {"Software\\Olm\\Quenor", "ResFrame"},
        {"Software\\Olm\\Quenor", "VSYNC"},
        {"Software\\Olm\\Quenor", "FPSboost"}};
    for (const auto& [path, name] : wanted) {
        reg::Handle key = 0;
        std::uint8_t data[64] = {};
        std::uint32_t size = sizeof data;
        std::uint32_t type = 0;
        if (store.openKey(reg::kCurrentUser, path, reg::kQueryValue, key) == reg::kSuccess) {
            if (store.queryValue(key, name, &type, data, &size) != reg::kSuccess) size = 0;
            store.closeKey(key);
        } else {
            size = 0;
        }
        values += std::string(name) + "=" + std::to_string(type) + ":" +
                  std::string(reinterpret_cast<char*>(data), size) + "\n";
    }
    return values;
}

void setUserValue(const Machine& machine, const char* key, const char* name, std::uint32_t type,
                  std::vector<std::uint8_t> data) {
    reg::wine::testing::DiskStore store(machine.installation().prefix());
    reg::Handle handle = 0;
    ASSERT_EQ(store.createKey(reg::kCurrentUser, key, reg::kAllAccess, handle, nullptr),
              reg::kSuccess);
    ASSERT_EQ(
        store.setValue(handle, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
        reg::kSuccess);
    store.closeKey(handle);
    ASSERT_EQ(reg::wine::testing::committed(store), "");
}

void applyInWindow(Machine& machine, const std::function<void(ui::FormModel&)>& choose) {
    machine.window([&](ui::FormModel& form, ScriptedMessageBoxes& boxes) {
        choose(form);
        boxes.expect(MessageAnswer::Yes);
        boxes.expect(MessageAnswer::Ok);
        ui::testing::clickControl(form, ui::control_names::kBtnApplySettings);
    });
}

}  // namespace quenor::testing
