// Stored property data of every component type: versions, round trips,
// defaults for empty data, clamping and damaged data.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "components/combo_box/combo_box_data.h"
#include "components/edit_box/edit_box_data.h"
#include "components/image_button/image_button_data.h"
#include "components/properties/component_data.h"
#include "components/timer/timer_data.h"
#include "components/window/window_data.h"
#include "runtime/byte_writer.h"

namespace {

using components::Bytes;
using components::ComponentData;
using components::FieldKind;
using components::FieldValue;
using rt::LogFont;
using rt::ReadStatus;

struct TypeCase {
    const char* name;
    uint32_t typeReference;
};
const TypeCase kTypes[] = {
    {"window", 0x00010001},       {"edit box", 0x00010005}, {"picture box", 0x00010006},
    {"label", 0x0001000A},        {"button", 0x0001000B},   {"check box", 0x0001000C},
    {"combo box", 0x0001000E},    {"timer", 0x00010020},    {"client socket", 0x00010025},
    {"image button", 0x00020001}, {"transparent label", 0x00080005},
};

rt::LogFont SampleFont(int seed) {
    rt::LogFont font;
    font.lfHeight = -12 - seed;
    font.lfWeight = 700;
    font.lfCharSet = 134;
    font.SetFaceName("微软雅黑");
    return font;
}

// A value for the field that differs from its default.
FieldValue DistinctValue(const ComponentData& data, size_t field) {
    const components::FieldInfo& info = data.Info(field);
    const int seed = static_cast<int>(field);
    switch (info.kind) {
        case FieldKind::kPick: {
            int64_t current = std::get<int64_t>(data.Get(field));
            return int64_t(current == info.high ? info.low : info.high);
        }
        case FieldKind::kWord:
        case FieldKind::kColour: return int64_t(0x00102030 + seed);
        case FieldKind::kInteger: return int64_t(-1000 - seed);
        case FieldKind::kChar16: return int64_t(0x41 + seed);
        case FieldKind::kBool: return !std::get<bool>(data.Get(field));
        case FieldKind::kText: return std::string("文本") + info.name;
        case FieldKind::kBlock: return Bytes{uint8_t(seed), 0x89, 'P', 'N', 'G'};
        case FieldKind::kFont: return std::optional<rt::LogFont>(SampleFont(seed));
        case FieldKind::kWordList: return std::vector<uint32_t>{1, 0xFFFFFFFF, uint32_t(seed)};
        case FieldKind::kTextList16: return std::vector<std::string>{"中窗口", "", "大窗口"};
    }
    return int64_t(0);
}

// Data of the type with every field set to a non-default value.
std::unique_ptr<ComponentData> FullData(uint32_t typeReference, uint32_t version) {
    auto data = components::MakeComponentData(typeReference);
    for (size_t i = 0; i < data->FieldCount(); ++i) data->Set(i, DistinctValue(*data, i));
    data->SetVersion(version);
    return data;
}

TEST(PropertyData, EveryTypeRoundTripsEveryVersion) {
    for (const TypeCase& type : kTypes) {
        auto probe = components::MakeComponentData(type.typeReference);
        ASSERT_NE(probe, nullptr) << type.name;
        for (uint32_t version = 0; version <= probe->MaxVersion(); ++version) {
            auto written = FullData(type.typeReference, version);
            const Bytes bytes = written->Write();
            auto read = components::MakeComponentData(type.typeReference);
            ASSERT_EQ(read->Read(bytes.data(), bytes.size()), ReadStatus::kOk) << type.name << " v" << version;
            EXPECT_EQ(read->Version(), version);
            EXPECT_EQ(read->Write(), bytes) << type.name << " v" << version;
            for (size_t i = 0; i < read->FieldCount(); ++i) {
                const char* field = read->Info(i).name;
                if (read->Info(i).sinceVersion <= version) {
                    EXPECT_EQ(read->Get(i), written->Get(i)) << type.name << " v" << version << " " << field;
                } else {
                    EXPECT_TRUE(read->IsDefault(i)) << type.name << " v" << version << " " << field;
                }
            }
        }
    }
}

TEST(PropertyData, EmptyDataGivesDefaultsAndNewerVersionsFail) {
    for (const TypeCase& type : kTypes) {
        auto data = FullData(type.typeReference, 0);
        ASSERT_EQ(data->Read(nullptr, 0), ReadStatus::kOk) << type.name;
        for (size_t i = 0; i < data->FieldCount(); ++i) EXPECT_TRUE(data->IsDefault(i)) << type.name;
        EXPECT_EQ(data->Version(), data->MaxVersion());
        const Bytes defaults = data->Write();

        auto newest = FullData(type.typeReference, data->MaxVersion());
        Bytes bytes = newest->Write();
        rt::StoreU32(bytes.data(), data->MaxVersion() + 1);
        EXPECT_EQ(data->Read(bytes.data(), bytes.size()), ReadStatus::kUnsupportedVersion) << type.name;
        rt::StoreU32(bytes.data(), 0xFFFFFFFF);
        EXPECT_EQ(data->Read(bytes.data(), bytes.size()), ReadStatus::kUnsupportedVersion) << type.name;
        EXPECT_EQ(data->Write(), defaults) << type.name << ": a failed read changed the data";
    }
}

TEST(PropertyData, EveryTruncationFailsAndChangesNothing) {
    for (const TypeCase& type : kTypes) {
        auto probe = components::MakeComponentData(type.typeReference);
        for (uint32_t version = 0; version <= probe->MaxVersion(); ++version) {
            const Bytes bytes = FullData(type.typeReference, version)->Write();
            auto data = components::MakeComponentData(type.typeReference);
            const Bytes before = data->Write();
            for (size_t cut = 1; cut < bytes.size(); ++cut) {
                Bytes prefix(bytes.begin(), bytes.begin() + cut);
                ASSERT_NE(data->Read(prefix.data(), prefix.size()), ReadStatus::kOk)
                    << type.name << " v" << version << " cut at " << cut;
            }
            EXPECT_EQ(data->Write(), before) << type.name;
        }
    }
}

TEST(PropertyData, DefaultsOfEmptyData) {
    components::WindowData window;
    window.border = 0;
    ASSERT_EQ(window.Read(nullptr, 0), ReadStatus::kOk);
    EXPECT_EQ(window.border, 2);
    EXPECT_EQ(window.PictureMode, 1);
    EXPECT_EQ(window.BackColor, components::kDefaultColour);
    EXPECT_FALSE(window.MaxButton);
    EXPECT_TRUE(window.MinButton);
    EXPECT_TRUE(window.ControlBox);
    EXPECT_EQ(window.StartPosition, 1);
    EXPECT_TRUE(window.Movable);
    EXPECT_TRUE(window.EscCloses);
    EXPECT_TRUE(window.ShowInTaskbar);
    EXPECT_TRUE(window.caption.empty());

    components::EditBoxData edit;
    ASSERT_EQ(edit.Read(nullptr, 0), ReadStatus::kOk);
    EXPECT_EQ(edit.border, 1);
    EXPECT_EQ(edit.BackColor, 0xFFFFFFu);
    EXPECT_TRUE(edit.HideSel);
    EXPECT_EQ(edit.PasswordChar, 42);
    EXPECT_EQ(edit.SpinMin, 0);
    EXPECT_EQ(edit.SpinMax, 100);
    EXPECT_FALSE(edit.font.has_value());

    auto checkBox = components::MakeComponentData(0x0001000C);
    checkBox->Read(nullptr, 0);
    EXPECT_EQ(std::get<std::string>(checkBox->Get(checkBox->FindField("caption"))), "选择框");
    EXPECT_EQ(std::get<int64_t>(checkBox->Get(checkBox->FindField("VAlign"))), 1);
    auto timer = components::MakeComponentData(0x00010020);
    timer->Read(nullptr, 0);
    EXPECT_EQ(std::get<int64_t>(timer->Get(timer->FindField("interval"))), 0);
}

TEST(PropertyData, PicksAreClampedWhenRead) {
    struct Case {
        uint32_t typeReference;
        const char* field;
        int32_t stored, expected;
    } cases[] = {
        {0x00010001, "border", 9, 6},        {0x00010001, "border", -3, 0},     {0x00010001, "shape", 40, 29},
        {0x00010001, "PictureMode", 4, 3},   {0x00010001, "MusicPlayMode", 7, 2},
        {0x00010020, "interval", -5, 0},     {0x00010020, "interval", 200, 200},
        {0x00020001, "BtnStyle", 3, 2},      {0x00020001, "AlignStyle", -1, 0}, {0x00080005, "effect", 4, 3},
        {0x0001000A, "GradientStyle", 9, 8}, {0x00010005, "InputMode", 5, 2},  {0x0001000E, "ComboType", 3, 2},
        {0x00010006, "border", 6, 5},        {0x0001000B, "VAlign", -2, 0},
        // Not picks: any value is kept.
        {0x00010005, "SpinMode", 7, 7},      {0x0001000E, "CurSel", -7, -7},
    };
    for (const Case& c : cases) {
        auto data = components::MakeComponentData(c.typeReference);
        const int field = data->FindField(c.field);
        ASSERT_GE(field, 0) << c.field;
        data->Set(field, int64_t(c.stored));
        const Bytes bytes = data->Write();
        auto read = components::MakeComponentData(c.typeReference);
        ASSERT_EQ(read->Read(bytes.data(), bytes.size()), ReadStatus::kOk);
        EXPECT_EQ(std::get<int64_t>(read->Get(field)), c.expected) << c.field << " " << c.stored;
    }
}

// Stored bytes laid out by hand in the documented order.
struct Layout {
    rt::ByteWriter out;
    Layout& Words(std::initializer_list<uint32_t> words) {
        for (uint32_t w : words) out.PutU32(w);
        return *this;
    }
    Layout& Text(std::string_view text) {
        out.PutCounted(text);
        return *this;
    }
    Layout& Block(Bytes bytes) {
        out.PutCounted(bytes);
        return *this;
    }
    Layout& Short(uint16_t value) {
        out.PutU16(value);
        return *this;
    }
    Bytes Take() { return out.Take(); }
};

TEST(PropertyLayout, WindowVersion6) {
    const Bytes bytes = Layout()
                            .Words({6, 6, 3, 0xFF000000})
                            .Words({0, 1, 1, 1, 1})
                            .Words({0, 0, 1, 0, 77})
                            .Words({1, 1, 5, 1, 1})
                            .Text("MyClass")
                            .Block({0x89, 'P', 'N', 'G'})
                            .Block({})
                            .Block({1, 2})
                            .Text("Lumadrel")
                            .Text("help.hlp")
                            .Take();
    components::WindowData window;
    ASSERT_EQ(window.Read(bytes), ReadStatus::kOk);
    EXPECT_EQ(window.border, 6);
    EXPECT_EQ(window.PictureMode, 3);
    EXPECT_FALSE(window.MaxButton);
    EXPECT_EQ(window.HelpContext, 77);
    EXPECT_TRUE(window.DragAnywhere);
    EXPECT_EQ(window.shape, 5);
    EXPECT_TRUE(window.TopMost);
    EXPECT_TRUE(window.KeepTitleActive);
    EXPECT_EQ(window.ClassName, "MyClass");
    EXPECT_EQ(window.BackPicture, (Bytes{0x89, 'P', 'N', 'G'}));
    EXPECT_TRUE(window.BackMusic.empty());
    EXPECT_EQ(window.icon.size(), 2u);
    EXPECT_EQ(window.caption, "Lumadrel");
    EXPECT_EQ(window.HelpFile, "help.hlp");
    EXPECT_EQ(window.Write(), bytes);
}

TEST(PropertyLayout, WindowVersion1HasNoLaterFields) {
    const Bytes bytes = Layout()
                            .Words({1, 0, 0, 0x00FFFFFF, 1, 0, 0, 0, 0, 2, 1, 0, 1, 3})
                            .Block({})
                            .Block({})
                            .Block({})
                            .Text("")
                            .Text("")
                            .Take();
    components::WindowData window;
    ASSERT_EQ(window.Read(bytes), ReadStatus::kOk);
    EXPECT_EQ(window.BackColor, 0x00FFFFFFu);
    EXPECT_EQ(window.MusicPlayMode, 2);
    EXPECT_EQ(window.HelpContext, 3);
    EXPECT_TRUE(window.ShowInTaskbar);  // default, not stored before version 2
    EXPECT_EQ(window.Write(), bytes);
}

TEST(PropertyLayout, EditBoxPasswordCharIsSixteenBits) {
    const Bytes bytes = Layout()
                            .Words({2, 0, 0x000000FF, 0x00FFFFFF, 0, 10, 1, 3, 2, 2})
                            .Short('#')
                            .Words({2, 1, -5u, 5, 1, 2})
                            .Block({})
                            .Text("abc")
                            .Text("src")
                            .Text("col")
                            .Take();
    components::EditBoxData edit;
    ASSERT_EQ(edit.Read(bytes), ReadStatus::kOk);
    EXPECT_EQ(edit.MaxAllowLength, 10);
    EXPECT_TRUE(edit.AllowMultiLines);
    EXPECT_EQ(edit.ScrollBars, 3);
    EXPECT_EQ(edit.InputMode, 2);
    EXPECT_EQ(edit.PasswordChar, '#');
    EXPECT_EQ(edit.CaseConvert, 2);
    EXPECT_EQ(edit.SpinMin, -5);
    EXPECT_EQ(edit.SelLength, 2);
    EXPECT_EQ(edit.content, "abc");
    EXPECT_EQ(edit.DataColumn, "col");
    EXPECT_EQ(edit.Write(), bytes);
}

TEST(PropertyLayout, ComboBoxItemsAndItemData) {
    const Bytes bytes = Layout()
                            .Words({3, 1, 0, 0, 0, 0, 1, 0, 0x00FFFFFF, 0})
                            .Block({})
                            .Block({7, 0, 0, 0, 8, 0, 0, 0})
                            .Text("窗口设置")
                            .Short(3)
                            .Text("中窗口")
                            .Text("小窗口")
                            .Text("大窗口")
                            .Text("")
                            .Text("")
                            .Words({1})
                            .Take();
    components::ComboBoxData combo;
    ASSERT_EQ(combo.Read(bytes), ReadStatus::kOk);
    EXPECT_EQ(combo.ComboType, 1);
    EXPECT_EQ(combo.ItemHeightExtra, 1);
    EXPECT_EQ(combo.BackColor, 0x00FFFFFFu);
    EXPECT_EQ(combo.CurSel, 0);
    EXPECT_EQ(combo.ItemData, (std::vector<uint32_t>{7, 8}));
    EXPECT_EQ(combo.content, "窗口设置");
    EXPECT_EQ(combo.items, (std::vector<std::string>{"中窗口", "小窗口", "大窗口"}));
    EXPECT_EQ(combo.hiddenFlag, 1u);
    EXPECT_EQ(combo.Write(), bytes);
}

TEST(PropertyLayout, ImageButtonVersion2AddsDisabledPictureLast) {
    uint8_t font[60] = {};
    SampleFont(0).ToBytes(font);
    const Bytes bytes = Layout()
                            .Words({2, 1, 0, 0, 0, 0, 1, 0, 0xFF000000, 0xFF000000, 0, 0, 0})
                            .Words({0, 0xF0F0F0, 0, 0xFFFFFF, 0, 0xF0F0F0})
                            .Block({})
                            .Block({})
                            .Block(Bytes(font, font + 60))
                            .Block({})
                            .Block({})
                            .Text("进  入 游 戏")
                            .Text("")
                            .Words({0x00FF00FF})
                            .Block({'G', 'I', 'F'})
                            .Take();
    components::ImageButtonData button;
    ASSERT_EQ(button.Read(bytes), ReadStatus::kOk);
    EXPECT_EQ(button.BtnStyle, 1);
    EXPECT_TRUE(button.DrawBorder);
    EXPECT_EQ(button.BkColorOut, 0xF0F0F0u);
    EXPECT_EQ(button.BkColorIn, 0xFFFFFFu);
    ASSERT_TRUE(button.font.has_value());
    EXPECT_EQ(button.font->FaceName(), "微软雅黑");
    EXPECT_EQ(button.font->lfWeight, 700);
    EXPECT_EQ(button.caption, "进  入 游 戏");
    EXPECT_EQ(button.TransColorDisabled, 0x00FF00FFu);
    EXPECT_EQ(button.PicDisabled.size(), 3u);
    EXPECT_EQ(button.Write(), bytes);
}

TEST(PropertyLayout, OddBlocks) {
    // A font block that is not a LOGFONTA is no font.
    Bytes bytes = Layout().Words({1, 0, 0, 0, 0, 0}).Block({1, 2, 3}).Text("x").Take();
    auto label = components::MakeComponentData(0x00080005);
    ASSERT_EQ(label->Read(bytes.data(), bytes.size()), ReadStatus::kOk);
    EXPECT_FALSE(std::get<std::optional<rt::LogFont>>(label->Get(label->FindField("font"))).has_value());

    // Item values must be whole words.
    components::ComboBoxData combo;
    bytes = Layout().Words({0, 1, 0, 0, 0, 0, 0, 0, 0, 0}).Block({}).Block({1, 2, 3, 4, 5, 6}).Text("").Short(0).Take();
    EXPECT_EQ(combo.Read(bytes), ReadStatus::kBadLayout);

    // Bytes after the last field of the version are ignored.
    components::TimerData timer;
    bytes = Layout().Words({1, 250, 99}).Take();
    ASSERT_EQ(timer.Read(bytes), ReadStatus::kOk);
    EXPECT_EQ(timer.interval, 250);
    EXPECT_EQ(timer.Write().size(), 8u);
}

TEST(LogFontBlock, MembersSitWhereLogfontaHasThem) {
    rt::LogFont font = SampleFont(0);
    font.lfItalic = 1;
    font.lfPitchAndFamily = 0x22;
    uint8_t bytes[60];
    font.ToBytes(bytes);
    EXPECT_EQ(rt::LoadU32(bytes), uint32_t(-12));
    EXPECT_EQ(rt::LoadU32(bytes + 16), 700u);
    EXPECT_EQ(bytes[20], 1);
    EXPECT_EQ(bytes[23], 134);
    EXPECT_EQ(bytes[27], 0x22);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 28)), "微软雅黑");
    EXPECT_TRUE(rt::LogFont::FromBytes(bytes) == font);
    uint8_t direct[60];
    std::memcpy(direct, &font, 60);  // the struct itself has the stored layout
    EXPECT_EQ(std::memcmp(direct, bytes, 60), 0);
}

TEST(LogFontBlock, FaceNameKeepsRoomForTheTerminator) {
    rt::LogFont font;
    font.SetFaceName(std::string(40, 'a'));
    EXPECT_EQ(font.FaceName().size(), 31u);
}

}  // namespace
