#include "tool/testing/fake_installation.h"

#include <stdexcept>

#include "core/testing/temp_folder.h"
#include "lib/files/file_io.h"
#include "lib/viv/archive_create.h"
#include "lib/viv/archive_reader.h"
#include "tool/testing/demo_configs.h"

namespace quenor::testing {

namespace {

// A text as a registry file quotes it: "\" doubled.
std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

std::string systemRegText(const FakeInstallationOptions& options, const std::string& installDir) {
    const std::string arch = options.win64 ? "win64" : "win32";
    std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n"
        "#arch=" +
        arch + "\n\n";
    if (options.gameInstalled) {
        text += std::string("[Software\\\\") + (options.win64 ? "Wow6432Node\\\\" : "") +
                "EA Sports\\\\NHL 09] 1733500000\n#time=1db48a1c0000000\n\"Install Dir\"=\"" +
                escaped(installDir) + "\"\n\"Language\"=\"en\"\n\n";
    }
    text +=
        "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1733500000\n"
        "\"CurrentVersion\"=\"6.1\"\n";
    if (options.win64) text += "\n[Software\\\\Wow6432Node\\\\Microsoft] 1733500000\n";
    return text;
}

std::string userRegText(const FakeInstallationOptions& options) {
    return std::string(
               "WINE REGISTRY Version 2\n;; All keys relative to "
               "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=") +
           (options.win64 ? "win64" : "win32") +
           "\n\n[Control Panel\\\\Desktop] 1733500000\n\"Wallpaper\"=\"\"\n";
}

}  // namespace

std::string demoConfig(int frame) {
    if (frame < 1 || frame > 4)
        throw std::out_of_range("no demo config of frame " + std::to_string(frame));
    return std::string(kDemoConfigs[frame - 1]);
}

int demoConfigLineCount(int frame) {
    const std::string text = demoConfig(frame);
    int lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2))
        ++lines;
    return lines;
}

void writeDemoArchive(const std::filesystem::path& archive, const std::vector<int>& frames) {
    std::vector<viv::NewEntry> entries;
    entries.push_back({"sgsm.cfg", {'x', '\r', '\n'}});
    for (const int frame : frames) {
        const std::string text = demoConfig(frame);
        entries.push_back({"sgsm" + std::to_string(frame) + ".cfg", {text.begin(), text.end()}});
    }
    viv::CreateOptions create;
    create.sizeFieldOrder = viv::ByteOrder::kBig;
    std::filesystem::create_directories(archive.parent_path());
    viv::createArchive(files::systemFileIo(), archive, create, entries);
}

std::string archiveEntry(const std::filesystem::path& archive, std::string_view name) {
    viv::ArchiveReader reader(files::systemFileIo(), archive);
    const std::vector<std::uint8_t> plain = reader.readPlain(reader.require(name));
    return {plain.begin(), plain.end()};
}

std::string demoConfigWith(int frame,
                           const std::vector<std::pair<std::string, std::string>>& values) {
    std::string text = demoConfig(frame);
    for (const auto& [key, value] : values) {
        const std::size_t start = text.find("\n" + key + " ");
        if (start == std::string::npos) throw std::out_of_range("no line " + key);
        const std::size_t end = text.find("\r\n", start);
        text.replace(start + 1, end - start - 1, key + " " + value);
    }
    return text;
}

FakeInstallation::FakeInstallation(std::filesystem::path prefix, FakeInstallationOptions options)
    : prefix_(std::move(prefix)), options_(std::move(options)) {
    make();
}

FakeInstallation::FakeInstallation(FakeInstallationOptions options)
    : ownFolder_(std::make_unique<TempFolder>()), options_(std::move(options)) {
    prefix_ = ownFolder_->path() / "prefix";
    make();
}

FakeInstallation::~FakeInstallation() = default;

void FakeInstallation::make() {
    std::filesystem::create_directories(prefix_ / "dosdevices");
    std::filesystem::create_directories(prefix_ / "drive_c");
    std::error_code noLinks;  // a Windows build may not make links; its runs use host paths
    std::filesystem::create_directory_symlink("../drive_c", prefix_ / "dosdevices" / "c:", noLinks);
    installDir_ = options_.installDir.empty() ? gameFolder().string() + "/" : options_.installDir;
    writeFileBytes(prefix_ / "system.reg", systemRegText(options_, installDir_));
    writeFileBytes(prefix_ / "user.reg", userRegText(options_));
    if (options_.gameInstalled) writeDemoArchive(archive(), options_.framesInArchive);
}

std::filesystem::path FakeInstallation::gameFolder() const {
    return prefix_ / "drive_c" / std::filesystem::path(options_.gameFolderBelowDriveC);
}

std::filesystem::path FakeInstallation::archive() const {
    return gameFolder() / "preload" / "fmisc.viv";
}

std::string FakeInstallation::entry(std::string_view name) const {
    return archiveEntry(archive(), name);
}

std::string FakeInstallation::systemReg() const {
    return readFileOrMissing(prefix_ / "system.reg");
}

std::string FakeInstallation::userReg() const {
    return readFileOrMissing(prefix_ / "user.reg");
}

}  // namespace quenor::testing
