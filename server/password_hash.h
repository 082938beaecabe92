// Salted, slow password hashes: PBKDF2-HMAC-SHA256, stored as
// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>" so the cost can rise without
// invalidating older records.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace server {

// Writes out.size() derived bytes; false when the library refuses.
bool DerivePbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt, int iterations,
                        std::span<uint8_t> out);

// A record for `password` with a fresh random salt; empty on failure.
std::string MakePasswordRecord(std::string_view password, int iterations);

// Whether `password` matches `record`; false for a record that cannot be read.
bool CheckPassword(std::string_view password, std::string_view record);

}  // namespace server
