// Publishing a game folder: the files copied below the served folder and a
// document the updater accepts, or nothing new at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/publish/publication.h"
#include "updater/update_document.h"

namespace {

namespace fs = std::filesystem;

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
    std::string Read(const std::string& relative) const {
        std::ifstream in(root_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    publish::PublishRequest Request(const std::string& version) const {
        publish::PublishRequest request;
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
    ASSERT_TRUE(publish::Publish(Request("1.0.1"), &summary, &error)) << error;
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
    ASSERT_TRUE(publish::Publish(Request("1.0.1"), &summary, &error)) << error;
    Write("game/Lumadrel.exe", "abcd");
    const std::string version = "\xE7\x89\x88\xE6\x9C\xAC\xE4\xBA\x8C";  // UTF-8 for "版本二"
    ASSERT_TRUE(publish::Publish(Request(version), &summary, &error)) << error;
    updater::UpdateDocument document = Published();
    EXPECT_EQ(document.version, "\xB0\xE6\xB1\xBE\xB6\xFE");  // GBK
    EXPECT_EQ(document.base, "files/%E7%89%88%E6%9C%AC%E4%BA%8C/");
    EXPECT_EQ(Read("www/vorlenk2/files/" + version + "/Lumadrel.exe"), "abcd");
    EXPECT_EQ(Read("www/vorlenk2/files/1.0.1/Lumadrel.exe"), "abc");
}

TEST_F(Publication, NamesTheUpdaterWouldRefuseAreNeverPublished) {
    publish::PublishSummary summary;
    std::string error;
    ASSERT_TRUE(publish::Publish(Request("1.0.1"), &summary, &error)) << error;
    const std::string before = Read("www/vorlenk2/update.xml");
    for (const char* name : {"game/CON.txt", "game/data/trailing.", "game/a:b", "game/data/NUL"}) {
        Write(name, "x");
        EXPECT_FALSE(publish::Publish(Request("1.0.2"), &summary, &error)) << name;
        EXPECT_NE(error.find(std::string(name).substr(5)), std::string::npos) << error;
        fs::remove(root_ / name);
    }
    for (const char* version : {"../up", ".hidden", "a/b", "\"1\"", ""}) {
        EXPECT_FALSE(publish::Publish(Request(version), &summary, &error)) << version;
    }
    EXPECT_EQ(Read("www/vorlenk2/update.xml"), before);
    EXPECT_FALSE(fs::exists(root_ / "up"));
}

}  // namespace
