// Window template: stored layout, unit walker, handler relocation, damage
// detection and the in-place writers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/byte_reader.h"
#include "runtime/form_template.h"
#include "runtime/template_slot.h"
#include "runtime/type_references.h"
#include "runtime/unit_fields.h"

namespace {

using rt::FormRecord;
using rt::FormTemplate;
using rt::ReadStatus;
using rt::UnitFields;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kNoHandler = 0xFFFFFFFF;

UnitFields Window(uint32_t number) {
    UnitFields unit;
    unit.id = 0x06000000 | number;
    unit.typeReference = rt::kWindowTypeReference;
    unit.left = 50;
    unit.top = 50;
    unit.width = 600;
    unit.height = 450;
    unit.flags = rt::kUnitFlagVisible;
    return unit;
}

UnitFields Component(uint32_t number, uint32_t typeReference, std::string name) {
    UnitFields unit;
    unit.id = 0x16000000 | number;
    unit.typeReference = typeReference;
    unit.name = std::move(name);
    unit.left = int32_t(number);
    unit.top = int32_t(number * 2);
    unit.width = 80;
    unit.height = 35;
    unit.flags = rt::kUnitFlagVisible | rt::kUnitFlagTabStop;
    return unit;
}

FormRecord MakeForm(uint32_t id, const std::vector<UnitFields>& units) {
    FormRecord form;
    form.id = id;
    form.word2 = 0x09000000 | (id & 0xFFFF);
    EXPECT_EQ(form.SetUnits(units), ReadStatus::kOk);
    return form;
}

// Three forms: a bare window; a window with a paged container, a menu item and
// a component carrying everything; a window with a picture-sized own block.
FormTemplate RichTemplate() {
    FormTemplate tpl;
    tpl.forms.push_back(MakeForm(0x52010001, {Window(1)}));

    UnitFields window = Window(2);
    window.events = {{0, 0}, {9, 0x40}};
    UnitFields pages = Component(3, 0x00010015, "选择夹1");
    pages.children = {0x16000004, 0, 0x16000005};
    UnitFields first = Component(4, 0x0001000B, "按钮1");
    first.parent = pages.id;
    first.events = {{0, kNoHandler}, {-7, 8}};
    first.mousePointer = {0x89, 0x7F, 0, 0};
    first.tag = "标记";
    first.ownData = {1, 0, 0, 0, 7, 0, 0, 0};
    UnitFields second = Component(5, 0x0001000A, "标签1");
    second.parent = pages.id;
    second.secondName = "second";
    second.reserved = {1, 2, 3, 4};
    second.reservedAfterTag = 5;
    second.reservedAfterEvents = {6, 7, 8, 9, 10};
    second.tabOrder = 3;
    UnitFields menu;
    menu.id = 0x26000006;
    menu.typeReference = 0x00010003;
    menu.name = "菜单1";
    menu.menuWords = {11, 12};
    menu.menuFlags = 0x5;
    menu.caption = "文件";
    menu.clickHandler = 0x10;
    tpl.forms.push_back(MakeForm(0x52013131, {window, pages, first, second, menu}));

    UnitFields picture = Component(7, 0x00010006, "图片框1");
    picture.ownData.assign(5000, 0xAB);
    FormRecord third = MakeForm(0x520131BA, {Window(8), picture});
    third.word1 = 0x1234;
    third.text1 = "t1";
    third.text2 = "text two";
    third.placeholder = 0xDEAD;
    tpl.forms.push_back(std::move(third));
    return tpl;
}

TEST(TemplateLayout, OneFormWithOnlyTheWindow) {
    FormTemplate tpl;
    tpl.forms.push_back(MakeForm(0x52010001, {Window(1)}));
    Bytes bytes = tpl.Write();

    rt::ByteReader reader(bytes.data(), bytes.size());
    uint32_t word = 0;
    reader.ReadU32(&word);
    EXPECT_EQ(word, 8u);  // L = 8 × N
    reader.ReadU32(&word);
    EXPECT_EQ(word, 0x52010001u);
    reader.Skip(4 + 8 + 8);  // placeholder, words 1 and 2, two empty texts
    reader.ReadU32(&word);
    EXPECT_EQ(word, 1u);  // C
    uint32_t bufferLength;
    reader.ReadU32(&bufferLength);
    EXPECT_EQ(bufferLength, reader.Remaining());
    reader.ReadU32(&word);
    EXPECT_EQ(word, 0x06000001u);
    reader.ReadU32(&word);
    EXPECT_EQ(word, 0u);  // offset table [0]
    reader.ReadU32(&word);
    EXPECT_EQ(word, reader.Remaining());  // S covers the rest

    FormTemplate read;
    ASSERT_EQ(FormTemplate::Read(bytes.data(), bytes.size(), &read), ReadStatus::kOk);
    ASSERT_EQ(read.forms.size(), 1u);
    const FormRecord& form = read.forms[0];
    EXPECT_EQ(form.UnitCount(), 1u);
    EXPECT_EQ(form.Unit(0).Width(), 600);
    EXPECT_TRUE(form.Unit(0).OwnData().empty());
    EXPECT_EQ(read.Write(), bytes);
}

// Walks the raw bytes independently of the reader.
TEST(TemplateLayout, RecordsAndTablesFillEveryBufferAndTheLastFormEndsTheData) {
    Bytes bytes = RichTemplate().Write();
    rt::ByteReader reader(bytes.data(), bytes.size());
    uint32_t tableLength = 0;
    reader.ReadU32(&tableLength);
    reader.Skip(tableLength);
    for (uint32_t f = 0; f < tableLength / 8; ++f) {
        const uint8_t* text;
        uint32_t length = 0, unitCount = 0, bufferLength = 0;
        reader.Skip(8);
        reader.ReadCounted(&text, &length);
        reader.ReadCounted(&text, &length);
        reader.ReadU32(&unitCount);
        ASSERT_TRUE(reader.ReadU32(&bufferLength));
        uint64_t sum = 8ull * unitCount;
        const uint8_t* buffer = reader.Current();
        for (uint32_t i = 0; i < unitCount; ++i) {
            uint32_t offset = rt::LoadU32(buffer + 4 * (unitCount + i));
            sum += 4 + rt::LoadU32(buffer + 8 * unitCount + offset);
        }
        EXPECT_EQ(sum, bufferLength) << "form " << f;
        ASSERT_TRUE(reader.Skip(bufferLength));
    }
    EXPECT_TRUE(reader.AtEnd());
}

TEST(TemplateLayout, WritingGivesBackTheBytesRead) {
    Bytes bytes = RichTemplate().Write();
    FormTemplate read;
    ASSERT_EQ(FormTemplate::Read(bytes.data(), bytes.size(), &read), ReadStatus::kOk);
    EXPECT_EQ(read.Write(), bytes);
    EXPECT_EQ(read.forms[2].placeholder, 0xDEADu);
    EXPECT_EQ(read.forms[2].word1, 0x1234u);
    EXPECT_EQ(read.forms[2].text2, "text two");
}

TEST(UnitWalker, EveryFieldDecodesAsEncoded) {
    FormTemplate tpl = RichTemplate();
    Bytes bytes = tpl.Write();
    FormTemplate read;
    ASSERT_EQ(FormTemplate::Read(bytes.data(), bytes.size(), &read), ReadStatus::kOk);
    const FormRecord& form = read.forms[1];
    ASSERT_EQ(form.UnitCount(), 5u);

    const rt::UnitRecord button = form.Unit(2);
    EXPECT_EQ(button.Name(), "按钮1");
    EXPECT_EQ(button.TypeReference(), 0x0001000Bu);
    EXPECT_EQ(button.Parent(), 0x16000003u);
    EXPECT_EQ(button.Left(), 4);
    EXPECT_EQ(button.Top(), 8);
    EXPECT_EQ(button.Tag(), "标记");
    EXPECT_TRUE(button.Visible());
    EXPECT_TRUE(button.TabStop());
    EXPECT_FALSE(button.Disabled());
    ASSERT_EQ(button.MousePointer().size(), 4u);
    EXPECT_EQ(rt::LoadU32(button.MousePointer().data()), 0x7F89u);
    ASSERT_EQ(button.EventCount(), 2u);
    EXPECT_EQ(button.Event(1).eventNumber, -7);
    EXPECT_EQ(button.OwnData().size(), 8u);

    const rt::UnitRecord pages = form.Unit(1);
    ASSERT_EQ(pages.ChildCount(), 3u);
    EXPECT_EQ(pages.Child(1), 0u);  // page separator
    EXPECT_EQ(pages.Child(2), 0x16000005u);

    const rt::UnitRecord menu = form.Unit(4);
    EXPECT_TRUE(menu.IsMenuItem());
    EXPECT_EQ(menu.Caption(), "文件");
    EXPECT_EQ(menu.MenuFlags(), 5u);
    EXPECT_EQ(menu.MenuWord(1), 12u);
    EXPECT_EQ(menu.ClickHandler(), 0x10u);

    for (uint32_t i = 0; i < form.UnitCount(); ++i) {
        UnitFields decoded = rt::DecodeUnit(form.Unit(i));
        EXPECT_EQ(rt::EncodeUnit(decoded), rt::EncodeUnit(rt::DecodeUnit(tpl.forms[1].Unit(i)))) << "unit " << i;
        EXPECT_EQ(decoded.id, tpl.forms[1].UnitId(i));
    }
    const UnitFields second = rt::DecodeUnit(form.Unit(3));
    EXPECT_EQ(second.secondName, "second");
    EXPECT_EQ(second.reserved[3], 4u);
    EXPECT_EQ(second.reservedAfterTag, 5u);
    EXPECT_EQ(second.reservedAfterEvents[4], 10u);
    EXPECT_EQ(second.tabOrder, 3);
}

TEST(UnitLookup, WindowFirstThenLinearSearch) {
    const FormRecord form = RichTemplate().forms[1];
    EXPECT_EQ(form.FindUnit(0), 0);  // 0 names the window
    EXPECT_EQ(form.FindUnit(0x06000002), 0);
    EXPECT_EQ(form.FindUnit(0x16000005), 3);
    EXPECT_EQ(form.FindUnit(0x26000006), 4);
    EXPECT_EQ(form.FindUnit(0x16000099), -1);
    EXPECT_EQ(FormRecord().FindUnit(0), -1);

    const FormTemplate tpl = RichTemplate();
    EXPECT_EQ(tpl.FindForm(0x520131BA), &tpl.forms[2]);
    EXPECT_EQ(tpl.FindForm(0x52000000), nullptr);
}

TEST(HandlerRelocation, NoHandlerBecomesZeroOthersAreBasePlusOffset) {
    FormTemplate tpl = RichTemplate();
    const uint32_t base = 0x00401000;
    tpl.RelocateHandlers(base);
    const FormRecord& form = tpl.forms[1];
    struct Case {
        uint32_t unit, event, expected;
    } cases[] = {
        {0, 0, base},         // offset 0 is the base itself
        {0, 1, base + 0x40},  //
        {2, 0, 0},            // -1: no handler
        {2, 1, base + 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(form.Unit(c.unit).Event(c.event).handler, c.expected) << c.unit << "/" << c.event;
    }
    EXPECT_EQ(form.Unit(4).ClickHandler(), base + 0x10);
    uint32_t handler;
    ASSERT_TRUE(form.Unit(2).FindEventHandler(-7, &handler));
    EXPECT_EQ(handler, base + 8);
    EXPECT_FALSE(form.Unit(2).FindEventHandler(5, &handler));
}

TEST(HandlerRelocation, OffsetsCountTableWordsScaledToTheEntryWidth) {
    FormTemplate tpl = RichTemplate();
    const uint32_t base = 0x00401000;
    tpl.RelocateHandlers(base, 8);  // the x86_64 table: 8-byte entries
    const FormRecord& form = tpl.forms[1];
    EXPECT_EQ(form.Unit(0).Event(0).handler, base);
    EXPECT_EQ(form.Unit(0).Event(1).handler, base + 0x80);  // offset 0x40: entry 16
    EXPECT_EQ(form.Unit(2).Event(0).handler, 0u);
    EXPECT_EQ(form.Unit(2).Event(1).handler, base + 16);
    EXPECT_EQ(form.Unit(4).ClickHandler(), base + 0x20);
}

TEST(TemplateSlotDeathTest, AnAddressAbove4GiBIsRefusedNotTruncated) {
    EXPECT_EQ(rt::NarrowToSlot(0xFFFFFFFFull, "top"), 0xFFFFFFFFu);
    EXPECT_EXIT(rt::NarrowToSlot(0x100000010ull, "component object"), ::testing::ExitedWithCode(3),
                "component object: address 0x0000000100000010 does not fit a 32-bit template slot");
    // A handler table placed above 4 GiB stops the relocation the same way.
    EXPECT_EXIT(RichTemplate().RelocateHandlers(0x7FF600001000ull, 8), ::testing::ExitedWithCode(3),
                "event handler entry: address 0x00007ff600001000 does not fit");
}

TEST(HandlerRelocation, MenuItemWithoutHandlerBecomesZero) {
    UnitFields menu;
    menu.id = 0x26000002;
    menu.typeReference = 0x00010003;
    FormTemplate tpl;
    tpl.forms.push_back(MakeForm(0x52000001, {Window(1), menu}));
    tpl.RelocateHandlers(0x1000);
    EXPECT_EQ(tpl.forms[0].Unit(1).ClickHandler(), 0u);
}

TEST(TemplateDamage, EveryTruncationFailsWithoutTouchingTheResult) {
    const Bytes bytes = RichTemplate().Write();
    FormTemplate untouched;
    untouched.forms.push_back(MakeForm(0x52000001, {Window(1)}));
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        // A copy of exactly `cut` bytes, so a read past the cut is a fault the
        // sanitizers see.
        Bytes prefix(bytes.begin(), bytes.begin() + cut);
        FormTemplate out = untouched;
        ASSERT_NE(FormTemplate::Read(prefix.data(), prefix.size(), &out), ReadStatus::kOk) << "cut at " << cut;
        ASSERT_EQ(out.forms.size(), 1u);
        ASSERT_EQ(out.forms[0].id, 0x52000001u);
    }
}

struct DamageCase {
    const char* what;
    void (*damage)(Bytes& bytes, size_t secondBuffer);
    ReadStatus expected;
};

void Put(Bytes& bytes, size_t at, uint32_t value) { rt::StoreU32(bytes.data() + at, value); }

// Start of the second form's unit buffer (5 units).
size_t SecondBufferStart(const Bytes& bytes) {
    rt::ByteReader reader(bytes.data(), bytes.size());
    uint32_t word = 0, length = 0;
    const uint8_t* text;
    reader.ReadU32(&word);
    reader.Skip(word);
    for (int f = 0; f < 2; ++f) {
        reader.Skip(8);
        reader.ReadCounted(&text, &length);
        reader.ReadCounted(&text, &length);
        reader.ReadU32(&word);
        reader.ReadU32(&length);
        if (f == 1) return reader.Position();
        reader.Skip(length);
    }
    return 0;
}

const DamageCase kDamage[] = {
    {"table length not a multiple of 8", [](Bytes& b, size_t) { Put(b, 0, 12); }, ReadStatus::kBadLayout},
    {"table length beyond the data", [](Bytes& b, size_t) { Put(b, 0, 0x7FFFFFF8); }, ReadStatus::kTruncated},
    {"unit count larger than the buffer", [](Bytes& b, size_t s) { Put(b, s - 8, 0x20000000); },
     ReadStatus::kBadLayout},
    {"buffer length beyond the data", [](Bytes& b, size_t s) { Put(b, s - 4, 0xFFFFFFF0); }, ReadStatus::kTruncated},
    {"offset outside the buffer", [](Bytes& b, size_t s) { Put(b, s + 20 + 4, 0x00100000); }, ReadStatus::kBadLayout},
    {"two units share a record", [](Bytes& b, size_t s) { Put(b, s + 20 + 4, 0); }, ReadStatus::kBadLayout},
    {"record size beyond the buffer", [](Bytes& b, size_t s) { Put(b, s + 40, 0x00FFFFFF); }, ReadStatus::kBadLayout},
    {"record size leaving a gap",
     [](Bytes& b, size_t s) {
         // Unit 2 carries 8 bytes of own data, so it still walks with 4 fewer.
         size_t at = s + 40 + rt::LoadU32(b.data() + s + 20 + 8);
         Put(b, at, rt::LoadU32(b.data() + at) - 4);
     },
     ReadStatus::kBadLayout},
    {"child count beyond the record",
     [](Bytes& b, size_t s) {
         // Window unit 0 of form 2: 24 bytes, two empty names, 28 bytes, then K.
         Put(b, s + 40 + 4 + 24 + 2 + 28, 0x40000001);
     },
     ReadStatus::kTruncated},
    {"event count beyond the record",
     [](Bytes& b, size_t s) {
         // After K = 0: M = 0, empty tag, 12 bytes, then E.
         Put(b, s + 40 + 4 + 24 + 2 + 28 + 4 + 4 + 1 + 12, 0x20000000);
     },
     ReadStatus::kTruncated},
    {"mouse-pointer length beyond the record",
     [](Bytes& b, size_t s) { Put(b, s + 40 + 4 + 24 + 2 + 28 + 4, 0xFFFFFFFF); }, ReadStatus::kTruncated},
    {"names without terminator",
     [](Bytes& b, size_t s) {
         size_t start = s + 40 + 4;
         size_t end = start + rt::LoadU32(b.data() + s + 40);
         for (size_t i = start + 24; i < end; ++i) b[i] = b[i] ? b[i] : 'x';
     },
     ReadStatus::kTruncated},
    {"bytes after the last form", [](Bytes& b, size_t) { b.push_back(0); }, ReadStatus::kTrailingBytes},
};

TEST(TemplateDamage, InconsistentLayoutsFail) {
    const Bytes good = RichTemplate().Write();
    const size_t second = SecondBufferStart(good);
    for (const DamageCase& c : kDamage) {
        Bytes bytes = good;
        c.damage(bytes, second);
        FormTemplate out;
        EXPECT_EQ(FormTemplate::Read(bytes.data(), bytes.size(), &out), c.expected) << c.what;
        EXPECT_TRUE(out.forms.empty()) << c.what;
    }
}

TEST(TemplateDamage, MenuItemWithBytesAfterItsClickWordFails) {
    UnitFields menu;
    menu.id = 0x26000002;
    Bytes record = rt::EncodeUnit(menu);
    record.push_back(0);
    Bytes buffer(8, 0);
    rt::StoreU32(buffer.data(), menu.id);
    buffer.resize(8 + 4);
    rt::StoreU32(buffer.data() + 8, static_cast<uint32_t>(record.size()));
    buffer.insert(buffer.end(), record.begin(), record.end());
    FormRecord form;
    EXPECT_EQ(form.SetUnitBuffer(1, buffer.data(), buffer.size()), ReadStatus::kBadLayout);
    record.pop_back();
    buffer.pop_back();
    rt::StoreU32(buffer.data() + 8, static_cast<uint32_t>(record.size()));
    EXPECT_EQ(form.SetUnitBuffer(1, buffer.data(), buffer.size()), ReadStatus::kOk);
}

TEST(TemplateDamage, TextsWithNulCannotBeStored) {
    UnitFields unit = Window(1);
    unit.name = std::string("a\0b", 3);
    FormRecord form;
    EXPECT_EQ(form.SetUnits({unit}), ReadStatus::kBadLayout);
}

// Reads the bytes written after a change, as the next load would.
FormRecord Reread(const FormTemplate& tpl, size_t formIndex) {
    Bytes bytes = tpl.Write();
    FormTemplate read;
    EXPECT_EQ(FormTemplate::Read(bytes.data(), bytes.size(), &read), ReadStatus::kOk);
    return read.forms.at(formIndex);
}

TEST(UnitWriters, PlaceAndFlagsChangeInPlace) {
    FormTemplate tpl = RichTemplate();
    FormRecord& form = tpl.forms[1];
    const size_t size = form.UnitBuffer().size();
    EXPECT_TRUE(form.SetLeft(2, -32627));
    EXPECT_TRUE(form.SetTop(2, 7));
    EXPECT_TRUE(form.SetWidth(2, 32627));
    EXPECT_TRUE(form.SetHeight(2, 0));
    EXPECT_TRUE(form.SetFlag(2, rt::kUnitFlagVisible, false));
    EXPECT_TRUE(form.SetFlag(2, rt::kUnitFlagDisabled, true));
    EXPECT_TRUE(form.SetObjectSlot(2, 0xCAFE));
    EXPECT_EQ(form.UnitBuffer().size(), size);

    const FormRecord again = Reread(tpl, 1);
    const rt::UnitRecord unit = again.Unit(2);
    EXPECT_EQ(unit.Left(), -32627);
    EXPECT_EQ(unit.Top(), 7);
    EXPECT_EQ(unit.Width(), 32627);
    EXPECT_EQ(unit.Height(), 0);
    EXPECT_FALSE(unit.Visible());
    EXPECT_TRUE(unit.Disabled());
    EXPECT_TRUE(unit.TabStop());
    EXPECT_EQ(unit.ObjectSlot(), 0xCAFEu);
    EXPECT_EQ(unit.Name(), "按钮1");
}

TEST(UnitWriters, WritersRefuseUnitsWithoutTheField) {
    FormRecord form = RichTemplate().forms[1];
    EXPECT_FALSE(form.SetLeft(4, 1));  // menu item
    EXPECT_FALSE(form.ReplaceTag(4, "x"));
    EXPECT_FALSE(form.SetWidth(5, 1));  // no such unit
    EXPECT_FALSE(form.SetMenuFlags(0, 1));
    EXPECT_TRUE(form.SetMenuFlags(4, 2));
    EXPECT_EQ(form.Unit(4).MenuFlags(), 2u);
}

TEST(UnitWriters, ResizingFieldsMoveTheLaterUnits) {
    struct Case {
        const char* what;
        bool (*change)(FormRecord& form);
        void (*check)(const rt::UnitRecord& unit);
    } cases[] = {
        {"longer tag", [](FormRecord& f) { return f.ReplaceTag(2, "a much longer tag than before"); },
         [](const rt::UnitRecord& u) { EXPECT_EQ(u.Tag(), "a much longer tag than before"); }},
        {"empty tag", [](FormRecord& f) { return f.ReplaceTag(2, ""); },
         [](const rt::UnitRecord& u) { EXPECT_EQ(u.Tag(), ""); }},
        {"tag cut at NUL", [](FormRecord& f) { return f.ReplaceTag(2, std::string_view("ab\0cd", 5)); },
         [](const rt::UnitRecord& u) { EXPECT_EQ(u.Tag(), "ab"); }},
        {"cursor file pointer",
         [](FormRecord& f) {
             const uint8_t data[] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 2, 0, 1, 0, 9, 9, 9, 9};
             return f.ReplaceMousePointer(2, data);
         },
         [](const rt::UnitRecord& u) {
             ASSERT_EQ(u.MousePointer().size(), 14u);
             EXPECT_EQ(u.MousePointer()[13], 9);
         }},
        {"no pointer", [](FormRecord& f) { return f.ReplaceMousePointer(2, {}); },
         [](const rt::UnitRecord& u) { EXPECT_TRUE(u.MousePointer().empty()); }},
        {"menu caption", [](FormRecord& f) { return f.ReplaceMenuCaption(4, "编辑菜单"); }, nullptr},
    };
    const FormTemplate original = RichTemplate();
    for (const Case& c : cases) {
        FormTemplate tpl = original;
        ASSERT_TRUE(c.change(tpl.forms[1])) << c.what;
        const FormRecord again = Reread(tpl, 1);
        if (c.check) c.check(again.Unit(2));
        // Everything else is where it was.
        EXPECT_EQ(again.Unit(2).Name(), "按钮1") << c.what;
        EXPECT_EQ(again.Unit(2).EventCount(), 2u) << c.what;
        EXPECT_EQ(again.Unit(2).OwnData().size(), 8u) << c.what;
        EXPECT_EQ(again.Unit(3).Name(), "标签1") << c.what;
        EXPECT_EQ(again.Unit(3).TabOrder(), 3) << c.what;
        EXPECT_EQ(again.Unit(4).Caption(), c.check ? "文件" : "编辑菜单") << c.what;
        EXPECT_EQ(again.Unit(4).ClickHandler(), 0x10u) << c.what;
        EXPECT_EQ(Reread(tpl, 2).Unit(1).OwnData().size(), 5000u) << c.what;
    }
}

}  // namespace
