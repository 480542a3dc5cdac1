#pragma once

#include <string>

namespace quenor::ui::win32 {

// The model's texts are UTF-8; the window's controls are drawn through the UTF-16 calls.
std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);

}  // namespace quenor::ui::win32
