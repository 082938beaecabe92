// Signatures of update documents, in the format of the minisign tool: a
// `<document>.minisig` file beside the document, Ed25519 over the document's
// BLAKE2b-512 hash ("ED", what `minisign -S` writes) or over its bytes
// ("Ed", the legacy form), and a second signature over the first and the
// trusted comment. Verified with a key pinned into the updater: the base64
// line of a minisign public key file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

using KeyId = std::array<unsigned char, 8>;

struct PublicKey {
    KeyId id{};
    std::array<unsigned char, 32> key{};
};

// The line of a minisign public key file ("RW..."); nothing when it is not one.
std::optional<PublicKey> ParsePublicKey(std::string_view base64Line);

// A signature file is a few short lines; anything longer is refused unread.
constexpr size_t kLargestSignatureFile = 8192;

struct SignatureFile {
    bool prehashed = false;  // "ED": the signature covers the document's BLAKE2b-512 hash
    KeyId keyId{};
    std::array<unsigned char, 64> signature{};
    std::string trustedComment;  // as signed, without its "trusted comment: " prefix
    std::array<unsigned char, 64> globalSignature{};
};

enum class SignatureStatus {
    Ok,
    Malformed,         // not the four lines of a signature file, bad base64, or too large
    UnknownAlgorithm,  // neither "Ed" nor "ED"
    UnknownKey,        // signed by a key that is not pinned
    BadSignature,      // the document (or the trusted comment) is not what was signed
};

SignatureStatus ParseSignatureFile(std::string_view text, SignatureFile* file);

struct Verification {
    SignatureStatus status = SignatureStatus::Malformed;
    KeyId keyId{};               // the signing key's id, once the file could be read
    std::string trustedComment;  // once verified
};

// Verifies the exact bytes of `document` against the signature file with the
// pinned key of the signature's key id.
Verification VerifySignature(std::string_view document, std::string_view signatureFile,
                             const std::vector<PublicKey>& trusted);

// A key id as minisign shows it: 16 upper-case hex digits.
std::string KeyIdText(const KeyId& id);

// Base64 (with padding, no line breaks) both ways; nothing for anything else.
std::optional<std::string> FromBase64(std::string_view text);
std::string ToBase64(std::string_view bytes);

}  // namespace updater
