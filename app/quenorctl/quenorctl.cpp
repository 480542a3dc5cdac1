#include "app/quenorctl/quenorctl.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "app/quenorctl/change_report.h"
#include "app/quenorctl/displayed_output.h"
#include "app/quenorctl/form_choices.h"
#include "app/quenorctl/launcher_prefix.h"
#include "app/quenorctl/platform_access.h"
#include "app/quenorctl/process_environment.h"
#include "app/quenorctl/restore_command.h"
#include "app/quenorctl/run_command.h"
#include "app/quenorctl/screen_choice.h"
#include "app/quenorctl/status.h"
#include "app/version/quenor_version.h"
#include "core/choices.h"
#include "core/tool_error.h"
#include "host/start_quenor.h"
#include "window/quenor_layout.h"
#include "window/terminal/terminal_message_boxes.h"

namespace quenor::ctl {

namespace {

// --resolution: a preset, nochange, screen, or WIDTHxHEIGHT of at most four digits each (the
// window's boxes take no fifth character).
std::string checkResolution(const std::string& value) {
    const std::vector<std::string> named = resolutionNames();
    if (std::find(named.begin(), named.end() - 1, value) != named.end() - 1) return {};
    const auto [width, height] = splitSize(value);
    auto digits = [](const std::string& text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(width) || !digits(height)) {
        return "takes " + namesText(named) + " in digits";
    }
    if (width.size() > 4 || height.size() > 4) {
        return "takes at most 4 digits for the width and the height, as the window's boxes do";
    }
    return {};
}

// Starts the tool on the platform, runs `act` on its window, closes it; the exit status
// follows from how the change ended.
int withTheTool(const Context& context, const PlatformOpener& open, bool answerYes,
                const std::string& doing,
                const std::function<std::optional<std::string>(ui::Quenor&)>& act) {
    ui::terminal::TerminalMessageBoxes boxes(context.in, context.out, context.err,
                                             context.interactive, answerYes);
    const auto started = host::StartedQuenor::start(open, boxes);
    if (!started) {
        context.err << "quenorctl: Quenor could not " << doing << "; nothing was changed.\n";
        return kFailed;
    }
    ui::Quenor& window = started->window();
    const std::optional<std::string> refused = act(window);
    if (!window.unloaded()) window.Form_Unload();
    if (refused) {
        context.err << "quenorctl: " << *refused << ".\n";
        return kUsage;
    }
    return reportChange(window.lastChange(), window.refusedChange(), context.err,
                        window.lastChangeReport());
}

// What the command line asked for.
struct Request {
    std::string prefix;
    bool json = false;
    Choices choices;
    bool yes = false;
    bool force = false;
    std::optional<std::string> forget;
    std::vector<std::string> command;  // run: the game's command line
    CLI::App* status = nullptr;
    CLI::App* apply = nullptr;
    CLI::App* reset = nullptr;
    CLI::App* restore = nullptr;
    CLI::App* list = nullptr;
    CLI::App* run = nullptr;
};

void addChoiceOptions(CLI::App& apply, Request& request) {
    apply
        .add_option("--resolution", request.choices.resolution,
                    namesText(resolutionNames()) +
                        "; screen is the size of the screen the game will be shown on")
        ->check(CLI::Validator(checkResolution, "RESOLUTION"));
    apply
        .add_option("--frame", request.choices.frame,
                    "1 to 4: the frame of a size of your own (--resolution WIDTHxHEIGHT or "
                    "screen); without it, the smallest frame that holds the size, else 4")
        ->check(CLI::Range(1, 4));
    apply.add_option("--vsync", request.choices.vsync, namesText(vsyncNames()))
        ->check(CLI::IsMember(vsyncNames()));
    apply.add_option("--fps", request.choices.fps, "FPS boost: " + namesText(fpsNames()))
        ->check(CLI::IsMember(fpsNames()));
}

void addRunOptions(CLI::App& run, Request& request) {
    addChoiceOptions(run, request);
    run.add_option("command", request.command,
                   "the game's command, after --: what a launcher puts in place of %command%")
        ->required()
        ->expected(-1);
}

void addRestoreOptions(CLI::App& restore, Request& request) {
    CLI::Option* forceOption =
        restore.add_flag("--force", request.force,
                         "restore even when something other than Quenor changed the archive since");
    restore
        .add_option("--forget", request.forget,
                    "drop the kept originals without restoring them (after a game update or a "
                    "reinstall); the next change keeps new ones. Where several sets are kept, "
                    "name the folder of the one to drop")
        ->expected(0, 1)
        ->excludes(forceOption);
}

void addCommands(CLI::App& app, Request& request) {
    app.require_subcommand(1);
    // The same syntax on every system: "/prefix" is a path, never a Windows-style option.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string("quenorctl ") + QUENOR_VERSION);
    app.add_option("--prefix", request.prefix,
                   "the Wine prefix of the game; without it, Proton's STEAM_COMPAT_DATA_PATH/pfx, "
                   "then WINEPREFIX, then Quenor finds the game");
    request.status = app.add_subcommand("status",
                                        "what the game and Quenor are set to now; "
                                        "reads only, also while the game runs");
    request.status->add_flag("--json", request.json,
                             "one JSON document (its shape: man quenorctl)");
    request.apply = app.add_subcommand(
        "apply",
        "selects the given options and presses Apply, as in the window; options not "
        "given keep their stored values");
    addChoiceOptions(*request.apply, request);
    request.apply->add_flag("--yes", request.yes, "answer yes to the window's question");
    request.reset = app.add_subcommand(
        "reset", "presses \"Reset all Settings to Defaults\": the retail values in the game");
    request.reset->add_flag("--yes", request.yes, "answer yes to the window's question");
    request.restore = app.add_subcommand(
        "restore",
        "puts back what Quenor changed: the archive and the registry values as they were "
        "before its first change, read back and compared");
    addRestoreOptions(*request.restore, request);
    request.run = app.add_subcommand(
        "run",
        "for a launcher, before the game's command (quenorctl run -- %command%): when the game "
        "differs from the stored settings (or the options given), applies them as the window's "
        "Apply does, then starts the command; the game starts even when that fails");
    addRunOptions(*request.run, request);
    request.list = app.add_subcommand("list",
                                      "the NHL 09 installations found, and why others "
                                      "were left out");
    for (CLI::App* command :
         {request.status, request.apply, request.reset, request.restore, request.list, request.run})
        command->fallthrough();
}

// What the parser cannot check alone: --frame needs a size of the player's own, --prefix a
// system with prefixes.
void checkCombinations(const Request& request) {
    const auto& resolution = request.choices.resolution;
    const std::string_view noChange = choices::kResolutionOptions[resolution::kNoChange].ctlName;
    if (request.choices.frame &&
        (!resolution || !checkResolution(*resolution).empty() || *resolution == noChange)) {
        throw CLI::ValidationError("--frame",
                                   "goes with --resolution WIDTHxHEIGHT or screen: it picks the "
                                   "frame of a size of your own");
    }
    if (!request.prefix.empty()) {
        if (const auto why = prefixNotSupported()) throw CLI::ValidationError("--prefix", *why);
    }
}

// `prefixSource`: where the prefix came from when quenorctl chose it (--prefix, Proton's
// variable); the platform, which sees it as WINEPREFIX, names it otherwise.
int statusCommand(const Context& context, const Environment& environment, bool json,
                  const std::string& prefixSource) {
    auto platform = openPlatform(context, environment, host::HostPlatform::Use::Inspect);
    Status now = readStatus(*platform);
    if (now.prefix && !prefixSource.empty()) now.prefix->launcher = prefixSource;
    context.out << (json ? statusJson(now).dump(2, ' ', false,
                                                nlohmann::ordered_json::error_handler_t::replace) +
                               "\n"
                         : statusText(now));
    if (!now.archiveError.empty()) {
        context.err << "quenorctl: the game's archive cannot be read: " << now.archiveError << '\n';
        return kFailed;
    }
    return kDone;
}

// Apply or Reset through the window, as a player would click them.
int changeCommand(const Context& context, const Environment& environment, const Request& request) {
    const PlatformOpener open = [&] {
        return openPlatform(context, environment, host::HostPlatform::Use::Run);
    };
    if (*request.apply) {
        ChoicesOnPlatform resolved = choicesOnPlatform(request.choices, open);
        if (!resolved.noScreen.empty()) {
            context.err << "quenorctl: " << noScreenReason(resolved.noScreen)
                        << ". Nothing was changed.\n";
            return kFailed;
        }
        return withTheTool(
            context, openedOr(resolved, open), request.yes, "apply",
            [&](ui::Quenor& window) -> std::optional<std::string> {
                if (const auto refused = selectChoices(window.form(), resolved.given))
                    return refused->reason;
                window.form().userClick(ui::control_names::kBtnApplySettings);
                return std::nullopt;
            });
    }
    return withTheTool(context, open, request.yes, "reset",
                       [](ui::Quenor& window) -> std::optional<std::string> {
                           window.form().userClick(ui::control_names::kBtnSetDefaults);
                           return std::nullopt;
                       });
}

}  // namespace

namespace {

int runCommandLine(const std::vector<std::string>& arguments, const Context& context);

}  // namespace

int runQuenorctl(const std::vector<std::string>& arguments, const Context& given) {
    // Everything printed reaches the terminal as UTF-8.
    DisplayedLines outLines(given.out);
    DisplayedLines errLines(given.err);
    std::ostream out(&outLines);
    std::ostream err(&errLines);
    const Context context{given.executable, given.environment, given.in, out, err,
                          given.io,         given.interactive};
    const int status = runCommandLine(arguments, context);
    out.flush();
    err.flush();
    return status;
}

namespace {

int runCommandLine(const std::vector<std::string>& arguments, const Context& context) {
    CLI::App app{
        "Quenor from the command line: shows and changes NHL 09's widescreen "
        "resolution, VSYNC and FPS boost, as the Quenor window does.",
        "quenorctl"};
    Request request;
    addCommands(app, request);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
        checkCombinations(request);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error, context.out, context.err);
        return status == 0 ? kDone : kUsage;
    }

    // Without a terminal and without --yes the answer to the window's question is no: it is
    // given before the tool starts, so that not even the first start's settings are written.
    const bool apply = static_cast<bool>(*request.apply);
    if ((apply || *request.reset) && !request.yes && !context.interactive) {
        context.err << "quenorctl: there is no terminal to answer \""
                    << (apply ? "Apply changes?" : "Reset all changes?")
                    << "\", so the answer was no and nothing was changed. Add --yes to "
                    << (apply ? "apply" : "reset") << " from a script or a launcher.\n";
        return kFailed;
    }

    std::map<std::string, std::string> overrides;
    std::string prefixSource;
    try {
        if (!prefixNotSupported()) {
            if (const auto prefix = launcherPrefix(request.prefix, context.environment)) {
                overrides["WINEPREFIX"] = prefix->path;
                prefixSource = prefix->source;
            }
        }
    } catch (const std::invalid_argument& error) {
        context.err << "quenorctl: " << error.what() << ".\n";
        if (!*request.run) return kFailed;
        // The game starts all the same, untouched: the prefix it runs in is not known.
        context.err << "quenorctl: starting the game without changing it.\n";
        context.err.flush();
        return startCommand(request.command, context.err);
    }
    const EnvironmentWithOverrides environment(context.environment, overrides);
    try {
        if (*request.list) return listInstallations(context, request.prefix);
        if (*request.restore)
            return restoreCommand(context, environment, request.force, request.forget);
        if (*request.status) return statusCommand(context, environment, request.json, prefixSource);
        if (*request.run) return runCommand(context, environment, request.choices, request.command);
        return changeCommand(context, environment, request);
    } catch (const ToolError& error) {
        context.err << "quenorctl: " << error.description() << '\n';
        return kFailed;
    } catch (const std::exception& error) {
        // A fault of quenorctl's own: said as such, never an abort.
        context.err << "quenorctl: an unexpected error stopped it: " << error.what()
                    << ". Nothing more was done; quenor.log lists what was.\n";
        return kFailed;
    }
}

}  // namespace

}  // namespace quenor::ctl
