// The window's own properties: their list with kinds, reads, run-time
// changes, and the type's interface function.
#include <algorithm>

#include "components/common/component_types_win32.h"
#include "components/common/type_interface_win32.h"
#include "components/window/window_component_win32.h"
#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

const rt::PropertyDescriptor kProperties[kWindowPropertyCount] = {
    {"标题", "caption", rt::kPropertyText},
    {"边框", "border", rt::kPropertyPick},
    {"底色", "BackColor", rt::kPropertyColour},
    {"底图", "BackPicture", rt::kPropertyPicture},
    {"底图方式", "PictureMode", rt::kPropertyPick},
    {"背景音乐", "BackMusic", rt::kPropertySound},
    {"播放次数", "MusicPlayMode", rt::kPropertyPick},
    {"控制按钮", "ControlBox", rt::kPropertyBool},
    {"最大化按钮", "MaxButton", rt::kPropertyBool},
    {"最小化按钮", "MinButton", rt::kPropertyBool},
    {"位置", "StartPosition", rt::kPropertyPick},
    {"可否移动", "Movable", rt::kPropertyBool},
    {"图标", "icon", rt::kPropertyIcon},
    {"回车下移焦点", "EnterMovesFocus", rt::kPropertyBool},
    {"Esc键关闭", "EscCloses", rt::kPropertyBool},
    {"F1键打开帮助", "F1Help", rt::kPropertyBool},
    {"帮助文件名", "HelpFile", rt::kPropertyFileName},
    {"帮助标志值", "HelpContext", rt::kPropertyInteger},
    {"在任务条中显示", "ShowInTaskbar", rt::kPropertyBool},
    {"随意移动", "DragAnywhere", rt::kPropertyBool},
    {"外形", "shape", rt::kPropertyPick},
    {"总在最前", "TopMost", rt::kPropertyBool},
    {"保持标题条激活", "KeepTitleActive", rt::kPropertyBool},
    {"窗口类名", "ClassName", rt::kPropertyText},
};

int32_t Clamp(int32_t value, int32_t high) { return std::clamp(value, 0, high); }

Bytes ToBytes(const std::string& bytes) { return Bytes(bytes.begin(), bytes.end()); }
std::string FromBytes(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

bool WindowComponent::GetProperty(int ownIndex, rt::PropertyValue* value) const {
    const WindowData& d = data_;
    switch (ownIndex) {
    case kWindowCaption: value->bytes = d.caption; break;
    case kWindowBorder: value->integer = d.border; break;
    case kWindowBackColor: value->integer = static_cast<int32_t>(d.BackColor); break;
    case kWindowBackPicture: value->bytes = FromBytes(d.BackPicture); break;
    case kWindowPictureMode: value->integer = d.PictureMode; break;
    case kWindowBackMusic: value->bytes = FromBytes(d.BackMusic); break;
    case kWindowMusicPlayMode: value->integer = d.MusicPlayMode; break;
    case kWindowControlBox: value->integer = d.ControlBox; break;
    case kWindowMaxButton: value->integer = d.MaxButton; break;
    case kWindowMinButton: value->integer = d.MinButton; break;
    case kWindowStartPosition: value->integer = d.StartPosition; break;
    case kWindowMovable: value->integer = d.Movable; break;
    case kWindowIcon: value->bytes = FromBytes(d.icon); break;
    case kWindowEnterMovesFocus: value->integer = d.EnterMovesFocus; break;
    case kWindowEscCloses: value->integer = d.EscCloses; break;
    case kWindowF1Help: value->integer = d.F1Help; break;
    case kWindowHelpFile: value->bytes = d.HelpFile; break;
    case kWindowHelpContext: value->integer = d.HelpContext; break;
    case kWindowShowInTaskbar: value->integer = d.ShowInTaskbar; break;
    case kWindowDragAnywhere: value->integer = d.DragAnywhere; break;
    case kWindowShape: value->integer = d.shape; break;
    case kWindowTopMost: value->integer = d.TopMost; break;
    case kWindowKeepTitleActive: value->integer = d.KeepTitleActive; break;
    case kWindowClassName: value->bytes = d.ClassName; break;
    default: return false;
    }
    return true;
}

int WindowComponent::SetProperty(int ownIndex, const rt::PropertyValue& value) {
    WindowData& d = data_;
    bool on = value.integer != 0;
    switch (ownIndex) {
    case kWindowCaption:
        d.caption = value.bytes;
        SetWindowTextW(window_, rt::WideFromGbk(d.caption).c_str());
        ApplyFrameStyles();
        break;
    case kWindowBorder:
        d.border = Clamp(value.integer, 6);
        ApplyFrameStyles();
        break;
    case kWindowBackColor:
        d.BackColor = static_cast<uint32_t>(value.integer);
        DropPicture();  // translucent pixels were blended with the old colour
        InvalidateBackground();
        break;
    case kWindowBackPicture:
        DropPicture();
        d.BackPicture = ToBytes(value.bytes);
        InvalidateBackground();
        break;
    case kWindowPictureMode:
        d.PictureMode = Clamp(value.integer, 3);
        InvalidateBackground();
        break;
    case kWindowBackMusic:
        music_.Stop();
        d.BackMusic = ToBytes(value.bytes);
        music_.Play(window_, d.BackMusic, d.MusicPlayMode);
        break;
    case kWindowMusicPlayMode:
        music_.Stop();
        d.MusicPlayMode = Clamp(value.integer, 2);
        music_.Play(window_, d.BackMusic, d.MusicPlayMode);
        break;
    case kWindowControlBox: d.ControlBox = on; ApplyFrameStyles(); break;
    case kWindowMaxButton: d.MaxButton = on; ApplyFrameStyles(); break;
    case kWindowMinButton: d.MinButton = on; ApplyFrameStyles(); break;
    case kWindowStartPosition:
        d.StartPosition = Clamp(value.integer, 3);
        ApplyStartPosition();
        break;
    case kWindowMovable: d.Movable = on; ApplySystemMenu(); break;
    case kWindowIcon: d.icon = ToBytes(value.bytes); ApplyIcons(); break;
    case kWindowEnterMovesFocus: d.EnterMovesFocus = on; break;
    case kWindowEscCloses: d.EscCloses = on; break;
    case kWindowF1Help: d.F1Help = on; break;
    case kWindowHelpFile: d.HelpFile = value.bytes; break;
    case kWindowHelpContext: d.HelpContext = value.integer; break;
    case kWindowShowInTaskbar: d.ShowInTaskbar = on; ApplyTaskbarPresence(); break;
    case kWindowDragAnywhere: d.DragAnywhere = on; break;
    case kWindowShape: d.shape = Clamp(value.integer, kLastShape); ApplyShape(); break;
    case kWindowTopMost: d.TopMost = on; ApplyTopMost(true); break;
    case kWindowKeepTitleActive:
        d.KeepTitleActive = on;
        SendMessageW(window_, WM_NCACTIVATE, GetActiveWindow() == window_, 0);
        break;
    case kWindowClassName: d.ClassName = value.bytes; break;  // used by the next load
    default: break;
    }
    return 0;
}

rt::PropertyList WindowComponent::Properties() { return {kProperties, kWindowPropertyCount}; }

void* WindowTypeInterface(int request) { return TypeInterfaceFor<WindowComponent>(request); }

}  // namespace components
