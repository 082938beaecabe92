// The desktop shortcut, the installed version, and the game start with its
// version check.
#pragma once

namespace launcher {

// Start-up: "<product name>.lnk" on the desktop, pointing at the launcher.
void CreateDesktopShortcut();
// Start-up: CurrentVersion from update.ini, shown in the version label.
void ShowInstalledVersion();

}  // namespace launcher
