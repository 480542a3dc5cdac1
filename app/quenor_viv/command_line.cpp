// Parsing quenor-viv's command line.
#include "app/quenor_viv/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>

namespace quenor::vivtool {
namespace {

struct CommandInfo {
    Command command;
    std::string_view name;
    bool takesFiles;  // FILE or NAME operands after ARCHIVE
    bool needsFiles;  // at least one of them
};

const std::array<CommandInfo, 5>& commandTable() {
    static const std::array<CommandInfo, 5> commands{{
        {Command::kList, "list", false, false},
        {Command::kExtract, "extract", true, false},
        {Command::kAdd, "add", true, true},
        {Command::kVerify, "verify", false, false},
        {Command::kCreate, "create", true, true},
    }};
    return commands;
}

const CommandInfo* findCommand(std::string_view name) {
    for (const CommandInfo& info : commandTable()) {
        if (info.name == name) return &info;
    }
    return nullptr;
}

// The command's syntax for CLI11: ARCHIVE, its operands and its options. The help texts stay
// the tool's own (helpText), so CLI11 prints none.
void describe(CLI::App& app, const CommandInfo& info, CommandLine& line, std::string& format) {
    app.set_help_flag();
    app.add_option("ARCHIVE", line.archive)->required();
    if (info.takesFiles) {
        CLI::Option* operands = app.add_option("FILE", line.operands);
        if (info.needsFiles) operands->required();
    }
    auto single = [](CLI::Option* option) {
        option->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    };
    if (info.command == Command::kExtract) single(app.add_option("-o,--output", line.outputDir));
    if (info.command == Command::kAdd) single(app.add_option("--name", line.entryName));
    if (info.command == Command::kCreate) {
        single(app.add_option("--format", format));
        app.add_flag("--compress", line.compress)->disable_flag_override();
        app.add_flag("--force", line.force)->disable_flag_override();
    }
}

// What CLI11 does not check itself.
void checkLine(const CommandInfo& info, CommandLine& line, const std::string& format) {
    auto fail = [&](const std::string& message) { throw UsageError(message, info.command); };
    const std::string cmd(info.name);
    if (line.archive.empty() || std::any_of(line.operands.begin(), line.operands.end(),
                                            [](auto& s) { return s.empty(); })) {
        fail("an empty name was given");
    }
    if (line.outputDir.empty()) fail("option --output needs a non-empty value");
    if (line.entryName && line.entryName->empty()) fail("option --name needs a non-empty value");
    if (line.entryName && line.operands.size() > 1) {
        fail("--name gives the entry name of one FILE, but " +
             std::to_string(line.operands.size()) + " FILEs were given");
    }
    if (!format.empty()) {
        auto parsed = viv::parseFormatName(format);
        if (!parsed)
            fail("unknown archive format \"" + format + "\" (use bigf, big4, bigh or c0fb)");
        line.format = *parsed;
    }
}

}  // namespace

std::string_view commandName(Command command) {
    for (const CommandInfo& info : commandTable()) {
        if (info.command == command) return info.name;
    }
    return "?";
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    if (args.empty()) throw UsageError("no command given", std::nullopt);
    const std::string& first = args.front();
    if (first == "--version") {
        line.version = true;
        return line;
    }
    if (first == "--help" || first == "-h" || first == "help") {
        line.help = true;
        if (first == "help" && args.size() > 1) {
            const CommandInfo* info = findCommand(args[1]);
            if (!info) throw UsageError("unknown command \"" + args[1] + "\"", std::nullopt);
            line.command = info->command;
        }
        return line;
    }
    const CommandInfo* info = findCommand(first);
    if (!info) throw UsageError("unknown command \"" + first + "\"", std::nullopt);
    line.command = info->command;
    // --help wins over anything else on the line, so it works on a half-typed command.
    for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            line.help = true;
            return line;
        }
    }
    CLI::App app("", "quenor-viv " + std::string(info->name));
    // The same syntax on every system: a path such as /games/x.viv is an argument, not a
    // Windows-style "/option".
    app.allow_windows_style_options(false);
    std::string format;
    describe(app, *info, line, format);
    std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        throw UsageError(error.what(), info->command);
    }
    checkLine(*info, line, format);
    return line;
}

std::string helpText(std::optional<Command> command) {
    if (!command) {
        return "Usage: quenor-viv COMMAND ARCHIVE [ARGUMENTS...]\n"
               "Reads and edits BIG-family game archives (.viv, .big).\n"
               "\n"
               "Commands:\n"
               "  list ARCHIVE                     show every entry\n"
               "  extract ARCHIVE [NAME...] [-o DIR]  write entries' content to files\n"
               "  add ARCHIVE FILE... [--name NAME]   replace or add entries\n"
               "  verify ARCHIVE                   check every entry and decode compressed ones\n"
               "  create ARCHIVE FILE... [--format F] [--compress] [--force]  a new archive\n"
               "\n"
               "Run 'quenor-viv COMMAND --help' for the details of a command;\n"
               "'quenor-viv --version' prints the version.\n"
               "Exit status: 0 success, 1 the command failed, 2 wrong usage.\n";
    }
    switch (*command) {
        case Command::kList:
            return "Usage: quenor-viv list ARCHIVE\n"
                   "Prints one line per entry in directory order: name, stored size, plain size\n"
                   "(the size once decoded) and whether it is stored RefPack-compressed.\n";
        case Command::kExtract:
            return "Usage: quenor-viv extract ARCHIVE [NAME...] [-o DIR]\n"
                   "Writes the plain (decoded) content of the named entries, or of every entry\n"
                   "when no NAME is given, to files in DIR (default: the current folder).\n"
                   "Names match without regard to letter case; where an archive holds a name\n"
                   "twice, the last entry is the one used. '\\' in entry names makes subfolders.\n"
                   "Entry names that would leave DIR (.., absolute paths, drive letters) are\n"
                   "refused. Either every file is written or none.\n"
                   "  -o, --output DIR   the folder to write to (created when missing)\n";
        case Command::kAdd:
            return "Usage: quenor-viv add ARCHIVE FILE... [--name NAME]\n"
                   "Stores each FILE under its own file name: replaces the entry of that name\n"
                   "(kept compressed when it was stored compressed) or adds a new entry at the\n"
                   "end. An interrupted or failed add leaves the archive as it was.\n"
                   "  --name NAME   the entry name to use for a single FILE\n";
        case Command::kVerify:
            return "Usage: quenor-viv verify ARCHIVE\n"
                   "Reads the directory and every entry, decodes compressed entries and reports\n"
                   "each defect found. Exit status 1 when there is a defect.\n";
        case Command::kCreate:
            return "Usage: quenor-viv create ARCHIVE FILE... [--format F] [--compress] [--force]\n"
                   "Writes a new archive holding the FILEs under their file names, in the order\n"
                   "given. A BIG archive's size field is written big-endian.\n"
                   "  --format F   bigf (default), big4, bigh or c0fb\n"
                   "  --compress   store every entry RefPack-compressed\n"
                   "  --force      replace ARCHIVE when it exists (refused otherwise)\n";
    }
    return {};
}

}  // namespace quenor::vivtool
