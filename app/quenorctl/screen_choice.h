#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/quenorctl/form_choices.h"
#include "host/host_platform.h"

namespace quenor::ctl {

using PlatformOpener = std::function<std::unique_ptr<host::HostPlatform>()>;

// The choices given, resolved on the platform the change runs on. When they ask for the
// screen, the platform is opened first and the screen measured before the tool starts, so that
// without a screen nothing is written, not even the settings of a first start.
struct ChoicesOnPlatform {
    GivenChoices given;
    // The platform opened to measure the screen, for the tool to start on; else null.
    std::unique_ptr<host::HostPlatform> platform;
    // Why the screen cannot be matched, in a clause ("there is no screen to match (DISPLAY
    // is not set)"); empty when it can or none was asked for.
    std::string noScreen;
};
ChoicesOnPlatform choicesOnPlatform(const Choices& choices, const PlatformOpener& open);

// Hands over the platform `resolved` opened already, once; otherwise opens one.
PlatformOpener openedOr(ChoicesOnPlatform& resolved, const PlatformOpener& open);

// What quenorctl says when the screen cannot be matched: why, and how to give a size.
std::string noScreenReason(const std::string& why);

}  // namespace quenor::ctl
