#include "Sha256.h"

#include <openssl/evp.h>

namespace ruva {

struct Sha256::State {
    EVP_MD_CTX* Context = EVP_MD_CTX_new();
    bool Good = Context != nullptr && EVP_DigestInit_ex(Context, EVP_sha256(), nullptr) == 1;
    ~State() { EVP_MD_CTX_free(Context); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {}
Sha256::~Sha256() = default;

void Sha256::Update(std::span<const unsigned char> bytes) {
    if (state_->Good && !bytes.empty())
        state_->Good = EVP_DigestUpdate(state_->Context, bytes.data(), bytes.size()) == 1;
}

std::string Sha256::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!state_->Good || EVP_DigestFinal_ex(state_->Context, digest, &size) != 1)
        return {};
    state_->Good = false;
    return HexDigits({digest, size});
}

} // namespace ruva
