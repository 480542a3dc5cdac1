#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lib/viv/big_archive.h"

namespace quenor::vivtool {

enum class Command { kList, kExtract, kAdd, kVerify, kCreate };

// One parsed quenor-viv command line.
struct CommandLine {
    std::optional<Command> command;  // unset for "quenor-viv --help"
    bool help = false;
    bool version = false;  // "quenor-viv --version"
    std::string archive;
    std::vector<std::string> operands;     // entry names (extract) or files (add, create)
    std::string outputDir = ".";           // extract -o
    std::optional<std::string> entryName;  // add --name
    viv::ArchiveFormat format = viv::ArchiveFormat::kBigF;  // create --format
    bool compress = false;                                  // create --compress
    bool force = false;                                     // create --force
};

// A command line that cannot be run; the message says what is wrong with it.
class UsageError : public std::runtime_error {
  public:
    UsageError(const std::string& message, std::optional<Command> command)
        : std::runtime_error(message), command_(command) {}
    std::optional<Command> command() const { return command_; }

  private:
    std::optional<Command> command_;
};

// Parses the arguments after the program name. Options may come before, between or after
// the operands; "--" ends the options. Throws UsageError.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string_view commandName(Command command);
// The --help text of one command, or of the program when command is unset.
std::string helpText(std::optional<Command> command);

}  // namespace quenor::vivtool
