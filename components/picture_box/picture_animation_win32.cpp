#include "components/picture_box/picture_animation_win32.h"

#include <system_error>
#include <utility>

#include "components/pictures/gif_canvas.h"

namespace components {
namespace {

bool PrepareCanvas(HDC dc, const pictures::GifCanvas& canvas, COLORREF background, PreparedPicture& frame) {
    return frame.PrepareBgra(dc, canvas.Pixels().data(), static_cast<int>(canvas.Width()),
                             static_cast<int>(canvas.Height()), background);
}

}  // namespace

bool PrepareFirstFrame(HDC dc, const pictures::GifAnimation& animation, COLORREF background, PreparedPicture& frame) {
    pictures::GifCanvas canvas(animation);
    size_t index = 0;
    return canvas.DrawNextFrame(index) == pictures::DecodeStatus::kOk && PrepareCanvas(dc, canvas, background, frame);
}

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
        bool made = PrepareCanvas(dc, canvas, presenter.FrameBackground(), frame);
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
