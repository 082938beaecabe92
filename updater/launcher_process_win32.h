// The launcher of this game folder: whether one still runs, and starting it
// again once the update is installed.
#pragma once

#include <string>

namespace updater {

// True while a Lumadrel.exe started from `folder` runs (any letter case).
bool LauncherRunsFrom(const std::wstring& folder);

// Starts `exe` with `folder` as its working directory; the Windows error
// code, 0 on success.
unsigned long StartProgram(const std::wstring& exe, const std::wstring& folder);

}  // namespace updater
