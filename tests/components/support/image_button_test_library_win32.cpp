#include "support/image_button_test_library_win32.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "components/common/component_types_win32.h"
#include "runtime/component_object_win32.h"
#include "runtime/entry_points.h"
#include "runtime/form_access_win32.h"
#include "runtime/runtime_context_win32.h"
#include "support/reflecting_window_win32.h"

namespace components::testing {
namespace {


constexpr uint32_t kFlags = rt::kTypeFlagCanRaiseEvents;
const rt::ComponentType kWindowTypes[] = {{"窗口", "Window", kFlags, ReflectingWindowInterface}};
const rt::ComponentType kButtonTypes[] = {{"超级按钮", "SuperBtn", kFlags, components::ImageButtonTypeInterface}};

const rt::SupportLibrary kWindowLibrary = {
    rt::kLibraryRecordFormat, "0123456789ABCDEF0123456789ABCDEF", 5, 7, 0, "窗口测试库", 0, nullptr, 1,
    kWindowTypes, nullptr,
};
const rt::SupportLibrary kButtonLibrary = {
    rt::kLibraryRecordFormat, "4BB4003860154917BC7D8230BF4FA58A", 2, 0, 0, "扩展界面支持库二", 0, nullptr, 1,
    kButtonTypes, nullptr,
};

// The window whose mouse leaving the system still watches for (null: none).
HWND LeaveTracked() {
    TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
    if (!TrackMouseEvent(&query) || !(query.dwFlags & TME_LEAVE)) return nullptr;
    return query.hwndTrack;
}

}  // namespace

Pixels Render(HWND button) {
    Pixels pixels;
    RECT client;
    GetClientRect(button, &client);
    pixels.width = client.right;
    pixels.height = client.bottom;
    if (pixels.width <= 0 || pixels.height <= 0) return pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(button);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    GdiFlush();
    const auto* source = static_cast<const uint32_t*>(bits);
    pixels.colours.resize(static_cast<size_t>(pixels.width) * pixels.height);
    for (size_t i = 0; i < pixels.colours.size(); ++i) {
        uint32_t bgr = source[i];
        pixels.colours[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(button, screen);
    return pixels;
}

void Load(rt::testing::FormBuilder form, const rt::EventHandler* handlers, int handlerCount) {
    // Test programs of this file run one at a time: they share the mouse and the corner of the screen.
    // The system releases the mutex when the program ends.
    static HANDLE turn = CreateMutexW(nullptr, FALSE, L"Lumadrel.ImageButtonTests");
    if (turn) WaitForSingleObject(turn, 120000);
    // Bottom right, clear of other test programs' windows (top left or centred), which could take the mouse.
    rt::UnitFields& unit = form.Unit(0);
    unit.left = GetSystemMetrics(SM_CXSCREEN) - unit.width - 10;
    unit.top = GetSystemMetrics(SM_CYSCREEN) - unit.height - 10;
    rt::testing::StartRuntime(rt::testing::BuildTemplate({form}), {&kWindowLibrary, &kButtonLibrary},
                                  handlers, handlerCount);
    rt::LoadStartupWindow(form.FormId());
    HWND window = rt::WindowOfComponent(form.FormId(), form.WindowUnitId());
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    EXPECT_TRUE(rt::testing::Drain()) << "the form's first paint";
}

HWND ButtonWindow(uint32_t unitId) { return rt::WindowOfComponent(kForm, unitId); }

std::vector<uint8_t> ButtonData(const std::function<void(components::ImageButtonData&)>& change) {
    components::ImageButtonData data;
    change(data);
    return data.Write();
}

int Pixels::Count(const RECT& area, const std::function<bool(COLORREF)>& test) const {
    int count = 0;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, height); ++y)
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, width); ++x)
            if (test(At(x, y))) ++count;
    return count;
}

int Pixels::CountOf(const RECT& area, COLORREF colour) const {
    return Count(area, [colour](COLORREF c) { return c == colour; });
}

void Hover(HWND button) {
    RECT rect;
    GetWindowRect(button, &rect);
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    // A window of another test program may have come to the front meanwhile.
    HWND root = GetAncestor(button, GA_ROOT);
    bool over = rt::testing::PumpUntil([&] {
        if (GetForegroundWindow() != root) SetForegroundWindow(root);
        SetCursorPos(centre.x, centre.y);
        return WindowFromPoint(centre) == button && GetActiveWindow() == root;
    });
    EXPECT_TRUE(over) << "the mouse over the button, its window active";
    POINT client = centre;
    ScreenToClient(button, &client);
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    EXPECT_TRUE(rt::testing::Drain()) << "the repaint of the hot button";
}

void MoveMouseAway() {
    SetCursorPos(2, GetSystemMetrics(SM_CYSCREEN) - 2);
    // The system notices the mouse leaving on a timer of its own, then posts the leave notice.
    bool noticed = rt::testing::PumpUntil([] { return LeaveTracked() == nullptr; });
    EXPECT_TRUE(noticed) << "the system noticed the mouse leaving";
    EXPECT_TRUE(rt::testing::Drain()) << "the mouse-leave notice";
}

}  // namespace components::testing
