#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/tool.h"
#include "tool/patching/apply_reset.h"
#include "tool/patching/patch_window.h"
#include "tool/startup/startup.h"
#include "window/form_model.h"

namespace quenor::ui {

// The tool's one window, "Quenor": the form model with every handler wired to the tool.
// Front ends draw form() and forward the user's input to it; they call Form_Load before
// first showing the window and Form_Unload when it closes.
//
// A failure that leaves a handler (a registry, file or archive step) stops that handler
// where it failed and is shown in one message box with its description, number and
// source; the window stays usable. A failure during start-up is shown the same way, and
// startFailed() then tells the front end to end without showing the window.
class Quenor : public patching::PatchWindow, public StartUpWindow {
  public:
    explicit Quenor(Tool& tool);
    Quenor(const Quenor&) = delete;
    Quenor& operator=(const Quenor&) = delete;

    FormModel& form() { return form_; }
    const FormModel& form() const { return form_; }

    // Load and unload of the window. Form_Load returns false when start-up failed.
    bool Form_Load();
    void Form_Unload();
    bool startFailed() const { return startFailed_; }
    // How the last Apply or Reset ended (refusedChange() says why when it was Refused);
    // nothing before the first.
    std::optional<patching::ChangeOutcome> lastChange() const { return lastChange_; }
    const std::string& refusedChange() const { return refusedChange_; }
    // What the last Apply or Reset wrote to the game, and what it could not write.
    const ChangeReport& lastChangeReport() const { return tool_.changeReport; }
    bool unloaded() const { return unloaded_; }
    // Called once the window has been unloaded by "Quit": the front end closes it.
    void onCloseRequested(std::function<void()> callback) { closeRequested_ = std::move(callback); }

    // Click handlers.
    void optResolution_Click(int index);
    void optVSYNC_Click(int index);
    void optFPSboost_Click(int index);
    void optQuenorLogging_Click(int index);
    void lstResFrame_Click();
    void labMoreResolution_Click();
    void labMoreInfoResFrame_Click();
    void labMoreInfoVSYNC_Click();
    void labMoreInfoFPS_Click();
    void labQuenorLogging_Click();
    void btnApplySettings_Click();
    void btnSetDefaults_Click();
    void btnQuit_Click();
    void btnDeleteQuenorlog_Click();

    // True when a regular file exists at the path.
    bool fileExists(const std::string& path) const;

    // PatchWindow
    std::string widthText() const override;
    std::string heightText() const override;
    std::int16_t frameListIndex() const override;
    PlayerChoices choices() const override;
    void selectResolutionOption(std::int16_t index) override;
    void selectVsyncOption(std::int16_t index) override;
    void selectFpsBoostOption(std::int16_t index) override;
    void selectLoggingOption(std::int16_t index) override;

    // StartUpWindow
    void setVersionCaption(const std::string& caption) override;
    void reflectResolution() override;
    void reflectVsync() override;
    void reflectFpsBoost() override;
    void reflectLogging() override;

  private:
    void wireHandlers();
    // Runs a handler; at the outermost level a failure is shown instead of passed on.
    void guarded(const std::function<void()>& handler);
    // Runs Apply or Reset and notes how it ended.
    void change(patching::ChangeOutcome (*procedure)(Tool&, patching::PatchWindow&));
    void showFailure(const std::exception& error, bool duringStartUp);
    void showHelp(std::string_view labelName);

    Tool& tool_;
    FormModel form_;
    int handlerDepth_ = 0;
    bool startFailed_ = false;
    bool unloaded_ = false;
    std::string refusedChange_;
    std::optional<patching::ChangeOutcome> lastChange_;
    std::function<void()> closeRequested_;
};

// What a change that stopped had written of the game, what it could not write, and the way
// back, in words; empty when it wrote nothing. A file the failure's own description (`cause`)
// names already is not named again.
std::string changeReportText(const ChangeReport& report, const std::string& cause);
// One file written: "the game archive C:\...\fmisc.viv (sgsm4.cfg, sgsm1.cfg)".
std::string writtenText(const ChangeReport::Written& written);

}  // namespace quenor::ui
