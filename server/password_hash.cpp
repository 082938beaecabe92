#include "server/password_hash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <charconv>
#include <vector>

namespace server {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;
constexpr int kMaximumIterations = 100'000'000;

std::string ToHex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 15]);
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool FromHex(std::string_view text, std::vector<uint8_t>& bytes) {
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
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
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + ToHex(salt) + "$" + ToHex(hash);
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
