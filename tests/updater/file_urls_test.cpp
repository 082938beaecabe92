// Where listed files are fetched from.
#include <gtest/gtest.h>

#include <string>

#include "update_format/file_urls.h"

namespace {

TEST(FileUrls, TheBaseIsReadRelativeToTheDocument) {
    const std::string document = "http://127.0.0.1:8080/vorlenk2/update.xml";
    struct Case {
        std::string base;
        std::string folder;
    } cases[] = {
        {"files/1.0.1/", "http://127.0.0.1:8080/vorlenk2/files/1.0.1/"},
        {"files/1.0.1", "http://127.0.0.1:8080/vorlenk2/files/1.0.1/"},
        {"", "http://127.0.0.1:8080/vorlenk2/"},
        {"./files/./x/", "http://127.0.0.1:8080/vorlenk2/files/x/"},
        {"../mirror/", "http://127.0.0.1:8080/mirror/"},
        {"../../../../up/", "http://127.0.0.1:8080/up/"},
        {"/cdn/1.0.1/", "http://127.0.0.1:8080/cdn/1.0.1/"},
        {"http://cdn.example.com/game/", "http://cdn.example.com/game/"},
        {"HTTPS://cdn.example.com:8443", "HTTPS://cdn.example.com:8443/"},
        {"files/%E7%89%88/", "http://127.0.0.1:8080/vorlenk2/files/%E7%89%88/"},
    };
    for (const Case& c : cases) {
        std::optional<std::string> folder = updater::ResolveBaseUrl(document, c.base);
        ASSERT_TRUE(folder.has_value()) << c.base;
        EXPECT_EQ(*folder, c.folder) << c.base;
    }
    // The document's own query and fragment play no part.
    EXPECT_EQ(updater::ResolveBaseUrl("http://h/a/update.xml?x=1#top", "f/"), "http://h/a/f/");
    EXPECT_EQ(updater::ResolveBaseUrl("http://h", "f/"), "http://h/f/");
}

TEST(FileUrls, OtherSchemesAndUnsafeBasesAreRefused) {
    const std::string document = "http://127.0.0.1:8080/vorlenk2/update.xml";
    for (const char* base : {"file:///C:/Windows/", "ftp://host/x/", "javascript:alert(1)", "c:\\game\\",
                             "//elsewhere.example/x/", "http://", "http://user@host/x/", "files/a b/",
                             "files\\x\\", "files/?q=1", "files/#x", "files/\x95\x5C/"}) {
        EXPECT_FALSE(updater::ResolveBaseUrl(document, base).has_value()) << base;
    }
    EXPECT_FALSE(updater::ResolveBaseUrl("file:///C:/update.xml", "files/").has_value());
    EXPECT_FALSE(updater::IsHttpUrl(""));
    EXPECT_FALSE(updater::IsHttpUrl("http://host/a b"));
    EXPECT_TRUE(updater::IsHttpUrl("http://127.0.0.1:8080/vorlenk2/update.xml"));
}

TEST(FileUrls, PathsArePercentEncodedWithSlashes) {
    EXPECT_EQ(updater::FileUrl("http://h/f/", "data\\map01.dat"), "http://h/f/data/map01.dat");
    // UTF-8 for "数据".
    EXPECT_EQ(updater::FileUrl("http://h/f/", "\xE6\x95\xB0\xE6\x8D\xAE/a b+c#1%.dat"),
              "http://h/f/%E6%95%B0%E6%8D%AE/a%20b%2Bc%231%25.dat");
}

}  // namespace
