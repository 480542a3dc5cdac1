#include "window/testing/headless_tool.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "lib/registry/wine/testing/disk_store.h"
#include "window/testing/scripted_input.h"

namespace quenor::testing {

namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void checkStatus(reg::Status status, std::string_view what) {
    if (status != reg::kSuccess) {
        throw std::runtime_error(std::string(what) + " failed with " + std::to_string(status));
    }
}

// The game as the setup has it, its folder named by a host path (the headless tool uses host
// paths as they are).
FakeInstallationOptions installationOf(const HeadlessSetup& setup) {
    FakeInstallationOptions options;
    options.gameInstalled = setup.gameInstalled;
    options.framesInArchive = setup.framesInArchive;
    return options;
}

}  // namespace

HeadlessTool::HeadlessTool(HeadlessSetup setup)
    : setup_(setup),
      installation_(root_.path() / "prefix", installationOf(setup)),
      system_(setup.version),
      files_("quenor", setup.fileIo ? *setup.fileIo : files::systemFileIo(),
             installation_.prefix()) {
    std::filesystem::create_directories(toolFolder());
    std::filesystem::create_directories(tempFolder());
    if (setup_.tempVariableSet) environment_.set("TEMP", tempFolder());
}

HeadlessTool::~HeadlessTool() {
    releaseRun();
}

void HeadlessTool::releaseRun() {
    window_.reset();
    tool_.reset();
    store_.reset();
}

bool HeadlessTool::start() {
    releaseRun();
    store_ = std::make_unique<reg::wine::WineFileStore>(prefixFolder(), reg::wine::WineArch::Win32,
                                                        files_.io());
    tool_ = std::make_unique<Tool>(PlatformServices{
        files_, clock_, format_, environment_, system_, boxes(), *store_, *store_, toolFolder(),
        "quenor", setup_.keepOriginals ? originalsFolder() : std::filesystem::path()});
    window_ = std::make_unique<ui::Quenor>(*tool_);
    return window_->Form_Load();
}

MessageBoxes& HeadlessTool::boxes() {
    if (setup_.messageBoxes != nullptr) return *setup_.messageBoxes;
    return boxes_;
}

void HeadlessTool::close() {
    window_->Form_Unload();
}

void HeadlessTool::click(std::string_view name, int index) {
    ui::testing::clickControl(window_->form(), name, index);
}

void HeadlessTool::type(std::string_view textBox, std::string text) {
    ui::testing::typeInto(window_->form(), textBox, std::move(text));
}

void HeadlessTool::pick(std::string_view list, int entry) {
    ui::testing::pickEntry(window_->form(), list, entry);
}

std::string HeadlessTool::toolFolder() const {
    return root_.file("tool");
}
std::string HeadlessTool::gameFolder() const {
    return installation_.gameFolder().string();
}
std::string HeadlessTool::tempFolder() const {
    return root_.file("temp");
}
std::filesystem::path HeadlessTool::prefixFolder() const {
    return installation_.prefix();
}
std::filesystem::path HeadlessTool::archivePath() const {
    return installation_.archive();
}

std::filesystem::path HeadlessTool::originalsFolder() const {
    return root_.path() / "originals";
}

std::string HeadlessTool::log() const {
    return readAll(std::filesystem::path(toolFolder()) / "quenor.log");
}

std::vector<std::string> HeadlessTool::logLines() const {
    const std::string content = log();
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        const std::size_t end = content.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(content.substr(pos) + "<no CR LF at the end>");
            break;
        }
        lines.push_back(content.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::string HeadlessTool::archiveEntry(std::string_view name) const {
    return installation_.entry(name);
}

std::optional<std::string> HeadlessTool::registryValue(reg::Handle root, std::string_view path,
                                                       std::string_view name) const {
    reg::wine::testing::DiskStore store(prefixFolder());
    reg::Handle key = 0;
    if (store.openKey(root, path, reg::kQueryValue, key) != reg::kSuccess) return std::nullopt;
    std::uint32_t type = 0;
    std::uint8_t data[512];
    std::uint32_t size = sizeof data;
    const reg::Status status = store.queryValue(key, name, &type, data, &size);
    store.closeKey(key);
    if (status != reg::kSuccess) return std::nullopt;
    if (type == reg::kDword && size == 4) {
        const std::uint32_t number =
            data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        return std::to_string(static_cast<std::int32_t>(number));
    }
    if (type == reg::kSz) {
        std::string text(reinterpret_cast<const char*>(data), size);
        if (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
    return "<type " + std::to_string(type) + ">";
}

void HeadlessTool::storeText(reg::Handle root, std::string_view path, std::string_view name,
                             std::string_view text) {
    reg::wine::testing::DiskStore store(prefixFolder());
    reg::Handle key = 0;
    checkStatus(store.createKey(root, path, reg::kAllAccess, key, nullptr), "creating a key");
    std::string bytes(text);
    bytes.push_back('\0');
    checkStatus(
        store.setValue(key, name, reg::kSz, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                       static_cast<std::uint32_t>(bytes.size())),
        "storing a value");
    store.closeKey(key);
    if (const std::string failed = reg::wine::testing::committed(store); !failed.empty())
        throw std::runtime_error("saving a value failed: " + failed);
}

}  // namespace quenor::testing
