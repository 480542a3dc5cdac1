#include "tool/originals/restore_originals.h"

#include <algorithm>
#include <iterator>

#include "core/change_plan.h"
#include "core/installation_lock.h"
#include "core/registry_change.h"
#include "core/tool_error.h"
#include "lib/base/ascii.h"
#include "lib/digest/sha256.h"
#include "lib/registry/opened_key.h"
#include "lib/registry/store_values.h"
#include "lib/viv/archive_error.h"
#include "tool/originals/archive_state.h"
#include "tool/originals/keep_originals.h"
#include "tool/originals/kept_originals.h"
#include "tool/originals/originals_places.h"

namespace quenor::originals {

namespace {

std::string keyName(const std::string& path) {
    return "HKEY_CURRENT_USER\\" + path;
}

std::string valueName(const ValueOriginal& value) {
    return "\"" + value.name + "\" in " + keyName(value.keyPath);
}

bool matches(const ValueOriginal& kept, const std::optional<reg::RegValue>& now) {
    if (!kept.present()) return !now;
    return now && now->type == *kept.type && now->data == kept.data;
}

// A key the tool created that now holds values or keys of others is theirs: it stays.
bool createdKeyRemains(reg::RegistryStore& store, const KeyOriginal& key) {
    return !key.existed && reg::storeKeyExists(store, reg::kCurrentUser, key.path) &&
           reg::storeKeyIsEmpty(store, reg::kCurrentUser, key.path);
}

std::vector<std::string> registryDifferences(reg::RegistryStore& store,
                                             const RegistryOriginal& kept) {
    std::vector<std::string> differences;
    for (const ValueOriginal& value : kept.values) {
        const auto now = reg::readStoreValue(store, reg::kCurrentUser, value.keyPath, value.name);
        if (matches(value, now)) continue;
        differences.push_back(valueName(value) + (!value.present() ? " is set, and was absent"
                                                  : !now           ? " is absent, and was set"
                                                                   : " differs from the original"));
    }
    for (const KeyOriginal& key : kept.keys) {
        if (createdKeyRemains(store, key)) {
            differences.push_back("the key " + keyName(key.path) + " exists, and did not");
        } else if (key.existed && !reg::storeKeyExists(store, reg::kCurrentUser, key.path)) {
            differences.push_back("the key " + keyName(key.path) + " is gone");
        }
    }
    return differences;
}

ArchiveNow archiveStateNow(const OriginalsRecord& record,
                           const std::optional<WrittenRecord>& written,
                           const std::optional<ReachedArchive>& archive, std::string* sha) {
    if (!record.archive) return ArchiveNow::NotKept;
    if (!archive || !archive->exists()) return ArchiveNow::Missing;
    *sha = archive->sha256();
    if (*sha == record.archive->sha256) return ArchiveNow::Original;
    if (written && written->state == WrittenRecord::State::Changing) {
        // Cut off: the archive as the change found it, or what it noted it was writing.
        if (written->archiveSha256 == *sha) return ArchiveNow::ChangeCutOff;
        try {
            const std::string content = archive->contentDigest();
            for (const std::string& noted : written->writing)
                if (noted == content) return ArchiveNow::ChangeCutOff;
        } catch (const viv::ArchiveError&) {
            // An archive that cannot be read is no version Quenor wrote.
        }
        return ArchiveNow::ChangedByOthers;
    }
    if (written && written->archiveSha256 == *sha) return ArchiveNow::LastWritten;
    return ArchiveNow::ChangedByOthers;
}

void checkStatus(reg::Status status, const std::string& what) {
    if (status == reg::kSuccess) return;
    throw OriginalsError("The registry refused to " + what + " (error " + std::to_string(status) +
                         "). When Wine runs for the game's prefix, close it, then restore again.");
}

void restoreValue(reg::RegistryStore& store, const ValueOriginal& value,
                  std::vector<std::string>& done) {
    if (matches(value, reg::readStoreValue(store, reg::kCurrentUser, value.keyPath, value.name)))
        return;
    if (value.present()) {
        const auto key = reg::OpenedKey::create(store, reg::kCurrentUser, value.keyPath);
        checkStatus(key.status(), "open " + keyName(value.keyPath));
        checkStatus(store.setValue(key.handle(), value.name, *value.type, value.data.data(),
                                   static_cast<std::uint32_t>(value.data.size())),
                    "set " + valueName(value));
        done.push_back("Put back " + valueName(value) + " as it was.");
        return;
    }
    const auto key = reg::OpenedKey::open(store, reg::kCurrentUser, value.keyPath, reg::kSetValue);
    checkStatus(key.status(), "open " + keyName(value.keyPath));
    reg::Status status = store.deleteValue(key.handle(), value.name);
    if (status == reg::kFileNotFound) status = reg::kSuccess;
    checkStatus(status, "delete " + valueName(value));
    done.push_back("Deleted " + valueName(value) + ", which was not there before.");
}

void restoreRegistry(reg::RegistryStore& store, const RegistryOriginal& kept,
                     std::vector<std::string>& done) {
    for (const KeyOriginal& key : kept.keys) {
        if (key.existed && !reg::storeKeyExists(store, reg::kCurrentUser, key.path)) {
            checkStatus(reg::OpenedKey::create(store, reg::kCurrentUser, key.path).status(),
                        "make " + keyName(key.path) + " again");
            done.push_back("Made the key " + keyName(key.path) + " again.");
        }
    }
    for (const ValueOriginal& value : kept.values) restoreValue(store, value, done);
    // Sub-keys before their parents.
    for (auto key = kept.keys.rbegin(); key != kept.keys.rend(); ++key) {
        if (key->existed || !reg::storeKeyExists(store, reg::kCurrentUser, key->path)) continue;
        if (reg::storeKeyIsEmpty(store, reg::kCurrentUser, key->path)) {
            checkStatus(store.deleteKey(reg::kCurrentUser, key->path),
                        "delete " + keyName(key->path));
            done.push_back("Deleted the key " + keyName(key->path) + ", which Quenor had made.");
        } else {
            done.push_back("Kept the key " + keyName(key->path) +
                           ", which Quenor had made: it now holds values or keys of others.");
        }
    }
}

// Replaces the archive by the kept copy in one step, checking the copy on its way.
void restoreArchive(files::FileIo& io, const std::filesystem::path& copy,
                    const ReachedArchive& archive, const std::string& sha) {
    putCheckedCopy(io, copy, archive.path, sha, [](const auto& partial) {
        return "The copy written beside the archive, " + partial.string() +
               ", does not hold the original; the archive was left as it was.";
    });
}

std::string listOf(const OriginalsPlace& place) {
    std::string list = "\n  " + describeSet(place.kept);
    for (const OriginalsPlace::Other& other : place.others) list += "\n  " + describeSet(other.set);
    return list;
}

// A restore writes only what Quenor itself changes: the archive of the installation it runs on,
// "GFX Mode" and "OnPlay Player", and the keys on their way. A record that names anything else
// was edited or made for another installation, and is refused before anything is written.
void requireRecordOfThisInstallation(const PlatformServices& services,
                                     const OriginalsRecord& record, const std::string& archive,
                                     const KeptOriginals& kept) {
    std::string fault;
    // One archive, however the path to it is spelled.
    if (record.archive && services.files.identityPath(record.archive->toolPath) !=
                              services.files.identityPath(archive)) {
        fault = "it names the archive " + record.archive->toolPath + ", not this installation's " +
                archive;
    }
    if (record.registry) {
        const std::vector<PlannedDword> values = registryValuesChangesWrite();
        const std::vector<std::string> keys = registryKeysChangesMake();
        for (const ValueOriginal& value : record.registry->values) {
            const bool known =
                std::any_of(std::begin(values), std::end(values), [&](const PlannedDword& v) {
                    return base::equalsIgnoringAsciiCase(value.keyPath, v.keyPath) &&
                           base::equalsIgnoringAsciiCase(value.name, v.name);
                });
            if (!known)
                fault = "it names the value " + valueName(value) + ", which Quenor never writes";
        }
        for (const KeyOriginal& key : record.registry->keys) {
            const bool known = std::any_of(std::begin(keys), std::end(keys), [&](const auto& k) {
                return base::equalsIgnoringAsciiCase(key.path, k);
            });
            if (!known)
                fault = "it names the key " + keyName(key.path) + ", which Quenor never makes";
        }
    }
    if (fault.empty()) return;
    throw OriginalsError("The record of the originals in " + kept.folder().string() +
                         " is damaged or was not made for this installation: " + fault +
                         ". Nothing was changed. Drop it with \"quenorctl restore --forget\"; "
                         "the next change keeps new originals.");
}

}  // namespace

OriginalsState originalsState(PlatformServices& services, const std::string& archiveToolPath) {
    const OriginalsPlace place = findOriginals(services, archiveToolPath);
    const KeptOriginals& kept = place.kept;
    OriginalsState state;
    state.folder = kept.folder().string();
    for (const OriginalsPlace::Other& other : place.others)
        state.otherSets.push_back(describeSet(other.set) + ": not used, " + other.why);
    try {
        state.record = kept.record();
        if (!state.record) return state;
        state.written = kept.written();
        std::string sha;
        state.archive = archiveStateNow(*state.record, state.written,
                                        reachArchive(services.files, archiveToolPath), &sha);
        if (state.record->registry)
            state.registryDifferences =
                registryDifferences(services.registry, *state.record->registry);
    } catch (const OriginalsError& error) {
        state.error = error.what();
    } catch (const files::FileIoError& error) {
        state.error = error.what();
    }
    return state;
}

std::vector<std::string> differencesFromOriginals(PlatformServices& services,
                                                  const std::string& archiveToolPath) {
    const OriginalsState state = originalsState(services, archiveToolPath);
    if (!state.error.empty()) return {state.error};
    if (!state.record) return {"no originals are kept"};
    std::vector<std::string> differences = state.registryDifferences;
    if (state.archive == ArchiveNow::Missing) {
        differences.insert(differences.begin(), "the archive is missing");
    } else if (state.archive != ArchiveNow::Original && state.archive != ArchiveNow::NotKept) {
        differences.insert(differences.begin(), "the archive is not the original");
    }
    return differences;
}

namespace {

// The archive a restore puts back, and how it stands now; refuses, before anything changes,
// a kept copy that is not what was kept and an archive someone else changed (unless forced).
struct ArchiveToRestore {
    std::optional<ReachedArchive> archive;
    ArchiveNow now = ArchiveNow::NotKept;
};

ArchiveToRestore checkArchiveToRestore(PlatformServices& services, const KeptOriginals& kept,
                                       const OriginalsRecord& record,
                                       const std::optional<WrittenRecord>& written,
                                       const std::string& archiveToolPath, bool force) {
    files::FileIo& io = services.files.io();
    ArchiveToRestore result;
    if (!record.archive) return result;
    std::optional<ReachedArchive>& archive = result.archive;
    archive = reachArchive(services.files, archiveToolPath);
    if (!archive) {
        throw OriginalsError("The archive " + archiveToolPath +
                             " cannot be reached on this machine. Nothing was changed.");
    }
    if (!io.exists(kept.archiveCopy()) ||
        digest::fileSha256(io, kept.archiveCopy()) != record.archive->sha256) {
        throw OriginalsError("The kept copy of the archive, " + kept.archiveCopy().string() +
                             ", is missing or damaged: it is not what was kept. Nothing "
                             "was changed.");
    }
    std::string sha;
    const ArchiveNow now = archiveStateNow(record, written, archive, &sha);
    if ((now == ArchiveNow::ChangedByOthers || now == ArchiveNow::Missing) && !force) {
        throw OriginalsError(
            "The archive " + archive->host.string() +
            (now == ArchiveNow::Missing
                 ? " is missing: something other than Quenor removed it"
                 : " was changed by something other than Quenor since Quenor last wrote "
                   "it (a game update, a reinstall or another tool?)") +
            ", and restoring would undo that. Nothing was changed. Run \"quenorctl "
            "restore --force\" to put the originals back anyway, or \"quenorctl restore "
            "--forget\" to keep the game as it is and drop the originals.");
    }
    result.now = now;
    return result;
}

// Everything read back after a restore: the archive's checksum and every value and key.
void requireRestored(PlatformServices& services, const std::string& archiveToolPath) {
    const auto differences = differencesFromOriginals(services, archiveToolPath);
    if (differences.empty()) return;
    std::string list;
    for (const std::string& difference : differences) list += "; " + difference;
    throw OriginalsError("After the restore the installation still differs from its originals: " +
                         list.substr(2) + ". Run the restore again.");
}

// The versions Quenor wrote, as the note of its last change lists them: a restore keeps them.
std::vector<std::string> versionsWrote(const std::optional<WrittenRecord>& written) {
    if (!written) return {};
    WrittenRecord carried = *written;
    if (carried.state == WrittenRecord::State::Written) carried.noteWrote(carried.archiveSha256);
    return carried.wrote;
}

}  // namespace

std::vector<std::string> restoreOriginals(PlatformServices& services,
                                          const std::string& archiveToolPath, bool force) {
    files::FileIo& io = services.files.io();
    const InstallationLock lock(services, archiveToolPath, "");
    RegistryChange registryChange(services);
    OriginalsPlace place = takeOverOriginals(services, archiveToolPath);
    KeptOriginals& kept = place.kept;
    kept.removeLeftovers();
    if (const auto archive = reachArchive(services.files, archiveToolPath))
        files::removeLeftoverSiblings(io, archive->path);
    const std::optional<OriginalsRecord> record = kept.record();
    if (!record) {
        throw OriginalsError("Quenor keeps no originals of this installation (in " +
                             kept.folder().string() +
                             "): it has not changed it since it began to keep them, or they "
                             "were dropped. Nothing was changed.");
    }
    requireRecordOfThisInstallation(services, *record, archiveToolPath, kept);
    const std::optional<WrittenRecord> written = kept.written();
    std::vector<std::string> done;
    try {
        // Every check comes before the first change.
        const auto [archive, now] =
            checkArchiveToRestore(services, kept, *record, written, archiveToolPath, force);
        if (record->archive && now != ArchiveNow::Original) {
            restoreArchive(io, kept.archiveCopy(), *archive, record->archive->sha256);
            done.push_back("Put back the archive " + archive->host.string() + " as it was.");
        }
        if (record->registry) {
            restoreRegistry(services.registry, *record->registry, done);
            try {
                registryChange.commit();
            } catch (const ToolError& error) {
                throw OriginalsError(error.description() +
                                     " The restore stopped there; run it again to finish it.");
            }
        }

        requireRestored(services, archiveToolPath);
        try {
            kept.saveWritten({WrittenRecord::State::Restored,
                              record->archive ? record->archive->sha256 : "",
                              recordTime(services.clock),
                              {},
                              versionsWrote(written)});
        } catch (const OriginalsError& error) {
            // The installation is restored and read back; only the note of it is missing.
            done.push_back(std::string("The restore could not be noted: ") + error.what());
        }
    } catch (const files::FileIoError& error) {
        throw OriginalsError(std::string(error.what()) +
                             " The restore stopped there; run it again to finish it.");
    }
    if (done.empty()) done.push_back("The installation already was as it was before Quenor.");
    return done;
}

std::optional<std::string> forgetOriginals(PlatformServices& services,
                                           const std::string& archiveToolPath,
                                           const std::string& folder) {
    const InstallationLock lock(services, archiveToolPath, "");
    const OriginalsPlace place = findOriginals(services, archiveToolPath);
    std::vector<KeptOriginals> sets;
    if (place.kept.holdsRecord()) sets.push_back(place.kept);
    for (const OriginalsPlace::Other& other : place.others) sets.push_back(other.set);
    if (folder.empty() && sets.size() > 1) {
        throw OriginalsError("Quenor keeps " + std::to_string(sets.size()) +
                             " sets of originals of this installation:" + listOf(place) +
                             "\nNothing was dropped. Name the one to drop: \"quenorctl restore "
                             "--forget FOLDER\".");
    }
    const auto named = [&](const KeptOriginals& set) {
        std::error_code error;
        return folder.empty() || std::filesystem::equivalent(set.folder(), folder, error);
    };
    // A set named by its folder may be one of another archive of the prefix (one whose note
    // lists this installation's archive as a version Quenor wrote).
    if (!folder.empty()) {
        for (const KeptOriginals& other : everySet(services)) sets.push_back(other);
    }
    const auto chosen = std::find_if(sets.begin(), sets.end(), named);
    if (chosen == sets.end()) {
        throw OriginalsError(folder +
                             " holds none of the originals Quenor keeps of this "
                             "installation:" +
                             listOf(place) + "\nNothing was dropped.");
    }
    KeptOriginals kept = *chosen;
    if (!kept.io().exists(kept.folder())) return std::nullopt;
    kept.forget();
    return kept.folder().string();
}

}  // namespace quenor::originals
