#include "components/window/window_component_win32.h"

#include <optional>

#include <mmsystem.h>

#include "components/common/component_fonts_win32.h"
#include "components/common/component_window_class_win32.h"
#include "components/common/control_reflection_win32.h"
#include "components/pictures/picture_decoder.h"
#include "components/window/shape/window_shape_win32.h"
#include "runtime/events.h"
#include "runtime/form_registry_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/startup_trace_win32.h"
#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

constexpr UINT kFirstMenuCommand = 20000;
constexpr UINT kFirstIgnoredCommand = 57600;
constexpr int kStartCentred = 1, kStartMinimized = 2, kStartMaximized = 3;

bool Truthy(int64_t result) { return static_cast<uint32_t>(result) != 0; }

// The program's own icon (resource 1), else the system's application icon.
HICON DefaultProgramIcon() {
    static HICON icon = [] {
        HICON own = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        return own ? own : LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    }();
    return icon;
}

HICON IconFromBytes(const Bytes& bytes, pictures::IconSize size, int width, int height) {
    if (bytes.empty()) return nullptr;
    pictures::PictureObject picture;
    if (pictures::DecodePicture(bytes.data(), static_cast<int64_t>(bytes.size()), picture, size) !=
            pictures::DecodeStatus::kOk ||
        picture.kind != pictures::PictureKind::Icon || picture.iconImage.resource.empty())
        return nullptr;
    std::vector<uint8_t>& resource = picture.iconImage.resource;
    return CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(resource.size()), TRUE, 0x00030000, width,
                                    height, LR_DEFAULTCOLOR);
}

bool IsWindowPoint(HWND window, int x, int y) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect.left == x && rect.top == y;
}

}  // namespace

RECT MonitorWorkArea(HWND window) {
    RECT work{};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

WindowComponent* WindowComponent::Create(const rt::CreateParameters& parameters) {
    auto* object = new WindowComponent;
    if (object->data_.Read(parameters.data, parameters.length) != rt::ReadStatus::kOk ||
        !object->CreateWindowFor(parameters)) {
        delete object;
        return nullptr;
    }
    return object;
}

WindowComponent::~WindowComponent() {
    music_.Stop();
}

bool WindowComponent::CreateWindowFor(const rt::CreateParameters& p) {
    formId_ = p.formId;
    unitId_ = p.unitId;
    modal_ = p.modal;
    createdOwner_ = p.parent;

    DWORD style = p.style | WS_CLIPCHILDREN | FrameStyle();
    int x = p.x, y = p.y;
    if (data_.StartPosition == kStartCentred) {
        x = (GetSystemMetrics(SM_CXSCREEN) - p.cx) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - p.cy) / 2;
    } else if (data_.StartPosition == kStartMinimized) {
        style |= WS_MINIMIZE;
    } else if (data_.StartPosition == kStartMaximized && (style & WS_THICKFRAME)) {
        style |= WS_MAXIMIZE;
    }
    HWND owner = p.parent;
    HWND hiddenOwner = rt::Runtime().hiddenOwner;
    if (!owner && hiddenOwner && IsWindow(hiddenOwner) && (!data_.ShowInTaskbar || p.modal)) owner = hiddenOwner;

    std::wstring className = data_.ClassName.empty() ? std::wstring(kWindowDefaultClass) : rt::WideFromGbk(data_.ClassName);
    if (!EnsureComponentClass(className.c_str(), ClassProcedure, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS)) return false;

    // A class that someone else registered is subclassed.
    std::wstring caption = rt::WideFromGbk(data_.caption);
    HWND window = CreateBoundWindow(FrameExStyle(), className.c_str(), caption.c_str(), style, x, y, p.cx, p.cy,
                                    owner, p.menu);
    if (!window) return false;
    Adopt();

    ApplyFrameStyles();
    if (!IsIconic(window) && !IsZoomed(window)) {
        RECT rect;
        GetWindowRect(window, &rect);
        if (rect.right - rect.left != p.cx || rect.bottom - rect.top != p.cy || !IsWindowPoint(window, x, y))
            SetWindowPos(window, nullptr, x, y, p.cx, p.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ApplyIcons();
    if (data_.shape != kShapeRectangle) ApplyShape();
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultComponentFont()), FALSE);
    if (data_.TopMost) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    if (!data_.Movable) ApplySystemMenu();
    music_.Play(window, data_.BackMusic, data_.MusicPlayMode);
    return true;
}

DWORD WindowComponent::FrameStyle() const {
    // Popup windows keep exactly the frame asked for; the system would give
    // an overlapped window a caption of its own.
    DWORD style = WS_POPUP;
    if (data_.MaxButton) style |= WS_MAXIMIZEBOX;
    if (data_.MinButton) style |= WS_MINIMIZEBOX;
    if (data_.border == 0) return style;
    style |= WS_DLGFRAME;
    if (!data_.caption.empty() || data_.ControlBox) style |= WS_CAPTION;
    if (data_.ControlBox) style |= WS_SYSMENU;
    if (data_.border % 2 == 1) style |= WS_THICKFRAME;
    return style;
}

DWORD WindowComponent::FrameExStyle() const {
    if (data_.border == 3 || data_.border == 4) return WS_EX_TOOLWINDOW;
    if (data_.border == 5 || data_.border == 6) return WS_EX_CLIENTEDGE;
    return 0;
}

void WindowComponent::ApplyFrameStyles() {
    constexpr DWORD kFrameBits =
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_DLGFRAME | WS_BORDER;
    constexpr DWORD kFrameExBits = WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE;
    auto style = static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE));
    auto exStyle = static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE));
    DWORD newStyle = (style & ~kFrameBits) | FrameStyle();
    DWORD newExStyle = (exStyle & ~kFrameExBits) | FrameExStyle();
    if (newStyle == style && newExStyle == exStyle) return;
    SetWindowLongW(window_, GWL_STYLE, static_cast<LONG>(newStyle));
    SetWindowLongW(window_, GWL_EXSTYLE, static_cast<LONG>(newExStyle));
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowComponent::ApplyIcons() {
    HICON big = IconFromBytes(data_.icon, pictures::IconSize::Large, GetSystemMetrics(SM_CXICON),
                              GetSystemMetrics(SM_CYICON));
    HICON small = IconFromBytes(data_.icon, pictures::IconSize::Small, GetSystemMetrics(SM_CXSMICON),
                                GetSystemMetrics(SM_CYSMICON));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big ? big : DefaultProgramIcon()));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : DefaultProgramIcon()));
    bigIcon_.Reset(big);
    smallIcon_.Reset(small);
}

void WindowComponent::ApplyShape() {
    RECT rect;
    GetWindowRect(window_, &rect);
    HRGN region = CreateShapeRegion(data_.shape, rect.right - rect.left, rect.bottom - rect.top);
    if (shapeRegion_) {
        shapeRegion_.Reset();
        if (!region) SetWindowRgn(window_, nullptr, TRUE);
    }
    if (!region) return;
    shapeRegion_.Reset(CreateRectRgn(0, 0, 0, 0));
    CombineRgn(shapeRegion_.Get(), region, nullptr, RGN_COPY);
    SetWindowRgn(window_, region, TRUE);  // the system owns this one
}

void WindowComponent::ApplySystemMenu() {
    GetSystemMenu(window_, TRUE);  // back to the standard menu
    if (!data_.Movable) {
        HMENU menu = GetSystemMenu(window_, FALSE);
        if (menu) DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
    }
}

void WindowComponent::ApplyTopMost(bool reassertOthers) {
    SetWindowPos(window_, data_.TopMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    if (data_.TopMost || !reassertOthers) return;
    // Switching one window off must not take the program's other top-most windows down with it.
    for (rt::Form& form : rt::Forms()) {
        HWND other = form.window;
        if (!form.Loaded() || other == window_) continue;
        bool topMost = GetWindowLongW(other, GWL_EXSTYLE) & WS_EX_TOPMOST;
        bool inTaskbar = !GetWindow(other, GW_OWNER) && !(GetWindowLongW(other, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        if (topMost && inTaskbar && IsWindowVisible(other))
            SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
}

void WindowComponent::ApplyTaskbarPresence() {
    HWND hiddenOwner = rt::Runtime().hiddenOwner;
    if (createdOwner_ || modal_ || !hiddenOwner) return;  // owned anyway
    HWND owner = data_.ShowInTaskbar ? nullptr : hiddenOwner;
    if (GetWindow(window_, GW_OWNER) == owner) return;
    bool visible = IsWindowVisible(window_);
    if (visible) ShowWindow(window_, SW_HIDE);
    SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (visible) ShowWindow(window_, SW_SHOWNA);
}

void WindowComponent::MaximizeIntoWorkArea() { ShowWindow(window_, SW_SHOWMAXIMIZED); }

void WindowComponent::ApplyStartPosition() {
    switch (data_.StartPosition) {
    case kStartCentred: {
        if (IsIconic(window_) || IsZoomed(window_)) ShowWindow(window_, SW_RESTORE);
        RECT rect;
        GetWindowRect(window_, &rect);
        int x = (GetSystemMetrics(SM_CXSCREEN) + rect.left - rect.right) / 2;
        int y = (GetSystemMetrics(SM_CYSCREEN) + rect.top - rect.bottom) / 2;
        if (rect.left != x || rect.top != y)
            SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case kStartMinimized: ShowWindow(window_, SW_MINIMIZE); break;
    case kStartMaximized: MaximizeIntoWorkArea(); break;
    default: ShowWindow(window_, SW_SHOWNORMAL); break;
    }
}

void WindowComponent::ShowAsDesigned() {
    if (data_.StartPosition == kStartMaximized) MaximizeIntoWorkArea();
    else if (data_.StartPosition == kStartMinimized) ShowWindow(window_, SW_SHOWMINIMIZED);
    else ShowWindow(window_, SW_SHOW);
}

bool WindowComponent::Raise(int32_t event, std::initializer_list<uint32_t> arguments, int64_t* result) {
    return rt::RaiseComponentEvent(formId_, unitId_, event, arguments, result);
}

bool WindowComponent::OnIdle(DWORD elapsedMilliseconds) {
    HWND window = window_;
    int64_t result = 0;
    bool ran = Raise(rt::kWindowIdle, {static_cast<uint32_t>(elapsedMilliseconds)}, &result);
    return ran && IsWindow(window) && Truthy(result);
}

namespace {

// The messages that make up the way from showing the window to its first paint.
const char* StartupMessageName(UINT message) {
    switch (message) {
    case WM_ERASEBKGND: return "window: erase background";
    case WM_NCPAINT: return "window: frame";
    case WM_ACTIVATE: return "window: activate";
    case WM_WINDOWPOSCHANGED: return "window: position changed";
    default: return nullptr;
    }
}

}  // namespace

LRESULT WindowComponent::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    std::optional<trace::Span> startupSpan;
    if (!paintedOnce_ && trace::Enabled())
        if (const char* name = StartupMessageName(message)) startupSpan.emplace(name);
    switch (message) {
    case WM_ERASEBKGND: PaintBackground(reinterpret_cast<HDC>(wParam)); return 1;
    case WM_PAINT:
        if (!paintedOnce_) return OnPaint();
        break;
    case WM_PRINTCLIENT:
        if (lParam & PRF_ERASEBKGND) PaintBackground(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SETCURSOR: return OnSetCursor(wParam, lParam);
    case WM_MOVE: {
        LRESULT result = Default(message, wParam, lParam);
        Raise(rt::kWindowMoved);
        return result;
    }
    case WM_SIZE: {
        LRESULT result = Default(message, wParam, lParam);
        if (wParam != SIZE_MINIMIZED && (data_.shape != kShapeRectangle || shapeRegion_)) ApplyShape();
        Raise(rt::kWindowResized);
        return result;
    }
    case WM_GETMINMAXINFO: {
        LRESULT result = Default(message, wParam, lParam);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        RECT work = MonitorWorkArea(window);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        POINT origin{0, 0};
        if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
            origin = {monitor.rcMonitor.left, monitor.rcMonitor.top};
        info->ptMaxPosition = {work.left - origin.x, work.top - origin.y};
        info->ptMaxSize = {work.right - work.left, work.bottom - work.top};
        return result;
    }
    case WM_ACTIVATE: OnActivate(wParam, lParam); return 0;
    case WM_SHOWWINDOW:
        Raise(wParam ? rt::kWindowShown : rt::kWindowHidden);
        return IsWindow(window) ? Default(message, wParam, lParam) : 0;
    case WM_SETFOCUS: {
        LRESULT result = Default(message, wParam, lParam);
        Raise(rt::kEventGotFocus);
        return result;
    }
    case WM_KILLFOCUS: {
        LRESULT result = Default(message, wParam, lParam);
        Raise(rt::kEventLostFocus);
        return result;
    }
    case WM_SETFONT: font_ = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(font_);
    case WM_CLOSE: OnClose(); return 0;
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_DESTROY: OnDestroy(); return IsWindow(window) ? Default(message, wParam, lParam) : 0;
    case WM_NCACTIVATE:
        if (data_.KeepTitleActive && !wParam) return Default(message, TRUE, lParam);
        break;
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR: {
        LRESULT result = 0;
        if (ReflectToControl(window, message, wParam, lParam, &result)) return result;
        break;
    }
    case MM_MCINOTIFY: music_.OnSequencerNotice(wParam); return 0;
    case kTrayNoticeMessage: OnTrayNotice(lParam); return 0;
    case rt::kPendingDestroyMessage: RunPendingDestroy(); return 0;
    default: break;
    }
    return Default(message, wParam, lParam);
}

// The first paint: the moment a player sees the window, which the start-up trace marks.
LRESULT WindowComponent::OnPaint() {
    paintedOnce_ = true;
    LRESULT result;
    {
        trace::Span span("first WM_PAINT");
        result = Default(WM_PAINT, 0, 0);
    }
    rt::NoteFirstPaint(formId_);
    return result;
}

LRESULT WindowComponent::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT) {
        if (HCURSOR cursor = rt::CursorOfUnit(formId_, unitId_)) {
            SetCursor(cursor);
            return TRUE;
        }
    }
    return Default(WM_SETCURSOR, wParam, lParam);
}

void WindowComponent::OnActivate(WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) savedFocus_ = focus;
        Raise(rt::kWindowDeactivated);
        return;
    }
    if (!HIWORD(wParam)) {  // not minimized: the focus comes back where it was
        HWND focus = savedFocus_;
        if (!focus || !IsWindow(focus) || !IsChild(window, focus) || !IsWindowVisible(focus) || !IsWindowEnabled(focus)) {
            focus = GetNextDlgTabItem(window, nullptr, FALSE);
            if (focus && !(GetWindowLongW(focus, GWL_STYLE) & WS_TABSTOP)) focus = nullptr;
        }
        SetFocus(focus ? focus : window);
    }
    if (!activatedOnce_) {
        activatedOnce_ = true;
        Raise(rt::kWindowFirstActivation);
        if (!IsWindow(window)) return;
    }
    Raise(rt::kWindowActivated);
}

void WindowComponent::OnClose() {
    HWND window = window_;
    int64_t result = 1;
    if (Raise(rt::kWindowClosing, {}, &result) && (!IsWindow(window) || !Truthy(result))) return;
    result = 1;
    if (Raise(rt::kWindowCloseQuery, {}, &result) && (!IsWindow(window) || !Truthy(result))) return;
    if (!IsWindow(window)) return;
    ReenableModalDisabled();
    DestroyWindow(window);
}

LRESULT WindowComponent::OnQueryEndSession() {
    int64_t result = 1;
    if (Raise(rt::kWindowCloseQuery, {}, &result) && !Truthy(result)) return FALSE;
    return TRUE;
}

void WindowComponent::ReenableModalDisabled() {
    rt::Form* form = rt::FindForm(formId_);
    if (!form || form->window != window_) return;
    for (HWND disabled : form->disabledWindows)
        if (IsWindow(disabled)) EnableWindow(disabled, TRUE);
    form->disabledWindows.clear();
}

void WindowComponent::RequestDestroy(bool immediately) {
    pendingDestroy_ = true;
    if (immediately) RunPendingDestroy();
    else PostMessageW(window_, rt::kPendingDestroyMessage, 0, 0);
}

void WindowComponent::RunPendingDestroy() {
    if (!pendingDestroy_) return;
    pendingDestroy_ = false;
    ReenableModalDisabled();
    DestroyWindow(window_);
}

void WindowComponent::OnDestroy() {
    HWND window = window_;
    music_.Stop();
    Raise(rt::kWindowDestroyed);
    if (!IsWindow(window)) return;
    if (helpOpened_) {
        WinHelpW(window, nullptr, HELP_QUIT, 0);
        helpOpened_ = false;
    }
    if (HMENU menu = GetMenu(window)) {
        SetMenu(window, nullptr);
        DestroyMenu(menu);
    }
}

LRESULT WindowComponent::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (lParam) {
        LRESULT result = 0;
        return ReflectToControl(window_, WM_COMMAND, wParam, lParam, &result) ? result : 0;
    }
    UINT id = LOWORD(wParam);
    if (id >= kFirstIgnoredCommand) return 0;
    if (id < kFirstMenuCommand) return Default(WM_COMMAND, wParam, lParam);
    rt::Form* form = rt::FindForm(formId_);
    uint32_t position = id - kFirstMenuCommand;
    if (form && position < form->units.UnitCount())
        rt::RaiseComponentEvent(formId_, form->units.UnitId(position), rt::kMenuItemClicked);
    return 0;
}

void WindowComponent::OnTrayNotice(LPARAM lParam) {
    uint32_t kind = 0;
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONUP: kind = rt::kTrayLeftClick; break;
    case WM_LBUTTONDBLCLK: kind = rt::kTrayLeftDoubleClick; break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU: kind = rt::kTrayRightClick; break;
    default: return;
    }
    Raise(rt::kWindowTrayNotice, {kind});
}

void RequestWindowDestroy(rt::ComponentObject* object, bool immediately) {
    if (auto* window = dynamic_cast<WindowComponent*>(object)) window->RequestDestroy(immediately);
}

}  // namespace components
