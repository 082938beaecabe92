// Update document signatures: a document signed by minisign (pre-hashed and
// legacy) verifies with the pinned key, and every change to the document, the
// signature or its trusted comment, every other key and every malformed
// signature file is refused.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "update_format/update_signature.h"

namespace {

using updater::SignatureStatus;

std::string ReadData(const std::string& relative) {
    std::ifstream in(std::string(LUMADREL_TEST_DATA_DIR) + "/" + relative, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The base64 line of a minisign public key file.
updater::PublicKey PinnedKey(const std::string& name) {
    std::string text = ReadData("update-keys/" + name);
    std::string line = text.substr(text.find('\n') + 1);
    line = line.substr(0, line.find('\n'));
    std::optional<updater::PublicKey> key = updater::ParsePublicKey(line);
    EXPECT_TRUE(key.has_value()) << name;
    return key.value_or(updater::PublicKey());
}

// Line `index` (0-3) of a signature file replaced.
std::string WithLine(const std::string& signature, size_t index, const std::string& line) {
    std::string out;
    size_t start = 0;
    for (size_t i = 0; i < 4; ++i) {
        size_t end = signature.find('\n', start);
        out += (i == index ? line : signature.substr(start, end - start)) + "\n";
        start = end + 1;
    }
    return out;
}

std::string Line(const std::string& signature, size_t index) {
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) start = signature.find('\n', start) + 1;
    return signature.substr(start, signature.find('\n', start) - start);
}

// The signature line's bytes with one of them changed (0-1 algorithm, 2-9 key id, 10-73 signature).
std::string WithSignatureByte(const std::string& signature, size_t at, char value) {
    std::string bytes = updater::FromBase64(Line(signature, 1)).value();
    bytes[at] = value;
    return WithLine(signature, 1, updater::ToBase64(bytes));
}

class UpdateSignature : public ::testing::Test {
protected:
    const std::string document_ = ReadData("updates/update.xml");
    const std::string prehashed_ = ReadData("updates/update.xml.minisig");
    const std::string legacy_ = ReadData("updates/update.xml.legacy.minisig");
    const updater::PublicKey keyA_ = PinnedKey("test-key-a.pub");
    const updater::PublicKey keyB_ = PinnedKey("test-key-b.pub");
};

TEST_F(UpdateSignature, MinisignSignaturesVerifyWithThePinnedKey) {
    for (const std::string* signature : {&prehashed_, &legacy_}) {
        updater::Verification result = updater::VerifySignature(document_, *signature, {keyB_, keyA_});
        EXPECT_EQ(result.status, SignatureStatus::Ok);
        EXPECT_EQ(updater::KeyIdText(result.keyId), "53574605B5BAE68E");  // as minisign names key A
        EXPECT_EQ(result.trustedComment.substr(0, 21), "timestamp:1796000000\t");
    }
    // Line ends written on Windows read the same.
    std::string crlf;
    for (char c : prehashed_) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(updater::VerifySignature(document_, crlf, {keyA_}).status, SignatureStatus::Ok);
}

TEST_F(UpdateSignature, RefusesEveryChangeAndEveryOtherKey) {
    std::string flippedDocument = document_;
    flippedDocument[flippedDocument.find("1.0.1")] = '2';
    std::string lastByteDocument = document_;
    lastByteDocument.back() ^= 1;
    std::string comment = Line(prehashed_, 2);
    std::string signatureLine = Line(prehashed_, 1);
    signatureLine[40] = signatureLine[40] == 'A' ? 'B' : 'A';
    std::string globalLine = Line(prehashed_, 3);
    globalLine[10] = globalLine[10] == 'A' ? 'B' : 'A';
    struct Case {
        const char* what;
        std::string document, signature;
        std::vector<updater::PublicKey> trusted;
        SignatureStatus status;
    } cases[] = {
        {"a byte of the document", flippedDocument, prehashed_, {keyA_}, SignatureStatus::BadSignature},
        {"the document's last byte (legacy)", lastByteDocument, legacy_, {keyA_}, SignatureStatus::BadSignature},
        {"a line end added to the document", document_ + "\n", prehashed_, {keyA_}, SignatureStatus::BadSignature},
        {"a byte of the signature", document_, WithLine(prehashed_, 1, signatureLine), {keyA_},
         SignatureStatus::BadSignature},
        {"a byte of the trusted comment", document_, WithLine(prehashed_, 2, comment + "x"), {keyA_},
         SignatureStatus::BadSignature},
        {"a byte of the global signature", document_, WithLine(prehashed_, 3, globalLine), {keyA_},
         SignatureStatus::BadSignature},
        {"prehashed claimed for a legacy signature", document_, WithSignatureByte(legacy_, 1, 'D'), {keyA_},
         SignatureStatus::BadSignature},
        {"another key pinned", document_, prehashed_, {keyB_}, SignatureStatus::UnknownKey},
        {"no key pinned", document_, prehashed_, {}, SignatureStatus::UnknownKey},
        {"key A's key under key B's id", document_, WithSignatureByte(prehashed_, 2, 0x77),
         {updater::PublicKey{{0x77, 0xE6, 0xBA, 0xB5, 0x05, 0x46, 0x57, 0x53}, keyB_.key}},
         SignatureStatus::BadSignature},
        {"a key id changed", document_, WithSignatureByte(prehashed_, 9, 0), {keyA_}, SignatureStatus::UnknownKey},
        {"an unknown algorithm", document_, WithSignatureByte(prehashed_, 1, 'x'), {keyA_},
         SignatureStatus::UnknownAlgorithm},
        {"truncated", document_, prehashed_.substr(0, prehashed_.rfind('\n', prehashed_.size() - 2) + 1), {keyA_},
         SignatureStatus::Malformed},
        {"empty", document_, "", {keyA_}, SignatureStatus::Malformed},
        {"bad base64", document_, WithLine(prehashed_, 1, "RUS*" + Line(prehashed_, 1).substr(4)), {keyA_},
         SignatureStatus::Malformed},
        {"base64 of another length", document_, WithLine(prehashed_, 3, Line(prehashed_, 3).substr(4)), {keyA_},
         SignatureStatus::Malformed},
        {"no untrusted comment", document_, WithLine(prehashed_, 0, "signature"), {keyA_},
         SignatureStatus::Malformed},
        {"no trusted comment prefix", document_, WithLine(prehashed_, 2, comment.substr(8)), {keyA_},
         SignatureStatus::Malformed},
        {"a fifth line", document_, prehashed_ + "more\n", {keyA_}, SignatureStatus::Malformed},
        {"oversized", document_, WithLine(prehashed_, 2, comment + std::string(9000, 'x')), {keyA_},
         SignatureStatus::Malformed},
        {"an HTML error page", document_, "<html><body>404 Not Found</body></html>\n", {keyA_},
         SignatureStatus::Malformed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(updater::VerifySignature(c.document, c.signature, c.trusted).status, c.status) << c.what;
    }
}

TEST(PublicKeys, OnlyTheBase64LineOfAMinisignPublicKeyIsAKey) {
    EXPECT_TRUE(updater::ParsePublicKey("RWSO5rq1BUZXU7IcOrduNKJvXV4AYc1nzJlpAp64h80p6K0xFG6zlrp4").has_value());
    for (const char* line : {"", "RWSO5rq1BUZXU7IcOrduNKJvXV4AYc1nzJlpAp64h80p6K0xFG6zlrp",
                             "RWSO5rq1BUZXU7IcOrduNKJvXV4AYc1nzJlpAp64h80p6K0xFG6zlrp4 ",
                             "untrusted comment: minisign public key 53574605B5BAE68E",
                             // The same bytes under another algorithm name.
                             "RXSO5rq1BUZXU7IcOrduNKJvXV4AYc1nzJlpAp64h80p6K0xFG6zlrp4"})
        EXPECT_FALSE(updater::ParsePublicKey(line).has_value()) << line;
}

}  // namespace
