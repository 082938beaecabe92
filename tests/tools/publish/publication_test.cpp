// Publishing a game folder: the files copied below the served folder and a
// document the updater accepts, or nothing new at all.
#include <gtest/gtest.h>
#include <sodium.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "support/tool_run.h"
#include "tools/publish/publication.h"
#include "update_format/chunk_index.h"
#include "update_format/update_document.h"
#include "update_format/update_signature.h"

namespace {

namespace fs = std::filesystem;

const std::string kKeys = std::string(LUMADREL_TEST_DATA_DIR) + "/update-keys/";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

publish::SigningKey TestKeyA() {
    auto key = publish::LoadSigningKey(kKeys + "TEST-ONLY-key-a.key");
    EXPECT_TRUE(key) << key.error().message;
    return key ? *key : publish::SigningKey();
}

// Keeps what a publish run gave: its summary, or its message in `error`.
bool Kept(common::Result<publish::PublishSummary> run, publish::PublishSummary* summary, std::string* error) {
    if (!run) {
        *error = run.error().message;
        return false;
    }
    *summary = *run;
    return true;
}

// The problem a key file has, none for a good one.
std::optional<publish::KeyProblem> ProblemOf(std::string_view file, const std::optional<std::string>& password,
                                             publish::SigningKey* key) {
    auto parsed = publish::ParseSigningKey(file, password);
    if (!parsed) return parsed.error().code;
    *key = *parsed;
    return std::nullopt;
}

updater::PublicKey PinnedKeyA() {
    std::string text = ReadFile(kKeys + "test-key-a.pub");
    return updater::ParsePublicKey(text.substr(text.find('\n') + 1, 56)).value();
}

class Publication : public ::testing::Test {
protected:
    Publication() {
        root_ = fs::temp_directory_path() / ("lumadrel-publish-test-" + std::to_string(getpid()));
        fs::remove_all(root_);
        Write("game/Lumadrel.exe", "abc");
        Write("game/data/map01.dat", "");
        Write("game/data/\xE5\x9C\xB0\xE5\x9B\xBE.dat", "map");  // UTF-8 for "地图"
        Write("game/update.ini", "[x]\r\n");
        Write("game/duzo.ini", "[duzo]\r\n");
        Write("game/tovrin.update/staged/part", "x");
        Write("game/launcher.log", "log");
        Write("game/logs/today.log", "log");
    }
    ~Publication() override { fs::remove_all(root_); }

    void Write(const std::string& relative, const std::string& bytes) const {
        fs::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& relative) const { return ReadFile((root_ / relative).string()); }
    publish::PublishRequest Request(const std::string& version, bool sign = false) const {
        publish::PublishRequest request;
        if (sign) request.signingKey = TestKeyA();
        request.now = 1800000000;
        request.version = version;
        request.gameFolder = (root_ / "game").string();
        request.wwwFolder = (root_ / "www").string();
        request.excluded = {"*.log"};
        return request;
    }
    updater::UpdateDocument Published() const {
        updater::UpdateDocument document;
        EXPECT_EQ(updater::ParseUpdateDocument(Read("www/vorlenk2/update.xml"), &document).status,
                  updater::DocumentStatus::Ok);
        return document;
    }

    fs::path root_;
};

TEST_F(Publication, ListsAndCopiesEveryGameFileButThePlayersOwn) {
    publish::PublishSummary summary;
    std::string error;
    ASSERT_TRUE(Kept(publish::Publish(Request("1.0.1")), &summary, &error)) << error;
    EXPECT_EQ(summary.files, 3u);
    updater::UpdateDocument document = Published();
    EXPECT_EQ(document.version, "1.0.1");
    EXPECT_EQ(document.base, "files/1.0.1/");
    ASSERT_EQ(document.files.size(), 3u);
    EXPECT_EQ(document.files[0].path, "Lumadrel.exe");
    EXPECT_EQ(document.files[0].size, 3u);
    EXPECT_EQ(document.files[0].sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(document.files[1].path, "data\\map01.dat");
    EXPECT_EQ(document.files[1].sha256, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(document.files[2].path, "data\\\xB5\xD8\xCD\xBC.dat");  // GBK for "地图"
    EXPECT_EQ(Read("www/vorlenk2/files/1.0.1/data/\xE5\x9C\xB0\xE5\x9B\xBE.dat"), "map");
    EXPECT_EQ(Read("www/vorlenk2/files/1.0.1/Lumadrel.exe"), "abc");
    EXPECT_FALSE(fs::exists(root_ / "www/vorlenk2/files/1.0.1/update.ini"));
    EXPECT_FALSE(fs::exists(root_ / "www/vorlenk2/files/1.0.1/logs"));
    // No temporary name is left behind.
    for (const auto& entry : fs::recursive_directory_iterator(root_ / "www"))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

TEST_F(Publication, ANewVersionReplacesTheDocumentAndKeepsTheOldFiles) {
    publish::PublishSummary summary;
    std::string error;
    ASSERT_TRUE(Kept(publish::Publish(Request("1.0.1")), &summary, &error)) << error;
    Write("game/Lumadrel.exe", "abcd");
    const std::string version = "\xE7\x89\x88\xE6\x9C\xAC\xE4\xBA\x8C";  // UTF-8 for "版本二"
    ASSERT_TRUE(Kept(publish::Publish(Request(version)), &summary, &error)) << error;
    updater::UpdateDocument document = Published();
    EXPECT_EQ(document.version, "\xB0\xE6\xB1\xBE\xB6\xFE");  // GBK
    EXPECT_EQ(document.base, "files/%E7%89%88%E6%9C%AC%E4%BA%8C/");
    EXPECT_EQ(Read("www/vorlenk2/files/" + version + "/Lumadrel.exe"), "abcd");
    EXPECT_EQ(Read("www/vorlenk2/files/1.0.1/Lumadrel.exe"), "abc");
}

TEST_F(Publication, LargeFilesGetAChunkIndexBesideThemThatTheDocumentNames) {
    std::string big(300 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
    Write("game/data/big.pak", big);
    publish::PublishSummary summary;
    std::string error;
    ASSERT_TRUE(Kept(publish::Publish(Request("1.0.1")), &summary, &error)) << error;
    EXPECT_EQ(summary.indexes, 1u);
    updater::UpdateDocument document = Published();
    ASSERT_EQ(document.files[1].path, "data\\big.pak");
    const std::string index = Read("www/vorlenk2/files/1.0.1/data/big.pak.chunks");
    EXPECT_EQ(document.files[1].chunksSize, index.size());
    EXPECT_EQ(updater::CheckIndexBytes(index, document.files[1].chunksSize, document.files[1].chunksSha256),
              updater::IndexStatus::Ok);
    updater::ChunkIndex read;
    ASSERT_EQ(updater::ParseChunkIndex(index, big.size(), &read), updater::IndexStatus::Ok);
    EXPECT_GE(read.Count(), 2u);
    for (size_t chunk = 0; chunk < read.Count(); ++chunk) {
        auto data = reinterpret_cast<const unsigned char*>(big.data()) + read.Offset(chunk);
        EXPECT_EQ(updater::HashChunk(data, read.Size(chunk)), read.hashes[chunk]) << chunk;
    }
    // Small files have none.
    EXPECT_FALSE(document.files[0].HasChunkIndex());
    EXPECT_FALSE(fs::exists(root_ / "www/vorlenk2/files/1.0.1/Lumadrel.exe.chunks"));

    publish::PublishRequest without = Request("1.0.2");
    without.chunkIndexes = false;
    ASSERT_TRUE(Kept(publish::Publish(without), &summary, &error)) << error;
    EXPECT_FALSE(Published().files[1].HasChunkIndex());
    EXPECT_FALSE(fs::exists(root_ / "www/vorlenk2/files/1.0.2/data/big.pak.chunks"));

    // A game file with the name of an index is refused, in any case, before anything is published.
    Write("game/data/BIG.pak.Chunks", "mine");
    EXPECT_FALSE(Kept(publish::Publish(Request("1.0.3")), &summary, &error));
    EXPECT_NE(error.find("data/BIG.pak.Chunks"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(root_ / "www/vorlenk2/files/1.0.3"));
    EXPECT_TRUE(Kept(publish::Publish(without), &summary, &error)) << error;
}

TEST_F(Publication, NamesTheUpdaterWouldRefuseAreNeverPublished) {
    publish::PublishSummary summary;
    std::string error;
    ASSERT_TRUE(Kept(publish::Publish(Request("1.0.1")), &summary, &error)) << error;
    const std::string before = Read("www/vorlenk2/update.xml");
    for (const char* name : {"game/CON.txt", "game/data/trailing.", "game/a:b", "game/data/NUL"}) {
        Write(name, "x");
        EXPECT_FALSE(Kept(publish::Publish(Request("1.0.2")), &summary, &error)) << name;
        EXPECT_NE(error.find(std::string(name).substr(5)), std::string::npos) << error;
        fs::remove(root_ / name);
    }
    for (const char* version : {"../up", ".hidden", "a/b", "\"1\"", ""}) {
        EXPECT_FALSE(Kept(publish::Publish(Request(version)), &summary, &error)) << version;
    }
    EXPECT_EQ(Read("www/vorlenk2/update.xml"), before);
    EXPECT_FALSE(fs::exists(root_ / "up"));
}

TEST_F(Publication, SignsEachDocumentWithTheNextSequenceAndAFreshExpiry) {
    publish::PublishSummary summary;
    std::string error;
    ASSERT_TRUE(Kept(publish::Publish(Request("1.0.1", true)), &summary, &error)) << error;
    EXPECT_TRUE(summary.isSigned);
    updater::UpdateDocument first = Published();
    EXPECT_EQ(first.sequence, 1u);
    EXPECT_EQ(first.expires, 1800000000 + 30 * 86400);
    updater::Verification verified = updater::VerifySignature(Read("www/vorlenk2/update.xml"),
                                                              Read("www/vorlenk2/update.xml.minisig"), {PinnedKeyA()});
    EXPECT_EQ(verified.status, updater::SignatureStatus::Ok);
    EXPECT_EQ(verified.trustedComment, "timestamp:1800000000\tfile:update.xml\thashed");

    publish::PublishRequest next = Request("1.0.2", true);
    next.expiresDays = 7;
    ASSERT_TRUE(Kept(publish::Publish(next), &summary, &error)) << error;
    EXPECT_EQ(Published().sequence, 2u);
    EXPECT_EQ(Published().expires, 1800000000 + 7 * 86400);

    // Re-signing touches no published file; the document gets a new expiry and sequence.
    const std::string files = Read("www/vorlenk2/files/1.0.2/Lumadrel.exe");
    const auto written = fs::last_write_time(root_ / "www/vorlenk2/files/1.0.2/Lumadrel.exe");
    publish::PublishRequest resign = Request("", true);
    resign.now = 1800000000 + 20 * 86400;
    ASSERT_TRUE(Kept(publish::Resign(resign), &summary, &error)) << error;
    updater::UpdateDocument resigned = Published();
    EXPECT_EQ(resigned.sequence, 3u);
    EXPECT_EQ(resigned.expires, resign.now + 30 * 86400);
    EXPECT_EQ(resigned.version, "1.0.2");
    EXPECT_EQ(resigned.files.size(), 3u);
    EXPECT_EQ(Read("www/vorlenk2/files/1.0.2/Lumadrel.exe"), files);
    EXPECT_EQ(fs::last_write_time(root_ / "www/vorlenk2/files/1.0.2/Lumadrel.exe"), written);
    EXPECT_EQ(updater::VerifySignature(Read("www/vorlenk2/update.xml"), Read("www/vorlenk2/update.xml.minisig"),
                                       {PinnedKeyA()})
                  .status,
              updater::SignatureStatus::Ok);

    // Unsigned, the signature of the document before goes: it no longer fits.
    ASSERT_TRUE(Kept(publish::Publish(Request("1.0.3")), &summary, &error)) << error;
    EXPECT_FALSE(summary.isSigned);
    EXPECT_EQ(Published().sequence, 4u);
    EXPECT_FALSE(fs::exists(root_ / "www/vorlenk2/update.xml.minisig"));
    for (int days : {0, -1, publish::kMostExpiresDays + 1}) {
        publish::PublishRequest bad = Request("1.0.4", true);
        bad.expiresDays = days;
        EXPECT_FALSE(Kept(publish::Publish(bad), &summary, &error)) << days;
    }
    EXPECT_FALSE(Kept(publish::Resign(Request("")), &summary, &error));  // without a key
    EXPECT_EQ(Published().version, "1.0.3");
}

// The same key file, protected by a password with the cheapest key derivation
// libsodium allows (the real default takes a gigabyte), as `minisign -G` lays it out.
std::string ProtectedKeyFile(const std::string& plainKeyFile, const std::string& password) {
    std::string text = ReadFile(plainKeyFile);
    size_t start = text.find('\n') + 1;
    std::string record = updater::FromBase64(text.substr(start, text.find('\n', start) - start)).value();
    auto* bytes = reinterpret_cast<unsigned char*>(record.data());
    std::memcpy(bytes + 2, "Sc", 2);
    randombytes_buf(bytes + 6, 32);
    const uint64_t ops = crypto_pwhash_scryptsalsa208sha256_OPSLIMIT_MIN;
    const uint64_t memory = crypto_pwhash_scryptsalsa208sha256_MEMLIMIT_MIN;
    for (int i = 0; i < 8; ++i) {
        bytes[38 + i] = static_cast<unsigned char>(ops >> (8 * i));
        bytes[46 + i] = static_cast<unsigned char>(memory >> (8 * i));
    }
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, 32);
    crypto_generichash_update(&state, bytes, 2);
    crypto_generichash_update(&state, bytes + 54, 72);
    crypto_generichash_final(&state, bytes + 126, 32);
    unsigned char stream[104];
    EXPECT_EQ(crypto_pwhash_scryptsalsa208sha256(stream, sizeof stream, password.data(), password.size(), bytes + 6,
                                                 ops, memory),
              0);
    for (size_t i = 0; i < sizeof stream; ++i) bytes[54 + i] ^= stream[i];
    return "untrusted comment: minisign encrypted secret key\n" + updater::ToBase64(record) + "\n";
}

TEST(SigningKeys, OpensMinisignKeysAndRefusesDamagedOnesAndWrongPasswords) {
    publish::SigningKey key;
    const std::string plain = ReadFile(kKeys + "TEST-ONLY-key-a.key");
    ASSERT_EQ(ProblemOf(plain, std::nullopt, &key), std::nullopt);
    EXPECT_EQ(updater::KeyIdText(key.id), "53574605B5BAE68E");
    EXPECT_EQ(key.Public().key, PinnedKeyA().key);

    const std::string locked = ProtectedKeyFile(kKeys + "TEST-ONLY-key-a.key", "open sesame");
    publish::SigningKey unlocked;
    EXPECT_EQ(ProblemOf(locked, std::string("open sesame"), &unlocked), std::nullopt);
    EXPECT_EQ(unlocked.secret, key.secret);
    EXPECT_EQ(ProblemOf(locked, std::nullopt, &unlocked), publish::KeyProblem::NeedsPassword);
    EXPECT_EQ(ProblemOf(locked, std::string("open sesame!"), &unlocked),
              publish::KeyProblem::WrongPassword);

    std::string damaged = plain;
    size_t at = damaged.find('\n') + 120;
    damaged[at] = damaged[at] == 'A' ? 'B' : 'A';
    EXPECT_EQ(ProblemOf(damaged, std::nullopt, &unlocked), publish::KeyProblem::WrongPassword);
    EXPECT_EQ(ProblemOf(ReadFile(kKeys + "test-key-a.pub"), std::nullopt, &unlocked),
              publish::KeyProblem::Malformed);
    EXPECT_EQ(ProblemOf("", std::nullopt, &unlocked), publish::KeyProblem::Malformed);
}

// The real minisign tool and this one agree both ways.
TEST_F(Publication, SignaturesInteroperateWithTheMinisignTool) {
    publish::PublishSummary summary;
    std::string error;
    ASSERT_TRUE(Kept(publish::Publish(Request("1.0.1", true)), &summary, &error)) << error;
    const std::string document = (root_ / "www/vorlenk2/update.xml").string();
    tools::testing::ToolResult verified = tools::testing::RunTool("minisign", {"-V", "-p", kKeys + "test-key-a.pub", "-m", document});
    ASSERT_EQ(verified.exitCode, 0) << "minisign -V refused our signature (is minisign installed? "
                                       "scripts/install-deps.sh): " << verified.err << verified.out;
    EXPECT_NE(verified.out.find("timestamp:1800000000"), std::string::npos) << verified.out;
    tools::testing::ToolResult tampered = tools::testing::RunTool(
        "minisign", {"-V", "-p", kKeys + "test-key-b.pub", "-m", document});
    EXPECT_NE(tampered.exitCode, 0);

    for (bool legacy : {false, true}) {
        std::vector<std::string> sign = {"-S", "-s", kKeys + "TEST-ONLY-key-a.key", "-m", document, "-x",
                                         document + ".tool.minisig"};
        if (legacy) sign.push_back("-l");
        tools::testing::ToolResult signedByTool = tools::testing::RunTool("minisign", sign);
        ASSERT_EQ(signedByTool.exitCode, 0) << signedByTool.err;
        EXPECT_EQ(updater::VerifySignature(ReadFile(document), ReadFile(document + ".tool.minisig"), {PinnedKeyA()})
                      .status,
                  updater::SignatureStatus::Ok)
            << (legacy ? "legacy" : "pre-hashed");
    }
}

}  // namespace
