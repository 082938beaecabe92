// The document as the updater fetches it under Wine: read only once its
// signature verifies with a pinned key and it is fresh, the sequence number
// recorded only then (and a damaged record not held against the player), and
// one updater per game folder.
#include <gtest/gtest.h>
#include <sodium.h>

#include <windows.h>

#include <thread>

#include "support/scripted_http_server_win32.h"
#include "support/scratch_folder_win32.h"
#include "tools/publish/signing_key.h"
#include "updater/trusted_document_win32.h"
#include "updater/updater_lock_win32.h"

namespace {

using rt::testing::ScriptedHttpServer;
using updater::testing::ScratchFolder;

publish::SigningKey NewKey(unsigned char id) {
    publish::SigningKey key;
    unsigned char ignored[crypto_sign_PUBLICKEYBYTES];
    crypto_sign_keypair(ignored, key.secret.data());
    key.id.fill(id);
    return key;
}

std::string Document(const std::string& version, uint64_t sequence) {
    return "<?xml version=\"1.0\" encoding=\"gbk\"?>\r\n<Info><Version>" + version +
           "</Version><Expires>2030-01-01T00:00:00Z</Expires><Sequence>" + std::to_string(sequence) +
           "</Sequence><Files base=\"files/\"></Files></Info>\r\n";
}

constexpr int64_t kNow = 1800000000;  // 2027-01-15, before the documents expire

class TrustedDocument : public ::testing::Test {
protected:
    TrustedDocument()
        : server_([this](const std::string& head) {
              std::string path = head.substr(4, head.find(' ', 4) - 4);
              auto found = served_.find(path);
              if (found == served_.end()) return std::string("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
              return ScriptedHttpServer::ServeBytes(head, found->second);
          }) {
        folder_.Write("update.ini", "[更新配置]\r\n当前版本=1.0.0\r\n");
        trust_.keys = {key_.Public()};
        trust_.now = [] { return kNow; };
    }

    void Serve(const std::string& document, const publish::SigningKey* key) {
        served_ = {{"/u.xml", document}};
        if (key) served_["/u.xml.minisig"] = publish::SignDocument(document, *key, "timestamp:0\tfile:u.xml\thashed");
    }

    updater::FetchedDocument Fetch() {
        updater::HttpTransfer http;
        return updater::FetchTrustedDocument(http, server_.Url("/u.xml"), updater::GameFolder(folder_.Path()), trust_);
    }

    const publish::SigningKey key_ = NewKey(0xA1);
    std::map<std::string, std::string> served_;
    ScriptedHttpServer server_;
    ScratchFolder folder_;
    updater::TrustSettings trust_;
};

TEST_F(TrustedDocument, OnlyAFreshDocumentSignedWithAPinnedKeyIsRead) {
    const publish::SigningKey stranger = NewKey(0xB2);
    const std::map<std::string, std::string> before = folder_.Files();
    struct Case {
        const char* what;
        std::string document;
        const publish::SigningKey* key;
        int64_t now;
        const char* reason;
    } cases[] = {
        {"no signature", Document("1.0.1", 5), nullptr, kNow, "没有签名"},
        {"another key", Document("1.0.1", 5), &stranger, kNow, "未知的密钥（B2B2B2B2B2B2B2B2）"},
        {"expired", Document("1.0.1", 5), &key_, 1893456000 + 86401, "2030-01-01 过期"},
        {"older than installed", Document("0.9.9", 5), &key_, kNow, "比已安装的版本 1.0.0 旧"},
    };
    for (const Case& c : cases) {
        Serve(c.document, c.key);
        trust_.now = [&c] { return c.now; };
        updater::FetchedDocument fetched = Fetch();
        EXPECT_FALSE(fetched.ok) << c.what;
        EXPECT_NE(fetched.message.find(c.reason), std::string::npos) << c.what << ": " << fetched.message;
        EXPECT_EQ(folder_.Files(), before) << c.what;
    }
    // A signature, with the document changed after signing.
    Serve(Document("1.0.1", 5), &key_);
    served_["/u.xml"] = Document("1.0.2", 5);
    trust_.now = [] { return kNow; };
    EXPECT_NE(Fetch().message.find("签名不正确"), std::string::npos);
    EXPECT_EQ(folder_.Files(), before);

    Serve(Document("1.0.1", 5), &key_);
    updater::FetchedDocument fetched = Fetch();
    ASSERT_TRUE(fetched.ok) << fetched.message;
    EXPECT_EQ(fetched.document.version, "1.0.1");
    EXPECT_EQ(folder_.Read("tovrin.sequence"), "tovrin-sequence 1\nA1A1A1A1A1A1A1A1 5\n");
    // Nothing beyond the document and its signature was asked for.
    for (const std::string& head : server_.Heads())
        EXPECT_TRUE(head.starts_with("GET /u.xml HTTP") || head.starts_with("GET /u.xml.minisig HTTP")) << head;
}

TEST_F(TrustedDocument, AReplayIsRefusedAndADamagedRecordDoesNotLockThePlayerOut) {
    folder_.Write("tovrin.sequence", "tovrin-sequence 1\nA1A1A1A1A1A1A1A1 7\n");
    Serve(Document("1.0.1", 6), &key_);
    updater::FetchedDocument fetched = Fetch();
    EXPECT_FALSE(fetched.ok);
    EXPECT_NE(fetched.message.find("序号 6，之前已见到 7"), std::string::npos) << fetched.message;
    EXPECT_EQ(folder_.Read("tovrin.sequence"), "tovrin-sequence 1\nA1A1A1A1A1A1A1A1 7\n");

    // The same sequence again is the same document: accepted, nothing to write.
    Serve(Document("1.0.1", 7), &key_);
    EXPECT_TRUE(Fetch().ok);

    folder_.Write("tovrin.sequence", "tovrin-sequence 1\nA1A1A1A1A1A1A1A1 9");  // cut short
    Serve(Document("1.0.1", 3), &key_);
    ASSERT_TRUE(Fetch().ok);
    EXPECT_EQ(folder_.Read("tovrin.sequence"), "tovrin-sequence 1\nA1A1A1A1A1A1A1A1 3\n");
}

// Whether another thread (as another process would) gets the folder's lock.
bool OtherGets(const std::wstring& folder) {
    bool held = false;
    std::thread([&] { held = updater::UpdaterLock(folder).Held(); }).join();
    return held;
}

TEST(UpdaterLock, OneUpdaterPerGameFolder) {
    ScratchFolder folder, other;
    {
        updater::UpdaterLock first(folder.Path());
        ASSERT_TRUE(first.Held());
        EXPECT_FALSE(OtherGets(folder.Path()));
        std::wstring upper = folder.Path() + L"\\";
        CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
        EXPECT_FALSE(OtherGets(upper));
        EXPECT_TRUE(OtherGets(other.Path()));
    }
    EXPECT_TRUE(OtherGets(folder.Path()));
}

}  // namespace
