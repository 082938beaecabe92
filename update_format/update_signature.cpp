#include "update_format/update_signature.h"

#include <sodium.h>

#include <algorithm>

namespace updater {
namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment: ";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";
constexpr size_t kHashBytes = crypto_generichash_BYTES_MAX;  // 64: BLAKE2b-512

bool SodiumReady() { return sodium_init() >= 0; }

// The file's lines without their line ends (LF or CR LF); a last line end is optional.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

// Exactly `size` bytes from base64, or false.
template <size_t N>
bool DecodeExactly(std::string_view text, std::array<unsigned char, N>* out) {
    std::optional<std::string> bytes = FromBase64(text);
    if (!bytes || bytes->size() != N) return false;
    std::copy(bytes->begin(), bytes->end(), out->begin());
    return true;
}

bool Verify(const std::array<unsigned char, 64>& signature, std::string_view message, const PublicKey& key) {
    return crypto_sign_verify_detached(signature.data(), reinterpret_cast<const unsigned char*>(message.data()),
                                       message.size(), key.key.data()) == 0;
}

}  // namespace

std::optional<std::string> FromBase64(std::string_view text) {
    if (!SodiumReady() || text.size() > (1u << 26)) return std::nullopt;
    std::string bytes(text.size() / 4 * 3 + 3, '\0');
    size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), text.data(), text.size(),
                          nullptr, &length, &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
        end != text.data() + text.size())
        return std::nullopt;
    bytes.resize(length);
    return bytes;
}

std::string ToBase64(std::string_view bytes) {
    if (!SodiumReady()) return std::string();
    std::string text(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                      sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1);  // the terminating NUL
    return text;
}

std::optional<PublicKey> ParsePublicKey(std::string_view base64Line) {
    std::array<unsigned char, 42> bytes{};
    if (!DecodeExactly(base64Line, &bytes) || bytes[0] != 'E' || bytes[1] != 'd') return std::nullopt;
    PublicKey key;
    std::copy(bytes.begin() + 2, bytes.begin() + 10, key.id.begin());
    std::copy(bytes.begin() + 10, bytes.end(), key.key.begin());
    return key;
}

SignatureStatus ParseSignatureFile(std::string_view text, SignatureFile* file) {
    *file = SignatureFile();
    if (text.size() > kLargestSignatureFile) return SignatureStatus::Malformed;
    std::vector<std::string_view> lines = Lines(text);
    if (lines.size() != 4 || !lines[0].starts_with(kUntrustedPrefix) || !lines[2].starts_with(kTrustedPrefix))
        return SignatureStatus::Malformed;
    std::array<unsigned char, 74> signature{};  // algorithm, key id, signature
    SignatureFile parsed;
    if (!DecodeExactly(lines[1], &signature) || !DecodeExactly(lines[3], &parsed.globalSignature))
        return SignatureStatus::Malformed;
    if (signature[0] != 'E' || (signature[1] != 'd' && signature[1] != 'D')) return SignatureStatus::UnknownAlgorithm;
    parsed.prehashed = signature[1] == 'D';
    std::copy(signature.begin() + 2, signature.begin() + 10, parsed.keyId.begin());
    std::copy(signature.begin() + 10, signature.end(), parsed.signature.begin());
    parsed.trustedComment = std::string(lines[2].substr(kTrustedPrefix.size()));
    *file = std::move(parsed);
    return SignatureStatus::Ok;
}

Verification VerifySignature(std::string_view document, std::string_view signatureFile,
                             const std::vector<PublicKey>& trusted) {
    Verification result;
    SignatureFile file;
    if (!SodiumReady()) return result;
    result.status = ParseSignatureFile(signatureFile, &file);
    if (result.status != SignatureStatus::Ok) return result;
    result.keyId = file.keyId;
    auto key = std::find_if(trusted.begin(), trusted.end(), [&](const PublicKey& k) { return k.id == file.keyId; });
    if (key == trusted.end()) {
        result.status = SignatureStatus::UnknownKey;
        return result;
    }
    std::string_view signedBytes = document;
    unsigned char hash[kHashBytes];
    if (file.prehashed) {
        crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(document.data()), document.size(),
                           nullptr, 0);
        signedBytes = std::string_view(reinterpret_cast<const char*>(hash), sizeof hash);
    }
    std::string global(file.signature.begin(), file.signature.end());
    global += file.trustedComment;
    if (!Verify(file.signature, signedBytes, *key) || !Verify(file.globalSignature, global, *key)) {
        result.status = SignatureStatus::BadSignature;
        return result;
    }
    result.status = SignatureStatus::Ok;
    result.trustedComment = file.trustedComment;
    return result;
}

std::string KeyIdText(const KeyId& id) {
    // minisign shows the id as a little-endian 64-bit number.
    KeyId reversed;
    std::reverse_copy(id.begin(), id.end(), reversed.begin());
    char hex[2 * sizeof reversed + 1];
    if (!SodiumReady()) return std::string();
    sodium_bin2hex(hex, sizeof hex, reversed.data(), reversed.size());
    std::string text(hex);
    for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
    return text;
}

}  // namespace updater
