// Fuzz target over the archive reader and the entry update: any input either opens or is
// refused with an ArchiveError; an archive that opens can be updated and reads back.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lib/files/testing/memory_file_io.h"
#include "lib/viv/archive_edit.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"

namespace {

const char* const kPath = "/fuzz/fmisc.viv";

void readEverything(quenor::files::MemoryFileIo& io) {
    quenor::viv::ArchiveReader reader(io, kPath);
    for (std::size_t i = 0; i < reader.directory().entries.size(); ++i) {
        try {
            reader.info(i);
            reader.readPlain(i);
        } catch (const quenor::viv::ArchiveError&) {
            // A damaged entry is refused; the others are still read.
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quenor::files::MemoryFileIo io;
    io.put(kPath, std::vector<std::uint8_t>(data, data + size));
    std::string name = "sgsm3.cfg";
    try {
        readEverything(io);
        quenor::viv::ArchiveReader reader(io, kPath);
        if (!reader.directory().entries.empty() &&
            !reader.directory().entries.back().name.empty()) {
            name = reader.directory().entries.back().name;
        }
    } catch (const quenor::viv::ArchiveError&) {
        return 0;
    }

    const std::vector<std::uint8_t> content = {'V', 'S', 'Y', 'N', 'C', ' ', '=', ' ', '1'};
    try {
        quenor::viv::putEntry(io, kPath, name, content);
    } catch (const quenor::viv::ArchiveError&) {
        return 0;  // e.g. the name is not storable or the archive would pass its size limit
    }
    // An update that reported success must read back.
    quenor::viv::ArchiveReader after(io, kPath);
    if (after.readPlain(after.require(name)) != content) __builtin_trap();
    return 0;
}
