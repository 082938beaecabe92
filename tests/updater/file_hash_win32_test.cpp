// SHA-256 through CNG: the standard test vectors, in memory and from files
// read in chunks.
#include <gtest/gtest.h>

#include <string>

#include "support/scratch_folder_win32.h"
#include "updater/file_hash_win32.h"

namespace {

using updater::HashStatus;

TEST(Sha256, GivesTheStandardDigests) {
    struct Case {
        std::string bytes;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (const Case& c : cases) {
        updater::Sha256 sha;
        ASSERT_TRUE(sha.Ready());
        // In two pieces: the digest does not depend on how the bytes arrive.
        sha.Add(c.bytes.data(), c.bytes.size() / 2);
        sha.Add(c.bytes.data() + c.bytes.size() / 2, c.bytes.size() - c.bytes.size() / 2);
        EXPECT_EQ(sha.FinishHex(), c.digest) << c.bytes;
    }
}

TEST(Sha256, HashesFilesAcrossReadChunks) {
    updater::testing::ScratchFolder folder;
    folder.Write("million", std::string(1000000, 'a'));
    folder.Write("two-chunks", std::string((1 << 20) * 2 + 3, 'a'));
    std::string hex;
    uint64_t seen = 0;
    EXPECT_EQ(updater::HashFile(folder.Path() + L"\\million", &hex, [&](uint64_t bytes) {
                  seen += bytes;
                  return true;
              }),
              HashStatus::Ok);
    EXPECT_EQ(hex, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(seen, 1000000u);

    EXPECT_EQ(updater::HashFile(folder.Path() + L"\\two-chunks", &hex, [](uint64_t) { return false; }),
              HashStatus::Cancelled);
    unsigned long error = 0;
    EXPECT_EQ(updater::HashFile(folder.Path() + L"\\missing", &hex, nullptr, &error), HashStatus::CannotRead);
    EXPECT_EQ(error, 2u);  // ERROR_FILE_NOT_FOUND
}

}  // namespace
