// formc on the sample sources: what the template holds, the handler include,
// and the errors it reports for bad sources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/combo_box/combo_box_data.h"
#include "components/image_button/image_button_data.h"
#include "components/label/label_data.h"
#include "components/transparent_label/transparent_label_data.h"
#include "components/window/window_data.h"
#include "runtime/form_template.h"
#include "support/tool_run.h"

namespace {

using tools::testing::ReadBytes;
using tools::testing::RunTool;
using tools::testing::ScratchDirectory;

const std::string kSample = std::string(LUMADREL_TEST_DATA_DIR) + "/forms/sample/";

// Sources are UTF-8 whatever the compiler does with narrow literals.
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

rt::FormTemplate CompileSample(const ScratchDirectory& scratch) {
    const std::string output = scratch.File("sample.bin");
    tools::testing::ToolResult run = RunTool(FORMC_PATH, {kSample + "template.forms", "-o", output});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<uint8_t> bytes = ReadBytes(output);
    rt::FormTemplate tpl;
    EXPECT_EQ(rt::FormTemplate::Read(bytes.data(), bytes.size(), &tpl), rt::ReadStatus::kOk);
    return tpl;
}

std::vector<uint32_t> Children(const rt::UnitRecord& unit) {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < unit.ChildCount(); ++i) ids.push_back(unit.Child(i));
    return ids;
}

TEST(FormcSample, FormsUnitsAndHandlers) {
    ScratchDirectory scratch;
    const rt::FormTemplate tpl = CompileSample(scratch);
    ASSERT_EQ(tpl.forms.size(), 3u);
    EXPECT_EQ(tpl.forms[0].id, 0x52010001u);
    EXPECT_EQ(tpl.forms[0].word2, 0x09010001u);
    EXPECT_EQ(tpl.forms[1].text1, "玩家中心");  // GBK, like the literal

    const rt::FormRecord& main = tpl.forms[0];
    ASSERT_EQ(main.UnitCount(), 6u);
    const rt::UnitRecord window = main.Unit(0);
    EXPECT_EQ(window.Width(), 600);
    EXPECT_EQ(window.Event(1).eventNumber, 9);
    EXPECT_EQ(window.Event(1).handler, 4u);  // second handler in the list
    EXPECT_EQ(main.Unit(1).Name(), "客户");
    EXPECT_EQ(main.Unit(1).Event(0).handler, 8u);
    EXPECT_FALSE(main.Unit(1).Visible());
    EXPECT_EQ(main.Unit(2).TabOrder(), 1);
    const rt::UnitRecord button = main.Unit(4);
    EXPECT_EQ(button.Event(1).handler, 0xFFFFFFFFu);  // none
    ASSERT_EQ(button.MousePointer().size(), 4u);
    EXPECT_EQ(rt::LoadU32(button.MousePointer().data()), 0x7F89u);
    EXPECT_EQ(button.Tag(), "进入");
}

TEST(FormcSample, OwnPropertiesPicturesAndFonts) {
    ScratchDirectory scratch;
    const rt::FormTemplate tpl = CompileSample(scratch);
    const rt::FormRecord& main = tpl.forms[0];

    components::WindowData window;
    ASSERT_EQ(window.Read(main.Unit(0).OwnData()), rt::ReadStatus::kOk);
    EXPECT_EQ(window.version, 6u);
    EXPECT_EQ(window.border, 6);
    EXPECT_EQ(window.PictureMode, 3);
    EXPECT_EQ(window.caption, "Lumadrel");
    EXPECT_EQ(window.BackPicture, ReadBytes(kSample + "background.png"));

    components::ComboBoxData combo;
    ASSERT_EQ(combo.Read(main.Unit(2).OwnData()), rt::ReadStatus::kOk);
    EXPECT_EQ(combo.items, (std::vector<std::string>{"中窗口", "小窗口", "大窗口"}));
    EXPECT_EQ(combo.BackColor, 0xFFFFFFu);

    components::TransparentLabelData label;
    ASSERT_EQ(label.Read(main.Unit(3).OwnData()), rt::ReadStatus::kOk);
    ASSERT_TRUE(label.font.has_value());
    EXPECT_EQ(label.font->FaceName(), "微软雅黑");
    EXPECT_EQ(label.font->lfHeight, -12);
    EXPECT_EQ(label.font->lfCharSet, 134);
    EXPECT_EQ(label.caption, "版本号：");

    components::ImageButtonData imageButton;
    ASSERT_EQ(imageButton.Read(main.Unit(4).OwnData()), rt::ReadStatus::kOk);
    EXPECT_EQ(imageButton.caption, "进  入 游 戏");
    EXPECT_EQ(imageButton.BkColorIn, 0xFFFFFFu);
    EXPECT_EQ(imageButton.ClickSound, ReadBytes(kSample + "click.wav"));

    // A client with no properties keeps empty data: all defaults.
    EXPECT_TRUE(main.Unit(1).OwnData().empty());
    EXPECT_TRUE(tpl.forms[2].Unit(2).OwnData().empty());  // the timer
}

TEST(FormcSample, ContainersPagesAndMenuItems) {
    ScratchDirectory scratch;
    const rt::FormTemplate tpl = CompileSample(scratch);
    const rt::FormRecord& player = tpl.forms[1];
    // The paged container lists its pages with a 0 between them.
    EXPECT_EQ(Children(player.Unit(1)), (std::vector<uint32_t>{0x1601324C, 0, 0x1601324D, 0x1601324E}));
    EXPECT_EQ(player.Unit(2).Parent(), 0x1601324Bu);
    // Without a children line, a container lists the units naming it as parent.
    EXPECT_EQ(Children(player.Unit(5)), (std::vector<uint32_t>{0x16013250, 0x16013251}));
    EXPECT_EQ(Children(tpl.forms[2].Unit(1)),
              (std::vector<uint32_t>{0x1601329A, 0x1601329B, 0x1601329C, 0x1601329D}));
    EXPECT_TRUE(Children(player.Unit(0)).empty());

    const rt::UnitRecord menu = player.Unit(8);
    ASSERT_TRUE(menu.IsMenuItem());
    EXPECT_EQ(menu.TypeReference(), 0x00010003u);
    EXPECT_EQ(menu.Caption(), "文件(&F)");
    EXPECT_EQ(menu.MenuFlags(), 5u);
    EXPECT_EQ(menu.MenuWord(1), 7u);
    EXPECT_EQ(menu.ClickHandler(), 32u);
    EXPECT_EQ(player.Unit(9).ClickHandler(), 0xFFFFFFFFu);

    const rt::UnitRecord button = player.Unit(7);
    EXPECT_EQ(button.SecondName(), "spare");
    EXPECT_EQ(button.Reserved(2), 3u);
    EXPECT_EQ(button.ReservedAfterEvents(4), 5u);
    EXPECT_EQ(button.Event(1).handler, 0x40u);

    components::LabelData label;
    ASSERT_EQ(label.Read(player.Unit(6).OwnData()), rt::ReadStatus::kOk);
    ASSERT_TRUE(label.font.has_value());
    EXPECT_EQ(label.font->FaceName(), "宋体");
    EXPECT_EQ(label.font->lfFaceName[6], 'B');  // bytes after the terminator are kept
}

TEST(FormcHandlers, IncludeListsOffsetsByIndex) {
    ScratchDirectory scratch;
    tools::testing::ToolResult run = RunTool(FORMC_PATH, {kSample + "template.forms", "-o", scratch.File("t.bin"),
                                                     "--emit-handlers", scratch.File("handlers.inc")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<uint8_t> include = ReadBytes(scratch.File("handlers.inc"));
    std::string text(include.begin(), include.end());
    EXPECT_NE(text.find("LUMADREL_HANDLER(0, MainWindowCreated)\n"), std::string::npos);
    EXPECT_NE(text.find("LUMADREL_HANDLER(40, StartSpin)\n"), std::string::npos);

    // Without any handler list there is nothing to emit.
    tools::testing::WriteText(scratch.File("bare.forms"), "form 0x52000001\nunit window 0x06000001\n");
    run = RunTool(FORMC_PATH, {scratch.File("bare.forms"), "-o", scratch.File("b.bin"), "--emit-handlers",
                               scratch.File("x.inc")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("needs a handler list"), std::string::npos);
}

struct ErrorCase {
    const char* what;
    std::string source;        // t.forms
    std::string expected;      // part of the message after the path
};

TEST(FormcErrors, NameTheFileAndLine) {
    const std::string head = "form 0x52000001\nunit window 0x06000001\n";
    const ErrorCase cases[] = {
        {"unknown type", head + "unit spinner 0x16000002\n", "t.forms:3: unknown type 'spinner'"},
        {"unknown property", head + "  colour 5\n", "t.forms:3: unknown property 'colour' for type window"},
        {"missing picture", head + "  place 1 2 3 4\n  BackPicture file \"nothere.png\"\n",
         "t.forms:4: file \"nothere.png\" not found"},
        {"text outside GBK", head + Utf8(u8"  caption \"笑😀\"\n"),
         Utf8(u8"t.forms:3: text not representable in GBK: '😀'")},
        {"bad number", head + "  place 1 2 x 4\n", "t.forms:3: bad number 'x'"},
        {"number too large", head + "  place 1 2 0x100000000 4\n", "t.forms:3: number 0x100000000 is outside"},
        {"pick out of range", head + "  border 9\n", "t.forms:3: number 9 is outside 0..6"},
        {"property newer than the version", head + "  data_version 5\n  ClassName \"x\"\n",
         "t.forms:4: property ClassName needs data version 6"},
        {"unknown unit name", head + Utf8(u8"unit button 0x16000002\n  parent \"无此\"\n"),
         Utf8(u8"t.forms:4: no unit named \"无此\"")},
        {"handler without a list", head + "  event 0 Start\n", "t.forms:3: handler 'Start' named but no handler"},
        {"unknown handler", "handlers \"h.txt\"\n" + head + "  event 0 Stop\n", "t.forms:4: unknown handler 'Stop'"},
        {"string without end", head + "  caption \"abc\n", "t.forms:3: string has no closing quote"},
        {"field outside a form", "place 1 2 3 4\n", "t.forms:1: 'place' outside a form"},
        {"unit id twice", head + "unit button 0x06000001\n", "t.forms:3: unit id 0x06000001 is used twice"},
        {"field twice", head + "  tag \"a\"\n  tag \"b\"\n", "t.forms:4: tag is given twice"},
        {"menu item id", head + "unit menu_item 0x16000002\n", "t.forms:3: a menu item needs an id of sub-kind 2"},
        {"menu item field", head + "unit menu_item 0x26000002\n  place 1 2 3 4\n",
         "t.forms:4: unknown menu-item field 'place'"},
        {"font block size", head + "unit label 0x16000002\n  font hex \"0102\"\n",
         "t.forms:4: a font block holds 60 bytes, not 2"},
        {"bytes and properties", head + "  data hex \"00000000\"\n  border 1\n",
         "t.forms:3: data bytes and named properties cannot be mixed"},
        {"properties of an unnamed type", head + "unit 1:21 0x16000002\n  pages 3\n",
         "t.forms:4: unknown field 'pages' (type 1:21 has no named properties"},
        {"error inside an included file", "include \"sub.form\"\n", "sub.form:2: unknown type 'spinner'"},
        {"missing include", "include \"none.form\"\n", "t.forms:1: included file \"none.form\" not found"},
        {"include cycle", "include \"t.forms\"\n", "t.forms:1: include cycle"},
    };
    for (const ErrorCase& c : cases) {
        ScratchDirectory scratch;
        tools::testing::WriteText(scratch.File("t.forms"), c.source);
        tools::testing::WriteText(scratch.File("sub.form"), "form 0x52000002\nunit spinner 0x06000002\n");
        tools::testing::WriteText(scratch.File("h.txt"), "Start\n");
        tools::testing::ToolResult run = RunTool(FORMC_PATH, {scratch.File("t.forms"), "-o", scratch.File("t.bin")});
        EXPECT_EQ(run.exitCode, 1) << c.what;
        EXPECT_NE(run.err.find(scratch.Path() + "/" + c.expected), std::string::npos)
            << c.what << "\n  expected: " << c.expected << "\n  got: " << run.err;
    }
}

TEST(FormcErrors, BadHandlerLists) {
    ScratchDirectory scratch;
    tools::testing::WriteText(scratch.File("t.forms"), "form 0x52000001\nunit window 0x06000001\n");
    const std::pair<const char*, const char*> lists[] = {
        {"Start\n# comment\nStart\n", "h.txt:3: handler 'Start' is listed twice"},
        {"1Start\n", "h.txt:1: handler name '1Start' is not an identifier"},
        {"Start Stop\n", "h.txt:1: one handler name per line"},
    };
    for (const auto& [list, expected] : lists) {
        tools::testing::WriteText(scratch.File("h.txt"), list);
        tools::testing::ToolResult run =
            RunTool(FORMC_PATH, {scratch.File("t.forms"), "-o", scratch.File("t.bin"), "--handlers", scratch.File("h.txt")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
    }
}

}  // namespace
