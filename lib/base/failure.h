#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace quenor {

// Why file or registry work did not get done, as a value the caller decides from: what kind of
// failure it was, the file it concerns, the system's words, and what stayed undone.
struct Failure {
    enum class Kind {
        kChangedOnDisk,  // another program changed the file since it was read; not written over
        kWineRunning,    // Wine holds the prefix's registry now and would write over the file
        kIo,             // the system refused a read or a write (a full disk, no permission)
        kUnreadable,     // the file's content is not what it should be (a broken registry file)
        kRefused,        // another change of the installation holds it
    };

    Kind kind = Kind::kIo;
    std::filesystem::path file;  // empty: no file in particular
    // The whole sentence of what happened, naming the file and the system's reason.
    std::string cause;
    // What stayed undone because of it (registry values, in their full key paths).
    std::vector<std::string> notSaved;

    // The sentence for a person: the cause and, when something stayed undone, the list of it.
    std::string describe() const;
};

// All the failures, one sentence after another.
std::string describeAll(const std::vector<Failure>& failures);

// A Failure thrown by work that has no value to return it in.
class FailureError : public std::runtime_error {
  public:
    explicit FailureError(Failure failure)
        : std::runtime_error(failure.describe()), failure_(std::move(failure)) {}

    const Failure& failure() const { return failure_; }

  private:
    Failure failure_;
};

}  // namespace quenor
