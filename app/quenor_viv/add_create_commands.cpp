// quenor-viv add and create: storing files in an existing or a new archive.
#include <algorithm>
#include <string>

#include "app/quenor_viv/viv_commands.h"
#include "lib/base/ascii.h"
#include "lib/files/file_error.h"
#include "lib/viv/archive_create.h"
#include "lib/viv/archive_edit.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"
#include "lib/viv/viv_operations.h"

namespace quenor::vivtool {
namespace {

constexpr std::size_t kCopyChunk = 1u << 20;

// Removes a file left behind by a failed command; the first failure is the one to report.
void removeQuietly(files::FileIo& io, const std::filesystem::path& path) {
    try {
        io.remove(path);
    } catch (const files::FileIoError&) {
    }
}

struct Source {
    std::filesystem::path file;
    std::string entryName;
};

// The entry names of the files, checked before anything is written: each name must be
// storable, each file readable, and no two files may claim the same entry.
std::vector<Source> checkedSources(const CommandLine& line, files::FileIo& io,
                                   const std::string& doing) {
    std::vector<Source> sources;
    for (const std::string& file : line.operands) {
        Source source{file,
                      line.entryName.value_or(std::filesystem::path(file).filename().string())};
        viv::checkEntryName(line.archive, source.entryName);
        try {
            io.open(source.file, files::OpenMode::kRead);
        } catch (const files::FileIoError& error) {
            throw viv::ArchiveError("Archive " + line.archive + " " + doing + ": " + error.what());
        }
        for (const Source& earlier : sources) {
            if (base::equalsIgnoringAsciiCase(earlier.entryName, source.entryName)) {
                throw viv::ArchiveError("Archive " + line.archive + " " + doing + ": " +
                                        earlier.file.string() + " and " + source.file.string() +
                                        " would both be stored as entry " + source.entryName +
                                        "; give them different file names.");
            }
        }
        sources.push_back(std::move(source));
    }
    return sources;
}

void copyFile(files::FileHandle& from, files::FileHandle& to) {
    const std::uint64_t size = from.size();
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, size)));
    for (std::uint64_t done = 0; done < size;) {
        const auto piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, size - done));
        std::span<std::uint8_t> chunk(buffer.data(), piece);
        from.readAt(done, chunk);
        to.writeAt(done, chunk);
        done += piece;
    }
    to.sync();
}

void reportUpdate(std::ostream& out, const Source& source, const viv::UpdateResult& result) {
    out << (result.added ? "added" : "replaced") << " entry " << result.index + 1 << " ("
        << source.entryName << ") from " << source.file.string() << ": " << result.storedSize
        << " bytes stored" << (result.compression ? ", compressed" : "") << '\n';
}

// Several files go into a copy of the archive that replaces it once all are in, so that a
// failure part-way leaves the archive exactly as it was.
std::vector<viv::UpdateResult> addAllOrNothing(const CommandLine& line, files::FileIo& io,
                                               const std::vector<Source>& sources) {
    const std::filesystem::path archive = line.archive;
    const std::filesystem::path copy = files::temporarySibling(archive);
    std::vector<viv::UpdateResult> results;
    try {
        {
            auto from = io.open(archive, files::OpenMode::kRead);
            auto to = io.open(copy, files::OpenMode::kCreate, io.permissions(archive));
            copyFile(*from, *to);
        }
        for (const Source& source : sources) {
            // Messages from the copy name it; the user knows the archive.
            auto namingTheArchive = [&](const std::exception& error) {
                std::string message = error.what();
                const std::string copyName = copy.string();
                for (std::size_t at; (at = message.find(copyName)) != std::string::npos;) {
                    message.replace(at, copyName.size(), line.archive);
                }
                return viv::ArchiveError(message);
            };
            try {
                results.push_back(viv::addFile(copy, source.file, io, source.entryName));
            } catch (const viv::ArchiveError& error) {
                throw namingTheArchive(error);
            } catch (const files::FileIoError& error) {
                throw namingTheArchive(error);
            }
        }
        io.rename(copy, archive);
    } catch (const files::FileIoError& error) {
        removeQuietly(io, copy);
        throw viv::ArchiveError("Archive " + line.archive +
                                " was not changed; adding the files failed: " + error.what());
    } catch (const viv::ArchiveError&) {
        removeQuietly(io, copy);
        throw;
    }
    return results;
}

}  // namespace

int addCommand(const CommandLine& line, std::ostream& out, files::FileIo& io) {
    const std::vector<Source> sources = checkedSources(line, io, "was not changed");
    {
        // Opening reads and checks the directory, so a damaged archive is refused up front;
        // it is closed again before the change (Windows renames no open file).
        const viv::ArchiveReader checked(io, line.archive);
    }
    std::vector<viv::UpdateResult> results;
    if (sources.size() == 1) {
        results.push_back(viv::addFile(line.archive, sources[0].file, io, sources[0].entryName));
    } else {
        results = addAllOrNothing(line, io, sources);
    }
    for (std::size_t i = 0; i < sources.size(); ++i) reportUpdate(out, sources[i], results[i]);
    return 0;
}

int createCommand(const CommandLine& line, std::ostream& out, files::FileIo& io) {
    if (!line.force && io.exists(line.archive)) {
        throw viv::ArchiveError("Archive " + line.archive +
                                " was not created: a file of that name exists. Choose another "
                                "name, or add --force to replace it.");
    }
    const std::vector<Source> sources = checkedSources(line, io, "was not created");
    std::vector<viv::NewEntry> entries;
    for (const Source& source : sources) {
        try {
            entries.push_back(
                {source.entryName, files::readWholeFile(io, source.file, viv::kMaxPlainSize)});
        } catch (const files::FileIoError& error) {
            throw viv::ArchiveError("Archive " + line.archive +
                                    " was not created: " + error.what());
        }
    }
    viv::CreateOptions options;
    options.format = line.format;
    options.compress = line.compress;
    options.sizeFieldOrder = viv::ByteOrder::kBig;
    viv::createArchive(io, line.archive, options, entries);
    out << "created " << line.archive << ": " << formatName(line.format) << ", " << entries.size()
        << (entries.size() == 1 ? " entry" : " entries") << (line.compress ? ", compressed" : "")
        << '\n';
    return 0;
}

}  // namespace quenor::vivtool
