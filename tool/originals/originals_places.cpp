#include "tool/originals/originals_places.h"

#include <system_error>

#include "lib/digest/sha256.h"

namespace quenor::originals {

namespace {

KeptOriginals currentOf(PlatformServices& services, const std::string& archiveToolPath) {
    return KeptOriginals(services.files.io(), services.originalsFolder,
                         services.files.identityPath(archiveToolPath));
}

// Every set of the installation: this version's first, then those where earlier versions put
// them (the archive named as the game's registry spells it).
std::vector<KeptOriginals> setsOf(PlatformServices& services, const std::string& archiveToolPath,
                                  const KeptOriginals& current) {
    std::vector<KeptOriginals> sets;
    if (current.holdsRecord()) sets.push_back(current);
    for (const std::filesystem::path& platform : services.earlierOriginalsFolders) {
        KeptOriginals earlier(services.files.io(), platform, archiveToolPath);
        std::error_code error;
        const bool same = earlier.folder() == current.folder() ||
                          std::filesystem::equivalent(earlier.folder(), current.folder(), error);
        if (!same && earlier.holdsRecord()) sets.push_back(earlier);
    }
    return sets;
}

// Copies a file of a set into the other set's folder, replacing it in one step.
void copyInto(files::FileIo& io, const std::filesystem::path& from,
              const std::filesystem::path& to) {
    const std::filesystem::path partial = files::temporarySibling(to);
    io.copyContent(from, partial, files::CopyEnd::kSynced);
    io.rename(partial, to);
}

// Moves a set: the archive's copy (checked against its record), the note of the last change,
// and the record last, which makes it a set; then the old folder goes.
void moveSet(KeptOriginals& from, KeptOriginals& to) {
    files::FileIo& io = to.io();
    const std::optional<OriginalsRecord> record = from.record();
    if (!record) return;
    try {
        to.makeFolder();
        if (record->archive) {
            copyInto(io, from.archiveCopy(), to.archiveCopy());
            if (digest::fileSha256(io, to.archiveCopy()) != record->archive->sha256) {
                io.remove(to.archiveCopy());
                throw OriginalsError("The copy of the archive kept in " + from.folder().string() +
                                     " is damaged: it is not what was kept.");
            }
        }
        if (const auto written = from.written()) to.saveWritten(*written);
        to.saveRecord(*record);
        from.forget();
    } catch (const files::FileIoError& failure) {
        throw OriginalsError("The originals kept in " + from.folder().string() +
                             " cannot be moved to " + to.folder().string() + ": " + failure.what());
    }
}

}  // namespace

OriginalsPlace findOriginals(PlatformServices& services, const std::string& archiveToolPath) {
    KeptOriginals current = currentOf(services, archiveToolPath);
    std::vector<KeptOriginals> sets = setsOf(services, archiveToolPath, current);
    if (sets.empty()) return {current, {}};
    OriginalsPlace place{sets.front(), {}};
    place.others.assign(sets.begin() + 1, sets.end());
    return place;
}

OriginalsPlace takeOverOriginals(PlatformServices& services, const std::string& archiveToolPath) {
    KeptOriginals current = currentOf(services, archiveToolPath);
    std::vector<KeptOriginals> sets = setsOf(services, archiveToolPath, current);
    if (sets.size() == 1 && !current.holdsRecord()) {
        // Without a record, what lies in this version's folder (a copy a stopped run left) is
        // nobody's originals: the set that moves in replaces it.
        moveSet(sets.front(), current);
        return {current, {}};
    }
    return findOriginals(services, archiveToolPath);
}

std::string describeSet(const KeptOriginals& kept) {
    std::string taken = "taken at an unknown time";
    try {
        const std::optional<OriginalsRecord> record = kept.record();
        if (record && record->archive)
            taken = "taken " + record->archive->taken;
        else if (record && record->registry)
            taken = "taken " + record->registry->taken;
    } catch (const OriginalsError&) {
        // Named without its time.
    }
    return kept.folder().string() + " (" + taken + ")";
}

}  // namespace quenor::originals
