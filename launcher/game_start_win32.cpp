#include "launcher/game_start_win32.h"

#include <windows.h>

#include <string>

#include "brand/brand_settings.h"
#include "common/update_ini.h"
#include "launcher/commands_win32.h"
#include "launcher/dll_table.h"
#include "launcher/form_ids.h"
#include "launcher/handlers_win32.h"
#include "launcher/process_routines_win32.h"
#include "launcher/program_state.h"
#include "launcher/subroutine_ids.h"
#include "launcher/tray_icon_win32.h"
#include "runtime/dll_call_win32.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace launcher {
namespace {

constexpr int32_t kDesktopFolder = 3;
constexpr int32_t kOpenOperation = 4;

std::string InRunDirectory(const char* fileName) {
    Owned directory(GetRunDirectory());
    return std::string(directory.text()) + "\\" + fileName;
}

// Selection index → the value the game client reads for its window size.
void WriteWindowSize() {
    int32_t selection =
        ReadIntegerProperty(main_window::kForm, main_window::kWindowSizeCombo, property::kCurSel);
    std::string file = InRunDirectory("duzo.ini");
    if (selection == 1) WriteConfigItem(file.c_str(), "duzo", "windows", "3");
    if (selection == 0) WriteConfigItem(file.c_str(), "duzo", "windows", "1");
    if (selection == 2) WriteConfigItem(file.c_str(), "duzo", "windows", "2");
}

void HandOverToUpdater() {
    std::string parameters = std::string(brand::kUpdateUrl) + " test";
    RunFile(kOpenOperation, brand::kUpdaterFile, parameters.c_str());
    Delay(1000);
    uint32_t launcher = FindProcessIdByName(brand::kExecutableName, false);
    if (launcher != 0) {
        // The launcher normally finds itself here; its icon goes with it.
        if (launcher == GetCurrentProcessId()) RemoveTrayIcon();
        TerminateProcessById(launcher);
    }
}

void StartGameClient() {
    ProgramState& state = State();
    std::string commandLine = std::string(" 1 0 ") + brand::kLaunchToken;
    state.GameStartResult = static_cast<int32_t>(RunProgram(brand::kGameClientFile, commandLine.c_str(), ""));
    Delay(2000);
    state.GameWindow = rt::CallDllCommand(kFindWindowExA, rt::CallConvention::CalleeCleans,
                                          {0, 0, 0, rt::NativeArgument(brand::kGameTitle)}, subroutine::kStartGame, 5);
    if (state.GameWindow != 0)
        rt::CallDllCommand(kSetWindowTextA, rt::CallConvention::CalleeCleans,
                           {state.GameWindow, rt::NativeArgument(brand::kRenamedGameTitle)}, subroutine::kStartGame, 6);
    WriteIntegerProperty(main_window::kForm, 0, property::kVisible, 0);
    ShowTrayBalloon("系统提示", "游戏在这里！！", 1);
}

}  // namespace

void CreateDesktopShortcut() {
    Owned desktop(GetSpecialFolder(kDesktopFolder));
    std::string link = std::string(desktop.text()) + "\\" + brand::kProductName + ".lnk";
    std::string target = InRunDirectory(brand::kExecutableName);
    CreateShortcut(link.c_str(), target.c_str());
}

void ShowInstalledVersion() {
    std::string file = InRunDirectory(common::kUpdateIniFileName.data());
    Owned version(ReadConfigItem(file.c_str(), common::kUpdateIniSection.data(), common::kUpdateIniVersionKey.data()));
    State().CurrentVersion.reset(rt::CopyText(version.text()));
    std::string caption = std::string("版本号： ") + version.text();
    WriteTextProperty(main_window::kForm, main_window::kVersionLabel, property::kCaption, caption.c_str());
}

namespace handlers {

int64_t StartGame(const uint32_t*, int) {
    WriteWindowSize();
    Owned document(HttpReadFile(brand::kUpdateUrl));
    XmlTree tree;
    if (!tree.Load(document.bytes())) {
        ShowMessage("( ╯ > д < ) ╯ 解析更新配置文件并不成功!", 0x10);
        rt::EndProgram(0);  // the shutdown destroys the main window, which removes the icon
    }
    Owned remoteVersion(tree.NodeText("Info/Version"));
    const char* localVersion = State().CurrentVersion ? State().CurrentVersion.get() : "";
    if (std::string(remoteVersion.text()) != localVersion) {
        HandOverToUpdater();
    }
    StartGameClient();
    tree.Release();
    return 0;
}

}  // namespace handlers
}  // namespace launcher
