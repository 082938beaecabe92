#include "server/password_hash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <charconv>
#include <optional>
#include <vector>

#include "common/hex.h"

namespace server {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;
constexpr int kMaximumIterations = 100'000'000;

bool FromHex(std::string_view text, std::vector<uint8_t>& bytes) {
    std::optional<std::string> decoded = common::HexDecode(text);
    if (!decoded) return false;
    bytes.assign(decoded->begin(), decoded->end());
    return true;
}

// Splits "a$b$c$d" into exactly four parts.
bool SplitRecord(std::string_view record, std::array<std::string_view, 4>& parts) {
    for (size_t i = 0; i < 3; ++i) {
        size_t dollar = record.find('$');
        if (dollar == std::string_view::npos) return false;
        parts[i] = record.substr(0, dollar);
        record.remove_prefix(dollar + 1);
    }
    if (record.find('$') != std::string_view::npos) return false;
    parts[3] = record;
    return true;
}

}  // namespace

bool DerivePbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt, int iterations,
                        std::span<uint8_t> out) {
    if (iterations < 1 || out.empty()) return false;
    return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                             static_cast<int>(salt.size()), iterations, EVP_sha256(),
                             static_cast<int>(out.size()), out.data()) == 1;
}

std::string MakePasswordRecord(std::string_view password, int iterations) {
    std::array<uint8_t, kSaltBytes> salt;
    std::array<uint8_t, kHashBytes> hash;
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) return {};
    if (!DerivePbkdf2Sha256(password, salt, iterations, hash)) return {};
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + common::HexEncode(salt) + "$" + common::HexEncode(hash);
}

bool CheckPassword(std::string_view password, std::string_view record) {
    std::array<std::string_view, 4> parts;
    if (!SplitRecord(record, parts) || parts[0] != kScheme) return false;
    int iterations = 0;
    auto [end, error] = std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), iterations);
    if (error != std::errc() || end != parts[1].data() + parts[1].size()) return false;
    if (iterations < 1 || iterations > kMaximumIterations) return false;
    std::vector<uint8_t> salt, expected;
    if (!FromHex(parts[2], salt) || !FromHex(parts[3], expected) || expected.empty()) return false;
    std::vector<uint8_t> actual(expected.size());
    if (!DerivePbkdf2Sha256(password, salt, iterations, actual)) return false;
    return CRYPTO_memcmp(actual.data(), expected.data(), expected.size()) == 0;
}

}  // namespace server
