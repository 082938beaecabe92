// The picture box: a container window that shows its picture over its
// background colour, natural size, stretched or centred, and plays animated
// GIF pictures on a thread of its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "components/common/standard_control_win32.h"
#include "components/picture_box/picture_animation_win32.h"
#include "components/picture_box/picture_box_data.h"
#include "components/pictures/picture_object.h"
#include "components/pictures/prepared_picture_win32.h"

namespace components {

constexpr wchar_t kPictureBoxClass[] = L"_WK_PicBox";

// Own property indexes.
enum PictureBoxProperty : int {
    kPictureBoxBorder, kPictureBoxBackColor, kPictureBoxPicture, kPictureBoxPictureMode, kPictureBoxPlayAnimation,
    kPictureBoxDataSource, kPictureBoxDataColumn, kPictureBoxPropertyCount
};

class PictureBox : public StandardControl, private FramePresenter {
public:
    static rt::ComponentObject* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();
    ~PictureBox() override;

    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const;

    // Whether an animation thread exists (it has not been stopped and joined).
    bool AnimationRunning() const { return animation_.Running(); }

private:
    PictureBox(const rt::CreateParameters& parameters, PictureBoxData data);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint();
    // Background and picture of the whole client area, drawn off screen and
    // put on `dc` at once. Callers hold busy_.
    void Compose(HDC dc, const PreparedPicture* picture);
    const PreparedPicture* StillPicture();
    void DecodePicture();
    bool ShouldAnimate() const;
    void StartAnimationIfDue();
    void StopAnimation();
    void Repaint();
    COLORREF BackColour() const;

    COLORREF FrameBackground() const override { return backColour_; }
    void PresentFrame(PreparedPicture frame) override;

    PictureBoxData data_;
    pictures::PictureObject picture_;
    PreparedPicture still_;
    bool stillFailed_ = false;

    // Shared with the animation thread. Whoever draws holds busy_: painting,
    // a new frame, and changes to what they draw.
    std::mutex busy_;
    PreparedPicture frame_;
    SolidBrush background_;
    std::atomic<COLORREF> backColour_{0};
    std::atomic<int> pictureMode_{0};
    PictureAnimation animation_;
};

}  // namespace components
