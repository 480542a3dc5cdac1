#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quenor::originals {

// What an installation held before Quenor first changed it, as kept in its originals folder.
// Each part is taken once, the first time the tool is about to change an installation that
// has it, and never replaced; a part the installation lacked then (an archive that was not
// there yet) is taken at a later change.

struct ArchiveOriginal {
    std::string toolPath;  // as the tool names it: "C:\Games\NHL 09\preload\fmisc.viv"
    std::uint64_t size = 0;
    std::string sha256;  // of the archive, and so of its kept copy
    std::string taken;   // local date and time, "2026-12-08 14:03:59"
};

// A key of HKEY_CURRENT_USER the tool may create.
struct KeyOriginal {
    std::string path;
    bool existed = false;
};

// A value the tool may write, with its type and bytes, or its absence.
struct ValueOriginal {
    std::string keyPath;
    std::string name;
    std::optional<std::uint32_t> type;  // none: the value was absent
    std::vector<std::uint8_t> data;

    bool present() const { return type.has_value(); }
};

struct RegistryOriginal {
    std::vector<KeyOriginal> keys;  // parents before their sub-keys
    std::vector<ValueOriginal> values;
    std::string taken;
};

struct OriginalsRecord {
    std::optional<ArchiveOriginal> archive;
    std::optional<RegistryOriginal> registry;
};

// What the archive held after the tool's last change, and whether that change finished.
struct WrittenRecord {
    enum class State {
        Changing,  // a change began and has not been noted as finished (it may have been cut off)
        Written,   // the tool's last change finished; archiveSha256 is what it left
        Restored,  // the originals were put back
    };
    State state = State::Changing;
    std::string archiveSha256;  // empty: there was no archive
    std::string when;
    // While Changing: the content digest (ReachedArchive::contentDigest) of the archive as the
    // change found it, then of each version it was about to put in place, in order, each noted
    // before it was written. A change cut off leaves one of them.
    std::vector<std::string> writing;
    // The SHA-256 of every archive a finished change of Quenor's left since the originals were
    // taken, oldest first (at most the last kMostVersionsNoted), whatever came after: an archive
    // that is one of them is Quenor's, never the game as it was.
    std::vector<std::string> wrote;

    // Notes `sha256` among the versions Quenor wrote.
    void noteWrote(const std::string& sha256);
};
inline constexpr std::size_t kMostVersionsNoted = 256;

// A record file that cannot be read: damaged, or not one of these records.
class RecordError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The records as the files hold them (JSON), and back; reading validates every field and
// throws RecordError naming the first fault.
std::string originalsText(const OriginalsRecord& record);
OriginalsRecord parseOriginals(std::string_view text);
std::string writtenText(const WrittenRecord& record);
WrittenRecord parseWritten(std::string_view text);

}  // namespace quenor::originals
