#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/host_file_system.h"
#include "core/testing/fake_platform.h"
#include "core/testing/scripted_message_boxes.h"
#include "core/testing/temp_folder.h"
#include "core/tool.h"
#include "lib/registry/wine/wine_file_store.h"
#include "tool/testing/fake_installation.h"
#include "window/quenor_window.h"

namespace quenor::testing {

// What the headless tool's machine looks like before the first start.
struct HeadlessSetup {
    bool gameInstalled = true;  // the game key with "Install Dir" and the game archive
    bool tempVariableSet = true;
    // The frames whose config file the game archive holds.
    std::vector<int> framesInArchive{1, 2, 3, 4};
    // The boxes the tool shows; null: boxes answered from the script of answer().
    MessageBoxes* messageBoxes = nullptr;
    SystemVersion version{5, 1};
    // The file layer of the run (the archive, the registry files, the originals); null: the
    // real file system. Must outlive the tool.
    files::FileIo* fileIo = nullptr;
    // Whether the run keeps originals before its first change (in originalsFolder()).
    bool keepOriginals = true;
};

// The whole tool without a screen: a temporary tool folder, the fake installation of the game
// (a prefix whose registry files the tool uses directly, its game folder named by a host
// path, an archive holding the demo config files), a fixed clock and scripted message-box
// answers. start() runs
// start-up as the program does; the user's input goes to the window by control name.
class HeadlessTool {
  public:
    explicit HeadlessTool(HeadlessSetup setup = {});
    ~HeadlessTool();

    // Starts the tool (a later call starts it again on the same folders and registry,
    // loaded anew from its files). Returns Form_Load's result.
    bool start();
    // Closes the window the way the window manager does (runs Form_Unload).
    void close();

    // Queues the answer to the next message box.
    void answer(MessageAnswer answer) { boxes_.expect(answer); }
    // Clicks a control: an option-array member when index >= 0, else a button or label.
    void click(std::string_view name, int index = -1);
    void type(std::string_view textBox, std::string text);
    void pick(std::string_view list, int entry);

    ui::Quenor& window() { return *window_; }
    Tool& tool() { return *tool_; }
    const std::vector<MessageBoxRequest>& boxesShown() const { return boxes_.shown(); }
    std::size_t pendingAnswers() const { return boxes_.pendingAnswers(); }

    // Folders, without a final separator.
    std::string toolFolder() const;
    std::string gameFolder() const;
    std::string tempFolder() const;
    std::filesystem::path prefixFolder() const;
    std::filesystem::path archivePath() const;
    // Where the run keeps its originals.
    std::filesystem::path originalsFolder() const;

    // The log's content ("" when there is none) and its CR LF lines.
    std::string log() const;
    std::vector<std::string> logLines() const;

    // The plain content of an archive entry.
    std::string archiveEntry(std::string_view name) const;
    // A registry value as the registry files hold it now: a text for REG_SZ, the decimal
    // digits for REG_DWORD; nullopt when the key or value is missing.
    std::optional<std::string> registryValue(reg::Handle root, std::string_view path,
                                             std::string_view name) const;
    // Stores a text value in the registry files before a start.
    void storeText(reg::Handle root, std::string_view path, std::string_view name,
                   std::string_view text);

  private:
    void releaseRun();
    MessageBoxes& boxes();

    HeadlessSetup setup_;
    TempFolder root_;
    FakeInstallation installation_;
    FixedClock clock_;
    UsRegionalFormat format_;
    MapEnvironment environment_;
    FixedSystemInfo system_;
    quenor::testing::ScriptedMessageBoxes boxes_;
    HostFileSystem files_;
    std::unique_ptr<reg::wine::WineFileStore> store_;
    std::unique_ptr<Tool> tool_;
    std::unique_ptr<ui::Quenor> window_;
};

}  // namespace quenor::testing
