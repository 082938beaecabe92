#include "tools/publish/signing_key.h"

#include <sodium.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace publish {
namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment: ";

// The secret key file's record, as minisign lays it out.
constexpr size_t kAlgorithmAt = 0, kKdfAt = 2, kChecksumAlgorithmAt = 4, kSaltAt = 6, kOpsAt = 38, kMemoryAt = 46,
                 kKeyIdAt = 54, kSecretAt = 62, kChecksumAt = 126, kRecordSize = 158;
constexpr size_t kSaltSize = 32, kChecksumSize = 32;

uint64_t LittleEndian64(const unsigned char* bytes) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

bool AllZero(const unsigned char* bytes, size_t size) {
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

// The checksum minisign keeps: BLAKE2b-256 of the algorithm, the key id and the secret key.
void Checksum(const unsigned char* record, unsigned char* out) {
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, kChecksumSize);
    crypto_generichash_update(&state, record + kAlgorithmAt, 2);
    crypto_generichash_update(&state, record + kKeyIdAt, 8);
    crypto_generichash_update(&state, record + kSecretAt, 64);
    crypto_generichash_final(&state, out, kChecksumSize);
}

std::string Description(KeyProblem problem) {
    switch (problem) {
    case KeyProblem::Malformed: return "not a minisign secret key file";
    case KeyProblem::UnknownAlgorithm: return "a secret key of an algorithm other than minisign's Ed25519";
    case KeyProblem::NeedsPassword:
        return "the secret key is protected by a password: set LUMADREL_UPDATE_KEY_PASSWORD";
    case KeyProblem::WrongPassword: return "wrong password for the secret key (or the key file is damaged)";
    }
    return std::string();
}

KeyError Problem(KeyProblem problem) { return KeyError{problem, Description(problem)}; }

}  // namespace

updater::PublicKey SigningKey::Public() const {
    updater::PublicKey key;
    key.id = id;
    std::copy(secret.begin() + 32, secret.end(), key.key.begin());
    return key;
}

common::Result<SigningKey, KeyError> ParseSigningKey(std::string_view fileText,
                                                     const std::optional<std::string>& password) {
    SigningKey key;
    if (sodium_init() < 0) return Problem(KeyProblem::Malformed);
    size_t firstEnd = fileText.find('\n');
    if (firstEnd == std::string_view::npos || !fileText.starts_with(kUntrustedPrefix))
        return Problem(KeyProblem::Malformed);
    std::string_view line = fileText.substr(firstEnd + 1);
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::optional<std::string> decoded = updater::FromBase64(line);
    if (!decoded || decoded->size() != kRecordSize) return Problem(KeyProblem::Malformed);
    auto* record = reinterpret_cast<unsigned char*>(decoded->data());
    if (std::memcmp(record + kAlgorithmAt, "Ed", 2) != 0 || std::memcmp(record + kChecksumAlgorithmAt, "B2", 2) != 0)
        return Problem(KeyProblem::UnknownAlgorithm);
    const bool encrypted = std::memcmp(record + kKdfAt, "Sc", 2) == 0;
    if (!encrypted && !AllZero(record + kKdfAt, 2)) return Problem(KeyProblem::UnknownAlgorithm);
    if (encrypted) {
        if (!password) return Problem(KeyProblem::NeedsPassword);
        unsigned char stream[kRecordSize - kKeyIdAt];
        if (crypto_pwhash_scryptsalsa208sha256(stream, sizeof stream, password->data(), password->size(),
                                               record + kSaltAt, LittleEndian64(record + kOpsAt),
                                               static_cast<size_t>(LittleEndian64(record + kMemoryAt))) != 0)
            return Problem(KeyProblem::WrongPassword);
        for (size_t i = 0; i < sizeof stream; ++i) record[kKeyIdAt + i] ^= stream[i];
        sodium_memzero(stream, sizeof stream);
    }
    // A key made without a password may carry no checksum; the key pair is checked either way.
    unsigned char checksum[kChecksumSize];
    Checksum(record, checksum);
    bool checksumAgrees = std::memcmp(checksum, record + kChecksumAt, kChecksumSize) == 0 ||
                          (!encrypted && AllZero(record + kChecksumAt, kChecksumSize));
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES], derived[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(publicKey, derived, record + kSecretAt);
    bool pairAgrees = std::memcmp(derived, record + kSecretAt, sizeof derived) == 0;
    sodium_memzero(derived, sizeof derived);
    if (!checksumAgrees || !pairAgrees) {
        sodium_memzero(decoded->data(), decoded->size());
        return Problem(KeyProblem::WrongPassword);
    }
    std::copy(record + kKeyIdAt, record + kKeyIdAt + 8, key.id.begin());
    std::copy(record + kSecretAt, record + kSecretAt + 64, key.secret.begin());
    sodium_memzero(decoded->data(), decoded->size());
    return key;
}

common::Result<SigningKey> LoadSigningKey(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if ((!in.good() && !in.eof()) || text.empty()) return common::Error{"cannot read the secret key " + path};
    std::optional<std::string> password;
    if (const char* given = std::getenv("LUMADREL_UPDATE_KEY_PASSWORD")) password = given;
    auto key = ParseSigningKey(text, password);
    sodium_memzero(text.data(), text.size());
    if (!key) return common::WithContext(path + ": ", common::Error(key.error()));
    return *key;
}

std::string SignDocument(std::string_view document, const SigningKey& key, std::string_view trustedComment) {
    unsigned char hash[crypto_generichash_BYTES_MAX];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(document.data()), document.size(),
                       nullptr, 0);
    std::string signature = "ED";
    signature.append(key.id.begin(), key.id.end());
    unsigned char bytes[crypto_sign_BYTES];
    crypto_sign_detached(bytes, nullptr, hash, sizeof hash, key.secret.data());
    signature.append(reinterpret_cast<const char*>(bytes), sizeof bytes);

    std::string global(reinterpret_cast<const char*>(bytes), sizeof bytes);
    global += trustedComment;
    unsigned char globalBytes[crypto_sign_BYTES];
    crypto_sign_detached(globalBytes, nullptr, reinterpret_cast<const unsigned char*>(global.data()), global.size(),
                         key.secret.data());
    return std::string(kUntrustedPrefix) + "signature from lumadrel-publish secret key\n" +
           updater::ToBase64(signature) + "\ntrusted comment: " + std::string(trustedComment) + "\n" +
           updater::ToBase64(std::string_view(reinterpret_cast<const char*>(globalBytes), sizeof globalBytes)) + "\n";
}

}  // namespace publish
