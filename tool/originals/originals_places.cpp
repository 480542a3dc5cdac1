#include "tool/originals/originals_places.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "lib/base/ascii.h"
#include "lib/digest/sha256.h"
#include "lib/viv/archive_error.h"
#include "tool/originals/archive_state.h"

namespace quenor::originals {

namespace {

// The folders sets are kept in: this version's, then those of earlier versions.
std::vector<std::filesystem::path> setFolders(const PlatformServices& services) {
    std::vector<std::filesystem::path> folders{services.originalsFolder};
    for (const std::filesystem::path& earlier : services.earlierOriginalsFolders) {
        if (std::find(folders.begin(), folders.end(), earlier) == folders.end())
            folders.push_back(earlier);
    }
    return folders;
}

bool sameFolder(const KeptOriginals& a, const KeptOriginals& b) {
    std::error_code error;
    return a.folder() == b.folder() || std::filesystem::equivalent(a.folder(), b.folder(), error);
}

// When a set was taken: its archive's time, else its registry values'.
std::string takenOf(const OriginalsRecord& record) {
    if (record.archive) return record.archive->taken;
    return record.registry ? record.registry->taken : std::string();
}

// The versions of archives Quenor wrote, as the notes of every set list them: what a finished
// change left, and what a change that may have been cut off was about to write.
class VersionsWritten {
  public:
    explicit VersionsWritten(const std::vector<KeptOriginals>& sets) {
        for (const KeptOriginals& set : sets) {
            std::optional<WrittenRecord> note;
            try {
                note = set.written();
            } catch (const OriginalsError&) {
                continue;  // a note that cannot be read lists nothing
            }
            if (!note) continue;
            if (note->state == WrittenRecord::State::Written && !note->archiveSha256.empty())
                sha256_.emplace(note->archiveSha256, set);
            for (const std::string& sha : note->wrote) sha256_.emplace(sha, set);
            // The first digest of a change is the archive as the change found it.
            if (note->state == WrittenRecord::State::Changing && note->writing.size() > 1) {
                for (auto it = note->writing.begin() + 1; it != note->writing.end(); ++it)
                    contents_.emplace(*it, set);
            }
        }
    }

    // The set whose note lists the archive file at `path` (with its SHA-256 `sha`).
    std::optional<KeptOriginals> listing(files::FileIo& io, const std::filesystem::path& path,
                                         const std::string& sha) const {
        if (const auto found = sha256_.find(sha); found != sha256_.end()) return found->second;
        if (contents_.empty()) return std::nullopt;
        try {
            const ReachedArchive archive{"", path, path, &io};
            if (const auto found = contents_.find(archive.contentDigest());
                found != contents_.end())
                return found->second;
        } catch (const viv::ArchiveError&) {
        } catch (const files::FileIoError&) {
        }
        return std::nullopt;
    }

  private:
    std::map<std::string, KeptOriginals> sha256_;
    std::map<std::string, KeptOriginals> contents_;
};

// A set found for the archive, with its record (nothing when it cannot be read).
struct Found {
    KeptOriginals set;
    std::optional<OriginalsRecord> record;
    std::string unreadable;  // why the record cannot be read
};

// The sets of the archive whose identity is `identity`: this version's own, those named after
// the tool path as earlier versions named them, and every set whose record names an archive
// of that identity.
std::vector<Found> setsOfArchive(PlatformServices& services, const std::string& toolPath,
                                 const std::string& identity, const KeptOriginals& own) {
    files::FileIo& io = services.files.io();
    const std::string ownName = installationFolderName(identity);
    const std::string earlierName = earlierInstallationFolderName(toolPath);
    std::vector<Found> found;
    for (const std::filesystem::path& folder : setFolders(services)) {
        for (const std::string& name : io.namesIn(folder)) {
            if (!isInstallationFolderName(name)) continue;
            KeptOriginals set(io, folder / name);
            if (!set.holdsRecord()) continue;
            const bool named = name == ownName || name == earlierName;
            try {
                std::optional<OriginalsRecord> record = set.record();
                const bool ofArchive =
                    record && record->archive &&
                    services.files.identityPath(record->archive->toolPath) == identity;
                if (named || ofArchive) found.push_back({set, std::move(record), {}});
            } catch (const OriginalsError& error) {
                if (named) found.push_back({set, std::nullopt, error.what()});
            }
        }
    }
    // This version's own first, so that it is used among sets alike.
    std::stable_partition(found.begin(), found.end(),
                          [&](const Found& f) { return sameFolder(f.set, own); });
    return found;
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

// Whether a set's archive is one Quenor wrote.
bool holdsVersionWritten(const Found& f, const VersionsWritten& written) {
    if (!f.record || !f.record->archive) return false;
    return written.listing(f.set.io(), f.set.archiveCopy(), f.record->archive->sha256).has_value();
}

}  // namespace

std::vector<KeptOriginals> everySet(PlatformServices& services) {
    files::FileIo& io = services.files.io();
    std::vector<KeptOriginals> sets;
    for (const std::filesystem::path& folder : setFolders(services)) {
        for (const std::string& name : io.namesIn(folder)) {
            if (!isInstallationFolderName(name)) continue;
            KeptOriginals set(io, folder / name);
            if (set.holdsRecord()) sets.push_back(set);
        }
    }
    return sets;
}

OriginalsPlace findOriginals(PlatformServices& services, const std::string& archiveToolPath) {
    const std::string identity = services.files.identityPath(archiveToolPath);
    const KeptOriginals own(services.files.io(), services.originalsFolder, identity);
    std::vector<Found> sets = setsOfArchive(services, archiveToolPath, identity, own);
    if (sets.empty()) return {own, {}};
    const VersionsWritten written(everySet(services));
    // The oldest set readable and not holding a version Quenor wrote; else the oldest readable;
    // else the first.
    const auto best = [&](bool requireOriginal) {
        std::optional<std::size_t> chosen;
        for (std::size_t i = 0; i < sets.size(); ++i) {
            if (!sets[i].record || (requireOriginal && holdsVersionWritten(sets[i], written)))
                continue;
            if (!chosen || takenOf(*sets[i].record) < takenOf(*sets[*chosen].record)) chosen = i;
        }
        return chosen;
    };
    const std::size_t chosen = best(true).value_or(best(false).value_or(0));
    OriginalsPlace place{sets[chosen].set, {}};
    for (std::size_t i = 0; i < sets.size(); ++i) {
        if (i == chosen) continue;
        std::string why = "taken later than the one used";
        if (sets[i].record && sets[chosen].record &&
            takenOf(*sets[i].record) == takenOf(*sets[chosen].record))
            why = "taken at the same time as the one used";
        if (!sets[i].record) {
            why = "its record cannot be read: " + sets[i].unreadable;
        } else if (holdsVersionWritten(sets[i], written)) {
            why = "its archive is one Quenor wrote";
        }
        place.others.push_back({sets[i].set, why});
    }
    return place;
}

OriginalsPlace takeOverOriginals(PlatformServices& services, const std::string& archiveToolPath) {
    OriginalsPlace place = findOriginals(services, archiveToolPath);
    KeptOriginals own(services.files.io(), services.originalsFolder,
                      services.files.identityPath(archiveToolPath));
    // A set in this version's folder is used where it lies, whatever its name.
    const bool inOwnFolder = place.kept.folder().parent_path() == services.originalsFolder;
    if (inOwnFolder || own.holdsRecord() || !place.kept.holdsRecord()) return place;
    // Without a record, what lies in this version's folder (a copy a stopped run left) is
    // nobody's originals: the set that moves in replaces it.
    moveSet(place.kept, own);
    place.kept = own;
    return place;
}

std::optional<KeptOriginals> setThatWroteArchive(PlatformServices& services,
                                                 const std::string& archiveToolPath) {
    const std::optional<ReachedArchive> archive = reachArchive(services.files, archiveToolPath);
    if (!archive || !archive->exists()) return std::nullopt;
    try {
        return VersionsWritten(everySet(services))
            .listing(*archive->io, archive->path, archive->sha256());
    } catch (const files::FileIoError&) {
        return std::nullopt;  // an archive that cannot be read is the change's to report
    }
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
