#include "tool/originals/kept_originals.h"

#include <system_error>

#include "lib/base/ascii.h"
#include "lib/digest/sha256.h"

namespace quenor::originals {

namespace {

constexpr std::uint64_t kLargestRecord = 1u << 20;

std::string readText(files::FileIo& io, const std::filesystem::path& file) {
    const std::vector<std::uint8_t> bytes = files::readWholeFile(io, file, kLargestRecord);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

constexpr const char* kSetFolderPrefix = "archive-";

std::string installationFolderName(const std::string& archiveKey) {
    digest::Sha256 sha;
    sha.update({reinterpret_cast<const std::uint8_t*>(archiveKey.data()), archiveKey.size()});
    return kSetFolderPrefix + digest::hex(sha.finish()).substr(0, 16);
}

std::string earlierInstallationFolderName(const std::string& archiveToolPath) {
    return installationFolderName(base::asciiLowered(archiveToolPath));
}

bool isInstallationFolderName(const std::string& name) {
    const std::string prefix = kSetFolderPrefix;
    return name.size() == prefix.size() + 16 && name.rfind(prefix, 0) == 0 &&
           name.find_first_not_of("0123456789abcdef", prefix.size()) == std::string::npos;
}

KeptOriginals::KeptOriginals(files::FileIo& io, const std::filesystem::path& platformFolder,
                             const std::string& archiveKey)
    : io_(&io), folder_(platformFolder / installationFolderName(archiveKey)) {}

std::optional<OriginalsRecord> KeptOriginals::record() const {
    if (io_->kind(recordFile()) == files::FileKind::kMissing) return std::nullopt;
    try {
        return parseOriginals(readText(*io_, recordFile()));
    } catch (const files::FileIoError& error) {
        throw OriginalsError(std::string(error.what()));
    } catch (const RecordError& error) {
        throw OriginalsError("The record of the originals " + recordFile().string() +
                             " cannot be read: " + error.what() + ".");
    }
}

void KeptOriginals::saveRecord(const OriginalsRecord& record) {
    saveText(recordFile(), originalsText(record));
}

std::optional<WrittenRecord> KeptOriginals::written() const {
    if (io_->kind(writtenFile()) == files::FileKind::kMissing) return std::nullopt;
    try {
        return parseWritten(readText(*io_, writtenFile()));
    } catch (const files::FileIoError& error) {
        throw OriginalsError(std::string(error.what()));
    } catch (const RecordError& error) {
        throw OriginalsError("The record of Quenor's last change " + writtenFile().string() +
                             " cannot be read: " + error.what() + ".");
    }
}

void KeptOriginals::saveWritten(const WrittenRecord& record) {
    saveText(writtenFile(), writtenText(record));
}

void KeptOriginals::saveText(const std::filesystem::path& file, const std::string& text) {
    makeFolder();
    try {
        // Readable by every account that shares the prefix, writable by their owner only: a
        // restore acts on what they say.
        files::writeFileAtomically(
            *io_, file, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, 0644);
    } catch (const files::FileIoError& error) {
        throw OriginalsError(std::string(error.what()));
    }
}

void KeptOriginals::removeLeftovers() {
    for (const std::filesystem::path& file : {recordFile(), writtenFile(), archiveCopy()})
        files::removeLeftoverSiblings(*io_, file);
}

void KeptOriginals::forget() {
    try {
        // The record goes first: without it, what is left is no longer taken for originals.
        io_->remove(recordFile());
        io_->remove(writtenFile());
        io_->remove(archiveCopy());
        io_->remove(files::temporarySibling(archiveCopy()));
        removeLeftovers();
        io_->syncFolder(folder_);
    } catch (const files::FileIoError& error) {
        throw OriginalsError(std::string(error.what()));
    }
    io_->removeEmptyFolder(folder_);  // only when nothing else lies there
}

void KeptOriginals::makeFolder() {
    try {
        io_->createFolders(folder_);
    } catch (const files::FileIoError& error) {
        throw OriginalsError("The folder " + folder_.string() +
                             " cannot be made: " + error.reason() + ".");
    }
}

}  // namespace quenor::originals
