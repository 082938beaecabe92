#include "support/form_harness_win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <utility>

#include "runtime/entry_points.h"
#include "runtime/form_record.h"
#include "runtime/form_template.h"
#include "runtime/message_loop_win32.h"
#include "runtime/program.h"

namespace rt::testing {

FormBuilder::FormBuilder(uint32_t formId, uint32_t windowType, int width, int height, std::vector<uint8_t> windowData,
                         uint32_t windowFlags)
    : formId_(formId) {
    rt::UnitFields window;
    window.id = 0x06000000u | (formId & 0x00FFFFFF);
    window.typeReference = windowType;
    window.left = 50;
    window.top = 50;
    window.width = width;
    window.height = height;
    window.flags = windowFlags;
    window.ownData = std::move(windowData);
    units_.push_back(std::move(window));
}

uint32_t FormBuilder::Add(uint32_t typeReference, const std::string& name, int left, int top, int width, int height,
                          uint32_t flags, std::vector<uint8_t> ownData, uint32_t parentId) {
    rt::UnitFields unit;
    unit.id = 0x16000000u | ((formId_ + static_cast<uint32_t>(units_.size())) & 0x00FFFFFF);
    unit.typeReference = typeReference;
    unit.name = name;
    unit.left = left;
    unit.top = top;
    unit.width = width;
    unit.height = height;
    unit.flags = flags;
    unit.ownData = std::move(ownData);
    unit.parent = parentId;
    uint32_t id = unit.id;
    units_.push_back(std::move(unit));
    if (parentId) Unit(parentId).children.push_back(id);
    return id;
}

rt::UnitFields& FormBuilder::Unit(uint32_t unitId) {
    if (unitId == 0) return units_[0];
    for (rt::UnitFields& unit : units_)
        if (unit.id == unitId) return unit;
    ADD_FAILURE() << "no unit " << unitId;
    return units_[0];
}

void FormBuilder::Bind(uint32_t unitId, int32_t eventNumber, int handlerIndex) {
    Unit(unitId).events.push_back({eventNumber, rt::HandlerOffsetOf(static_cast<uint32_t>(handlerIndex))});
}

std::vector<uint8_t> BuildTemplate(const std::vector<FormBuilder>& forms) {
    rt::FormTemplate formTemplate;
    for (const FormBuilder& builder : forms) {
        rt::FormRecord record;
        record.id = builder.FormId();
        EXPECT_EQ(record.SetUnits(builder.Units()), rt::ReadStatus::kOk);
        formTemplate.forms.push_back(std::move(record));
    }
    return formTemplate.Write();
}

namespace {
std::vector<uint8_t> g_template;
std::vector<const rt::SupportLibrary*> g_libraries;
}  // namespace

void StartRuntime(const std::vector<uint8_t>& templateBytes, std::vector<const rt::SupportLibrary*> libraries,
                  const rt::EventHandler* handlers, int handlerCount) {
    g_template = templateBytes;
    g_libraries = std::move(libraries);
    g_libraries.resize(rt::kSupportLibraryCount, nullptr);
    rt::ProgramDescriptor program{};
    program.userCodeBase = reinterpret_cast<uintptr_t>(handlers);
    program.templateData = g_template.data();
    program.templateLength = static_cast<uint32_t>(g_template.size());
    program.libraryCount = rt::kSupportLibraryCount;
    program.libraries = g_libraries.data();
    rt::SetCurrentProgram(program);
    rt::InitializeRuntime();
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (message.message == WM_QUIT) return done();
            rt::PumpOneMessage();
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

namespace {

constexpr UINT kDrainMarker = WM_APP + 0x3D1;
WPARAM g_markerPosted = 0;
WPARAM g_markerBack = 0;

LRESULT CALLBACK MarkerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDrainMarker) {
        g_markerBack = wParam;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window: any loop that dispatches the marker, a nested one too, brings it back.
HWND MarkerWindow() {
    static HWND window = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = MarkerProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LumadrelTestQueueMarker";
        RegisterClassW(&windowClass);
        return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    }();
    return window;
}

// A message posted or sent to this thread, but not a timer tick (ticks come on
// their own time, however often the queue is emptied). Paints are left to
// UpdateAll (some windows of the system never validate themselves) and input
// from the devices to whoever waits for it.
bool WorkWaiting(MSG* waiting) {
    constexpr UINT kSystemTimer = 0x0118;
    const std::pair<UINT, UINT> ranges[] = {{0, WM_TIMER - 1}, {WM_TIMER + 1, kSystemTimer - 1}, {kSystemTimer + 1, ~0u}};
    for (const auto& [first, last] : ranges)
        if (PeekMessageW(waiting, nullptr, first, last, PM_NOREMOVE | PM_NOYIELD | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE) &&
            waiting->message != WM_QUIT)
            return true;
    return false;
}

BOOL CALLBACK UpdateIfVisible(HWND window, LPARAM) {
    if (IsWindowVisible(window)) RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

// Paints what is invalid in the visible windows of this thread, children included.
void UpdateAll() { EnumThreadWindows(GetCurrentThreadId(), UpdateIfVisible, 0); }

std::string Describe(const MSG& message) {
    wchar_t className[64] = L"";
    if (message.hwnd) GetClassNameW(message.hwnd, className, 64);
    std::string name;
    for (const wchar_t* c = className; *c; ++c) name += *c < 128 ? static_cast<char>(*c) : '?';
    char text[128];
    std::snprintf(text, sizeof text, "message 0x%04X for a window of class \"%s\"", message.message, name.c_str());
    return text;
}

}  // namespace

::testing::AssertionResult Drain(DWORD milliseconds) {
    HWND marker = MarkerWindow();
    if (!marker) return ::testing::AssertionFailure() << "no window for the queue marker";
    const DWORD start = GetTickCount();
    MSG waiting{};
    for (int round = 1;; ++round) {
        // Messages posted while the earlier ones were dispatched queue up behind this marker.
        const WPARAM posted = ++g_markerPosted;
        if (!PostMessageW(marker, kDrainMarker, posted, 0)) return ::testing::AssertionFailure() << "the marker was not posted";
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed > milliseconds ||
            !PumpUntil([posted] { return g_markerBack == posted; }, milliseconds - elapsed)) {
            return ::testing::AssertionFailure() << "the queue did not run dry within " << milliseconds << " ms (" << round
                                                 << " rounds; last waiting: " << Describe(waiting) << ")";
        }
        UpdateAll();
        if (!WorkWaiting(&waiting)) return ::testing::AssertionSuccess();
    }
}

namespace {

struct LoopAction {
    std::function<bool()> ready;
    std::function<void()> action;
    DWORD start;
    DWORD milliseconds;
};
std::map<UINT_PTR, LoopAction> g_loopActions;

void CALLBACK RunWhenReady(HWND, UINT, UINT_PTR timer, DWORD) {
    auto found = g_loopActions.find(timer);
    if (found == g_loopActions.end()) return;
    bool late = GetTickCount() - found->second.start > found->second.milliseconds;
    if (!late && !found->second.ready()) return;
    KillTimer(nullptr, timer);
    LoopAction entry = std::move(found->second);
    g_loopActions.erase(found);
    if (late) ADD_FAILURE() << "what the loop action waited for did not happen within " << entry.milliseconds << " ms";
    entry.action();
}

}  // namespace

void WhenReadyOnTheLoop(std::function<bool()> ready, std::function<void()> action, DWORD milliseconds) {
    UINT_PTR timer = SetTimer(nullptr, 0, 10, RunWhenReady);
    ASSERT_NE(timer, 0u) << "no timer for an action on the loop";
    g_loopActions[timer] = {std::move(ready), std::move(action), GetTickCount(), milliseconds};
}

}  // namespace rt::testing
