#pragma once

#include <ostream>

#include "app/quenor_viv/command_line.h"
#include "lib/files/file_io.h"

namespace quenor::vivtool {

// The five commands. Each writes its report to `out` and returns the exit status; failures
// throw viv::ArchiveError (a sentence naming the file, the entry and the cause) after making
// sure nothing was left half-written.
int listCommand(const CommandLine& line, std::ostream& out, files::FileIo& io);
int extractCommand(const CommandLine& line, std::ostream& out, files::FileIo& io);
int addCommand(const CommandLine& line, std::ostream& out, files::FileIo& io);
// Defects go to `err`; returns 1 when there is one.
int verifyCommand(const CommandLine& line, std::ostream& out, std::ostream& err, files::FileIo& io);
int createCommand(const CommandLine& line, std::ostream& out, files::FileIo& io);

}  // namespace quenor::vivtool
