// SHA-256 through OpenSSL's libcrypto.
#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <stdexcept>

#include "lib/digest/sha256.h"

namespace quenor::digest {

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
};

namespace {

// libcrypto without the system's openssl.cnf: a digest of the player's files needs none of
// its providers or engines, and a libcrypto linked into the program must not read a
// configuration written for another OpenSSL version (or fail when that one is missing).
bool initialiseWithoutConfiguration() {
    static const bool initialised = OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG, nullptr) == 1;
    return initialised;
}

}  // namespace

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!initialiseWithoutConfiguration()) {
        throw std::runtime_error("libcrypto could not be initialised");
    }
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
