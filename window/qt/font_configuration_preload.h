#pragma once

#include <thread>

namespace quenor::ui::qt {

// Reads the system's font configuration on a second thread while the program connects to
// the display and loads its settings. Reading it (fontconfig parses every file under
// /etc/fonts) is the largest single cost of showing the first text, and Qt would otherwise
// do it on the main thread when the first control asks for its font.
//
// Construct it before the QApplication and call waitUntilRead() before the first widget is
// built. Fontconfig is thread-safe, so a font used earlier (a message box at start-up) is
// still correct; it only reads the configuration a second time.
class FontConfigurationPreload {
  public:
    FontConfigurationPreload();
    ~FontConfigurationPreload();
    FontConfigurationPreload(const FontConfigurationPreload&) = delete;
    FontConfigurationPreload& operator=(const FontConfigurationPreload&) = delete;

    void waitUntilRead();

  private:
    std::thread reader_;
};

}  // namespace quenor::ui::qt
