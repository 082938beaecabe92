// The anchor of the launch benchmark: a bare Win32 program that decodes a
// 600 × 450 PNG with libpng directly and shows it in a window.
//
// Built with BARE_LAUNCHER_WORK (bare_launcher_work.exe, with the launcher's
// icon and manifest) it also does, with plain Win32 calls and no runtime, the
// work the launcher must do before its first paint: OLE, a hidden owner
// window, the window's two icons, the main window's six controls, then the
// start routine's process snapshot, tray icon, desktop shortcut and blocking
// connect. The launcher against it shows what the runtime itself costs.
#include <windows.h>
#include <shellapi.h>
#ifdef BARE_LAUNCHER_WORK
#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <winsock2.h>
#endif

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> g_pixels;  // BGRA, top row first
int g_width = 0;
int g_height = 0;

bool DecodePng(const wchar_t* path) {
    FILE* file = _wfopen(path, L"rb");
    if (!file) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + count);
    fclose(file);
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
    image.format = PNG_FORMAT_BGRA;
    g_width = static_cast<int>(image.width);
    g_height = static_cast<int>(image.height);
    g_pixels.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, g_pixels.data(), 0, nullptr) != 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = g_width;
        info.bmiHeader.biHeight = -g_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        RECT client;
        GetClientRect(window, &client);
        StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, g_width, g_height, g_pixels.data(), &info,
                      DIB_RGB_COLORS, SRCCOPY);
        EndPaint(window, &paint);
        return 0;
    }
#ifdef BARE_LAUNCHER_WORK
    case WM_DRAWITEM: {
        auto item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        return TRUE;
    }
#endif
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

#ifdef BARE_LAUNCHER_WORK
namespace {

HFONT g_font = nullptr;

void CreateControls(HWND window, HINSTANCE instance) {
    g_font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0,
                         L"\x5FAE\x8F6F\x96C5\x9ED1");  // the labels' and buttons' face
    const int buttonLeft[] = {100, 250, 400};
    for (int left : buttonLeft)
        CreateWindowExW(0, L"BUTTON", L"button", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, left, 350, 80, 35, window,
                        nullptr, instance, nullptr);
    const int labelLeft[] = {8, 248};
    for (int left : labelLeft) {
        HWND label = CreateWindowExW(WS_EX_TRANSPARENT, L"STATIC", L"label", WS_CHILD | WS_VISIBLE, left, 5, 88, 16,
                                     window, nullptr, instance, nullptr);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
    }
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 500, 2,
                                 72, 200, window, nullptr, instance, nullptr);
    LOGFONTW guiFont{};  // the dialog font with a Chinese character set, as the launcher's controls have
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof guiFont, &guiFont);
    guiFont.lfCharSet = GB2312_CHARSET;
    SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(CreateFontIndirectW(&guiFont)), TRUE);
    SendMessageW(combo, CB_SETITEMHEIGHT, 0, SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0) + 1);
    for (const wchar_t* item : {L"item 1", L"item 2", L"item 3"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

// The start routine's steps, with the launcher's flags.
void StartRoutine(HWND window, HICON smallIcon) {
    HANDLE snapshot = CreateToolhelp32Snapshot(0x0F, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        int count = 0;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            count += lstrcmpiW(entry.szExeFile, L"bare_launcher_work.exe") == 0;
        CloseHandle(snapshot);
        if (count > 1) ExitProcess(0);  // the single-instance check
    }
    NOTIFYICONDATAW tray{};
    tray.cbSize = sizeof tray;
    tray.hWnd = window;
    tray.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    tray.uCallbackMessage = WM_APP;
    tray.hIcon = smallIcon;
    lstrcpyW(tray.szTip, L"Lumadrel");
    Shell_NotifyIconW(NIM_ADD, &tray);
    wchar_t desktop[MAX_PATH], self[MAX_PATH];
    IShellLinkW* link = nullptr;
    if (SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE) &&
        GetModuleFileNameW(nullptr, self, MAX_PATH) &&
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(self);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            file->Save((std::wstring(desktop) + L"\\bare_launcher_work.lnk").c_str(), TRUE);
            file->Release();
        }
        link->Release();
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) == 0) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(2013);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
}
}  // namespace
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2 || !DecodePng(argv[1])) return 1;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = L"BarePngWindow";
    RegisterClassW(&windowClass);
#ifdef BARE_LAUNCHER_WORK
    // The launcher imports comctl32, so the loader maps it before WinMain.
    static BOOL(WINAPI* volatile initControls)(const INITCOMMONCONTROLSEX*) = InitCommonControlsEx;
    (void)initControls;
    OleInitialize(nullptr);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"BareHideOwner";
    RegisterClassW(&windowClass);
    CreateWindowExW(WS_EX_TOOLWINDOW, L"BareHideOwner", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    HWND window = CreateWindowExW(WS_EX_CLIENTEDGE, L"BarePngWindow", L"Lumadrel",
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 50, 50, 600, 450, nullptr,
                                  nullptr, instance, nullptr);
    auto icon = [&](int size) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
    };
    HICON smallIcon = icon(16);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon(32)));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    CreateControls(window, instance);
    StartRoutine(window, smallIcon);
    ShowWindow(window, SW_SHOWNORMAL);
#else
    CreateWindowExW(WS_EX_CLIENTEDGE, L"BarePngWindow", L"Lumadrel", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                    50, 50, 600, 450, nullptr, nullptr, instance, nullptr);
#endif
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
