#include "window/quenor_window.h"

#include <exception>

#include "core/choices.h"
#include "core/installation_lock.h"
#include "core/operation_log.h"
#include "core/tool_error.h"
#include "tool/patching/apply_reset.h"
#include "window/help_texts.h"
#include "window/quenor_layout.h"

namespace quenor::ui {

namespace cn = control_names;

namespace {

// An index read from the settings key that names no member of its group falls back to
// the group's default, so a hand-edited key cannot leave a group without a selection.
int validOr(int index, std::size_t count, int fallback) {
    return index >= 0 && static_cast<std::size_t>(index) < count ? index : fallback;
}

// What failed, without the error's number and source.
std::string failureCause(const std::exception& error) {
    if (const auto* toolError = dynamic_cast<const ToolError*>(&error)) {
        return toolError->description().empty() ? std::string("An unexpected error occurred.")
                                                : toolError->description();
    }
    return std::string("An unexpected error occurred: ") + error.what();
}

std::string describeFailure(const std::exception& error) {
    std::string text = failureCause(error);
    if (const auto* toolError = dynamic_cast<const ToolError*>(&error)) {
        text += "\r\rError number: " + std::to_string(toolError->number());
        if (!toolError->source().empty()) text += "\rSource: " + toolError->source();
    }
    return text;
}

}  // namespace

Quenor::Quenor(Tool& tool) : tool_(tool), form_(buildQuenorForm()) {
    wireHandlers();
}

void Quenor::wireHandlers() {
    form_.onOptionClick(cn::kOptResolution,
                        [this](int i) { guarded([&] { optResolution_Click(i); }); });
    form_.onOptionClick(cn::kOptVsync, [this](int i) { guarded([&] { optVSYNC_Click(i); }); });
    form_.onOptionClick(cn::kOptFpsBoost,
                        [this](int i) { guarded([&] { optFPSboost_Click(i); }); });
    form_.onOptionClick(cn::kOptLogging,
                        [this](int i) { guarded([&] { optQuenorLogging_Click(i); }); });
    const std::pair<std::string_view, void (Quenor::*)()> clicks[] = {
        {cn::kLstResFrame, &Quenor::lstResFrame_Click},
        {cn::kLabMoreResolution, &Quenor::labMoreResolution_Click},
        {cn::kLabMoreInfoResFrame, &Quenor::labMoreInfoResFrame_Click},
        {cn::kLabMoreInfoVsync, &Quenor::labMoreInfoVSYNC_Click},
        {cn::kLabMoreInfoFps, &Quenor::labMoreInfoFPS_Click},
        {cn::kLabLoggingInfo, &Quenor::labQuenorLogging_Click},
        {cn::kBtnApplySettings, &Quenor::btnApplySettings_Click},
        {cn::kBtnSetDefaults, &Quenor::btnSetDefaults_Click},
        {cn::kBtnQuit, &Quenor::btnQuit_Click},
        {cn::kBtnDeleteLog, &Quenor::btnDeleteQuenorlog_Click},
    };
    for (const auto& [name, member] : clicks) {
        form_.onClick(name, [this, member = member] { guarded([&] { (this->*member)(); }); });
    }
}

void Quenor::guarded(const std::function<void()>& handler) {
    if (handlerDepth_ > 0) {
        // A handler run by a selection from code: its failure stops the step that made
        // the selection too, so it travels up to the outermost handler.
        handler();
        return;
    }
    ++handlerDepth_;
    try {
        handler();
    } catch (const ChangeRefused& refused) {
        // The player chose not to wait for another Quenor, in a box that said so already.
        --handlerDepth_;
        refusedChange_ = refused.description();
        return;
    } catch (const std::exception& error) {
        --handlerDepth_;
        showFailure(error, false);
        return;
    }
    --handlerDepth_;
}

void Quenor::showFailure(const std::exception& error, bool duringStartUp) {
    std::string text = describeFailure(error);
    tool_.changeReport.stopped = ChangeReport::Stop{"", failureCause(error)};
    const std::string changed = changeReportText(tool_.changeReport, text);
    text += duringStartUp
                ? "\r\rQuenor could not start and will close now. Nothing more was written."
                : "\r\rThe operation stopped at this step. Steps done before it stay done; "
                  "quenor.log lists them. Correct the cause and try again.";
    if (!changed.empty()) {
        text += "\r\r" + changed;
        for (const ChangeReport::Written& written : tool_.changeReport.written)
            writeFailureLog(tool_, "Changed before the failure: " + writtenText(written));
        for (const quenor::Failure& missed : tool_.changeReport.notWritten)
            writeFailureLog(tool_, "Not written: " + missed.describe());
    }
    try {
        tool_.services.messageBoxes.show(MessageBoxRequest{
            duringStartUp ? "Quenor could not start" : "Quenor - operation failed", text,
            MessageButtons::Ok, MessageIcon::Critical, 0});
    } catch (...) {
        // Showing the failure must not fail the window in turn.
    }
}

bool Quenor::Form_Load() {
    ++handlerDepth_;
    try {
        runStartUp(tool_, *this);
    } catch (const std::exception& error) {
        --handlerDepth_;
        startFailed_ = true;
        showFailure(error, true);
        return false;
    }
    --handlerDepth_;
    return true;
}

void Quenor::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (startFailed_) return;
    guarded([&] { runShutDown(tool_); });
}

bool Quenor::fileExists(const std::string& path) const {
    return tool_.services.files.isRegularFile(path);
}

// --- option groups and the frame list --------------------------------------------------

void Quenor::optResolution_Click(int index) {
    const std::string tag = form_.control(cn::kOptResolution, index).tag;
    writeLog(tool_, "optResolution_Click: " + tag);
    if (index == resolution::kUserDefined) {
        form_.setEnabled(cn::kTxtResWidth, true);
        form_.setEnabled(cn::kTxtResHeight, true);
        form_.setEnabled(cn::kLstResFrame, true);
    } else {
        form_.setText(cn::kTxtResWidth, "");
        form_.setEnabled(cn::kTxtResWidth, false);
        form_.setText(cn::kTxtResHeight, "");
        form_.setEnabled(cn::kTxtResHeight, false);
        form_.setSelectedEntry(cn::kLstResFrame, 0);
        form_.setEnabled(cn::kLstResFrame, false);
    }
    tool_.patch.configFileName = tag;
    tool_.patch.resolutionToApply = static_cast<std::int16_t>(index);
    tool_.settings.intResolution = static_cast<std::int16_t>(index);
}

void Quenor::optVSYNC_Click(int index) {
    const std::string tag = form_.control(cn::kOptVsync, index).tag;
    tool_.patch.vsyncValueText = tag;
    tool_.settings.intVSYNC = static_cast<std::int16_t>(index);
    writeLog(tool_, "optVSYNC_Click: " + tag);
}

void Quenor::optFPSboost_Click(int index) {
    const std::string tag = form_.control(cn::kOptFpsBoost, index).tag;
    tool_.patch.fpsNumber = static_cast<std::int16_t>(std::stoi(tag));
    tool_.settings.intFPSboost = static_cast<std::int16_t>(index);
    writeLog(tool_, "optFPSboost_Click " + tag);
}

void Quenor::optQuenorLogging_Click(int index) {
    const std::string tag = form_.control(cn::kOptLogging, index).tag;
    tool_.settings.intLog = static_cast<std::int16_t>(index);
    writeLog(tool_, "optQuenorLogging_Click: " + tag);
}

void Quenor::lstResFrame_Click() {
    tool_.settings.intResFrame =
        static_cast<std::int16_t>(form_.control(cn::kLstResFrame).selectedEntry);
}

// --- help labels -----------------------------------------------------------------------

void Quenor::showHelp(std::string_view labelName) {
    tool_.services.messageBoxes.show(helpMessage(*helpTopicOfLabel(labelName)));
}

void Quenor::labMoreResolution_Click() {
    showHelp(cn::kLabMoreResolution);
}
void Quenor::labMoreInfoResFrame_Click() {
    showHelp(cn::kLabMoreInfoResFrame);
}
void Quenor::labMoreInfoVSYNC_Click() {
    showHelp(cn::kLabMoreInfoVsync);
}
void Quenor::labMoreInfoFPS_Click() {
    showHelp(cn::kLabMoreInfoFps);
}
void Quenor::labQuenorLogging_Click() {
    showHelp(cn::kLabLoggingInfo);
}

// --- buttons ---------------------------------------------------------------------------

void Quenor::change(patching::ChangeOutcome (*procedure)(Tool&, patching::PatchWindow&)) {
    refusedChange_.clear();
    tool_.changeReport = {};
    try {
        lastChange_ = procedure(tool_, *this);
    } catch (const ChangeRefused&) {
        lastChange_ = patching::ChangeOutcome::Refused;
        throw;
    } catch (...) {
        lastChange_ = patching::ChangeOutcome::Failed;
        throw;
    }
}

void Quenor::btnApplySettings_Click() {
    change(&patching::btnApplySettings_Click);
}

void Quenor::btnSetDefaults_Click() {
    change(&patching::btnSetDefaults_Click);
}

void Quenor::btnQuit_Click() {
    writeLog(tool_, "btnQuit_Click");
    MessageAnswer answer = tool_.services.messageBoxes.show(
        MessageBoxRequest{"Quit Quenor?", "Quit Quenor and lose all unapplied changes?",
                          MessageButtons::YesNo, MessageIcon::None, 0});
    if (answer != MessageAnswer::Yes) return;
    Form_Unload();
    if (closeRequested_) closeRequested_();
}

void Quenor::btnDeleteQuenorlog_Click() {
    MessageAnswer answer = tool_.services.messageBoxes.show(MessageBoxRequest{
        "Delete log file?", "Are you sure you want to delete the quenor log file?",
        MessageButtons::YesNo, MessageIcon::None, 0});
    if (answer != MessageAnswer::Yes) return;
    // Another Quenor's change logs while it holds the installation: the log goes between
    // changes. Nothing else of a change is needed (the registry, the temporary folder).
    const InstallationLock lock(tool_.services, tool_.settings.strFMISCpath, "");
    const std::string path = logFilePath(tool_);
    if (fileExists(path)) tool_.services.files.removeFile(path);
}

// --- what the patches and start-up use of the window ------------------------------------

std::string Quenor::widthText() const {
    return form_.control(cn::kTxtResWidth).text;
}

std::string Quenor::heightText() const {
    return form_.control(cn::kTxtResHeight).text;
}

std::int16_t Quenor::frameListIndex() const {
    return static_cast<std::int16_t>(form_.control(cn::kLstResFrame).selectedEntry);
}

PlayerChoices Quenor::choices() const {
    // A group without a selection (only before start-up) counts as its default.
    const auto selected = [&](std::string_view group, std::int16_t fallback) {
        const int index = form_.selectedOption(group);
        return static_cast<std::int16_t>(index >= 0 ? index : fallback);
    };
    PlayerChoices chosen;
    chosen.resolution = selected(cn::kOptResolution, resolution::kNoChange);
    if (chosen.resolution == resolution::kUserDefined) {
        chosen.width = widthText();
        chosen.height = heightText();
        chosen.frame = frameListIndex();
    }
    chosen.vsync = selected(cn::kOptVsync, choices::kDefaultVsync);
    chosen.fps = selected(cn::kOptFpsBoost, choices::kDefaultFps);
    return chosen;
}

void Quenor::selectResolutionOption(std::int16_t index) {
    form_.selectOption(cn::kOptResolution,
                       validOr(index, choices::kResolutionOptions.size(), resolution::kNoChange));
}

void Quenor::selectVsyncOption(std::int16_t index) {
    form_.selectOption(cn::kOptVsync,
                       validOr(index, choices::kVsyncValues.size(), choices::kDefaultVsync));
}

void Quenor::selectFpsBoostOption(std::int16_t index) {
    form_.selectOption(cn::kOptFpsBoost,
                       validOr(index, choices::kFpsLevels.size(), choices::kDefaultFps));
}

void Quenor::selectLoggingOption(std::int16_t index) {
    form_.selectOption(cn::kOptLogging, validOr(index, 2, 0));
}

void Quenor::setVersionCaption(const std::string& caption) {
    form_.setCaption(cn::kLabVersion, caption);
}

void Quenor::reflectResolution() {
    // The same reading of the stored settings as quenorctl's comparison with them.
    const PlayerChoices shown = choicesFromSettings(tool_.settings);
    selectResolutionOption(shown.resolution);
    if (shown.resolution == resolution::kUserDefined) {
        form_.setText(cn::kTxtResWidth, shown.width);
        form_.setText(cn::kTxtResHeight, shown.height);
        form_.setSelectedEntry(cn::kLstResFrame, shown.frame);
    }
}

void Quenor::reflectVsync() {
    selectVsyncOption(tool_.settings.intVSYNC);
}
void Quenor::reflectFpsBoost() {
    selectFpsBoostOption(tool_.settings.intFPSboost);
}
void Quenor::reflectLogging() {
    selectLoggingOption(tool_.settings.intLog);
}

std::string writtenText(const ChangeReport::Written& written) {
    std::string parts;
    for (const std::string& part : written.parts) parts += (parts.empty() ? "" : ", ") + part;
    return written.file + (parts.empty() ? "" : " (" + parts + ")");
}

std::string changeReportText(const ChangeReport& report, const std::string& cause) {
    if (report.written.empty()) return {};
    std::string text = "Quenor had changed, before it stopped: ";
    for (std::size_t i = 0; i < report.written.size(); ++i)
        text += (i == 0 ? "" : "; ") + writtenText(report.written[i]);
    text += ".";
    for (const quenor::Failure& failure : report.notWritten) {
        const std::string missed = failure.describe();
        if (cause.find(missed) == std::string::npos) text += " Not written: " + missed;
    }
    return text +
           " \"quenorctl restore\" puts back what the game held before Quenor first "
           "changed it.";
}

}  // namespace quenor::ui
