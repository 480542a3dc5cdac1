#include "window/help_texts.h"

#include <initializer_list>
#include <stdexcept>
#include <string>

#include "core/choices.h"

namespace quenor::ui {

namespace {

// Joins lines with a single CR; an empty line yields two CRs in a row.
std::string joinLines(std::initializer_list<std::string_view> lines) {
    std::string text;
    bool first = true;
    for (std::string_view line : lines) {
        if (!first) text += '\r';
        text += line;
        first = false;
    }
    return text;
}

MessageBoxRequest information(std::string title, std::string text) {
    MessageBoxRequest request;
    request.title = std::move(title);
    request.text = std::move(text);
    request.buttons = MessageButtons::Ok;
    request.icon = MessageIcon::Information;
    request.defaultButton = 0;
    return request;
}

// A resolution option's caption, as its button shows it.
std::string caption(std::int16_t code) {
    return std::string(choices::kResolutionOptions.at(static_cast<std::size_t>(code)).caption);
}

// The texts are kept line by line as the user reads them, spelling included; several
// lines end in a blank on purpose.
MessageBoxRequest widescreenResolution() {
    return information("About the Widescreen Resolution option...",
                       joinLines({
                           "This option enables widescreen support (16:10) in NHL 09.",
                           "Make sure the selected resolution is supported by your hardware",
                           "or NHL 09 may crash. Select the '" + caption(resolution::kNoChange) +
                               "' option if you",
                           "do not",
                           "wish to enable widescreen support to NHL 09 at this time. ",
                           "",
                           "IMPORTANT: Do NOT go to the Display Settings section of NHL 09",
                           "after making changes with this tool or the changes will be",
                           "overriden and will not take effect.",
                       }));
}

MessageBoxRequest frameSize() {
    return information("About the Frame Size list...",
                       joinLines({
                           "The " + caption(resolution::kUserDefined) +
                               " option lets you specify a resolution to use in-game.",
                           "Enter the Width (Horizontal pixels) and the Height (Vertical pixels)",
                           "and select a Resolution Frame.",
                           "",
                           "The Resolution Frame is the size of the area where the specified",
                           "resolution will be drawn. Make sure the resolution you specified",
                           "fits inside the selected Resolution Frame or you may get distorted",
                           "display, graphical anomalies or crashes.",
                           "",
                           "For example, if you specify a resolution of 1440x900, you should",
                           "select the 1600x1200 resolution frame. For best results, check",
                           "if you monitor has a'Fill' display mode, if so, use it instead",
                           "of 'Aspect' so that the image fills your screen.",
                       }));
}

MessageBoxRequest vsync() {
    return information(
        "About the VSYNC option...",
        joinLines({
            "VSYNC is the synchronizing of buffer swaps with your monitor's refresh rate.",
            "With VSYNC enabled, frame rates per second (FPS) will not exceed the monitor's",
            "current refresh rate for that particular resolution. In other words, VSYNC is",
            "like a barrier that limits the frame rate per second in a game.",
            "",
            "Why would anyone limit the frame rate in a game? Simply because in some",
            "cases, having FPS that goes beyond a monitor's refresh rate will cause 'tearing'",
            "or other visual anomalies during gameplay. ",
            "",
            "Turning OFF VSYNC will increase your FPS up to 20%. If you feel the game is",
            "slugguish, try turning OFF VSYNC, you should get a decent FPS boost. If you get",
            "any graphical anomalies during gameplay, just turn VSYNC back ON.",
        }));
}

MessageBoxRequest fpsBoost() {
    return information(
        "About the FPS Boost option...",
        joinLines({
            "This option is related to the game's 'On-Play Player Details' display option.",
            "Reducing the value of the 'On-Play Player Details' increases the ",
            "frame per second (FPS) in game. It may sound obvious that the less details you",
            "set, the more FPS you get, but in the case of NHL09, it was determined that ",
            "decreasing the 'On-Play Player Details' option does give a good FPS boost but",
            "does NOT (or almost not) decrease the quality of the players during gameplay.",
            "",
            "Set the option to the desired value and see how the game is more fluid.",
            "Select the option that best fits your need (FPS/Visual Quality) or OFF to",
            "keep the game's default setting.",
            "",
            "WARNING: Using the in-game 'On-Play Player Details' options will override the "
            "changes",
            "made by this tool.",
        }));
}

MessageBoxRequest logging() {
    return information("About the Quenor Logging option...",
                       joinLines({
                           "Quenor Logging creates a log file of all the tool's operations",
                           "each time you use it. A file called 'quenor.log' is created in",
                           "the same directory as where the tool is executed. ",
                           "",
                           "Setting this option to OFF (not recommended) will stop logging ",
                           "quenor operations. It is recommended to leave that option to ON",
                           "so that if you encounter any problems with the tool, it will be easier",
                           " to diagnose. ",
                           "",
                           "You may delete the 'quenor.log' file when it gets to big if you ",
                           "want, it will be recreated by the tool the next time you open it.",
                       }));
}

}  // namespace

MessageBoxRequest helpMessage(HelpTopic topic) {
    switch (topic) {
        case HelpTopic::WidescreenResolution:
            return widescreenResolution();
        case HelpTopic::FrameSize:
            return frameSize();
        case HelpTopic::Vsync:
            return vsync();
        case HelpTopic::FpsBoost:
            return fpsBoost();
        case HelpTopic::Logging:
            return logging();
    }
    throw std::invalid_argument("no help text for topic " +
                                std::to_string(static_cast<int>(topic)));
}

std::optional<HelpTopic> helpTopicOfLabel(std::string_view labelName) {
    if (labelName == "labMoreResolution") return HelpTopic::WidescreenResolution;
    if (labelName == "labMoreInfoResFrame") return HelpTopic::FrameSize;
    if (labelName == "labMoreInfoVSYNC") return HelpTopic::Vsync;
    if (labelName == "labMoreInfoFPS") return HelpTopic::FpsBoost;
    if (labelName == "labQuenorLogging") return HelpTopic::Logging;
    return std::nullopt;
}

}  // namespace quenor::ui
