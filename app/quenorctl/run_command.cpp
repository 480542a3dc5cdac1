#include "app/quenorctl/run_command.h"

#include <chrono>
#include <exception>
#include <ostream>
#include <sstream>

#include "app/quenorctl/change_report.h"
#include "app/quenorctl/no_boxes.h"
#include "app/quenorctl/platform_access.h"
#include "app/quenorctl/process_environment.h"
#include "app/quenorctl/screen_choice.h"
#include "core/operation_log.h"
#include "core/player_choices.h"
#include "host/start_quenor.h"
#include "tool/patching/drift.h"
#include "tool/patching/planned_change.h"
#include "tool/startup/settings_store.h"
#include "window/quenor_layout.h"
#include "window/terminal/terminal_message_boxes.h"

namespace quenor::ctl {

namespace {

constexpr std::chrono::seconds kRunLockWait{3};

std::string listOf(const std::vector<patching::Difference>& differences) {
    std::string text;
    for (const auto& d : differences)
        text += (text.empty() ? "" : "; ") + d.place + " is " + d.found + ", not " + d.expected;
    return text;
}

// How putting the game right ended: empty when the game holds the choices now (applied, or
// already so); otherwise why not, and whether quenor.log has it already.
struct Outcome {
    std::string why;
    bool logged = false;
};

// Applies the choices when the game differs from what they would write. The boxes' texts go to
// `report`.
Outcome bringGameInLine(const Context& context, const Environment& environment,
                        const Choices& choices, std::ostream& report) {
    const PlatformOpener open = [&] {
        return openPlatform(context, environment, host::HostPlatform::Use::Run);
    };
    ChoicesOnPlatform resolved = choicesOnPlatform(choices, open);
    if (!resolved.noScreen.empty()) return {noScreenReason(resolved.noScreen)};
    if (const auto refused = refusedByTheBoxes(resolved.given)) return {refused->reason};
    std::istringstream noInput;
    // Every box goes to standard error: standard output belongs to the game.
    // run answers the window's questions itself, for the launcher that started the game.
    ui::terminal::TerminalMessageBoxes boxes(noInput, report, report, false, true, "quenorctl run");
    std::string whyNot;
    const auto started =
        host::StartedQuenor::start(openedOr(resolved, open), boxes, kRunLockWait, &whyNot);
    if (!started) return {ui::terminal::terminalLines(whyNot)};
    ui::Quenor& window = started->window();
    Tool& tool = started->tool();
    // The stored settings as start-up showed them, with the choices given over them.
    const PlayerChoices wanted = madeOver(choicesFromSettings(tool.settings), resolved.given);
    // A game folder no command can use is not read: Apply says why the game is not found.
    const std::vector<patching::Difference> differences =
        patching::gameFolderKnown(tool)
            ? patching::differencesFromApply(tool, wanted)
            : std::vector<patching::Difference>{
                  {"the game's folder", tool.settings.strGamePath, "a full path"}};
    if (differences.empty()) {
        writeLog(tool, "quenorctl run: NHL 09 holds Quenor's settings; nothing was changed");
        window.Form_Unload();
        return {};
    }
    writeLog(tool, "quenorctl run: NHL 09 differs from Quenor's settings: " + listOf(differences));
    selectChoices(window.form(), resolved.given);
    window.form().userClick(ui::control_names::kBtnApplySettings);
    if (!window.unloaded()) window.Form_Unload();
    const std::vector<std::string> reasons =
        changeReasons(window.lastChange(), window.refusedChange(), window.lastChangeReport());
    if (reasons.empty()) return {};
    std::string text;
    for (const std::string& reason : reasons) text += (text.empty() ? "" : " ") + reason;
    writeFailureLog(tool, "quenorctl run: " + text + "; the game starts all the same");
    return {text, true};
}

// The reason in quenor.log when the tool did not start (Wine running for the prefix, say): a
// look at the platform finds the log and whether logging is on. A log that cannot be reached
// is left alone: the reason is on standard error all the same.
void logWithoutTheTool(const Context& context, const Environment& environment,
                       const std::string& line) {
    try {
        auto platform = openPlatform(context, environment, host::HostPlatform::Use::Inspect);
        NoBoxes noBoxes;
        Tool tool(platform->services(noBoxes));
        tool.settings.intLog = storedLogSetting(tool.services);
        writeFailureLog(tool, line);
    } catch (const std::exception&) {
    }
}

// A reason as one clause: without the full stop it may end with.
std::string clause(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

bool refuseEmptyCommand(const std::vector<std::string>& command, std::ostream& err) {
    if (!command.empty() && !command.front().empty()) return false;
    err << "quenorctl: the command to start is empty: give the game's command after \"run --\" "
           "(in a launcher, %command%); nothing was started or changed.\n";
    return true;
}

int runCommand(const Context& context, const Environment& environment, const Choices& choices,
               const std::vector<std::string>& command) {
    // Without a game to start there is nothing to bring in line for.
    if (refuseEmptyCommand(command, context.err)) return 127;
    Outcome outcome;
    try {
        outcome = bringGameInLine(context, environment, choices, context.err);
    } catch (const std::exception& error) {
        outcome = {error.what()};
    } catch (...) {
        outcome = {"an unknown error"};
    }
    if (!outcome.why.empty()) {
        const std::string why = clause(outcome.why);
        if (!outcome.logged)
            logWithoutTheTool(context, environment,
                              "quenorctl run: " + why + "; the game starts all the same");
        context.err << "quenorctl: the game's settings were not put right: " << why
                    << "; starting the game anyway.\n";
    }
    context.out.flush();
    context.err.flush();
    return startCommand(command, context.err);
}

}  // namespace quenor::ctl
