#pragma once

#include <string>
#include <vector>

#include "app/quenorctl/form_choices.h"
#include "app/quenorctl/quenorctl.h"

namespace quenor::ctl {

// quenorctl run: when the game differs from what Apply of the stored settings (or of
// `choices`) would write, applies them, as the window's Apply does; then starts `command`
// with the same environment and arguments and ends as it ends. The run is the player's
// consent: nothing is asked. The game starts whatever went wrong before: the reason goes to
// standard error and, where the tool started, to quenor.log. Waits at most 3 seconds for
// another change of the installation, and holds no lock or open file into the game.
int runCommand(const Context& context, const Environment& environment, const Choices& choices,
               const std::vector<std::string>& command);

}  // namespace quenor::ctl
