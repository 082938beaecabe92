#include "components/sounds/winmm_functions_win32.h"

#include <mmsystem.h>

#include "runtime/late_function_win32.h"

namespace components {

BOOL PlaySoundLate(LPCWSTR sound, HMODULE module, DWORD flags) {
    static const auto play = rt::LateFunction<decltype(&::PlaySoundW)>(L"winmm.dll", "PlaySoundW");
    return play ? play(sound, module, flags) : FALSE;
}

DWORD SendMciStringLate(LPCWSTR command, HWND notify) {
    static const auto send = rt::LateFunction<decltype(&::mciSendStringW)>(L"winmm.dll", "mciSendStringW");
    return send ? send(command, nullptr, 0, notify) : MCIERR_DEVICE_NOT_INSTALLED;
}

}  // namespace components
