// SHA-256 through OpenSSL's libcrypto.
#include <openssl/evp.h>

#include <stdexcept>

#include "lib/digest/sha256.h"

namespace quenor::digest {

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->context = EVP_MD_CTX_new();
    if (state_->context == nullptr ||
        EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(state_->context);
        throw std::runtime_error("SHA-256 is not available from libcrypto");
    }
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(state_->context);
}

void Sha256::update(std::span<const std::uint8_t> bytes) {
    if (!bytes.empty()) EVP_DigestUpdate(state_->context, bytes.data(), bytes.size());
}

std::array<std::uint8_t, 32> Sha256::finish() {
    std::array<std::uint8_t, 32> digest{};
    unsigned length = 0;
    EVP_DigestFinal_ex(state_->context, digest.data(), &length);
    return digest;
}

}  // namespace quenor::digest
