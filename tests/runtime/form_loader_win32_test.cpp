// The form loader under Wine: creation order and ids, stacking, containers and
// pages, visibility, properties before/while/after loading, modal forms and
// event dispatch.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "runtime/entry_points.h"
#include "runtime/form_access_win32.h"
#include "runtime/form_host_win32.h"
#include "runtime/form_registry_win32.h"
#include "runtime/form_service_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/values.h"
#include "support/error_capture.h"
#include "support/form_harness_win32.h"
#include "support/test_components_win32.h"

namespace {

using rt::testing::Creations;
using rt::testing::kChildType;
using rt::testing::kHiddenType;
using rt::testing::kPagedType;
using rt::testing::kSilentType;
using rt::testing::kWindowType;
using rt::testing::FormBuilder;
using rt::testing::kVisible;

constexpr uint32_t kMainForm = 0x52010001;
constexpr uint32_t kSecondForm = 0x52010100;
constexpr uint32_t kThirdForm = 0x52010200;

std::vector<std::pair<int, uint32_t>> g_calls;  // (handler index, event source unit)
int g_nestedDepthSeen = 0;
bool g_mainDisabledUnderThird = false;

HWND WindowOf(uint32_t formId, uint32_t unitId) { return rt::WindowOfComponent(formId, unitId); }

void CloseForm(uint32_t formId) { PostMessageW(WindowOf(formId, 0), WM_CLOSE, 0, 0); }

int64_t Record(int index) {
    g_calls.emplace_back(index, rt::EventSourceUnit());
    return 0;
}
int64_t Handler0(const uint32_t*, int) { return Record(0); }
int64_t Handler1(const uint32_t*, int) { return Record(1); }
int64_t RefuseClose(const uint32_t*, int) { Record(2); return 0; }
int64_t OpenThirdModally(const uint32_t*, int);
int64_t CloseSelfUnderThird(const uint32_t*, int);
std::vector<uint32_t> g_words;
// Records the words as they arrive and writes 77 through the first, the
// address of a by-reference integer.
int64_t TakeWords(const uint32_t* words, int count) {
    g_words.assign(words, words + count);
    if (count > 0) *reinterpret_cast<int32_t*>(static_cast<uintptr_t>(words[0])) = 77;
    return 0x1122334455667788;
}
const rt::EventHandler kHandlers[] = {Handler0,         Handler1,           RefuseClose,
                                      OpenThirdModally, CloseSelfUnderThird, TakeWords};

bool g_secondMayClose = false;
// The second form's close query: the first time it asks for its own close and
// opens the third form modally, so the second goes away under the third's loop.
int64_t CloseSelfUnderThird(const uint32_t*, int) {
    if (g_secondMayClose) return 1;
    g_secondMayClose = true;
    CloseForm(kSecondForm);
    rt::testing::WhenReadyOnTheLoop([] { return !WindowOf(kSecondForm, 0) && WindowOf(kThirdForm, 0); },
                                        [] { CloseForm(kThirdForm); });
    rt::FormLoadRequest request{kThirdForm, nullptr, 1};
    rt::LoadFormForCommand(request);
    return 0;
}

int64_t OpenThirdModally(const uint32_t*, int) {
    Record(3);
    rt::FormLoadRequest request{kThirdForm, nullptr, 1};
    g_nestedDepthSeen = rt::Runtime().currentModalFormId == kSecondForm ? 1 : 0;
    rt::testing::WhenReadyOnTheLoop([] { return WindowOf(kThirdForm, 0) != nullptr; }, [] {
        g_mainDisabledUnderThird = !IsWindowEnabled(WindowOf(kMainForm, 0));
        CloseForm(kThirdForm);
    });
    rt::LoadFormForCommand(request);
    return 0;
}

void Start(const std::vector<FormBuilder>& forms) {
    g_calls.clear();
    Creations().clear();
    rt::testing::StartRuntime(rt::testing::BuildTemplate(forms), {rt::testing::TestLibrary()}, kHandlers,
                                  static_cast<int>(std::size(kHandlers)));
}

TEST(FormLoader, CreatesWindowFirstThenComponentsLastToFirstWithControlIds) {
    FormBuilder form(kMainForm, kWindowType, 300, 200);
    uint32_t a = form.Add(kChildType, "甲", 10, 10, 50, 20);
    uint32_t b = form.Add(kChildType, "乙", 10, 40, 50, 20);
    uint32_t c = form.Add(kChildType, "丙", 10, 70, 50, 20, kVisible | rt::testing::kTabStop | rt::testing::kDisabled);
    Start({form});
    ASSERT_EQ(rt::LoadStartupWindow(kMainForm), 1);
    ASSERT_EQ(Creations().size(), 4u);
    EXPECT_EQ(Creations()[0].controlId, 0);
    EXPECT_EQ(Creations()[1].unitId, c);
    EXPECT_EQ(Creations()[1].controlId, 100);
    EXPECT_EQ(Creations()[2].unitId, b);
    EXPECT_EQ(Creations()[2].controlId, 110);
    EXPECT_EQ(Creations()[3].unitId, a);
    EXPECT_EQ(Creations()[3].controlId, 120);
    EXPECT_EQ(Creations()[1].style & (WS_DISABLED | WS_TABSTOP), static_cast<uint32_t>(WS_DISABLED | WS_TABSTOP));
    EXPECT_EQ(GetDlgCtrlID(WindowOf(kMainForm, a)), 120);
}

TEST(FormLoader, FirstUnitInTemplateOrderLiesOnTopOfLaterSiblings) {
    FormBuilder form(kMainForm, kWindowType, 300, 200);
    uint32_t a = form.Add(kChildType, "甲", 10, 10, 100, 50);
    uint32_t b = form.Add(kChildType, "乙", 20, 20, 100, 50);
    uint32_t c = form.Add(kChildType, "丙", 30, 30, 100, 50);
    Start({form});
    rt::LoadStartupWindow(kMainForm);
    HWND top = GetWindow(WindowOf(kMainForm, 0), GW_CHILD);
    EXPECT_EQ(top, WindowOf(kMainForm, a));
    EXPECT_EQ(GetWindow(top, GW_HWNDNEXT), WindowOf(kMainForm, b));
    EXPECT_EQ(GetWindow(WindowOf(kMainForm, b), GW_HWNDNEXT), WindowOf(kMainForm, c));
}

TEST(FormLoader, VisibilityContainersAndPages) {
    FormBuilder form(kMainForm, kWindowType, 400, 300);
    uint32_t hidden = form.Add(kChildType, "隐", 0, 0, 10, 10, 0);
    uint32_t neverShown = form.Add(kHiddenType, "时钟", 0, 0, 10, 10, kVisible);
    uint32_t paged = form.Add(kPagedType, "页", 100, 100, 200, 150);
    uint32_t pageOne = form.Add(kChildType, "一", 5, 5, 20, 20, kVisible, {}, paged);
    form.Unit(paged).children.push_back(0);  // page separator
    uint32_t pageTwo = form.Add(kChildType, "二", 5, 5, 20, 20, kVisible, {}, paged);
    Start({form});
    rt::LoadStartupWindow(kMainForm);
    EXPECT_FALSE(IsWindowVisible(WindowOf(kMainForm, hidden)));
    EXPECT_FALSE(IsWindowVisible(WindowOf(kMainForm, neverShown)));
    EXPECT_EQ(GetParent(WindowOf(kMainForm, pageOne)), WindowOf(kMainForm, paged));
    EXPECT_TRUE(IsWindowVisible(WindowOf(kMainForm, pageOne)));
    EXPECT_FALSE(IsWindowVisible(WindowOf(kMainForm, pageTwo)));
    // A child keeps its place relative to its container.
    RECT rect;
    GetWindowRect(WindowOf(kMainForm, pageOne), &rect);
    MapWindowPoints(nullptr, WindowOf(kMainForm, paged), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 5);
}

TEST(FormLoader, LoadingAFormOnScreenActivatesItAndCreatesNothing) {
    FormBuilder form(kMainForm, kWindowType, 300, 200);
    form.Add(kChildType, "甲", 10, 10, 50, 20);
    Start({form});
    rt::LoadStartupWindow(kMainForm);
    size_t created = Creations().size();
    HWND window = WindowOf(kMainForm, 0);
    ShowWindow(window, SW_MINIMIZE);
    rt::Form* loaded = rt::FindForm(kMainForm);
    EXPECT_EQ(rt::LoadForm(*loaded, false, false, nullptr), 1);
    EXPECT_EQ(Creations().size(), created);
    EXPECT_EQ(WindowOf(kMainForm, 0), window);
    EXPECT_FALSE(IsIconic(window));
}

TEST(FormProperties, TemplateValuesBeforeLoadingAndSnapshotAfterClosing) {
    FormBuilder main(kMainForm, kWindowType, 300, 200);
    FormBuilder second(kSecondForm, kWindowType, 200, 100);
    uint32_t child = second.Add(kChildType, "甲", 10, 10, 77, 20);
    Start({main, second});
    rt::testing::ErrorCapture capture;  // after start-up, which installs the real error box
    rt::LoadStartupWindow(kMainForm);
    // Never loaded: common properties come from the template.
    EXPECT_EQ(rt::ReadProperty(kSecondForm, child, 2, -1), 77u);
    EXPECT_EQ(capture.Run([&] { rt::ReadProperty(kSecondForm, child, 8, -1); }).message,
              "读取组件属性时发现指定窗口尚未载入");
    EXPECT_EQ(capture.Run([&] { rt::WriteProperty(kSecondForm, child, 9, -1, 5); }).message,
              "修改组件属性时发现指定窗口尚未载入");
    EXPECT_EQ(capture.Run([&] { rt::ReadProperty(0x52777777, child, 2, -1); }).message,
              "未载入欲访问窗口组件所在的窗口");
    // A change while not loaded is kept for the load.
    rt::WriteProperty(kSecondForm, child, 2, -1, 90);
    rt::Form* form = rt::FindForm(kSecondForm);
    ASSERT_EQ(rt::LoadForm(*form, false, false, nullptr), 1);
    EXPECT_EQ(rt::ReadProperty(kSecondForm, child, 2, -1), 90u);
    // Changes while on screen reach the window and are dropped when it closes.
    rt::WriteProperty(kSecondForm, child, 2, -1, 120);
    rt::WriteProperty(kSecondForm, child, 1, -1, 40000);  // clamped
    RECT rect;
    GetWindowRect(WindowOf(kSecondForm, child), &rect);
    EXPECT_EQ(rect.right - rect.left, 120);
    EXPECT_EQ(rt::ReadProperty(kSecondForm, child, 1, -1), 32627u);
    const char* text = "你好";
    rt::WriteProperty(kSecondForm, child, 8, -1, reinterpret_cast<uintptr_t>(text));
    auto read = reinterpret_cast<char*>(static_cast<uintptr_t>(rt::ReadProperty(kSecondForm, child, 8, -1)));
    EXPECT_STREQ(read, "你好");
    rt::Free(read);
    DestroyWindow(WindowOf(kSecondForm, 0));
    EXPECT_EQ(rt::ReadProperty(kSecondForm, child, 2, -1), 90u);
    ASSERT_EQ(rt::LoadForm(*form, false, false, nullptr), 1);
    GetWindowRect(WindowOf(kSecondForm, child), &rect);
    EXPECT_EQ(rect.right - rect.left, 90);
}

TEST(FormProperties, VisibleAndDisabledFollowTheWindow) {
    FormBuilder form(kMainForm, kWindowType, 300, 200);
    uint32_t child = form.Add(kChildType, "甲", 10, 10, 50, 20);
    Start({form});
    rt::LoadStartupWindow(kMainForm);
    rt::WriteProperty(kMainForm, child, 5, -1, 0);
    EXPECT_FALSE(IsWindowVisible(WindowOf(kMainForm, child)));
    EXPECT_EQ(rt::ReadProperty(kMainForm, child, 5, -1), 0u);
    rt::WriteProperty(kMainForm, child, 5, -1, 1);
    EXPECT_TRUE(IsWindowVisible(WindowOf(kMainForm, child)));
    rt::WriteProperty(kMainForm, child, 6, -1, 1);
    EXPECT_FALSE(IsWindowEnabled(WindowOf(kMainForm, child)));
    EXPECT_EQ(rt::ReadProperty(kMainForm, child, 6, -1), 1u);
}

TEST(FormProperties, MousePointerIsAnIndexToProgramsAndACursorOnScreen) {
    FormBuilder form(kMainForm, kWindowType, 300, 200);
    uint32_t child = form.Add(kChildType, "甲", 10, 10, 50, 20);
    Start({form});
    rt::LoadStartupWindow(kMainForm);
    EXPECT_EQ(rt::CursorOfUnit(kMainForm, child), nullptr) << "no pointer data: the default pointer";
    uint8_t* ibeam = rt::CopyBytes("\x03\x00\x00\x00", 4);
    rt::WriteProperty(kMainForm, child, 7, -1, reinterpret_cast<uintptr_t>(ibeam));
    rt::Free(ibeam);
    EXPECT_NE(rt::CursorOfUnit(kMainForm, child), nullptr) << "the I-beam was not loaded";
    auto read = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(rt::ReadProperty(kMainForm, child, 7, -1)));
    ASSERT_EQ(rt::ByteSetLength(read), 4u);
    EXPECT_EQ(rt::ByteSetData(read)[0], 3) << "programs see the index, not the cursor id";
    rt::Free(read);
    rt::Form* loaded = rt::FindForm(kMainForm);
    std::span<const uint8_t> stored = loaded->units.Unit(static_cast<uint32_t>(loaded->units.FindUnit(child))).MousePointer();
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[0] | stored[1] << 8, 0x7F01) << "the template stores the cursor id";
}

TEST(ModalForms, DisableOthersUntilClosedAndNest) {
    FormBuilder main(kMainForm, kWindowType, 300, 200);
    FormBuilder second(kSecondForm, kWindowType, 200, 100);
    FormBuilder third(kThirdForm, kWindowType, 150, 80);
    second.Bind(0, 0, 3);  // its created event opens the third form modally
    Start({main, second, third});
    rt::LoadStartupWindow(kMainForm);
    HWND mainWindow = WindowOf(kMainForm, 0);
    bool mainWasDisabled = false;
    // From the second form's own loop, once the third came and went in its created handler.
    rt::testing::WhenReadyOnTheLoop([] { return !g_calls.empty() && WindowOf(kSecondForm, 0) && !WindowOf(kThirdForm, 0); },
                                        [&] {
                                            mainWasDisabled = !IsWindowEnabled(mainWindow);
                                            CloseForm(kSecondForm);
                                        });
    rt::FormLoadRequest request{kSecondForm, nullptr, 1};
    // Returns only when the second form is gone (its loop ended); the third
    // form ran its own loop inside the second's created handler.
    EXPECT_EQ(rt::LoadFormForCommand(request), 1);
    EXPECT_EQ(WindowOf(kSecondForm, 0), nullptr);
    EXPECT_EQ(WindowOf(kThirdForm, 0), nullptr);
    EXPECT_TRUE(g_mainDisabledUnderThird);
    EXPECT_TRUE(mainWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(mainWindow));
    EXPECT_EQ(rt::Runtime().currentModalFormId, 0u);
    ASSERT_FALSE(g_calls.empty());
    EXPECT_EQ(g_calls[0].first, 3);
}

TEST(ModalForms, AFormClosedUnderALaterModalFormStillEndsItsLoop) {
    FormBuilder main(kMainForm, kWindowType, 300, 200);
    FormBuilder second(kSecondForm, kWindowType, 200, 100);
    FormBuilder third(kThirdForm, kWindowType, 150, 80);
    second.Bind(0, 12, 4);
    Start({main, second, third});
    rt::LoadStartupWindow(kMainForm);
    rt::testing::WhenReadyOnTheLoop([] { return WindowOf(kSecondForm, 0) != nullptr; },
                                        [] { CloseForm(kSecondForm); });
    rt::FormLoadRequest request{kSecondForm, nullptr, 1};
    EXPECT_EQ(rt::LoadFormForCommand(request), 1);  // would never return if the second's loop kept waiting
    EXPECT_EQ(WindowOf(kSecondForm, 0), nullptr);
    EXPECT_EQ(WindowOf(kThirdForm, 0), nullptr);
    EXPECT_EQ(rt::Runtime().currentModalFormId, 0u);
    EXPECT_TRUE(IsWindowEnabled(WindowOf(kMainForm, 0)));
}

rt::FullEventArgument Argument(const rt::ValueRecord& value, uint32_t flags = 0) { return {value, flags}; }

TEST(Events, FullRecordArgumentsArriveAsTheWordsTheHandlerReads) {
    FormBuilder form(kMainForm, kWindowType, 300, 200);
    uint32_t unit = form.Add(kChildType, "甲", 10, 10, 50, 20);
    form.Bind(unit, 4, 5);
    Start({form});
    rt::LoadStartupWindow(kMainForm);

    rt::ValueRecord byteValue{};
    byteValue.type = rt::kTypeByte;
    byteValue.payload[0] = 0xFE;
    rt::ValueRecord shortValue{};
    shortValue.type = rt::kTypeShort;
    shortValue.payload[0] = 0xFE;  // -2
    shortValue.payload[1] = 0xFF;
    const char* text = "文字";
    rt::FullEventCall call{};
    call.formId = kMainForm;
    call.unitId = unit;
    call.eventNumber = 4;
    rt::FullEventArgument arguments[] = {
        Argument(rt::MakeInteger(5), rt::kArgumentByReference),
        Argument(byteValue),
        Argument(shortValue),
        Argument(rt::MakeDouble(1.5)),
        Argument(rt::MakeText(text)),
        Argument(rt::MakeComponentRef(7, 9, rt::kTypeInteger | rt::kArrayFlag), rt::kArgumentArray),
        Argument(rt::MakeInteger(-3)),
    };
    call.argumentCount = static_cast<uint32_t>(std::size(arguments));
    std::copy(std::begin(arguments), std::end(arguments), call.arguments);
    ASSERT_EQ(rt::RaiseEvent(call, true), 1);

    uint32_t doubleWords[2];
    double half = 1.5;
    std::memcpy(doubleWords, &half, 8);
    ASSERT_EQ(g_words.size(), 9u);
    EXPECT_EQ(g_words[1], 0xFEu) << "a byte is not sign-extended";
    EXPECT_EQ(g_words[2], 0xFFFFFFFEu) << "a short is";
    EXPECT_EQ(g_words[3], doubleWords[0]);
    EXPECT_EQ(g_words[4], doubleWords[1]);
    EXPECT_EQ(reinterpret_cast<const char*>(static_cast<uintptr_t>(g_words[5])), text);
    EXPECT_EQ(g_words[6], 7u);
    EXPECT_EQ(g_words[7], 9u);
    EXPECT_EQ(static_cast<int32_t>(g_words[8]), -3);
    EXPECT_EQ(rt::AsInteger(call.arguments[0].value), 77) << "the handler wrote through the by-reference word";
    int64_t result;
    std::memcpy(&result, call.result, 8);
    EXPECT_EQ(call.hasResult, 1u);
    EXPECT_EQ(result, 0x1122334455667788);
}

TEST(Events, BindingsSourceAndSuppressionWhileLoading) {
    FormBuilder form(kMainForm, kWindowType, 300, 200);
    uint32_t bound = form.Add(kChildType, "甲", 10, 10, 50, 20);
    uint32_t unbound = form.Add(kChildType, "乙", 10, 40, 50, 20);
    uint32_t sharing = form.Add(kChildType, "丙", 10, 70, 50, 20);
    uint32_t silent = form.Add(kSilentType, "丁", 10, 100, 50, 20);
    form.Bind(bound, 0, 1);
    form.Bind(bound, 5, 0);
    form.Unit(unbound).events.push_back({0, 0xFFFFFFFFu});  // explicitly no handler
    form.Unit(sharing).eventSource = bound;
    rt::testing::RaiseEventWhileCreating(true);
    Start({form});
    rt::LoadStartupWindow(kMainForm);
    rt::testing::RaiseEventWhileCreating(false);
    rt::testing::ErrorCapture capture;
    EXPECT_TRUE(g_calls.empty()) << "a handler ran while the form was loading";

    EXPECT_TRUE(rt::RaiseComponentEvent(kMainForm, bound, 0));
    EXPECT_FALSE(rt::RaiseComponentEvent(kMainForm, bound, 3));
    EXPECT_FALSE(rt::RaiseComponentEvent(kMainForm, unbound, 0));
    EXPECT_TRUE(rt::RaiseComponentEvent(kMainForm, sharing, 5));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0], std::make_pair(1, bound));
    EXPECT_EQ(g_calls[1], std::make_pair(0, sharing));  // source is the raising unit
    EXPECT_EQ(rt::EventSourceUnit(), 0u);               // cleared after the call

    rt::ShortEventCall call{kMainForm, bound, 0, 0, {}, 0, 0};
    EXPECT_EQ(rt::RaiseEvent(call, true), 1);
    EXPECT_EQ(call.hasResult, 1u);

    EXPECT_EQ(capture.Run([&] { rt::RaiseComponentEvent(kMainForm, 0x16999999, 0); }).message,
              "未找到引发事件的窗口组件");
    EXPECT_EQ(capture.Run([&] { rt::RaiseComponentEvent(0x52999999, bound, 0); }).message, "未找到引发事件的窗口");
    EXPECT_EQ(capture.Run([&] { rt::RaiseComponentEvent(kMainForm, silent, 0); }).message,
              "引发事件的窗口组件无效");
}

TEST(StartupWindow, MissingFormReportsTheLoadFailure) {
    FormBuilder form(kMainForm, kWindowType, 300, 200);
    Start({form});
    rt::testing::ErrorCapture capture;
    rt::testing::CapturedError error = capture.Run([] { rt::LoadStartupWindow(0x52010999); });
    EXPECT_EQ(error.message, "载入启动窗口失败");
    EXPECT_EQ(error.word1, 0x52010999u);
}

TEST(StartupWindow, LastWindowClosedEndsTheLoop) {
    FormBuilder form(kMainForm, kWindowType, 300, 200);
    Start({form});
    rt::LoadStartupWindow(kMainForm);
    rt::testing::WhenReadyOnTheLoop([] { return true; }, [] { CloseForm(kMainForm); });
    rt::RunMessageLoop();  // returns once the window is gone
    EXPECT_FALSE(rt::AnyFormWindowExists());
}

}  // namespace
