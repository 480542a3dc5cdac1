#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "lib/files/file_io.h"

namespace quenor::digest {

// SHA-256, from the system's own implementation: OpenSSL's libcrypto on Linux, BCrypt on
// Windows.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(std::span<const std::uint8_t> bytes);
    // The digest of everything given; the object is spent.
    std::array<std::uint8_t, 32> finish();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The digest in lower-case hexadecimal.
std::string hex(const std::array<std::uint8_t, 32>& digest);

// The SHA-256 of a whole file, read in pieces through the file layer, as hexadecimal. Throws
// files::FileIoError.
std::string fileSha256(files::FileIo& io, const std::filesystem::path& file);

}  // namespace quenor::digest
