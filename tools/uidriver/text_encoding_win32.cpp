#include "tools/uidriver/text_encoding_win32.h"

#include <windows.h>

namespace uidriver {
namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string FromWide(UINT codePage, std::wstring_view text) {
    if (text.empty()) return {};
    int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

}  // namespace

std::string Utf8FromWide(std::wstring_view text) { return FromWide(CP_UTF8, text); }
std::wstring WideFromUtf8(std::string_view text) { return ToWide(CP_UTF8, text); }
std::string Utf8FromGbk(std::string_view text) { return Utf8FromWide(ToWide(kGbkCodePage, text)); }
std::string GbkFromUtf8(std::string_view text) { return FromWide(kGbkCodePage, WideFromUtf8(text)); }

std::wstring WindowsPath(std::string_view utf8Path) {
    if (utf8Path.empty() || utf8Path[0] != '/') return WideFromUtf8(utf8Path);
    // Wine's own mapping knows every drive; without it, Z: is the root.
    using DosName = WCHAR*(CDECL*)(LPCSTR);
    auto toDos = reinterpret_cast<DosName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos) {
        std::string unixPath(utf8Path);
        if (WCHAR* dos = toDos(unixPath.c_str())) {
            std::wstring result(dos);
            HeapFree(GetProcessHeap(), 0, dos);
            return result;
        }
    }
    std::wstring result = L"Z:" + WideFromUtf8(utf8Path);
    for (wchar_t& c : result)
        if (c == L'/') c = L'\\';
    return result;
}

}  // namespace uidriver
