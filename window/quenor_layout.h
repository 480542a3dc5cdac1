#pragma once

#include <cstddef>
#include <string_view>

#include "window/form_model.h"

namespace quenor::ui {

// Names of the controls of the tool's window, for handlers and front ends.
namespace control_names {
inline constexpr std::string_view kWindow = "Quenor";

inline constexpr std::string_view kOptResolution = "optResolution";
inline constexpr std::string_view kOptVsync = "optVSYNC";
inline constexpr std::string_view kOptFpsBoost = "optFPSboost";
inline constexpr std::string_view kOptLogging = "optQuenorLogging";

inline constexpr std::string_view kTxtResWidth = "txtResWidth";
inline constexpr std::string_view kTxtResHeight = "txtResHeight";
inline constexpr std::string_view kLstResFrame = "lstResFrame";
inline constexpr std::string_view kLabVersion = "labQuenorver";

inline constexpr std::string_view kLabMoreResolution = "labMoreResolution";
inline constexpr std::string_view kLabMoreInfoResFrame = "labMoreInfoResFrame";
inline constexpr std::string_view kLabMoreInfoVsync = "labMoreInfoVSYNC";
inline constexpr std::string_view kLabMoreInfoFps = "labMoreInfoFPS";
inline constexpr std::string_view kLabLoggingInfo = "labQuenorLogging";

inline constexpr std::string_view kBtnApplySettings = "btnApplySettings";
inline constexpr std::string_view kBtnSetDefaults = "btnSetDefaults";
inline constexpr std::string_view kBtnQuit = "btnQuit";
inline constexpr std::string_view kBtnDeleteLog = "btnDeleteQuenorlog";

inline constexpr std::string_view kFraResolution = "fraResolution";
inline constexpr std::string_view kFraVsync = "fraVSYNC";
inline constexpr std::string_view kFraFpsBoost = "fraFPSBoost";
inline constexpr std::string_view kFraLogging = "fraQuenorLogging";
}  // namespace control_names

// The most characters the user-defined width and height boxes take.
inline constexpr std::size_t kSizeBoxMaxLength = 4;

// Builds the tool's one window, "Quenor", with all 41 controls in their start state:
// no option selected, both size boxes empty and disabled (at most 4 characters), the
// frame list with its five entries, nothing selected and disabled, the version label
// showing "v". No handlers are registered.
FormModel buildQuenorForm();

}  // namespace quenor::ui
