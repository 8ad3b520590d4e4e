// CryptoAPI's SHA-256 (CALG_SHA_256), which the provider type PROV_RSA_AES offers from Windows XP SP3 on.

#include "Sha256.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <wincrypt.h>

#include <algorithm>

namespace ruva {

namespace {
// XP SP3 brought SHA-256 to CryptoAPI; the headers of XP (before SP3), which the build compiles
// against, leave its identifier out.
#ifndef CALG_SHA_256
constexpr ALG_ID CalgSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12; // ALG_SID_SHA_256
#else
constexpr ALG_ID CalgSha256 = CALG_SHA_256;
#endif
} // namespace

struct Sha256::State {
    HCRYPTPROV Provider = 0;
    HCRYPTHASH Hash = 0;
    bool Good = false;
    State() {
        Good = CryptAcquireContextW(&Provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
               CryptCreateHash(Provider, CalgSha256, 0, 0, &Hash);
    }
    ~State() {
        if (Hash != 0)
            CryptDestroyHash(Hash);
        if (Provider != 0)
            CryptReleaseContext(Provider, 0);
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {}
Sha256::~Sha256() = default;

void Sha256::Update(std::span<const unsigned char> bytes) {
    // Given in pieces that a DWORD counts.
    constexpr std::size_t Piece = 1u << 30;
    for (std::size_t at = 0; state_->Good && at < bytes.size(); at += Piece) {
        const auto size = static_cast<DWORD>(std::min(Piece, bytes.size() - at));
        state_->Good = CryptHashData(state_->Hash, bytes.data() + at, size, 0);
    }
}

std::string Sha256::HexDigest() {
    unsigned char digest[32];
    DWORD size = sizeof digest;
    if (!state_->Good || !CryptGetHashParam(state_->Hash, HP_HASHVAL, digest, &size, 0))
        return {};
    state_->Good = false;
    return HexDigits({digest, size});
}

} // namespace ruva
