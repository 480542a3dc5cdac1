// quenor-viv extract: writing entries' plain content to files below an output folder.
#include <set>
#include <string>

#include "app/quenor_viv/extraction_path.h"
#include "app/quenor_viv/viv_commands.h"
#include "lib/files/file_error.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"

namespace quenor::vivtool {
namespace {

struct Job {
    std::size_t index;
    std::filesystem::path destination;
    std::filesystem::path temp;
};

// The entries to write: the named ones, or every entry a loader can reach (an earlier entry
// whose name a later one repeats is skipped, as loaders use the last).
std::vector<std::size_t> chosenEntries(const CommandLine& line, const viv::ArchiveReader& reader,
                                       std::ostream& out) {
    const viv::ArchiveDirectory& dir = reader.directory();
    std::vector<std::size_t> chosen;
    std::set<std::size_t> seen;
    if (line.operands.empty()) {
        for (std::size_t i = 0; i < dir.entries.size(); ++i) {
            if (dir.find(dir.entries[i].name) == i) {
                chosen.push_back(i);
            } else {
                out << "skipped " << reader.describeEntry(i)
                    << ": a later entry of the same name replaces it\n";
            }
        }
        return chosen;
    }
    for (const std::string& name : line.operands) {
        std::size_t index = reader.require(name);
        if (seen.insert(index).second) chosen.push_back(index);
    }
    return chosen;
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

// Creates the folders a destination needs, remembering the ones it made (FileIoError names
// one that cannot be made).
void makeFolders(files::FileIo& io, const std::filesystem::path& folder,
                 std::vector<std::filesystem::path>& made) {
    if (folder.empty() || io.kind(folder) == files::FileKind::kFolder) return;
    makeFolders(io, folder.parent_path(), made);
    io.createFolders(folder);
    made.push_back(folder);
}

class Extraction {
  public:
    Extraction(files::FileIo& io, viv::ArchiveReader& reader) : io_(io), reader_(reader) {}

    // Writes every job to its temporary file, then renames them all into place; on failure
    // removes what it wrote and the folders it made.
    void run(const std::vector<Job>& jobs) {
        try {
            for (const Job& job : jobs) write(job);
            for (const Job& job : jobs) {
                io_.rename(job.temp, job.destination);
                ++renamed_;
            }
        } catch (...) {
            cleanUp(jobs);
            throw;
        }
    }

  private:
    void write(const Job& job) {
        makeFolders(io_, job.destination.parent_path(), folders_);
        const std::uint32_t permissions =
            io_.exists(job.destination) ? io_.permissions(job.destination) : 0644;
        auto file = io_.open(job.temp, files::OpenMode::kCreate, permissions);
        ++written_;
        std::uint64_t at = 0;
        try {
            reader_.streamPlain(job.index, [&](std::span<const std::uint8_t> piece) {
                file->writeAt(at, piece);
                at += piece.size();
            });
        } catch (const files::FileIoError& error) {
            throw viv::ArchiveError(reader_.describeEntry(job.index) +
                                    " could not be extracted: " + error.what());
        }
        file->sync();
    }

    void cleanUp(const std::vector<Job>& jobs) {
        for (std::size_t i = renamed_; i < written_; ++i) {
            try {
                io_.remove(jobs[i].temp);
            } catch (const files::FileIoError&) {
                // The first failure is the one to report.
            }
        }
        // Files already renamed into place stay (they are whole); only empty folders go.
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) io_.removeEmptyFolder(*it);
    }

    files::FileIo& io_;
    viv::ArchiveReader& reader_;
    std::vector<std::filesystem::path> folders_;
    std::size_t written_ = 0;
    std::size_t renamed_ = 0;
};

}  // namespace

int extractCommand(const CommandLine& line, std::ostream& out, files::FileIo& io) {
    viv::ArchiveReader reader(io, line.archive);
    const std::filesystem::path folder = line.outputDir;
    std::vector<Job> jobs;
    std::set<std::filesystem::path> destinations;
    for (std::size_t index : chosenEntries(line, reader, out)) {
        const std::string& name = reader.directory().entries[index].name;
        std::filesystem::path relative;
        try {
            relative = extractionPath(name);
        } catch (const UnsafeEntryName& error) {
            throw viv::ArchiveError(
                reader.describeEntry(index) + " was not extracted: " + error.what() +
                ", which would write outside " + folder.string() + ". Nothing was extracted.");
        }
        Job job{index, folder / relative, {}};
        job.temp = files::temporarySibling(job.destination);
        if (!destinations.insert(relative).second) {
            throw viv::ArchiveError(reader.describeEntry(index) + " would be written to " +
                                    job.destination.string() +
                                    ", as another entry is; name the entries to extract "
                                    "one at a time. Nothing was extracted.");
        }
        if (sameFile(job.destination, line.archive)) {
            throw viv::ArchiveError(reader.describeEntry(index) + " would overwrite the archive " +
                                    "itself; extract into another folder with -o. Nothing was "
                                    "extracted.");
        }
        jobs.push_back(std::move(job));
    }
    for (const Job& job : jobs) {
        // A temporary file must not land on another entry's destination.
        if (destinations.count(job.temp.lexically_relative(folder)) != 0) {
            throw viv::ArchiveError("Archive " + line.archive + ": entry names " +
                                    job.destination.string() + " and " + job.temp.string() +
                                    " cannot be extracted together; name the entries to extract "
                                    "one at a time. Nothing was extracted.");
        }
    }
    try {
        Extraction(io, reader).run(jobs);
    } catch (const files::FileIoError& error) {
        throw viv::ArchiveError("Archive " + line.archive +
                                ": nothing was extracted: " + error.what());
    }
    for (const Job& job : jobs) {
        out << reader.directory().entries[job.index].name << " -> " << job.destination.string()
            << '\n';
    }
    return 0;
}

}  // namespace quenor::vivtool
