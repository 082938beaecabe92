#include "components/picture_box/picture_animation_win32.h"

#include <system_error>
#include <utility>

#include "components/pictures/gif_canvas.h"

namespace components {

bool PictureAnimation::Start(HWND window, const pictures::GifAnimation& animation, FramePresenter& presenter) {
    if (Running() || animation.frames.empty()) return false;
    stop_ = false;
    try {
        thread_ = std::thread(&PictureAnimation::Run, this, window, std::cref(animation), std::ref(presenter));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void PictureAnimation::Stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    thread_.join();
}

void PictureAnimation::Run(HWND window, const pictures::GifAnimation& animation, FramePresenter& presenter) {
    pictures::GifCanvas canvas(animation);
    while (!stop_) {
        const DWORD start = GetTickCount();
        size_t index = 0;
        if (canvas.DrawNextFrame(index) != pictures::DecodeStatus::kOk) return;
        HDC dc = GetDC(window);
        if (!dc) return;
        PreparedPicture frame;
        bool made = frame.PrepareBgra(dc, canvas.Pixels().data(), static_cast<int>(canvas.Width()),
                                      static_cast<int>(canvas.Height()), presenter.FrameBackground());
        ReleaseDC(window, dc);
        if (made && !stop_) presenter.PresentFrame(std::move(frame));
        if (!Wait(start, animation.DelayMilliseconds(index))) return;
    }
}

bool PictureAnimation::Wait(DWORD start, DWORD milliseconds) const {
    while (GetTickCount() - start < milliseconds) {
        if (stop_) return false;
        Sleep(10);
    }
    return !stop_;
}

}  // namespace components
