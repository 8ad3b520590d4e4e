#pragma once
// SHA-256 of a stream of bytes, by the system's cryptography (OpenSSL's libcrypto on Linux, CryptoAPI
// on Windows), for the audit trail's record of the configuration file a board was written from.

#include <memory>
#include <span>
#include <string>

namespace ruva {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(std::span<const unsigned char> bytes);
    // The digest of all bytes given, as 64 lower-case hexadecimal digits, or empty when the system
    // could not compute it. Ends the hash: give no more bytes after it.
    std::string HexDigest();

    struct State; // the platform's hash

private:
    std::unique_ptr<State> state_;
};

// The digest as lower-case hexadecimal digits.
std::string HexDigits(std::span<const unsigned char> digest);

} // namespace ruva
