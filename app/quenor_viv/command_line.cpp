// Parsing quenor-viv's command line.
#include "app/quenor_viv/command_line.h"

#include <algorithm>
#include <array>

namespace quenor::vivtool {
namespace {

struct CommandInfo {
    Command command;
    std::string_view name;
    std::size_t minOperands;  // the archive included
    std::size_t maxOperands;  // 0: no limit
    std::vector<std::string_view> options;
};

const std::array<CommandInfo, 5>& commandTable() {
    static const std::array<CommandInfo, 5> commands{{
        {Command::kList, "list", 1, 1, {}},
        {Command::kExtract, "extract", 1, 0, {"-o", "--output"}},
        {Command::kAdd, "add", 2, 0, {"--name"}},
        {Command::kVerify, "verify", 1, 1, {}},
        {Command::kCreate, "create", 2, 0, {"--format", "--compress", "--force"}},
    }};
    return commands;
}

bool takesValue(std::string_view option) {
    return option != "--compress" && option != "--force";
}

const CommandInfo* findCommand(std::string_view name) {
    for (const CommandInfo& info : commandTable()) {
        if (info.name == name) return &info;
    }
    return nullptr;
}

class Parser {
  public:
    Parser(const CommandInfo& info, CommandLine& line) : info_(info), line_(line) {}

    void parse(const std::vector<std::string>& args) {
        // --help wins over anything else on the line, so it works on a half-typed command.
        for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
            if (args[i] == "--help" || args[i] == "-h") {
                line_.help = true;
                return;
            }
        }
        std::vector<std::string> operands;
        bool optionsEnded = false;
        for (std::size_t i = 1; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
                operands.push_back(arg);
            } else if (arg == "--") {
                optionsEnded = true;
            } else {
                std::string name = arg;
                std::optional<std::string> value;
                if (std::size_t eq = arg.find('='); arg.starts_with("--") && eq != arg.npos) {
                    name = arg.substr(0, eq);
                    value = arg.substr(eq + 1);
                }
                if (std::find(info_.options.begin(), info_.options.end(), name) ==
                    info_.options.end()) {
                    fail("unknown option " + name + " for " + std::string(info_.name));
                }
                if (takesValue(name) && !value) {
                    if (i + 1 >= args.size()) fail("option " + name + " needs a value");
                    value = args[++i];
                } else if (!takesValue(name) && value) {
                    fail("option " + name + " takes no value");
                }
                apply(name, value.value_or(""));
            }
        }
        checkOperands(operands);
    }

  private:
    [[noreturn]] void fail(const std::string& message) const {
        throw UsageError(message, info_.command);
    }

    void once(const std::string& name) {
        if (std::find(seen_.begin(), seen_.end(), name) != seen_.end()) {
            fail("option " + name + " is given twice");
        }
        seen_.push_back(name);
    }

    void apply(const std::string& name, const std::string& value) {
        once(name == "-o" ? "--output" : name);
        if ((name == "-o" || name == "--output" || name == "--name") && value.empty()) {
            fail("option " + name + " needs a non-empty value");
        }
        if (name == "-o" || name == "--output") {
            line_.outputDir = value;
        } else if (name == "--name") {
            line_.entryName = value;
        } else if (name == "--format") {
            auto format = viv::parseFormatName(value);
            if (!format)
                fail("unknown archive format \"" + value + "\" (use bigf, big4, bigh or c0fb)");
            line_.format = *format;
        } else if (name == "--compress") {
            line_.compress = true;
        } else if (name == "--force") {
            line_.force = true;
        }
    }

    void checkOperands(std::vector<std::string>& operands) {
        const std::string cmd(info_.name);
        if (operands.empty()) fail(cmd + " needs an ARCHIVE");
        if (operands.size() < info_.minOperands)
            fail(cmd + " needs at least one FILE after ARCHIVE");
        if (info_.maxOperands != 0 && operands.size() > info_.maxOperands) {
            fail(cmd + " takes only ARCHIVE, but more operands follow it: " + operands[1]);
        }
        if (std::any_of(operands.begin(), operands.end(), [](auto& s) { return s.empty(); })) {
            fail("an empty name was given");
        }
        line_.archive = operands.front();
        line_.operands.assign(operands.begin() + 1, operands.end());
        if (line_.entryName && line_.operands.size() > 1) {
            fail("--name gives the entry name of one FILE, but " +
                 std::to_string(line_.operands.size()) + " FILEs were given");
        }
    }

    const CommandInfo& info_;
    CommandLine& line_;
    std::vector<std::string> seen_;
};

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
    Parser(*info, line).parse(args);
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
               "Run 'quenor-viv COMMAND --help' for the details of a command.\n"
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
