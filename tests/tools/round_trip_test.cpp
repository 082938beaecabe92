// formdump then formc gives back the template byte for byte, for the sample
// and for templates with every oddity the stored layout allows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/window/window_data.h"
#include "runtime/byte_reader.h"
#include "runtime/form_template.h"
#include "runtime/type_references.h"
#include "support/tool_run.h"
#include "tools/form_source/blob_encoding.h"

namespace {

using Bytes = std::vector<uint8_t>;
using tools::testing::ReadBytes;
using tools::testing::RunTool;
using tools::testing::ScratchDirectory;

const std::string kSample = std::string(LUMADREL_TEST_DATA_DIR) + "/forms/sample/";

// Dumps the template both ways (a directory of files, and one inline source
// on standard output), compiles each dump and expects the same bytes.
void ExpectRoundTrip(const Bytes& original, const std::vector<std::string>& dumpOptions = {}) {
    ScratchDirectory scratch;
    tools::testing::WriteBytes(scratch.File("in.bin"), original);

    std::vector<std::string> toDirectory = {scratch.File("in.bin"), "-o", scratch.File("dump")};
    toDirectory.insert(toDirectory.end(), dumpOptions.begin(), dumpOptions.end());
    tools::testing::ToolResult dump = RunTool(FORMDUMP_PATH, toDirectory);
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    tools::testing::ToolResult compile =
        RunTool(FORMC_PATH, {scratch.File("dump/template.forms"), "-o", scratch.File("from_directory.bin")});
    ASSERT_EQ(compile.exitCode, 0) << compile.err;
    EXPECT_EQ(ReadBytes(scratch.File("from_directory.bin")), original);

    std::vector<std::string> toOutput = {scratch.File("in.bin")};
    toOutput.insert(toOutput.end(), dumpOptions.begin(), dumpOptions.end());
    dump = RunTool(FORMDUMP_PATH, toOutput);
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    tools::testing::WriteText(scratch.File("inline.forms"), dump.out);
    compile = RunTool(FORMC_PATH, {scratch.File("inline.forms"), "-o", scratch.File("from_inline.bin")});
    ASSERT_EQ(compile.exitCode, 0) << compile.err << "\n" << dump.out;
    EXPECT_EQ(ReadBytes(scratch.File("from_inline.bin")), original);
}

TEST(RoundTrip, SampleTemplate) {
    ScratchDirectory scratch;
    tools::testing::ToolResult run = RunTool(FORMC_PATH, {kSample + "template.forms", "-o", scratch.File("sample.bin")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Bytes sample = ReadBytes(scratch.File("sample.bin"));
    ExpectRoundTrip(sample);
    ExpectRoundTrip(sample, {"--handlers", kSample + "handlers.txt"});
}

TEST(RoundTrip, DumpNamesHandlersAndWritesPicturesAsFiles) {
    ScratchDirectory scratch;
    ASSERT_EQ(RunTool(FORMC_PATH, {kSample + "template.forms", "-o", scratch.File("s.bin")}).exitCode, 0);
    tools::testing::ToolResult dump =
        RunTool(FORMDUMP_PATH, {scratch.File("s.bin"), "-o", scratch.File("d"), "--handlers", kSample + "handlers.txt"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    Bytes form = ReadBytes(scratch.File("d/f52010001.form"));
    std::string text(form.begin(), form.end());
    EXPECT_NE(text.find("event 9 TrayMouseHandler"), std::string::npos) << text;
    EXPECT_NE(text.find("BackPicture file \"f52010001_u06010001_BackPicture.png\""), std::string::npos) << text;
    EXPECT_EQ(ReadBytes(scratch.File("d/f52010001_u06010001_BackPicture.png")), ReadBytes(kSample + "background.png"));
    // The button's picture is the same image: one file serves both.
    Bytes lucky = ReadBytes(scratch.File("d/f52013298.form"));
    EXPECT_NE(std::string(lucky.begin(), lucky.end()).find("picture file \"f52010001_u06010001_BackPicture.png\""),
              std::string::npos);
}

rt::UnitFields Unit(uint32_t id, uint32_t type, std::string name) {
    rt::UnitFields unit;
    unit.id = id;
    unit.typeReference = type;
    unit.name = std::move(name);
    return unit;
}

Bytes Words(std::initializer_list<uint32_t> words) {
    Bytes bytes;
    for (uint32_t word : words) {
        bytes.resize(bytes.size() + 4);
        rt::StoreU32(bytes.data() + bytes.size() - 4, word);
    }
    return bytes;
}

// Everything that named properties or names cannot express has to survive
// through escapes, ids and raw bytes.
rt::FormTemplate OddTemplate() {
    rt::FormTemplate tpl;
    rt::FormRecord first;
    first.id = 0x52000001;
    first.word1 = 0xFFFFFFFF;
    first.placeholder = 0x12345678;
    first.text1 = std::string("nul\0quote\"back\\slash\x81", 21);
    first.text2 = "\xFF\xFE\x80\t\n\x7F";

    rt::UnitFields window = Unit(0x06000001, rt::kWindowTypeReference, "");
    window.left = -32627;
    window.width = 32627;
    window.objectSlot = 0xAAAA;
    window.cursorSlot = 0xBBBB;
    window.reservedAfterTag = 9;
    window.flags = 0x101;
    window.tabOrder = -1;
    window.events = {{-8, 0x7FFFFFFF}, {3, 2}, {3, 0}};
    components::WindowData data;
    data.border = 9;  // out of range: stored as is, so only raw bytes reproduce it
    window.ownData = data.Write();

    rt::UnitFields twin1 = Unit(0x16000002, 0x00010006, "同名");
    twin1.parent = 0x06000001;  // the window's own id rather than 0
    twin1.children = {};        // although a unit names it as parent
    twin1.mousePointer = {1, 2};
    twin1.eventSource = 0x16000003;
    rt::UnitFields twin2 = Unit(0x16000003, 0x00010006, "同名");
    twin2.parent = 0x16000002;
    twin2.mousePointer = Words({0xFFFFFFFF});
    twin2.tag = "tab\there";
    rt::UnitFields unknown = Unit(0x16000004, 0x00050007, "\x81");
    unknown.ownData = {1, 2, 3};
    unknown.children = {0, 0, 0x16FFFFFF, 0x16000002};
    unknown.mousePointer = Words({0x1234});
    rt::UnitFields shortRecord = Unit(0x26000005, 0x00020001, "short");
    shortRecord.clickHandler = 6;
    rt::UnitFields longMenuType = Unit(0x16000006, 0x00010003, "");
    rt::UnitFields badFont = Unit(0x16000007, 0x00080005, "label");
    badFont.ownData = Words({1, 0, 0, 0, 0, 0, 3, 0xAABBCCDD, 0});  // a 3-byte font block: read as no font
    rt::UnitFields noData = Unit(0x16000008, rt::kWindowTypeReference, "x");
    noData.ownData = Words({6});  // too short for version 6
    rt::UnitFields zeroId = Unit(0, 0x0001000B, "zero");
    EXPECT_EQ(first.SetUnits({window, twin1, twin2, unknown, shortRecord, longMenuType, badFont, noData, zeroId}),
              rt::ReadStatus::kOk);
    tpl.forms.push_back(std::move(first));

    rt::FormRecord empty;  // no units at all
    empty.id = 0x52000002;
    EXPECT_EQ(empty.SetUnits({}), rt::ReadStatus::kOk);
    tpl.forms.push_back(std::move(empty));

    rt::FormRecord large;
    large.id = 0x52000003;
    rt::UnitFields picture = Unit(0x16000001, 0x00010006, "big");
    picture.ownData = Words({2, 0, 0xFF000000, 0, 1, 3000});
    for (int i = 0; i < 3000; ++i) picture.ownData.push_back(uint8_t(i * 7));
    picture.ownData.insert(picture.ownData.end(), 8, 0);
    EXPECT_EQ(large.SetUnits({Unit(0x06000009, rt::kWindowTypeReference, ""), picture}), rt::ReadStatus::kOk);
    tpl.forms.push_back(std::move(large));
    return tpl;
}

TEST(RoundTrip, OddTemplates) {
    const Bytes odd = OddTemplate().Write();
    ExpectRoundTrip(odd);
    ScratchDirectory scratch;
    tools::testing::WriteText(scratch.File("h.txt"), "A\nB\n");
    ExpectRoundTrip(odd, {"--handlers", scratch.File("h.txt")});
}

TEST(RoundTrip, DumpRefusesDamagedTemplates) {
    Bytes bytes = OddTemplate().Write();
    bytes.pop_back();
    ScratchDirectory scratch;
    tools::testing::WriteBytes(scratch.File("bad.bin"), bytes);
    tools::testing::ToolResult run = RunTool(FORMDUMP_PATH, {scratch.File("bad.bin")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("not a window template"), std::string::npos) << run.err;
}

TEST(BlobText, EncodingsRoundTripAndRejectDamage) {
    for (size_t length = 0; length < 7; ++length) {
        Bytes bytes;
        for (size_t i = 0; i < length; ++i) bytes.push_back(uint8_t(0xF0 + i));
        Bytes decoded;
        ASSERT_TRUE(formsource::Base64Decode(formsource::Base64Encode(bytes), &decoded));
        EXPECT_EQ(decoded, bytes);
        ASSERT_TRUE(formsource::HexDecode(formsource::HexEncode(bytes), &decoded));
        EXPECT_EQ(decoded, bytes);
    }
    Bytes decoded;
    EXPECT_TRUE(formsource::HexDecode("0a 0B\n", &decoded));
    EXPECT_EQ(decoded, (Bytes{0x0A, 0x0B}));
    for (const char* bad : {"0", "0g", "abc"}) EXPECT_FALSE(formsource::HexDecode(bad, &decoded)) << bad;
    for (const char* bad : {"QQ=", "QQ==QQ==", "Q===", "QQ*="}) {
        EXPECT_FALSE(formsource::Base64Decode(bad, &decoded)) << bad;
    }
}

}  // namespace
