// Crash-safe replacement and addition of entries.
#include "lib/viv/archive_edit.h"

#include <algorithm>
#include <string>

#include "lib/files/file_error.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"
#include "lib/viv/free_space.h"

namespace quenor::viv {
namespace {

constexpr std::size_t kCopyChunk = 1u << 20;
constexpr std::uint64_t kSizeFieldOffset = 4;

std::uint64_t roundUp(std::uint64_t value, std::uint64_t step) {
    return (value + step - 1) / step * step;
}

// The bytes to store for the entry: compressed in `form` when set.
std::vector<std::uint8_t> storedForm(const std::string& where, std::span<const std::uint8_t> plain,
                                     std::optional<refpack::RefPackForm> form) {
    if (!form) return {plain.begin(), plain.end()};
    try {
        return refpack::refPackEncode(plain, *form);
    } catch (const refpack::RefPackError& error) {
        throw ArchiveError(where +
                           " is stored compressed and the new content cannot be "
                           "compressed in the same form: " +
                           error.what());
    }
}

void checkFits(const std::string& where, const ArchiveDirectory& dir, std::uint64_t end,
               std::uint64_t storedSize) {
    std::uint64_t limit = addressLimit(dir.format);
    if (end > limit || storedSize > limit) {
        throw ArchiveError(where + " cannot be stored: the archive would reach byte " +
                           std::to_string(end) + ", past the " + std::to_string(limit) +
                           " bytes a " + std::string(formatName(dir.format)) +
                           " archive can address.");
    }
}

// Reads the archive at `path` again and checks that it holds exactly what was written: the
// directory `expected` (every entry's name, offset and size) and, for the entry at `target`,
// the bytes `stored`. Throws ArchiveError naming the first difference.
void verifyWritten(files::FileIo& io, const std::filesystem::path& path, const std::string& where,
                   const ArchiveDirectory& expected, std::size_t target,
                   std::span<const std::uint8_t> stored) {
    auto differs = [&](const std::string& what) {
        return ArchiveError(where + " was written, but the archive " + path.string() +
                            " does not read back as written: " + what +
                            ". Check the disk, then run quenor-viv verify on the archive.");
    };
    std::optional<ArchiveReader> written;
    try {
        written.emplace(io, path);
    } catch (const ArchiveError& error) {
        throw differs(error.what());
    } catch (const files::FileIoError& error) {
        throw differs(error.what());
    }
    const auto& entries = written->directory().entries;
    if (entries.size() != expected.entries.size()) {
        throw differs("it has " + std::to_string(entries.size()) + " entries instead of " +
                      std::to_string(expected.entries.size()));
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ArchiveEntry& now = entries[i];
        const ArchiveEntry& meant = expected.entries[i];
        if (now.name != meant.name || now.offset != meant.offset ||
            now.storedSize != meant.storedSize) {
            throw differs("entry " + std::to_string(i + 1) + " is \"" + now.name + "\" at byte " +
                          std::to_string(now.offset) + ", " + std::to_string(now.storedSize) +
                          " bytes, instead of \"" + meant.name + "\" at byte " +
                          std::to_string(meant.offset) + ", " + std::to_string(meant.storedSize) +
                          " bytes");
        }
    }
    std::vector<std::uint8_t> readBack;
    try {
        readBack = written->readStored(target);
    } catch (const files::FileIoError& error) {
        throw differs(error.what());
    }
    if (!std::equal(readBack.begin(), readBack.end(), stored.begin(), stored.end())) {
        throw differs("the data of entry " + std::to_string(target + 1) +
                      " is not what was written");
    }
}

class EntryUpdate {
  public:
    EntryUpdate(files::FileIo& io, const std::filesystem::path& path, std::string_view name,
                std::span<const std::uint8_t> plain)
        : io_(io), path_(path), name_(name), plain_(plain) {}

    UpdateResult run() {
        checkEntryName(path_.string(), name_);
        std::unique_ptr<files::FileHandle> file;
        try {
            file = io_.open(path_, files::OpenMode::kReadWrite);
        } catch (const files::FileIoError& error) {
            throw ArchiveError("Archive " + path_.string() +
                               " cannot be opened for writing: " + error.what());
        }
        reader_.emplace(std::move(file), path_.string());
        const ArchiveDirectory& dir = reader_->directory();
        std::optional<std::size_t> index = dir.find(name_);
        if (!index) return rewrite(std::nullopt);

        result_.index = *index;
        where_ = reader_->describeEntry(*index);
        if (dir.entries[*index].dataSize() > 0) {
            if (auto info = reader_->info(*index); info.compression) {
                result_.compression = info.compression;
            }
        }
        stored_ = storedForm(where_, plain_, result_.compression);
        result_.storedSize = stored_.size();
        const ArchiveEntry& entry = dir.entries[*index];
        std::size_t locationLength = encodeLocation(dir.format, 0, 0).size();
        if (!withinOnePage(entry.recordOffset, locationLength)) return rewrite(index);
        return replaceInPlace(*index);
    }

  private:
    UpdateResult replaceInPlace(std::size_t index) {
        const ArchiveDirectory& dir = reader_->directory();
        const ArchiveEntry& entry = dir.entries[index];
        files::FileHandle& file = reader_->file();
        const std::uint64_t oldSize = reader_->fileSize();

        std::uint64_t start;
        if (stored_.empty()) {
            start = std::min<std::uint64_t>(entry.offset, oldSize);
        } else {
            // The old data stays in the used set: it must survive until the commit.
            start = findPlace(usedRanges(dir), dir.reservedEnd(), stored_.size(), dir.alignment);
        }
        const std::uint64_t end = start + stored_.size();
        checkFits(where_, dir, end, stored_.size());
        const std::uint64_t newSize = std::max(oldSize, end);
        const bool hasSizeField = dir.format != ArchiveFormat::kC0FB;
        const bool writeSizeField = hasSizeField && dir.sizeField != newSize;

        try {
            file.writeAt(start, stored_);
            if (writeSizeField) {
                file.writeAt(
                    kSizeFieldOffset,
                    encodeSizeField(dir.sizeFieldOrder, static_cast<std::uint32_t>(newSize)));
            }
            file.sync();
        } catch (const files::FileIoError& error) {
            rollBack(file, oldSize, writeSizeField);
            throw ArchiveError(where_ +
                               " could not be replaced; the archive still holds the old "
                               "content: " +
                               error.what());
        }
        try {
            file.writeAt(entry.recordOffset,
                         encodeLocation(dir.format, static_cast<std::uint32_t>(start),
                                        static_cast<std::uint32_t>(stored_.size())));
            file.sync();
        } catch (const files::FileIoError& error) {
            throw ArchiveError(where_ +
                               " was being replaced when writing failed; the archive "
                               "holds either the old or the new content of the entry: " +
                               error.what());
        }
        ArchiveDirectory expected = dir;
        expected.entries[index].offset = static_cast<std::uint32_t>(start);
        expected.entries[index].storedSize = static_cast<std::uint32_t>(stored_.size());
        verifyWritten(io_, path_, where_, expected, index, stored_);
        result_.method = UpdateMethod::kInPlace;
        return result_;
    }

    // Undoes what a failed in-place update wrote outside the data of every entry, as far as
    // the file still lets us. Whatever remains is unused space, which readers ignore.
    void rollBack(files::FileHandle& file, std::uint64_t oldSize, bool sizeFieldWritten) {
        try {
            if (sizeFieldWritten) {
                const ArchiveDirectory& dir = reader_->directory();
                file.writeAt(kSizeFieldOffset, encodeSizeField(dir.sizeFieldOrder, dir.sizeField));
            }
            if (file.size() > oldSize) file.truncate(oldSize);
            file.sync();
        } catch (const files::FileIoError&) {
            // The first failure is the one to report; the archive is consistent either way.
        }
    }

    // Where the parts of a rewritten archive go.
    struct RewriteLayout {
        std::uint64_t oldDataStart = 0;  // the block that moves: old first data byte...
        std::uint64_t oldDataEnd = 0;    // ...to the old end of the file
        std::uint64_t shift = 0;         // how far it moves up
        std::uint64_t dataStart = 0;     // where it starts now
        std::uint64_t start = 0;         // where the entry's new data goes
        std::uint64_t newSize = 0;       // the new file's length
    };

    UpdateResult rewrite(std::optional<std::size_t> replaced) {
        ArchiveDirectory dir = reader_->directory();
        if (!replaced) addNewEntry(dir);
        const std::size_t target = result_.index;
        layOutRecords(dir);
        const RewriteLayout layout = layOutRewrite(dir, target);
        std::vector<std::uint8_t> prefix;
        try {
            prefix = serializeDirectory(dir, layout.newSize, layout.dataStart);
        } catch (const ArchiveError& error) {
            throw ArchiveError(where_ + " cannot be stored: " + error.what());
        }
        const std::filesystem::path temp = files::temporarySibling(path_);
        writeNewVersion(temp, prefix, layout);
        // The new version must read back as it was meant before it replaces the archive.
        try {
            verifyWritten(io_, temp, where_, dir, target, stored_);
        } catch (const ArchiveError& error) {
            removeQuietly(temp);
            throw ArchiveError(std::string(error.what()) + " The archive was left unchanged.");
        }
        replaceArchive(temp);
        verifyWritten(io_, path_, where_, dir, target, stored_);
        result_.method = UpdateMethod::kRewritten;
        return result_;
    }

    // A name the archive does not hold yet: a record at the end of the directory.
    void addNewEntry(ArchiveDirectory& dir) {
        checkFits("Archive " + path_.string() + ": new entry " + name_, dir, 0, plain_.size());
        dir.entries.push_back(ArchiveEntry{name_, 0, 0, 0});
        result_.index = dir.entries.size() - 1;
        result_.added = true;
        where_ = "Archive " + path_.string() + ": new entry " + std::to_string(result_.index + 1) +
                 " (" + name_ + ")";
        stored_.assign(plain_.begin(), plain_.end());
        result_.storedSize = stored_.size();
    }

    // Everything from the first data byte to the end of the file moves as one block, up by a
    // multiple of the alignment when the directory grows into it: entry data, bytes no entry
    // names, and empty entries that point between or after the data keep their places
    // relative to each other. Empty entries that point into the header or the directory stay
    // where they point. Sets the offsets and sizes in `dir` to match.
    RewriteLayout layOutRewrite(ArchiveDirectory& dir, std::size_t target) {
        const ArchiveDirectory& oldDir = reader_->directory();
        RewriteLayout layout;
        std::vector<ByteRange> oldUsed = usedRanges(oldDir);
        layout.oldDataStart = oldUsed.empty() ? oldDir.reservedEnd() : oldUsed.front().begin;
        layout.oldDataEnd = std::max(layout.oldDataStart, reader_->fileSize());
        if (dir.reservedEnd() > layout.oldDataStart) {
            layout.shift = roundUp(dir.reservedEnd() - layout.oldDataStart, dir.alignment);
        }
        for (std::size_t i = 0; i < oldDir.entries.size(); ++i) {
            if (dir.entries[i].offset >= layout.oldDataStart)
                dir.entries[i].offset += static_cast<std::uint32_t>(layout.shift);
        }
        layout.dataStart = layout.oldDataStart + layout.shift;
        layout.start = stored_.empty() ? layout.dataStart
                                       : findPlace(usedRanges(dir, target), dir.reservedEnd(),
                                                   stored_.size(), dir.alignment);
        layout.newSize = std::max(layout.oldDataEnd + layout.shift, layout.start + stored_.size());
        for (std::size_t i = 0; i < dir.entries.size(); ++i) {
            if (i != target && !dir.entries[i].isEmptyMarker()) {
                layout.newSize = std::max(layout.newSize, dir.entries[i].dataEnd());
            }
        }
        checkFits(where_, dir, layout.newSize, stored_.size());
        dir.entries[target].offset = static_cast<std::uint32_t>(layout.start);
        dir.entries[target].storedSize = static_cast<std::uint32_t>(stored_.size());
        // An entry marked empty points at the end of the archive, wherever that now is.
        for (ArchiveEntry& entry : dir.entries) {
            if (entry.isEmptyMarker()) entry.offset = static_cast<std::uint32_t>(layout.newSize);
        }
        return layout;
    }

    // The new version beside the archive: header and directory, the moved block, the entry.
    void writeNewVersion(const std::filesystem::path& temp, const std::vector<std::uint8_t>& prefix,
                         const RewriteLayout& layout) {
        try {
            std::uint32_t permissions = io_.permissions(path_);
            auto out = io_.open(temp, files::OpenMode::kCreate, permissions);
            out->writeAt(0, prefix);
            copyRange(reader_->file(), *out, layout.oldDataStart,
                      layout.oldDataEnd - layout.oldDataStart, layout.shift);
            if (layout.newSize > out->size()) out->truncate(layout.newSize);
            out->writeAt(layout.start, stored_);
            out->sync();
        } catch (const files::FileIoError& error) {
            removeQuietly(temp);
            throw ArchiveError(where_ +
                               " could not be written; the archive is unchanged: " + error.what());
        }
    }

    void replaceArchive(const std::filesystem::path& temp) {
        // The old archive is closed before the new one replaces it: Windows refuses to
        // replace a file that is still open.
        reader_.reset();
        try {
            io_.rename(temp, path_);
        } catch (const files::FileIoError& error) {
            removeQuietly(temp);
            throw ArchiveError(where_ +
                               " could not be written; replacing the archive by its "
                               "new version failed, so it holds either the old or the new "
                               "content: " +
                               error.what());
        }
    }

    static void copyRange(files::FileHandle& from, files::FileHandle& to, std::uint64_t begin,
                          std::uint64_t length, std::uint64_t shift) {
        std::vector<std::uint8_t> buffer(
            static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, length)));
        for (std::uint64_t done = 0; done < length;) {
            std::size_t piece =
                static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, length - done));
            std::span<std::uint8_t> chunk(buffer.data(), piece);
            from.readAt(begin + done, chunk);
            to.writeAt(begin + done + shift, chunk);
            done += piece;
        }
    }

    void removeQuietly(const std::filesystem::path& temp) {
        try {
            io_.remove(temp);
        } catch (const files::FileIoError&) {
            // Left behind; the next update of this archive replaces it.
        }
    }

    files::FileIo& io_;
    std::filesystem::path path_;
    std::string name_;
    std::span<const std::uint8_t> plain_;
    std::optional<ArchiveReader> reader_;
    std::vector<std::uint8_t> stored_;
    std::string where_;
    UpdateResult result_;
};

}  // namespace

void checkEntryName(const std::string& archive, std::string_view name) {
    std::string problem;
    if (name.empty()) problem = "the name is empty";
    if (name.size() > kMaxNameLength) {
        problem = "the name is " + std::to_string(name.size()) + " bytes long, more than the " +
                  std::to_string(kMaxNameLength) + " an archive allows";
    }
    if (name.find('\0') != std::string_view::npos) problem = "the name contains a NUL byte";
    if (!problem.empty()) {
        throw ArchiveError("Archive " + archive + ": cannot store an entry named \"" +
                           std::string(name.substr(0, 80)) + "\": " + problem + ".");
    }
}

UpdateResult putEntry(files::FileIo& io, const std::filesystem::path& archive,
                      std::string_view name, std::span<const std::uint8_t> plain) {
    return EntryUpdate(io, archive, name, plain).run();
}

}  // namespace quenor::viv
