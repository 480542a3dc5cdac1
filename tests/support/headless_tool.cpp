#include "tests/support/headless_tool.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "lib/files/file_io.h"
#include "lib/viv/archive_create.h"
#include "lib/viv/archive_reader.h"
#include "window/testing/scripted_input.h"

namespace quenor::testing {

namespace {

struct FrameSize {
    int width;
    int height;
};
constexpr FrameSize kFrames[] = {{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};

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

}  // namespace

std::string sampleConfigFile(int frame) {
    const FrameSize size = kFrames[frame - 1];
    return "// Display settings of resolution frame " + std::to_string(frame) + "\r\n" +
           "devicewidth " + std::to_string(size.width) + "\r\n" + "deviceheight " +
           std::to_string(size.height) + "\r\n" +
           "DeviceHeightMax 4096\r\n"
           "enablevsync false\r\n"
           "\r\n"
           "texturequality 2\r\n";
}

HeadlessTool::HeadlessTool(HeadlessSetup setup) : setup_(setup), system_(setup.version) {
    std::filesystem::create_directories(toolFolder());
    std::filesystem::create_directories(tempFolder());
    std::filesystem::create_directories(prefixFolder());
    if (setup_.tempVariableSet) environment_.set("TEMP", tempFolder());
    if (setup_.gameInstalled) {
        std::filesystem::create_directories(archivePath().parent_path());
        std::vector<viv::NewEntry> entries;
        entries.push_back({"sgsm.cfg", {'x', '\r', '\n'}});
        for (const int frame : setup_.framesInArchive) {
            const std::string text = sampleConfigFile(frame);
            entries.push_back(
                {"sgsm" + std::to_string(frame) + ".cfg", {text.begin(), text.end()}});
        }
        viv::CreateOptions options;
        options.sizeFieldOrder = viv::ByteOrder::kBig;
        viv::createArchive(files::systemFileIo(), archivePath(), options, entries);
        storeText(reg::kLocalMachine, "Software\\EA Sports\\NHL 09", "Install Dir",
                  gameFolder() + "/");
    }
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
    store_ = std::make_unique<reg::wine::WineFileStore>(prefixFolder());
    tool_ = std::make_unique<Tool>(PlatformServices{files_, clock_, format_, environment_, system_,
                                                    boxes(), *store_, toolFolder(), "quenor"});
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
    return root_.file("NHL 09");
}
std::string HeadlessTool::tempFolder() const {
    return root_.file("temp");
}
std::filesystem::path HeadlessTool::prefixFolder() const {
    return root_.path() / "prefix";
}
std::filesystem::path HeadlessTool::archivePath() const {
    return std::filesystem::path(gameFolder()) / "preload" / "fmisc.viv";
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
    viv::ArchiveReader reader(files::systemFileIo(), archivePath());
    const std::vector<std::uint8_t> plain = reader.readPlain(reader.require(name));
    return {plain.begin(), plain.end()};
}

std::optional<std::string> HeadlessTool::registryValue(reg::Handle root, std::string_view path,
                                                       std::string_view name) const {
    reg::wine::WineFileStore store(prefixFolder());
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
    reg::wine::WineFileStore store(prefixFolder());
    reg::Handle key = 0;
    checkStatus(store.createKey(root, path, reg::kAllAccess, key, nullptr), "creating a key");
    std::string bytes(text);
    bytes.push_back('\0');
    checkStatus(
        store.setValue(key, name, reg::kSz, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                       static_cast<std::uint32_t>(bytes.size())),
        "storing a value");
    store.closeKey(key);
}

}  // namespace quenor::testing
