// Dispatching a quenor-viv command line and turning failures into messages and exit codes.
#include "app/quenor_viv/run_viv.h"

#include <new>

#include "app/quenor_viv/command_line.h"
#include "app/quenor_viv/viv_commands.h"
#include "app/version/quenor_version.h"
#include "lib/files/file_error.h"
#include "lib/viv/archive_error.h"

namespace quenor::vivtool {
namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

int runCommand(const CommandLine& line, std::ostream& out, std::ostream& err, files::FileIo& io) {
    switch (*line.command) {
        case Command::kList:
            return listCommand(line, out, io);
        case Command::kExtract:
            return extractCommand(line, out, io);
        case Command::kAdd:
            return addCommand(line, out, io);
        case Command::kVerify:
            return verifyCommand(line, out, err, io);
        case Command::kCreate:
            return createCommand(line, out, io);
    }
    return kFailed;
}

}  // namespace

int runViv(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           files::FileIo& io) {
    CommandLine line;
    try {
        line = parseCommandLine(args);
    } catch (const UsageError& error) {
        err << "quenor-viv: " << error.what() << ".\n";
        if (error.command()) {
            err << "Run 'quenor-viv " << commandName(*error.command()) << " --help' for usage.\n";
        } else {
            err << helpText(std::nullopt);
        }
        return kUsage;
    }
    if (line.version) {
        out << "quenor-viv " << QUENOR_VERSION << '\n';
        return 0;
    }
    if (line.help) {
        out << helpText(line.command);
        return 0;
    }
    try {
        return runCommand(line, out, err, io);
    } catch (const viv::ArchiveError& error) {
        err << "quenor-viv: " << error.what() << '\n';
    } catch (const files::FileIoError& error) {
        err << "quenor-viv: " << error.what() << '\n';
    } catch (const std::bad_alloc&) {
        err << "quenor-viv: " << line.archive << ": not enough memory for the command.\n";
    } catch (const std::exception& error) {
        err << "quenor-viv: " << line.archive << ": " << error.what() << '\n';
    }
    return kFailed;
}

}  // namespace quenor::vivtool
