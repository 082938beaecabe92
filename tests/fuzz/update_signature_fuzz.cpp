// fuzz-sources: update_format/update_signature.cpp
// fuzz-libraries: -lsodium
// fuzz-seeds: tests/data/updates/*.minisig
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "update_format/update_signature.h"

// Whatever the bytes, reading a signature file stays inside them, and no
// signature file verifies a document that the pinned key never signed.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<updater::PublicKey> kPinned = {
        *updater::ParsePublicKey("RWSO5rq1BUZXU7IcOrduNKJvXV4AYc1nzJlpAp64h80p6K0xFG6zlrp4")};
    std::string_view input(reinterpret_cast<const char*>(data), size);
    updater::SignatureFile file;
    updater::SignatureStatus status = updater::ParseSignatureFile(input, &file);
    if (status == updater::SignatureStatus::Ok && input.size() > updater::kLargestSignatureFile) __builtin_trap();
    updater::Verification result = updater::VerifySignature("never signed", input, kPinned);
    if (result.status == updater::SignatureStatus::Ok) __builtin_trap();
    updater::KeyIdText(result.keyId);
    updater::ParsePublicKey(input);
    return 0;
}
