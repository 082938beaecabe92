// SHA-256 through the system's cryptography API (CNG).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace updater {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool Ready() const { return hash_ != nullptr; }
    bool Add(const void* bytes, size_t size);
    // 64 lower-case hex digits; empty when hashing failed.
    std::string FinishHex();

private:
    void* algorithm_ = nullptr;
    void* hash_ = nullptr;
    bool failed_ = false;
};

enum class HashStatus { Ok, CannotRead, Cancelled, NoHashing };

// Hashes a whole file, reporting the bytes read as it goes; `onBytes`
// returning false stops it (Cancelled). `systemError` gets the Windows error
// of a failed read.
HashStatus HashFile(const std::wstring& path, std::string* hex, const std::function<bool(uint64_t)>& onBytes,
                    unsigned long* systemError = nullptr);

}  // namespace updater
