// The update document: the file list read the way the launcher reads the
// version, and every hostile or broken list refused as a whole.
#include <gtest/gtest.h>

#include <string>

#include "update_format/update_document.h"

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

// An entry whose chunk index is named (an empty value leaves that attribute out).
std::string WithIndex(const std::string& path, const std::string& size, const std::string& hash) {
    std::string entry = Entry(path);
    entry.resize(entry.size() - 2);
    if (!size.empty()) entry += " chunks-size=\"" + size + "\"";
    if (!hash.empty()) entry += " chunks-sha256=\"" + hash + "\"";
    return entry + "/>";
}

const std::string kStamps = "<Expires>2027-01-07T00:00:00Z</Expires><Sequence>12</Sequence>";

std::string Document(const std::string& entries, const std::string& version = "1.0.1",
                     const std::string& files = "<Files base=\"files/1.0.1/\">", const std::string& stamps = kStamps,
                     const std::string& declaration = "<?xml version=\"1.0\" encoding=\"gbk\"?>") {
    return declaration + "\r\n<Info>\r\n  <Version>" + version + "</Version>\r\n  " + stamps + files + entries +
           "</Files>\r\n</Info>\r\n";
}

DocumentProblem Parse(const std::string& bytes, UpdateDocument* document = nullptr) {
    UpdateDocument scratch;
    return updater::ParseUpdateDocument(bytes, document ? document : &scratch);
}

TEST(UpdateDocument, ListsEveryFileWithItsSizeAndHash) {
    UpdateDocument document;
    std::string bytes = Document("<!-- published -->" + Entry("Lumadrel.exe", "1234567", kOtherHash) + "\r\n" +
                                     Entry("data/地图.dat", "0") + "<Note>ignored</Note>" + Entry("a &amp; b.txt", "18"),
                                 " 1.0.1 ");
    ASSERT_EQ(Parse(bytes, &document).status, DocumentStatus::Ok);
    EXPECT_EQ(document.version, "1.0.1");
    EXPECT_EQ(document.expires, 1799280000);  // 2027-01-07T00:00:00Z
    EXPECT_EQ(document.sequence, 12u);
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
    DocumentProblem problem =
        Parse("<?xml version=\"1.0\" encoding=\"GBK\"?><Info><Version>1.0.1</Version>" + kStamps + "</Info>", &document);
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
        {"empty", "", DocumentStatus::NotGbk},
        {"past the size limit", Document(std::string(updater::kLargestDocument, ' ')), DocumentStatus::TooLarge},
        {"not XML", "<?xml encoding='gbk'?>版本 1.0.1", DocumentStatus::NotXml},
        {"unclosed", "<?xml encoding='gbk'?><Info><Version>1</Version><Files>", DocumentStatus::NotXml},
        {"another root", "<?xml encoding='gbk'?><Update><Version>1</Version><Files/></Update>",
         DocumentStatus::NoVersion},
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
        {"a chunk index without its hash", Document(WithIndex("a", "100", "")), DocumentStatus::BadChunkIndex},
        {"a chunk index without its size", Document(WithIndex("a", "", kHash)), DocumentStatus::BadChunkIndex},
        {"a chunk index shorter than its header", Document(WithIndex("a", "35", kHash)),
         DocumentStatus::BadChunkIndex},
        {"a chunk index past the largest", Document(WithIndex("a", "37748773", kHash)), DocumentStatus::BadChunkIndex},
        {"a chunk index hash not hex", Document(WithIndex("a", "100", std::string(64, 'x'))),
         DocumentStatus::BadChunkIndex},
        {"the same file twice", Document(Entry("Data\\x.dat") + Entry("data/X.DAT")), DocumentStatus::DuplicatePath},
        {"a file where a folder is", Document(Entry("data\\x") + Entry("data")), DocumentStatus::PathConflict},
        {"no expiry", Document("", "1.0.1", "<Files>", "<Sequence>1</Sequence>"), DocumentStatus::NoExpiry},
        {"an expiry with an offset", Document("", "1.0.1", "<Files>", "<Expires>2027-01-07T00:00:00+08:00</Expires>"),
         DocumentStatus::BadExpiry},
        {"no sequence", Document("", "1.0.1", "<Files>", "<Expires>2027-01-07T00:00:00Z</Expires>"),
         DocumentStatus::NoSequence},
        {"a negative sequence", Document("", "1.0.1", "<Files>", kStamps.substr(0, 39) + "<Sequence>-1</Sequence>"),
         DocumentStatus::BadSequence},
    };
    for (const Case& c : cases) {
        UpdateDocument document;
        EXPECT_EQ(Parse(c.bytes, &document).status, c.status) << c.what;
        EXPECT_TRUE(document.files.empty()) << c.what;
    }
}

// A signed document says one thing to every reader, or it is refused.
TEST(UpdateDocument, RefusesWhatTwoReadersCouldReadDifferently) {
    const std::string files = "<Files base=\"files/1.0.1/\">";
    struct Case {
        const char* what;
        std::string bytes;
        DocumentStatus status;
        const char* named;
    } cases[] = {
        {"a second version", Document("", "1.0.1</Version><Version>9.9.9"), DocumentStatus::Ambiguous, "Version"},
        {"a second expiry", Document("", "1.0.1", files, kStamps + "<Expires>2099-01-01T00:00:00Z</Expires>"),
         DocumentStatus::Ambiguous, "Expires"},
        {"a second sequence", Document("", "1.0.1", files, kStamps + "<Sequence>99</Sequence>"),
         DocumentStatus::Ambiguous, "Sequence"},
        {"a second file list", Document(Entry("a"), "1.0.1", "<Files base=\"x/\"><File/></Files>" + files),
         DocumentStatus::Ambiguous, "Files"},
        {"a second base", Document("", "1.0.1", "<Files base=\"a/\" base=\"b/\">"), DocumentStatus::Ambiguous,
         "Files@base"},
        {"a second path on an entry", Document(Entry("a") + "<File path=\"b\" path=\"c\" size=\"1\"/>"),
         DocumentStatus::Ambiguous, "File@path"},
        {"a second chunk index", Document(WithIndex("a", "100", kHash + "\" chunks-sha256=\"" + kOtherHash)),
         DocumentStatus::Ambiguous, "File@chunks-sha256"},
        {"no encoding declaration", Document("", "1.0.1", files, kStamps, ""), DocumentStatus::NotGbk, ""},
        {"a UTF-8 declaration", Document("", "1.0.1", files, kStamps, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
         DocumentStatus::NotGbk, ""},
        {"a GB2312 declaration", Document("", "1.0.1", files, kStamps, "<?xml encoding=\"gb2312\"?>"),
         DocumentStatus::NotGbk, ""},
        {"a byte-order mark", "\xEF\xBB\xBF" + Document(""), DocumentStatus::NotGbk, ""},
        {"GBK named inside another value", Document("", "1.0.1", files, kStamps,
                                                    "<?xml version=\"1 encoding='gbk'\" encoding=\"utf-8\"?>"),
         DocumentStatus::NotGbk, ""},
        {"two encodings", Document("", "1.0.1", files, kStamps, "<?xml encoding=\"gbk\" encoding=\"utf-8\"?>"),
         DocumentStatus::NotGbk, ""},
        {"a document type", Document("", "1.0.1", files, kStamps,
                                     "<?xml encoding=\"gbk\"?><!DOCTYPE Info [<!ENTITY v \"9.9.9\">]>"),
         DocumentStatus::NotGbk, ""},
    };
    for (const Case& c : cases) {
        UpdateDocument document;
        DocumentProblem problem = Parse(c.bytes, &document);
        EXPECT_EQ(problem.status, c.status) << c.what;
        EXPECT_NE(updater::DescribeDocumentProblem(problem).find(c.named), std::string::npos) << c.what;
        EXPECT_TRUE(document.version.empty()) << c.what;
    }
    // What readers of one version agree on stays readable: other elements and attributes are left alone.
    EXPECT_EQ(Parse(Document(Entry("a") + "<File path=\"b\" size=\"1\" sha256=\"" + kHash + "\" chunks=\"x\"/>", "1.0.1",
                             "<Files base=\"f/\" mirror=\"m/\">", kStamps + "<Notes>新</Notes>",
                             "<?xml version='1.0' encoding = 'Gbk' standalone='yes'?>"))
                  .status,
              DocumentStatus::Ok);
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
        {"TOVRIN.sequence", PathProblem::UpdaterOwnName},
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
    written.expires = 4102444799;  // 2099-12-31T23:59:59Z
    written.sequence = updater::kLargestSequence;
    written.base = "http://cdn.example/files/2.0/?a=1&b=2";
    written.files = {{"Lumadrel.exe", 23273935, kHash, 23058, std::string(64, 'c')},
                     {"数据\\a & b's.dat", 0, std::string(64, '0'), 0, {}}};
    UpdateDocument read;
    ASSERT_EQ(Parse(updater::WriteUpdateDocument(written), &read).status, DocumentStatus::Ok);
    EXPECT_EQ(read.version, written.version);
    EXPECT_EQ(read.expires, written.expires);
    EXPECT_EQ(read.sequence, written.sequence);
    EXPECT_EQ(read.base, written.base);
    ASSERT_EQ(read.files.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(read.files[i].path, written.files[i].path);
        EXPECT_EQ(read.files[i].size, written.files[i].size);
        EXPECT_EQ(read.files[i].sha256, written.files[i].sha256);
        EXPECT_EQ(read.files[i].chunksSize, written.files[i].chunksSize);
        EXPECT_EQ(read.files[i].chunksSha256, written.files[i].chunksSha256);
    }
}

}  // namespace
