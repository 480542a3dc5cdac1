// Fuzz target over the archive reader and the entry update: any input either opens or is
// refused with an ArchiveError; an archive that opens can be updated, and an update that
// reports success reads back with its new entry and every other entry as it was.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "lib/files/file_error.h"
#include "lib/files/testing/memory_file_io.h"
#include "lib/viv/archive_edit.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const char* const kPath = "/fuzz/fmisc.viv";

struct Entry {
    std::string name;
    std::optional<Bytes> plain;  // nothing when the entry cannot be read
};

std::vector<Entry> readEverything(quenor::files::MemoryFileIo& io) {
    quenor::viv::ArchiveReader reader(io, kPath);
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < reader.directory().entries.size(); ++i) {
        Entry entry{reader.directory().entries[i].name, std::nullopt};
        try {
            reader.info(i);
            entry.plain = reader.readPlain(i);
        } catch (const quenor::viv::ArchiveError&) {
            // A damaged entry is refused; the others are still read.
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quenor::files::MemoryFileIo io;
    io.put(kPath, Bytes(data, data + size));
    std::vector<Entry> before;
    std::string name = "sgsm3.cfg";
    std::optional<std::size_t> replaced;
    try {
        before = readEverything(io);
        quenor::viv::ArchiveReader reader(io, kPath);
        if (!before.empty() && !before.back().name.empty()) name = before.back().name;
        replaced = reader.directory().find(name);
    } catch (const quenor::viv::ArchiveError&) {
        return 0;
    }

    const Bytes content = {'V', 'S', 'Y', 'N', 'C', ' ', '=', ' ', '1'};
    try {
        quenor::viv::putEntry(io, kPath, name, content);
    } catch (const quenor::viv::ArchiveError&) {
        return 0;  // e.g. the name is not storable or the archive would pass its size limit
    }
    // An update that reported success reads back: the new content under the name, and every
    // other entry with its name and content as they were.
    std::vector<Entry> after = readEverything(io);
    if (!replaced) before.push_back({name, std::nullopt});
    const std::size_t changed = replaced ? *replaced : before.size() - 1;
    if (after.size() != before.size()) __builtin_trap();
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i].name != before[i].name) __builtin_trap();
        if (i == changed) {
            if (after[i].plain != content) __builtin_trap();
        } else if (before[i].plain && after[i].plain != before[i].plain) {
            __builtin_trap();
        }
    }
    return 0;
}
