// SHA-256 through Windows' own BCrypt.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>

#include "lib/digest/sha256.h"

namespace quenor::digest {

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0 ||
        BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0) != 0) {
        if (state_->algorithm != nullptr) BCryptCloseAlgorithmProvider(state_->algorithm, 0);
        throw std::runtime_error("SHA-256 is not available from BCrypt");
    }
}

Sha256::~Sha256() {
    BCryptDestroyHash(state_->hash);
    BCryptCloseAlgorithmProvider(state_->algorithm, 0);
}

void Sha256::update(std::span<const std::uint8_t> bytes) {
    // BCrypt takes at most 4 GiB at once; pieces are far smaller.
    if (!bytes.empty()) {
        BCryptHashData(state_->hash, const_cast<PUCHAR>(bytes.data()),
                       static_cast<ULONG>(bytes.size()), 0);
    }
}

std::array<std::uint8_t, 32> Sha256::finish() {
    std::array<std::uint8_t, 32> digest{};
    BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
    return digest;
}

}  // namespace quenor::digest
