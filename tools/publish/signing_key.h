// Signing update documents with a minisign secret key file (`minisign -G`),
// so that operators can sign with this tool or with minisign itself. Keys
// protected by a password are opened with it; keys made with `-W` need none.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/result.h"
#include "update_format/update_signature.h"

namespace publish {

struct SigningKey {
    updater::KeyId id{};
    std::array<unsigned char, 64> secret{};  // Ed25519: seed and public key
    updater::PublicKey Public() const;
};

enum class KeyProblem {
    Malformed,         // not a minisign secret key file
    UnknownAlgorithm,  // a signature, key derivation or checksum algorithm other than minisign's
    NeedsPassword,     // the key is protected by a password and none was given
    WrongPassword,     // or a damaged key: the checksum or the key pair does not agree
};

// The problem and its description.
using KeyError = common::BasicError<KeyProblem>;

// `password` is ignored for a key without one.
common::Result<SigningKey, KeyError> ParseSigningKey(std::string_view fileText,
                                                     const std::optional<std::string>& password);

// Reads the key file; the password of a protected key comes from the
// environment (LUMADREL_UPDATE_KEY_PASSWORD), never from a command line.
common::Result<SigningKey> LoadSigningKey(const std::string& path);

// The signature file for `document` in minisign's default (pre-hashed) form,
// with the trusted comment signed as well.
std::string SignDocument(std::string_view document, const SigningKey& key, std::string_view trustedComment);

}  // namespace publish
