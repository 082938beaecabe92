// Password records: the derivation matches published vectors, and records verify
// only the password they were made from.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "common/hex.h"
#include "server/password_hash.h"

namespace {

std::string Hex(std::span<const uint8_t> bytes) {
    return common::HexEncode(bytes);
}

struct Vector {
    const char* password;
    const char* salt;
    int iterations;
    const char* derived;  // 64 bytes
};

TEST(Pbkdf2Sha256, MatchesPublishedVectors) {
    const Vector vectors[] = {
        {"passwd", "salt", 1,
         "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
         "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"},
        {"Password", "NaCl", 80000,
         "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
         "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d"},
    };
    for (const Vector& v : vectors) {
        std::string salt = v.salt;
        std::array<uint8_t, 64> derived{};
        ASSERT_TRUE(server::DerivePbkdf2Sha256(
            v.password, {reinterpret_cast<const uint8_t*>(salt.data()), salt.size()}, v.iterations, derived));
        EXPECT_EQ(Hex(derived), v.derived) << v.password;
    }
}

TEST(PasswordRecords, VerifyOnlyTheirOwnPassword) {
    std::string record = server::MakePasswordRecord("秘密123", 1000);
    ASSERT_FALSE(record.empty());
    EXPECT_TRUE(server::CheckPassword("秘密123", record));
    EXPECT_FALSE(server::CheckPassword("秘密124", record));
    EXPECT_FALSE(server::CheckPassword("", record));
    EXPECT_EQ(record.find("秘密123"), std::string::npos);
}

TEST(PasswordRecords, DamagedRecordsNeverVerify) {
    std::string good = server::MakePasswordRecord("secret1", 1000);
    std::string changedHash = good;
    changedHash.back() = changedHash.back() == '0' ? '1' : '0';
    std::string fewerIterations = good;
    fewerIterations.replace(fewerIterations.find("$1000$"), 6, "$999$");
    const std::string damaged[] = {
        "",
        "secret1",
        changedHash,
        fewerIterations,
        "pbkdf2-sha256$0$00$00",
        "pbkdf2-sha256$x$00$00",
        "pbkdf2-sha256$1000$0g$00",
        "pbkdf2-sha256$1000$00$",
        "md5$1000$00$00",
        good + "$extra",
    };
    for (const std::string& record : damaged) {
        EXPECT_FALSE(server::CheckPassword("secret1", record)) << record;
    }
}

}  // namespace
