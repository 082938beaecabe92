#include "updater/file_hash_win32.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "common/hex.h"

namespace updater {
namespace {

constexpr DWORD kReadChunk = 1 << 20;
constexpr ULONG kDigestSize = 32;

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

Sha256::Sha256() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return;
    algorithm_ = algorithm;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (Succeeded(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0))) hash_ = hash;
}

Sha256::~Sha256() {
    if (hash_) BCryptDestroyHash(hash_);
    if (algorithm_) BCryptCloseAlgorithmProvider(algorithm_, 0);
}

bool Sha256::Add(const void* bytes, size_t size) {
    if (!hash_ || failed_) return false;
    auto data = static_cast<PUCHAR>(const_cast<void*>(bytes));
    while (size > 0) {
        ULONG piece = static_cast<ULONG>(size > 0x40000000 ? 0x40000000 : size);
        if (!Succeeded(BCryptHashData(hash_, data, piece, 0))) {
            failed_ = true;
            return false;
        }
        data += piece;
        size -= piece;
    }
    return true;
}

std::string Sha256::FinishHex() {
    UCHAR digest[kDigestSize];
    if (!hash_ || failed_ || !Succeeded(BCryptFinishHash(hash_, digest, kDigestSize, 0))) return std::string();
    failed_ = true;  // a finished hash takes no more data
    return common::HexEncode(digest);
}

HashStatus HashFile(const std::wstring& path, std::string* hex, const std::function<bool(uint64_t)>& onBytes,
                    unsigned long* systemError) {
    Sha256 sha;
    if (!sha.Ready()) return HashStatus::NoHashing;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (systemError) *systemError = GetLastError();
        return HashStatus::CannotRead;
    }
    std::vector<char> buffer(kReadChunk);
    HashStatus status = HashStatus::Ok;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, buffer.data(), kReadChunk, &read, nullptr)) {
            if (systemError) *systemError = GetLastError();
            status = HashStatus::CannotRead;
            break;
        }
        if (read == 0) break;
        if (!sha.Add(buffer.data(), read)) {
            status = HashStatus::NoHashing;
            break;
        }
        if (onBytes && !onBytes(read)) {
            status = HashStatus::Cancelled;
            break;
        }
    }
    CloseHandle(file);
    if (status == HashStatus::Ok) {
        *hex = sha.FinishHex();
        if (hex->empty()) status = HashStatus::NoHashing;
    }
    return status;
}

}  // namespace updater
