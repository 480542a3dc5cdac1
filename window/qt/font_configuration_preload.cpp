#include "window/qt/font_configuration_preload.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace quenor::ui::qt {

FontConfigurationPreload::FontConfigurationPreload() {
    try {
        // FcInit() loads the configuration and font list as the process-wide current one,
        // which is the one Qt's font database then uses. A failure here is not ours to
        // report: Qt meets the same configuration and handles it.
        reader_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: Qt reads the configuration itself, as it would without us.
    }
}

FontConfigurationPreload::~FontConfigurationPreload() {
    waitUntilRead();
}

void FontConfigurationPreload::waitUntilRead() {
    if (reader_.joinable()) reader_.join();
}

}  // namespace quenor::ui::qt
