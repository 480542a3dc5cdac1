#include "tool/originals/originals_places.h"

#include <system_error>

namespace quenor::originals {

namespace {

KeptOriginals currentOf(PlatformServices& services, const std::string& archiveToolPath) {
    return KeptOriginals(services.files.fileIo(), services.originalsFolder,
                         services.files.identityPath(archiveToolPath));
}

// The folder an earlier version used: the prefix as it was reached, the archive path as the
// game's registry spells it. Nothing when that is this version's folder.
std::optional<KeptOriginals> olderOf(PlatformServices& services,
                                     const std::string& archiveToolPath,
                                     const KeptOriginals& current) {
    const std::filesystem::path platform = services.olderOriginalsFolder.empty()
                                               ? services.originalsFolder
                                               : services.olderOriginalsFolder;
    KeptOriginals older(services.files.fileIo(), platform, archiveToolPath);
    if (older.folder() == current.folder() || !older.holdsRecord()) return std::nullopt;
    return older;
}

}  // namespace

OriginalsPlace findOriginals(PlatformServices& services, const std::string& archiveToolPath) {
    KeptOriginals current = currentOf(services, archiveToolPath);
    std::optional<KeptOriginals> older = olderOf(services, archiveToolPath, current);
    if (older && !current.holdsRecord()) return {*older, std::nullopt};
    return {current, older};
}

OriginalsPlace takeOverOriginals(PlatformServices& services, const std::string& archiveToolPath) {
    KeptOriginals current = currentOf(services, archiveToolPath);
    std::optional<KeptOriginals> older = olderOf(services, archiveToolPath, current);
    if (!older || current.holdsRecord()) return {current, older};
    // Without a record, what lies in this version's folder (a copy a stopped run left) is
    // nobody's originals: it makes room for the set that moves in.
    std::error_code error;
    std::filesystem::remove_all(current.folder(), error);
    std::filesystem::create_directories(current.folder().parent_path(), error);
    std::filesystem::rename(older->folder(), current.folder(), error);
    if (error) {
        throw OriginalsError("The originals kept in " + older->folder().string() +
                             " cannot be moved to " + current.folder().string() + ": " +
                             error.message() + ".");
    }
    current.io().syncFolder(current.folder().parent_path());
    return {current, std::nullopt};
}

}  // namespace quenor::originals
