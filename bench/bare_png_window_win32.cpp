// The anchor of the launch benchmark: a bare Win32 program that decodes a
// 600 × 450 PNG with libpng directly and shows it in a window.
#include <windows.h>
#include <shellapi.h>

#include <png.h>

#include <cstdint>
#include <cstdio>
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
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

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
    CreateWindowExW(WS_EX_CLIENTEDGE, L"BarePngWindow", L"Lumadrel", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                    50, 50, 600, 450, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
