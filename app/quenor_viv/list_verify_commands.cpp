// quenor-viv list and verify: reading an archive without changing it.
#include <string>

#include "app/quenor_viv/viv_commands.h"
#include "lib/files/file_error.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_layout.h"
#include "lib/viv/archive_reader.h"

namespace quenor::vivtool {
namespace {

std::string formName(refpack::RefPackForm form) {
    static const char* const kHex = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned>(form);
    return std::string{kHex[byte >> 4], kHex[byte & 15]} + "FB";
}

}  // namespace

int listCommand(const CommandLine& line, std::ostream& out, files::FileIo& io) {
    viv::ArchiveReader reader(io, line.archive);
    const std::size_t count = reader.directory().entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        viv::EntryInfo info;
        try {
            info = reader.info(i);
        } catch (const files::FileIoError& error) {
            throw viv::ArchiveError(reader.describeEntry(i) + " cannot be read: " + error.what());
        }
        out << info.name << '\t' << info.storedSize << '\t' << info.plainSize << '\t'
            << (info.compression ? "compressed " + formName(*info.compression) : "uncompressed")
            << '\n';
    }
    return 0;
}

int verifyCommand(const CommandLine& line, std::ostream& out, std::ostream& err,
                  files::FileIo& io) {
    viv::ArchiveReader reader(io, line.archive);
    const viv::ArchiveDirectory& dir = reader.directory();
    std::size_t defects = 0;
    std::size_t compressed = 0;
    for (std::size_t i = 0; i < dir.entries.size(); ++i) {
        try {
            if (reader.info(i).compression) ++compressed;
            // Reads every byte and decodes compressed entries; the content itself is not kept.
            reader.streamPlain(i, [](std::span<const std::uint8_t>) {});
        } catch (const viv::ArchiveError& error) {
            ++defects;
            err << reader.describeEntry(i) << ": " << error.what() << '\n';
        } catch (const files::FileIoError& error) {
            ++defects;
            err << reader.describeEntry(i) << ": " << error.what() << '\n';
        }
    }
    if (dir.format != viv::ArchiveFormat::kC0FB && dir.sizeField != reader.fileSize()) {
        // Games ignore this field, so it is worth a note but not a defect.
        out << "Note: the archive size field says " << dir.sizeField << " bytes, the file has "
            << reader.fileSize() << ".\n";
    }
    // Odd but readable layouts are kept by every update: notes, not defects.
    for (const std::string& note : viv::layoutNotes(dir, reader.fileSize())) {
        out << "Note: " << note << '\n';
    }
    if (defects > 0) {
        err << "Archive " << line.archive << ": " << defects << " of " << dir.entries.size()
            << " entries are damaged.\n";
        return 1;
    }
    out << "Archive " << line.archive << " is sound: " << formatName(dir.format) << ", "
        << dir.entries.size() << (dir.entries.size() == 1 ? " entry (" : " entries (") << compressed
        << " compressed), " << reader.fileSize() << " bytes.\n";
    return 0;
}

}  // namespace quenor::vivtool
