#include "app/quenorctl/screen_choice.h"

#include <exception>

#include "window/quenor_layout.h"

namespace quenor::ctl {

ChoicesOnPlatform choicesOnPlatform(const Choices& choices, const PlatformOpener& open) {
    ChoicesOnPlatform resolved;
    std::optional<host::ScreenSize> size;
    if (asksForScreen(choices)) {
        try {
            resolved.platform = open();
        } catch (const std::exception&) {
            // The start opens it again and shows why it cannot.
        }
        // A platform that refuses the run says why when the tool starts; the screen is moot.
        if (resolved.platform && !resolved.platform->refusal()) {
            const host::Screen screen = resolved.platform->screen();
            size = screen.size;
            if (!size) resolved.noScreen = "there is no screen to match (" + screen.source + ")";
        }
    }
    resolved.given = resolveChoices(choices, size);
    if (size && refusedByTheBoxes(resolved.given)) {
        resolved.noScreen = "the screen's size, " + std::to_string(size->width) + " x " +
                            std::to_string(size->height) +
                            ", does not fit the window's size boxes (at most " +
                            std::to_string(ui::kSizeBoxMaxLength) + " digits each)";
    }
    return resolved;
}

PlatformOpener openedOr(ChoicesOnPlatform& resolved, const PlatformOpener& open) {
    return [&resolved, open] {
        if (resolved.platform) return std::move(resolved.platform);
        return open();
    };
}

std::string noScreenReason(const std::string& why) {
    return why + "; give the size instead, for example --resolution 1280x800";
}

}  // namespace quenor::ctl
