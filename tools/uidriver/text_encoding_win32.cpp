#include "tools/uidriver/text_encoding_win32.h"

#include <windows.h>

#include "common/wine_path.h"

namespace uidriver {

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
    return WideFromUtf8(common::WindowsPath(utf8Path));
}

}  // namespace uidriver
