// Plays the frames of an animated GIF picture on a thread of its own, for as
// long as it is not told to stop.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

#include "components/pictures/gif_animation.h"
#include "components/pictures/prepared_picture_win32.h"

namespace components {

// Whoever shows the frames. Both calls come from the animation thread.
class FramePresenter {
public:
    virtual COLORREF FrameBackground() const = 0;  // what transparent pixels become
    virtual void PresentFrame(PreparedPicture frame) = 0;

protected:
    ~FramePresenter() = default;
};

// The first frame as the animation shows it, with transparent pixels in
// `background`: what a box shows of its animation before and while it plays.
bool PrepareFirstFrame(HDC dc, const pictures::GifAnimation& animation, COLORREF background, PreparedPicture& frame);

class PictureAnimation {
public:
    PictureAnimation() = default;
    PictureAnimation(const PictureAnimation&) = delete;
    PictureAnimation& operator=(const PictureAnimation&) = delete;
    ~PictureAnimation() { Stop(); }

    // Frames are made for the window's device and shown each for its delay,
    // from the first to the last and again. The animation and the presenter
    // must stay until Stop. False when already running or no thread starts.
    bool Start(HWND window, const pictures::GifAnimation& animation, FramePresenter& presenter);
    // Tells the thread to stop and waits until it has ended. The thread
    // looks every 10 ms, so this takes at most about one frame's drawing and
    // 10 ms. Never call it while holding what PresentFrame waits for.
    void Stop();
    bool Running() const { return thread_.joinable(); }

private:
    void Run(HWND window, const pictures::GifAnimation& animation, FramePresenter& presenter);
    // False when told to stop during the wait.
    bool Wait(DWORD start, DWORD milliseconds) const;

    std::thread thread_;
    std::atomic<bool> stop_{false};
};

}  // namespace components
