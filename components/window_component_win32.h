// The window component: the top-level window of every form, with its frame,
// background, shape, keyboard conventions, close sequence and events.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "components/background_music_win32.h"
#include "components/picture_drawing_win32.h"
#include "components/pictures/picture_object.h"
#include "components/window_data.h"
#include "components/window_shape.h"
#include "runtime/component_object_win32.h"

namespace components {

// Window events (the loader raises 0, 3 and 4 after a load itself).
enum WindowEvent : int32_t {
    kWindowCreated = 0,
    kWindowCloseQuery = 1,
    kWindowDestroyed = 2,
    kWindowMoved = 3,
    kWindowResized = 4,
    kWindowActivated = 5,
    kWindowDeactivated = 6,
    kWindowIdle = 7,
    kWindowFirstActivation = 8,
    kWindowTrayNotice = 9,
    kWindowShown = 10,
    kWindowHidden = 11,
    kWindowClosing = 12,
};

// Own property indexes.
enum WindowProperty : int {
    kWindowCaption, kWindowBorder, kWindowBackColor, kWindowBackPicture, kWindowPictureMode, kWindowBackMusic,
    kWindowMusicPlayMode, kWindowControlBox, kWindowMaxButton, kWindowMinButton, kWindowStartPosition,
    kWindowMovable, kWindowIcon, kWindowEnterMovesFocus, kWindowEscCloses, kWindowF1Help, kWindowHelpFile,
    kWindowHelpContext, kWindowShowInTaskbar, kWindowDragAnywhere, kWindowShape, kWindowTopMost,
    kWindowKeepTitleActive, kWindowClassName, kWindowPropertyCount
};

constexpr UINT kTrayNoticeMessage = 0x8064;

class WindowComponent : public rt::ComponentObject {
public:
    static WindowComponent* Create(const rt::CreateParameters& parameters);
    ~WindowComponent() override;

    HWND Window() const override { return window_; }
    bool PreTranslateMessage(MSG& message) override;
    bool OnIdle(DWORD elapsedMilliseconds) override;
    void ShowAsDesigned() override;

    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const { return data_.Write(); }

    // The Destroy command: marks the window for destruction and destroys it
    // now, or from the message loop once the running handler has returned.
    void RequestDestroy(bool immediately) override;

    const WindowData& Data() const { return data_; }

private:
    WindowComponent() = default;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    void Attach(HWND window);

    // Creation and frame.
    bool CreateWindowFor(const rt::CreateParameters& parameters);
    DWORD FrameStyle() const;
    DWORD FrameExStyle() const;
    void ApplyFrameStyles();
    void ApplyIcons();
    void ApplyShape();
    void ApplySystemMenu();
    void ApplyTopMost(bool reassertOthers);
    void ApplyTaskbarPresence();
    void ApplyStartPosition();
    void MaximizeIntoWorkArea();

    // Painting.
    void PaintBackground(HDC dc);
    bool EnsurePicture();
    void DropPicture();
    void InvalidateBackground();

    // Events and messages.
    bool Raise(int32_t event, std::initializer_list<uint32_t> arguments = {}, int64_t* result = nullptr);
    void OnClose();
    LRESULT OnQueryEndSession();
    void OnActivate(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    void OnNcDestroy();
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    void OnTrayNotice(LPARAM lParam);
    void RunPendingDestroy();
    void ReenableModalDisabled();

    // Keyboard.
    bool OnKeyDown(MSG& message);
    bool OnMnemonic(wchar_t key);
    void MoveFocus(HWND focus, bool backwards);
    void PressDefaultButton();
    void OpenHelp();

    WindowData data_;
    HWND window_ = nullptr;
    WNDPROC classProcedure_ = nullptr;  // set when the class belongs to someone else
    uint32_t formId_ = 0;
    uint32_t unitId_ = 0;
    HWND createdOwner_ = nullptr;
    bool modal_ = false;

    pictures::PictureObject picture_;
    PictureBitmap pictureBitmap_;
    enum class PictureState { NotDecoded, Ready, Failed } pictureState_ = PictureState::NotDecoded;

    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HRGN shapeRegion_ = nullptr;
    HWND savedFocus_ = nullptr;
    HFONT font_ = nullptr;  // not owned: the default component font
    bool activatedOnce_ = false;
    bool helpOpened_ = false;
    bool pendingDestroy_ = false;
    bool adopted_ = false;  // the window exists and owns the object
    BackgroundMusic music_;
};

// The Destroy command on a window object (nothing for other objects).
void RequestWindowDestroy(rt::ComponentObject* object, bool immediately);

// The work area of the monitor holding the window (the desktop's when the
// monitor cannot be asked): where a maximized window goes.
RECT MonitorWorkArea(HWND window);

}  // namespace components
