// The launcher's own form sources, compiled with formc: the facts the
// launcher's code relies on (form and unit ids, names, handler bindings) and
// the stored properties and pictures it expects to find.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "components/combo_box/combo_box_data.h"
#include "components/edit_box/edit_box_data.h"
#include "components/image_button/image_button_data.h"
#include "components/picture_box/picture_box_data.h"
#include "components/pictures/picture_decoder.h"
#include "components/window/window_data.h"
#include "launcher/form_ids.h"
#include "runtime/form_template.h"
#include "support/tool_run.h"

namespace {

using tools::testing::ReadBytes;
using tools::testing::RunTool;
using tools::testing::ScratchDirectory;
namespace ids = launcher;

const std::string kLauncher = std::string(LUMADREL_TEST_DATA_DIR) + "/../../launcher/";

constexpr uint32_t kEditBox = 0x00010005, kPictureBox = 0x00010006, kLabel = 0x0001000A, kButton = 0x0001000B,
                   kComboBox = 0x0001000E, kTimer = 0x00010020, kClient = 0x00010025, kImageButton = 0x00020001,
                   kTransparentLabel = 0x00080005;

class LauncherForms : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ScratchDirectory scratch;
        tools::testing::ToolResult run =
            RunTool(FORMC_PATH, {kLauncher + "forms/template.forms", "-o", scratch.File("launcher.template")});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::vector<uint8_t> bytes = ReadBytes(scratch.File("launcher.template"));
        ASSERT_EQ(rt::FormTemplate::Read(bytes.data(), bytes.size(), &tpl_), rt::ReadStatus::kOk);

        std::ifstream list(kLauncher + "handlers.txt");
        for (std::string line; std::getline(list, line);) {
            if (!line.empty() && line[0] != '#') handlers_.push_back(line);
        }
    }

    static const rt::FormRecord& Form(uint32_t formId) {
        const rt::FormRecord* form = tpl_.FindForm(formId);
        EXPECT_NE(form, nullptr) << std::hex << formId;
        return form ? *form : tpl_.forms.at(0);
    }
    // The unit with this id; a missing id fails the test at the caller.
    static rt::UnitRecord Unit(uint32_t formId, uint32_t unitId) {
        const rt::FormRecord& form = Form(formId);
        const int index = form.FindUnit(unitId);
        EXPECT_GE(index, 0) << std::hex << unitId;
        return form.Unit(index < 0 ? 0 : uint32_t(index));
    }
    static std::string HandlerName(uint32_t offset) {
        return offset % 4 == 0 && offset / 4 < handlers_.size() ? handlers_[offset / 4] : "?";
    }

    static rt::FormTemplate tpl_;
    static std::vector<std::string> handlers_;
};

rt::FormTemplate LauncherForms::tpl_;
std::vector<std::string> LauncherForms::handlers_;

TEST_F(LauncherForms, FormsInTemplateOrderWithTheirUnitCountsAndWindows) {
    struct Expected {
        uint32_t formId, units;
        int width, height;
    };
    const Expected forms[] = {{0x52010001, 8, 600, 450},
                              {0x52013131, 10, 380, 387},
                              {0x520131BA, 22, 380, 572},
                              {0x5201324A, 16, 444, 511},
                              {0x52013298, 8, 380, 371}};
    ASSERT_EQ(tpl_.forms.size(), std::size(forms));
    for (size_t i = 0; i < std::size(forms); ++i) {
        const rt::FormRecord& form = tpl_.forms[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(form.id, forms[i].formId);
        ASSERT_EQ(form.UnitCount(), forms[i].units);
        const rt::UnitRecord window = form.Unit(0);
        EXPECT_EQ(window.Id(), ids::WindowUnitId(form.id));
        EXPECT_EQ(window.Left(), 50);
        EXPECT_EQ(window.Top(), 50);
        EXPECT_EQ(window.Width(), forms[i].width);
        EXPECT_EQ(window.Height(), forms[i].height);
        EXPECT_TRUE(window.Visible());
        // Components follow the window in numbering order, so ids equal places.
        for (uint32_t k = 1; k < form.UnitCount(); ++k) EXPECT_EQ(form.UnitId(k), ids::ComponentId(form.id, k));
    }
}

TEST_F(LauncherForms, UnitsTheCodeAddressesHaveTheirNamesAndTypes) {
    struct Expected {
        uint32_t formId, unitId;
        std::string name;
        uint32_t type;
    };
    namespace mw = ids::main_window;
    namespace sl = ids::shop_login_window;
    namespace rw = ids::register_window;
    namespace pw = ids::player_window;
    namespace ld = ids::lucky_draw_window;
    std::vector<Expected> units = {
        {mw::kForm, mw::kClient, "客户", kClient},
        {mw::kForm, mw::kWindowSizeCombo, "组合框_窗口设置", kComboBox},
        {mw::kForm, mw::kVersionLabel, "透明标签_版本", kTransparentLabel},
        {mw::kForm, mw::kAccountLabel, "透明标签_登录的账号", kTransparentLabel},
        {mw::kForm, mw::kEnterGameButton, "超级按钮1", kImageButton},
        {mw::kForm, mw::kPlayerCentreButton, "超级按钮2", kImageButton},
        {mw::kForm, mw::kExitButton, "超级按钮3", kImageButton},
        {sl::kForm, sl::kAccountEdit, "编辑框_账号", kEditBox},
        {sl::kForm, sl::kPasswordEdit, "编辑框_密码", kEditBox},
        {sl::kForm, sl::kCodeLabel, "标签_验证码", kLabel},
        {sl::kForm, sl::kCodeEdit, "编辑框_验证", kEditBox},
        {sl::kForm, sl::kLoginButton, "按钮1", kButton},
        {sl::kForm, sl::kRegisterButton, "按钮2", kButton},
        {rw::kForm, rw::kAccountEdit, "编辑框_账号", kEditBox},
        {rw::kForm, rw::kPasswordEdit, "编辑框_密码", kEditBox},
        {rw::kForm, rw::kRepeatPasswordEdit, "编辑框_重复密码", kEditBox},
        {rw::kForm, rw::kSubmitButton, "按钮1", kButton},
        {pw::kForm, pw::kRoleCombo, "组合框_角色名称", kComboBox},
        {pw::kForm, pw::kLeaveDungeonButton, "超级按钮_离开副本", kImageButton},
        {pw::kForm, pw::kLuckyDrawButton, "超级按钮_抽奖", kImageButton},
        {pw::kForm, pw::kEnchantButton, "超级按钮_抽奖1", kImageButton},
        {ld::kForm, ld::kBoard, "图片框1", kPictureBox},
        {ld::kForm, ld::kPrizeLabel, "标签_中奖", kLabel},
        {ld::kForm, ld::kTimer, "时钟1", kTimer},
        {ld::kForm, ld::kDrawsLeftLabel, "标签_剩余抽奖次数", kLabel},
        {ld::kForm, ld::kSpinButton, "按钮_幸运抽奖", kButton},
    };
    for (uint32_t slot = 1; slot <= 16; ++slot)
        units.push_back({ld::kForm, ld::SlotBox(slot), "图片框a" + std::to_string(slot), kPictureBox});
    for (const Expected& e : units) {
        const rt::UnitRecord unit = Unit(e.formId, e.unitId);
        EXPECT_EQ(unit.Name(), e.name) << std::hex << e.unitId;
        EXPECT_EQ(unit.TypeReference(), e.type) << std::hex << e.unitId;
    }
}

TEST_F(LauncherForms, EventsAreBoundToTheLaunchersHandlersAndNothingElse) {
    struct Binding {
        uint32_t formId, unitId;
        int32_t event;
        std::string handler;
    };
    namespace mw = ids::main_window;
    namespace sl = ids::shop_login_window;
    namespace rw = ids::register_window;
    namespace pw = ids::player_window;
    namespace ld = ids::lucky_draw_window;
    const std::vector<Binding> expected = {
        {mw::kForm, ids::WindowUnitId(mw::kForm), 0, "MainWindowCreated"},
        {mw::kForm, ids::WindowUnitId(mw::kForm), 9, "TrayNotification"},
        {mw::kForm, mw::kClient, 0, "ReplyDispatcher"},
        {mw::kForm, mw::kEnterGameButton, 0, "StartGame"},
        {mw::kForm, mw::kPlayerCentreButton, 0, "OpenPlayerCentre"},
        {mw::kForm, mw::kExitButton, 0, "ExitLauncher"},
        {sl::kForm, ids::WindowUnitId(sl::kForm), 0, "ShopLoginCreated"},
        {sl::kForm, sl::kLoginButton, 0, "LoginClicked"},
        {sl::kForm, sl::kRegisterButton, 0, "OpenRegisterWindow"},
        {ld::kForm, ids::WindowUnitId(ld::kForm), 0, "LuckyDrawCreated"},
        {ld::kForm, ld::kTimer, 0, "AnimationTick"},
        {ld::kForm, ld::kSpinButton, 0, "SpinClicked"},
        {pw::kForm, ids::WindowUnitId(pw::kForm), 0, "PlayerWindowCreated"},
        {pw::kForm, pw::kLeaveDungeonButton, 0, "LeaveDungeonClicked"},
        {pw::kForm, pw::kLuckyDrawButton, 0, "OpenLuckyDrawWindow"},
        {pw::kForm, pw::kEnchantButton, 0, "EnchantClicked"},
        {rw::kForm, rw::kSubmitButton, 0, "RegisterClicked"},
    };
    std::vector<Binding> found;
    for (const rt::FormRecord& form : tpl_.forms) {
        for (uint32_t i = 0; i < form.UnitCount(); ++i) {
            const rt::UnitRecord unit = form.Unit(i);
            for (uint32_t e = 0; e < unit.EventCount(); ++e) {
                found.push_back({form.id, unit.Id(), unit.Event(e).eventNumber, HandlerName(unit.Event(e).handler)});
            }
        }
    }
    ASSERT_EQ(found.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].handler);
        EXPECT_EQ(found[i].formId, expected[i].formId);
        EXPECT_EQ(found[i].unitId, expected[i].unitId);
        EXPECT_EQ(found[i].event, expected[i].event);
        EXPECT_EQ(found[i].handler, expected[i].handler);
    }
}

TEST_F(LauncherForms, OnlyThePasswordFieldsAreMasked) {
    const uint32_t masked[] = {ids::shop_login_window::kPasswordEdit, ids::register_window::kPasswordEdit,
                               ids::register_window::kRepeatPasswordEdit};
    int editBoxes = 0;
    for (const rt::FormRecord& form : tpl_.forms) {
        for (uint32_t i = 1; i < form.UnitCount(); ++i) {
            const rt::UnitRecord unit = form.Unit(i);
            if (unit.TypeReference() != kEditBox) continue;
            ++editBoxes;
            components::EditBoxData data;
            ASSERT_EQ(data.Read(unit.OwnData()), rt::ReadStatus::kOk);
            const bool password = std::find(std::begin(masked), std::end(masked), unit.Id()) != std::end(masked);
            EXPECT_EQ(data.InputMode, password ? 2 : 0) << unit.Name();
            EXPECT_EQ(data.PasswordChar, '*');
            EXPECT_TRUE(data.content.empty());
            EXPECT_EQ(data.border, 1);  // otherwise the defaults
            if (!password) {
                EXPECT_TRUE(unit.OwnData().empty()) << unit.Name();
            }
        }
    }
    EXPECT_EQ(editBoxes, 6);
}

TEST_F(LauncherForms, ComboBoxesHoldTheirTextsAndItems) {
    const std::vector<std::string> sizes = {"中窗口", "小窗口", "大窗口"};
    struct Expected {
        uint32_t formId, unitId;
        const char* content;
        std::vector<std::string> items;
        int32_t selection;
    };
    const Expected combos[] = {
        {ids::main_window::kForm, ids::main_window::kWindowSizeCombo, "窗口设置", sizes, 0},
        {ids::player_window::kForm, ids::player_window::kRoleCombo, "选择角色", {}, -1},
        {ids::player_window::kForm, ids::ComponentId(ids::player_window::kForm, 6), "附魔类型", sizes, -1},
    };
    for (const Expected& e : combos) {
        components::ComboBoxData data;
        ASSERT_EQ(data.Read(Unit(e.formId, e.unitId).OwnData()), rt::ReadStatus::kOk);
        EXPECT_EQ(data.content, e.content);
        EXPECT_EQ(data.items, e.items);
        EXPECT_EQ(data.CurSel, e.selection);
        EXPECT_EQ(data.ComboType, 1);
        EXPECT_EQ(data.ItemHeightExtra, 1);
        EXPECT_EQ(data.BackColor, 0xFFFFFFu);
    }
}

TEST_F(LauncherForms, SlotBoxesSitOnTheRingInsideTheBoard) {
    namespace ld = ids::lucky_draw_window;
    const int places[16][2] = {{40, 40},   {96, 40},   {152, 40},  {216, 40}, {272, 40},  {272, 96},
                               {272, 152}, {272, 216}, {280, 280}, {224, 280}, {160, 280}, {104, 280},
                               {40, 280},  {40, 216},  {40, 160},  {40, 96}};
    std::vector<std::vector<uint8_t>> pictures;
    for (uint32_t slot = 1; slot <= 16; ++slot) {
        SCOPED_TRACE(slot);
        const rt::UnitRecord box = Unit(ld::kForm, ld::SlotBox(slot));
        EXPECT_EQ(box.Parent(), ld::kBoard);
        EXPECT_EQ(box.Left(), places[slot - 1][0]);
        EXPECT_EQ(box.Top(), places[slot - 1][1]);
        EXPECT_EQ(box.Width(), 44);
        EXPECT_EQ(box.Height(), 43);
        EXPECT_TRUE(box.Visible());
        components::PictureBoxData data;
        ASSERT_EQ(data.Read(box.OwnData()), rt::ReadStatus::kOk);
        EXPECT_EQ(data.border, 0);
        EXPECT_EQ(data.PictureMode, 1);
        EXPECT_TRUE(data.PlayAnimation);
        pictures::PictureObject picture;
        EXPECT_EQ(pictures::DecodePicture(data.picture.data(), int64_t(data.picture.size()), picture),
                  pictures::DecodeStatus::kOk);
        EXPECT_EQ(picture.kind, pictures::PictureKind::Gif);
        EXPECT_EQ(picture.width, 32u);
        EXPECT_EQ(picture.height, 32u);
        pictures.push_back(data.picture);
    }
    // One picture for slot 1, one shared by 2-10, one by 11-15, one for 16.
    for (int slot = 3; slot <= 10; ++slot) EXPECT_EQ(pictures[slot - 1], pictures[1]);
    for (int slot = 12; slot <= 15; ++slot) EXPECT_EQ(pictures[slot - 1], pictures[10]);
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[1], pictures[10]);
    EXPECT_NE(pictures[10], pictures[15]);
    EXPECT_NE(pictures[0], pictures[15]);

    // The board holds the prize label, the timer and the ring; the remaining-draws
    // label and the spin button sit on the window.
    const rt::UnitRecord board = Unit(ld::kForm, ld::kBoard);
    ASSERT_EQ(board.ChildCount(), 18u);
    for (uint32_t k = 0; k < 18; ++k) EXPECT_EQ(board.Child(k), ids::ComponentId(ld::kForm, 2 + k));
    EXPECT_EQ(Unit(ld::kForm, ld::kDrawsLeftLabel).Parent(), 0u);
    EXPECT_FALSE(Unit(ld::kForm, ld::kTimer).Visible());
    EXPECT_TRUE(Unit(ld::kForm, ld::kTimer).OwnData().empty());  // interval 0 until a spin

    const rt::UnitRecord playerBoard = Unit(ids::player_window::kForm, ids::ComponentId(ids::player_window::kForm, 5));
    ASSERT_EQ(playerBoard.ChildCount(), 9u);
    EXPECT_EQ(Unit(ids::player_window::kForm, ids::player_window::kEnchantButton).Parent(), 0u);
}

// The art the template embeds decodes with the program's own readers.
TEST_F(LauncherForms, EmbeddedPicturesDecodeAtTheirSizes) {
    struct Expected {
        const char* what;
        std::vector<uint8_t> bytes;
        pictures::PictureKind kind;
        uint32_t width, height;
    };
    components::WindowData window;
    ASSERT_EQ(window.Read(Form(ids::main_window::kForm).Unit(0).OwnData()), rt::ReadStatus::kOk);
    components::PictureBoxData luckyBoard, playerBoard;
    ASSERT_EQ(luckyBoard.Read(Unit(ids::lucky_draw_window::kForm, ids::lucky_draw_window::kBoard).OwnData()),
              rt::ReadStatus::kOk);
    ASSERT_EQ(playerBoard.Read(Unit(ids::player_window::kForm, ids::ComponentId(ids::player_window::kForm, 5))
                                   .OwnData()),
              rt::ReadStatus::kOk);
    const std::vector<uint8_t> spin = ReadBytes(kLauncher + "art/spin_button.png");
    const Expected expected[] = {
        {"background", window.BackPicture, pictures::PictureKind::Png, 600, 450},
        {"lucky board", luckyBoard.picture, pictures::PictureKind::Jpeg, 360, 368},
        {"player board", playerBoard.picture, pictures::PictureKind::Bitmap, 424, 296},
        {"spin button", spin, pictures::PictureKind::Png, 88, 88},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.what);
        pictures::PictureObject picture;
        ASSERT_EQ(pictures::DecodePicture(e.bytes.data(), int64_t(e.bytes.size()), picture),
                  pictures::DecodeStatus::kOk);
        EXPECT_EQ(picture.kind, e.kind);
        EXPECT_EQ(picture.width, e.width);
        EXPECT_EQ(picture.height, e.height);
    }
    EXPECT_EQ(window.version, 6u);
    EXPECT_EQ(window.border, 6);
    EXPECT_EQ(window.PictureMode, 3);
    EXPECT_EQ(window.caption, "Lumadrel");
    EXPECT_EQ(luckyBoard.PictureMode, 1);
    EXPECT_EQ(playerBoard.PictureMode, 0);
}

TEST_F(LauncherForms, ImageButtonsShareOneLook) {
    int buttons = 0;
    for (const rt::FormRecord& form : tpl_.forms) {
        for (uint32_t i = 1; i < form.UnitCount(); ++i) {
            const rt::UnitRecord unit = form.Unit(i);
            if (unit.TypeReference() != kImageButton) continue;
            ++buttons;
            components::ImageButtonData data;
            ASSERT_EQ(data.Read(unit.OwnData()), rt::ReadStatus::kOk);
            EXPECT_EQ(data.version, 2u);
            EXPECT_EQ(data.BtnStyle, 1);  // 3D
            EXPECT_TRUE(data.DrawBorder);
            EXPECT_EQ(data.BkColorOut, 0xF0F0F0u);
            EXPECT_EQ(data.BkColorIn, 0xFFFFFFu);
            EXPECT_EQ(data.BkColorFocus, 0xF0F0F0u);
            EXPECT_EQ(data.FgColorOut, 0u);
            ASSERT_TRUE(data.font.has_value());
            EXPECT_EQ(data.font->FaceName(), "微软雅黑");
            EXPECT_TRUE(data.PicOut.empty() && data.PicIn.empty() && data.ClickSound.empty());
            EXPECT_EQ(unit.Width(), 80);
            EXPECT_EQ(unit.Height(), 35);
        }
    }
    EXPECT_EQ(buttons, 6);
    components::ImageButtonData enter;
    ASSERT_EQ(enter.Read(Unit(ids::main_window::kForm, ids::main_window::kEnterGameButton).OwnData()),
              rt::ReadStatus::kOk);
    EXPECT_EQ(enter.caption, "进  入 游 戏");
}

}  // namespace
