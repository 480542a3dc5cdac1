#include "tool/originals/keep_originals.h"

#include <cstdio>

#include "core/change_plan.h"
#include "core/operation_log.h"
#include "core/tool_error.h"
#include "lib/digest/sha256.h"
#include "lib/registry/store_values.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"
#include "tool/originals/archive_state.h"
#include "tool/originals/kept_originals.h"
#include "tool/originals/originals_places.h"

namespace quenor::originals {

namespace {

// The keys of HKEY_CURRENT_USER that Apply and Reset create when missing (parents first),
// and the values they write.
RegistryOriginal registryNow(reg::RegistryStore& store) {
    RegistryOriginal now;
    for (const std::string& path : registryKeysChangesMake())
        now.keys.push_back({path, reg::storeKeyExists(store, reg::kCurrentUser, path)});
    for (const PlannedDword& planned : registryValuesChangesWrite()) {
        ValueOriginal value{planned.keyPath, planned.name, std::nullopt, {}};
        if (auto found =
                reg::readStoreValue(store, reg::kCurrentUser, planned.keyPath, planned.name)) {
            value.type = found->type;
            value.data = std::move(found->data);
        }
        now.values.push_back(std::move(value));
    }
    return now;
}

// Copies the archive into the originals folder: beside the copy's place first, checked
// against the archive, then renamed into place.
ArchiveOriginal keepArchive(KeptOriginals& kept, const ReachedArchive& archive,
                            const std::string& taken) {
    files::FileIo& io = kept.io();
    kept.makeFolder();
    try {
        const std::string sha = digest::fileSha256(io, archive.path);
        const std::uint64_t size =
            putCheckedCopy(io, archive.path, kept.archiveCopy(), sha, [](const auto& partial) {
                return "The copy of the archive " + partial.string() +
                       " does not hold what the archive holds.";
            });
        return ArchiveOriginal{archive.toolPath, size, sha, taken};
    } catch (const files::FileIoError& failure) {
        throw OriginalsError(failure.what());
    }
}

[[noreturn]] void cannotKeep(Tool& tool, const std::string& reason) {
    writeFailureLog(tool, "Keeping the originals failed - " + reason);
    throw ToolError(error_number::kPathAccess, tool.services.programName,
                    "Nothing was changed: Quenor keeps what it changes as it was before its "
                    "first change, so that it can be undone, and could not. " +
                        reason + "\r\rCheck the free space and permissions there, then try again.");
}

// The originals are kept, but the note that a change begins could not be written beside them.
[[noreturn]] void cannotNote(Tool& tool, const std::string& reason) {
    writeFailureLog(tool, "Noting the change failed - " + reason);
    throw ToolError(error_number::kPathAccess, tool.services.programName,
                    "Nothing was changed: the originals are kept, but Quenor notes each change "
                    "beside them before it writes the game, so that a restore can tell its own "
                    "changes from others', and could not. " +
                        reason + "\r\rCheck the free space and permissions there, then try again.");
}

// The versions of the archive Quenor wrote, as the notes of the sets of the archive list them.
std::vector<std::string> versionsNoted(const KeptOriginals& kept,
                                       const std::vector<KeptOriginals>& others) {
    WrittenRecord all;
    std::vector<KeptOriginals> sets{kept};
    sets.insert(sets.end(), others.begin(), others.end());
    for (const KeptOriginals& set : sets) {
        try {
            if (const auto note = set.written()) {
                for (const std::string& sha : note->wrote) all.noteWrote(sha);
                if (note->state == WrittenRecord::State::Written)
                    all.noteWrote(note->archiveSha256);
            }
        } catch (const OriginalsError&) {
            // A note that cannot be read is written anew.
        }
    }
    return all.wrote;
}

// What the archive holds (ReachedArchive::contentDigest); nothing when it is missing or does not
// read as an archive.
std::optional<std::string> contentOf(const std::optional<ReachedArchive>& archive) {
    if (!archive || !archive->exists()) return std::nullopt;
    try {
        return archive->contentDigest();
    } catch (const viv::ArchiveError&) {
    } catch (const files::FileIoError&) {
    }
    return std::nullopt;
}

// Saves the record of a set; when that fails, the copy of the archive made for it goes too, so
// that a set is whole or absent.
void saveRecordOrDropCopy(KeptOriginals& kept, const OriginalsRecord& record, bool copied) {
    try {
        kept.saveRecord(record);
    } catch (...) {
        if (copied) {
            try {
                kept.io().remove(kept.archiveCopy());
            } catch (const files::FileIoError&) {
                // A copy without a record is nobody's originals; the next change replaces it.
            }
        }
        throw;
    }
}

// An archive that is a version Quenor wrote is not the game as it was: keeping it would make
// a restore put Quenor's own change back.
void refuseArchiveQuenorWrote(Tool& tool, const std::string& archivePath) {
    const std::optional<KeptOriginals> writer = setThatWroteArchive(tool.services, archivePath);
    if (!writer) return;
    const std::string folder = writer->folder().string();
    writeFailureLog(tool, "Keeping the originals refused - the archive is one Quenor wrote, as " +
                              folder + " notes");
    throw ToolError(error_number::kPathAccess, tool.services.programName,
                    "Nothing was changed: the game archive " + archivePath +
                        " is a version Quenor wrote (the originals in " + folder +
                        " note it), not the game as it was, so Quenor cannot keep it as the "
                        "original. Put the game back as it was with \"quenorctl restore\" (on "
                        "the installation those originals are of), or drop them with "
                        "\"quenorctl restore --forget " +
                        folder + "\" to take this archive for the original, then try again.");
}

}  // namespace

std::string recordTime(const Clock& clock) {
    const LocalDateTime now = clock.now();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    return text;
}

ChangeOfInstallation::ChangeOfInstallation(Tool& tool) : tool_(tool) {
    PlatformServices& services = tool.services;
    // The change holds the lock every writer of the archive takes: copies others left are
    // those of killed changes.
    if (const auto archive = reachArchive(services.files, tool.settings.strFMISCpath))
        files::removeLeftoverSiblings(*archive->io, archive->path);
    if (services.originalsFolder.empty()) return;
    const std::string& archivePath = tool.settings.strFMISCpath;
    try {
        OriginalsPlace place = takeOverOriginals(services, archivePath);
        kept_ = std::make_unique<KeptOriginals>(place.kept);
        for (OriginalsPlace::Other& other : place.others) others_.push_back(other.set);
        kept_->removeLeftovers();
        OriginalsRecord record = kept_->record().value_or(OriginalsRecord{});
        const std::string now = recordTime(services.clock);
        // An archive that cannot be reached is left to the change itself, which reports it
        // as it always has: every change writes the archive first, so it writes nothing then,
        // and nothing is kept, so that no set holds a part of the originals.
        // An archive that does not read as one (damaged, cut short) is no original either: the
        // change stops at it, and a copy of it must never be put back over a repaired one.
        const std::optional<ReachedArchive> archive = reachArchive(services.files, archivePath);
        const std::optional<std::string> content = contentOf(archive);
        if (!content) {
            kept_.reset();
            others_.clear();
            return;
        }
        bool added = false;
        bool copied = false;
        if (!record.archive) {
            refuseArchiveQuenorWrote(tool, archivePath);
            record.archive = keepArchive(*kept_, *archive, now);
            added = copied = true;
        }
        if (!record.registry) {
            record.registry = registryNow(services.registry);
            record.registry->taken = now;
            added = true;
        }
        if (added) saveRecordOrDropCopy(*kept_, record, copied);
        written_ = {WrittenRecord::State::Changing,
                    archive->sha256(),
                    now,
                    {*content},
                    versionsNoted(*kept_, others_)};
        startSha256_ = written_.archiveSha256;
        try {
            noteWritten();
        } catch (const std::runtime_error& error) {  // OriginalsError, files::FileIoError
            cannotNote(tool, error.what());
        }
        tool.beforeArchiveChange = [this](const std::string& entry,
                                          const std::filesystem::path& source) {
            aboutToWrite(entry, source);
        };
    } catch (const OriginalsError& error) {
        cannotKeep(tool, error.what());
    } catch (const files::FileIoError& error) {
        cannotKeep(tool, error.what());
    }
}

void ChangeOfInstallation::noteWritten() {
    kept_->saveWritten(written_);
    for (KeptOriginals& other : others_) other.saveWritten(written_);
}

void ChangeOfInstallation::aboutToWrite(const std::string& entryName,
                                        const std::filesystem::path& source) {
    const auto archive = reachArchive(tool_.services.files, tool_.settings.strFMISCpath);
    if (!archive || !archive->exists()) return;  // the write itself reports it
    try {
        const std::vector<std::uint8_t> plain =
            files::readWholeFile(*archive->io, source, viv::kMaxPlainSize);
        written_.writing.push_back(archive->contentDigest(std::pair{entryName, plain}));
        noteWritten();
    } catch (const viv::ArchiveError&) {
        // Nothing to note of an archive that cannot be read: the write will say why.
    } catch (const std::runtime_error& error) {  // OriginalsError, files::FileIoError
        writeFailureLog(tool_, "Noting the change failed - " + std::string(error.what()));
        throw ToolError(error_number::kPathAccess, tool_.services.programName,
                        "Quenor stopped before writing " + entryName +
                            " into the game archive: it notes each write beside the originals "
                            "first, so that a restore can tell its own changes from others', "
                            "and could not. " +
                            error.what() + "\r\rCheck the free space and permissions there.");
    }
}

ChangeOfInstallation::~ChangeOfInstallation() {
    tool_.beforeArchiveChange = nullptr;
    if (!kept_) return;
    try {
        const auto archive = reachArchive(tool_.services.files, tool_.settings.strFMISCpath);
        written_ = {WrittenRecord::State::Written,
                    archive && archive->exists() ? archive->sha256() : "",
                    recordTime(tool_.services.clock),
                    {},
                    written_.wrote};
        // Only an archive the change made other than it found it is one Quenor wrote.
        if (written_.archiveSha256 != startSha256_) written_.noteWrote(written_.archiveSha256);
        noteWritten();
    } catch (const std::exception&) {
        // The change stays noted as begun (see the class).
    }
}

}  // namespace quenor::originals
