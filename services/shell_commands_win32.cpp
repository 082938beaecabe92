// Shortcut, special-folder and run-file commands. Texts are GBK and cross into
// the shell as UTF-16 through code page 936, so Chinese paths work whatever
// the system's own code page is.
#include "services/shell_commands.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "runtime/startup_trace.h"
#include "runtime/text_conversion_win32.h"
#include "services/command_arguments.h"

namespace services {
namespace {

using arguments::Given;
using arguments::IntegerOr;
using arguments::TextOf;

std::wstring WideArgument(int argumentCount, rt::ValueRecord* values, int index) {
    return rt::WideFromGbk(TextOf(Given(argumentCount, values, index)));
}

bool SaveShortcut(int argumentCount, rt::ValueRecord* values) {
    std::string name(TextOf(Given(argumentCount, values, 0)));
    // No name would write a bare ".lnk" into whatever the current folder is.
    if (name.empty()) return false;
    if (name.find('.') == std::string::npos) name += ".lnk";
    trace::Span creating("shell link: create object");
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        return false;
    }
    creating.Close();
    trace::Span path("shell link: set path");
    link->SetPath(WideArgument(argumentCount, values, 1).c_str());
    link->SetShowCmd(SW_SHOW);
    if (Given(argumentCount, values, 2)) link->SetDescription(WideArgument(argumentCount, values, 2).c_str());
    if (argumentCount == 5) {
        if (Given(argumentCount, values, 3)) link->SetArguments(WideArgument(argumentCount, values, 3).c_str());
        if (Given(argumentCount, values, 4))
            link->SetWorkingDirectory(WideArgument(argumentCount, values, 4).c_str());
    }
    path.Close();
    trace::Span saving("shell link: save");
    bool saved = SUCCEEDED(file->Save(rt::WideFromGbk(name).c_str(), TRUE));
    file->Release();
    link->Release();
    return saved;
}

// Folder code -> CSIDL; 0 for the codes answered by the directory functions.
bool FolderPath(int32_t code, std::wstring* path) {
    static const int kFolders[] = {CSIDL_PERSONAL, CSIDL_FAVORITES, CSIDL_DESKTOPDIRECTORY, CSIDL_FONTS,
                                   CSIDL_STARTMENU, CSIDL_PROGRAMS, CSIDL_STARTUP, CSIDL_APPDATA};
    wchar_t buffer[MAX_PATH + 1] = {};
    UINT length = 0;
    if (code >= 1 && code <= 8) {
        if (!SHGetSpecialFolderPathW(nullptr, buffer, kFolders[code - 1], FALSE)) return false;
        length = static_cast<UINT>(wcslen(buffer));
    } else if (code == 9) {
        length = GetWindowsDirectoryW(buffer, MAX_PATH);
    } else if (code == 10) {
        length = GetSystemDirectoryW(buffer, MAX_PATH);
    } else if (code == 11) {
        length = GetTempPathW(MAX_PATH, buffer);
    } else {
        return false;
    }
    if (length == 0 || length > MAX_PATH) return false;
    path->assign(buffer, length);
    return true;
}

const wchar_t* Verb(int32_t operation) {
    static const wchar_t* const kVerbs[] = {L"edit", L"explore", L"find", L"open", L"print"};
    return operation >= 1 && operation <= 5 ? kVerbs[operation - 1] : nullptr;
}

int ShowCommand(int32_t mode) {
    static const int kShowCommands[] = {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNA,
                                        SW_MINIMIZE};
    return mode >= 1 && mode <= 6 ? kShowCommands[mode - 1] : SW_SHOWNORMAL;
}

}  // namespace

void CreateShortcut(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    arguments::SetBool(result, SaveShortcut(argumentCount, arguments));
}

void GetSpecialFolder(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    std::wstring path;
    if (!FolderPath(IntegerOr(Given(argumentCount, arguments, 0), 0), &path)) path.clear();
    // Checked before conversion: a GBK trail byte can equal the backslash.
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    arguments::SetText(result, rt::GbkFromWide(path));
}

void RunFile(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments) {
    const std::wstring file = WideArgument(argumentCount, arguments, 1);
    const bool hasParameters = Given(argumentCount, arguments, 2) != nullptr;
    const std::wstring parameters = WideArgument(argumentCount, arguments, 2);
    const std::wstring directory = WideArgument(argumentCount, arguments, 3);
    const int show = ShowCommand(argumentCount >= 5 ? IntegerOr(Given(argumentCount, arguments, 4), 0) : 0);
    HINSTANCE outcome = ShellExecuteW(nullptr, Verb(IntegerOr(Given(argumentCount, arguments, 0), 0)), file.c_str(),
                                      hasParameters ? parameters.c_str() : nullptr, directory.c_str(), show);
    arguments::SetInteger(result, static_cast<int32_t>(reinterpret_cast<INT_PTR>(outcome)));
}

}  // namespace services
