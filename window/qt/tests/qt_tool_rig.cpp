#include "window/qt/tests/qt_tool_rig.h"

#include <QTest>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/testing/tool_fixture.h"
#include "patching/viv/archive_create.h"
#include "patching/viv/archive_reader.h"
#include "patching/viv/file_io.h"

namespace quenor::ui::qt::testing {

namespace {

std::string frameConfig(int frame) {
    static const int kSizes[][2] = {{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    return "devicewidth " + std::to_string(kSizes[frame - 1][0]) + "\r\n" + "deviceheight " +
           std::to_string(kSizes[frame - 1][1]) + "\r\n" + "enablevsync true\r\n";
}

void check(reg::Status status, const char* what) {
    if (status != reg::kSuccess) {
        throw std::runtime_error(std::string(what) + " failed with " + std::to_string(status));
    }
}

}  // namespace

QtToolRig::QtToolRig(double dotsPerInch) : dotsPerInch_(dotsPerInch) {
    std::filesystem::create_directories(toolFolder());
    std::filesystem::create_directories(root_.file("temp"));
    std::filesystem::create_directories(root_.path() / "prefix");
    std::filesystem::create_directories(archivePath().parent_path());
    environment_.set("TEMP", root_.file("temp"));

    std::vector<viv::NewEntry> entries;
    for (int frame = 1; frame <= 4; ++frame) {
        const std::string text = frameConfig(frame);
        entries.push_back({"sgsm" + std::to_string(frame) + ".cfg", {text.begin(), text.end()}});
    }
    viv::createArchive(viv::posixFileIo(), archivePath(), viv::CreateOptions{}, entries);

    reg::wine::WineFileStore store(root_.path() / "prefix");
    reg::Handle key = 0;
    check(store.createKey(reg::kLocalMachine, "SOFTWARE\\EA SPORTS\\NHL 09", reg::kAllAccess, key,
                          nullptr),
          "creating the game key");
    const std::string folder = gameFolder() + "/";
    check(store.setValue(key, "Install Dir", reg::kSz,
                         reinterpret_cast<const std::uint8_t*>(folder.c_str()),
                         static_cast<std::uint32_t>(folder.size() + 1)),
          "storing the game folder");
    store.closeKey(key);
}

QtToolRig::~QtToolRig() {
    window_.reset();
    quenor_.reset();
}

std::filesystem::path QtToolRig::archivePath() const {
    return std::filesystem::path(gameFolder()) / "preload" / "fmisc.viv";
}

bool QtToolRig::start() {
    store_ = std::make_unique<reg::wine::WineFileStore>(root_.path() / "prefix");
    tool_ = std::make_unique<Tool>(PlatformServices{files_, clock_, format_, environment_, system_,
                                                    qtBoxes_, *store_, toolFolder(), "quenor"});
    quenor_ = std::make_unique<ui::Quenor>(*tool_);
    if (!quenor_->Form_Load()) return false;
    window_ = std::make_unique<QuenorWidget>(*quenor_, TwipScale(dotsPerInch_));
    qtBoxes_.setParentWindow(window_.get());
    window_->showCentred();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get())) {
        throw std::runtime_error("the window did not become active");
    }
    return true;
}

std::vector<std::string> QtToolRig::logMessages() const {
    const std::string content = quenor::testing::readFileOrMissing(toolFolder() + "/quenor.log");
    std::vector<std::string> messages;
    if (content == "<missing>") return messages;
    const std::string stampEnd = std::string(quenor::testing::kFixedStamp) + "     ";
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find("\r\n", pos);
        std::string line = content.substr(pos, end == std::string::npos ? end : end - pos);
        if (line.rfind(stampEnd, 0) == 0) line.erase(0, stampEnd.size());
        if (end == std::string::npos) {
            messages.push_back(line + "<no CR LF>");
            break;
        }
        messages.push_back(line);
        pos = end + 2;
    }
    return messages;
}

bool QtToolRig::logExists() const {
    return std::filesystem::exists(toolFolder() + "/quenor.log");
}

std::string QtToolRig::archiveEntry(std::string_view name) const {
    viv::ArchiveReader reader(viv::posixFileIo(), archivePath());
    const std::vector<std::uint8_t> plain = reader.readPlain(reader.require(name));
    return {plain.begin(), plain.end()};
}

std::optional<std::string> QtToolRig::registryValue(reg::Handle root, std::string_view path,
                                                    std::string_view name) const {
    reg::wine::WineFileStore store(root_.path() / "prefix");
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
    if (type == reg::kSz && size > 0) {
        return std::string(reinterpret_cast<const char*>(data), size - 1);
    }
    return "<type " + std::to_string(type) + ">";
}

}  // namespace quenor::ui::qt::testing
