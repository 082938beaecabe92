// The update document: the file list read the way the launcher reads the
// version, and every hostile or broken list refused as a whole.
#include <gtest/gtest.h>

#include <string>

#include "updater/update_document.h"

namespace {

using updater::DocumentProblem;
using updater::DocumentStatus;
using updater::PathProblem;
using updater::UpdateDocument;

const std::string kHash(64, 'a');
const std::string kOtherHash = "0123456789ABCDEF0123456789abcdef0123456789abcdef0123456789ABCDEF";

std::string Entry(const std::string& path, const std::string& size = "5", const std::string& hash = kHash) {
    return "<File path=\"" + path + "\" size=\"" + size + "\" sha256=\"" + hash + "\"/>";
}

std::string Document(const std::string& entries, const std::string& version = "1.0.1",
                     const std::string& files = "<Files base=\"files/1.0.1/\">") {
    return "<?xml version=\"1.0\" encoding=\"gbk\"?>\r\n<Info>\r\n  <Version>" + version + "</Version>\r\n  " + files +
           entries + "</Files>\r\n</Info>\r\n";
}

DocumentProblem Parse(const std::string& bytes, UpdateDocument* document = nullptr) {
    UpdateDocument scratch;
    return updater::ParseUpdateDocument(bytes, document ? document : &scratch);
}

TEST(UpdateDocument, ListsEveryFileWithItsSizeAndHash) {
    UpdateDocument document;
    std::string bytes = "<!-- published -->" +
                        Document(Entry("Lumadrel.exe", "1234567", kOtherHash) + "\r\n" + Entry("data/地图.dat", "0") +
                                     "<Note>ignored</Note>" + Entry("a &amp; b.txt", "18"),
                                 " 1.0.1 ");
    ASSERT_EQ(Parse(bytes, &document).status, DocumentStatus::Ok);
    EXPECT_EQ(document.version, "1.0.1");
    EXPECT_EQ(document.base, "files/1.0.1/");
    ASSERT_EQ(document.files.size(), 3u);
    EXPECT_EQ(document.files[0].path, "Lumadrel.exe");
    EXPECT_EQ(document.files[0].size, 1234567u);
    EXPECT_EQ(document.files[0].sha256, "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");
    EXPECT_EQ(document.files[1].path, "data\\地图.dat");
    EXPECT_EQ(document.files[1].size, 0u);
    EXPECT_EQ(document.files[2].path, "a & b.txt");
}

TEST(UpdateDocument, WithoutAFileListIsReportedAndGivesNothing) {
    UpdateDocument document;
    DocumentProblem problem = Parse("<Info><Version>1.0.1</Version></Info>", &document);
    EXPECT_EQ(problem.status, DocumentStatus::NoFileList);
    EXPECT_EQ(updater::DescribeDocumentProblem(problem), "更新服务器没有提供文件列表");
    EXPECT_TRUE(document.files.empty());
    // An empty list is a list: only the version changes.
    EXPECT_EQ(Parse(Document("")).status, DocumentStatus::Ok);
}

TEST(UpdateDocument, RefusesBrokenDocuments) {
    struct Case {
        const char* what;
        std::string bytes;
        DocumentStatus status;
    } cases[] = {
        {"empty", "", DocumentStatus::NotXml},
        {"past the size limit", Document(std::string(updater::kLargestDocument, ' ')), DocumentStatus::TooLarge},
        {"not XML", "版本 1.0.1", DocumentStatus::NotXml},
        {"unclosed", "<Info><Version>1</Version><Files>", DocumentStatus::NotXml},
        {"another root", "<Update><Version>1</Version><Files/></Update>", DocumentStatus::NoVersion},
        {"empty version", Document("", ""), DocumentStatus::NoVersion},
        {"quoted version", Document("", "\"1.0\""), DocumentStatus::BadVersion},
        {"version with a line break", Document("", "<![CDATA[1.0\n2]]>"), DocumentStatus::BadVersion},
        {"long version", Document("", std::string(65, '1')), DocumentStatus::BadVersion},
        {"no path", Document("<File size=\"1\" sha256=\"" + kHash + "\"/>"), DocumentStatus::MissingAttribute},
        {"no size", Document("<File path=\"a\" sha256=\"" + kHash + "\"/>"), DocumentStatus::MissingAttribute},
        {"no hash", Document("<File path=\"a\" size=\"1\"/>"), DocumentStatus::MissingAttribute},
        {"negative size", Document(Entry("a", "-1")), DocumentStatus::BadSize},
        {"size with exponent", Document(Entry("a", "1e3")), DocumentStatus::BadSize},
        {"empty size", Document(Entry("a", "")), DocumentStatus::BadSize},
        {"size of 10^15", Document(Entry("a", "1000000000000000")), DocumentStatus::BadSize},
        {"size past 64 bits", Document(Entry("a", "18446744073709551617")), DocumentStatus::BadSize},
        {"short hash", Document(Entry("a", "1", kHash.substr(1))), DocumentStatus::BadHash},
        {"hash not hex", Document(Entry("a", "1", std::string(63, 'a') + "g")), DocumentStatus::BadHash},
        {"the same file twice", Document(Entry("Data\\x.dat") + Entry("data/X.DAT")), DocumentStatus::DuplicatePath},
        {"a file where a folder is", Document(Entry("data\\x") + Entry("data")), DocumentStatus::PathConflict},
    };
    for (const Case& c : cases) {
        UpdateDocument document;
        EXPECT_EQ(Parse(c.bytes, &document).status, c.status) << c.what;
        EXPECT_TRUE(document.files.empty()) << c.what;
    }
}

TEST(UpdateDocument, OneHostileEntryRefusesTheWholeListAndIsNamed) {
    struct Case {
        std::string path;
        PathProblem problem;
    } cases[] = {
        {"..\\evil.txt", PathProblem::DotComponent},
        {"C:\\x", PathProblem::ForbiddenCharacter},
        {"\\\\host\\share\\x", PathProblem::Rooted},
        {"a:b", PathProblem::ForbiddenCharacter},
        {"CON", PathProblem::DeviceName},
        {"dir\\NUL.txt", PathProblem::DeviceName},
        {std::string(10000, 'x'), PathProblem::TooLong},
        {"update.ini", PathProblem::UpdaterOwnName},
    };
    for (const Case& c : cases) {
        UpdateDocument document;
        DocumentProblem problem = Parse(Document(Entry("good.dat") + Entry(c.path) + Entry("after.dat")), &document);
        EXPECT_EQ(problem.status, DocumentStatus::BadPath) << c.path.substr(0, 20);
        EXPECT_EQ(problem.pathProblem, c.problem) << c.path.substr(0, 20);
        EXPECT_EQ(problem.entry, 2u);
        EXPECT_TRUE(document.files.empty());
        std::string message = updater::DescribeDocumentProblem(problem);
        EXPECT_NE(message.find("第 2 项"), std::string::npos) << message;
        EXPECT_NE(message.find(c.path.substr(0, 20)), std::string::npos) << message;
        EXPECT_LT(message.size(), 200u);
    }
}

TEST(UpdateDocument, RefusesMoreFilesThanTheLimit) {
    std::string entries;
    for (size_t i = 0; i < 100000; ++i) entries += Entry("f" + std::to_string(i));
    DocumentProblem problem = Parse(Document(entries));
    EXPECT_EQ(problem.status, DocumentStatus::TooManyFiles);
    EXPECT_EQ(problem.entry, updater::kMostFiles + 1);
}

TEST(UpdateDocument, WhatThePublishToolWritesReadsBackTheSame) {
    UpdateDocument written;
    written.version = "2.0 <beta> & 新";
    written.base = "http://cdn.example/files/2.0/?a=1&b=2";
    written.files = {{"Lumadrel.exe", 23273935, kHash}, {"数据\\a & b's.dat", 0, std::string(64, '0')}};
    UpdateDocument read;
    ASSERT_EQ(Parse(updater::WriteUpdateDocument(written), &read).status, DocumentStatus::Ok);
    EXPECT_EQ(read.version, written.version);
    EXPECT_EQ(read.base, written.base);
    ASSERT_EQ(read.files.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(read.files[i].path, written.files[i].path);
        EXPECT_EQ(read.files[i].size, written.files[i].size);
        EXPECT_EQ(read.files[i].sha256, written.files[i].sha256);
    }
}

}  // namespace
