// The window component: the top-level window of every form, with its frame,
// background, shape, keyboard conventions, close sequence and events.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "components/common/component_window_win32.h"
#include "components/common/scoped_gdi_win32.h"
#include "components/pictures/picture_drawing_win32.h"
#include "components/sounds/background_music_win32.h"
#include "components/window/shape/window_shape.h"
#include "components/window/window_data.h"
#include "runtime/component_object_win32.h"

namespace components {

// Own property indexes.
enum WindowProperty : int {
    kWindowCaption, kWindowBorder, kWindowBackColor, kWindowBackPicture, kWindowPictureMode, kWindowBackMusic,
    kWindowMusicPlayMode, kWindowControlBox, kWindowMaxButton, kWindowMinButton, kWindowStartPosition,
    kWindowMovable, kWindowIcon, kWindowEnterMovesFocus, kWindowEscCloses, kWindowF1Help, kWindowHelpFile,
    kWindowHelpContext, kWindowShowInTaskbar, kWindowDragAnywhere, kWindowShape, kWindowTopMost,
    kWindowKeepTitleActive, kWindowClassName, kWindowPropertyCount
};

constexpr UINT kTrayNoticeMessage = 0x8064;

class WindowComponent : public ComponentWindow<WindowComponent>, public rt::ComponentObject {
public:
    static WindowComponent* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();
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
    friend class ComponentWindow<WindowComponent>;
    WindowComponent() = default;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

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
    LRESULT OnPaint();
    void DropPicture();
    void InvalidateBackground();

    // Events and messages.
    bool Raise(int32_t event, std::initializer_list<uint32_t> arguments = {}, int64_t* result = nullptr);
    void OnClose();
    LRESULT OnQueryEndSession();
    void OnActivate(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
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
    HWND createdOwner_ = nullptr;
    bool modal_ = false;

    PreparedPicture backgroundPicture_;
    enum class PictureState { NotDecoded, Ready, Failed } pictureState_ = PictureState::NotDecoded;

    ScopedIcon bigIcon_;
    ScopedIcon smallIcon_;
    ScopedGdiObject<HRGN> shapeRegion_;
    HWND savedFocus_ = nullptr;
    HFONT font_ = nullptr;  // not owned: the default component font
    bool activatedOnce_ = false;
    bool paintedOnce_ = false;
    bool helpOpened_ = false;
    bool pendingDestroy_ = false;
    BackgroundMusic music_;
};

// The Destroy command on a window object (nothing for other objects).
void RequestWindowDestroy(rt::ComponentObject* object, bool immediately);

// The work area of the monitor holding the window (the desktop's when the
// monitor cannot be asked): where a maximized window goes.
RECT MonitorWorkArea(HWND window);

}  // namespace components
