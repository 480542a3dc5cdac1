#include <cerrno>
#include <cstring>
#include <fstream>

#include "lib/registry/wine/platform/atomic_file.h"

namespace quenor::reg::wine {

bool readWholeFile(const std::filesystem::path& file, std::size_t maxBytes, std::string& bytes,
                   std::string& error) {
    std::error_code code;
    const auto size = std::filesystem::file_size(file, code);
    if (code) {
        error = "cannot read \"" + file.string() + "\": " + code.message();
        return false;
    }
    if (size > maxBytes) {
        error = "\"" + file.string() + "\" is " + std::to_string(size) +
                " bytes long, more than a registry file can be (" + std::to_string(maxBytes) + ")";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot open \"" + file.string() + "\": " + std::strerror(errno);
        return false;
    }
    bytes.assign(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (static_cast<std::size_t>(in.gcount()) != size) {
        error = "cannot read \"" + file.string() + "\": it changed size while being read";
        return false;
    }
    if (in.peek() != std::char_traits<char>::eof()) {
        error = "cannot read \"" + file.string() + "\": it grew while being read";
        return false;
    }
    return true;
}

}  // namespace quenor::reg::wine
