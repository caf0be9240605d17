#pragma once
// A small button of a viewer's corner overlay that drives the cine of the viewer's image: play
// and pause (showing the picture of the state the image reports), slower or previous frame,
// faster or next frame; shown only while the image has several frames.

#include <string>

#include "imaging/display/overlay/isNodeOverlay.h"
#include "ui/Button.h"

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isNodeOverlaySprite : public cocos2d::ui::Button, public isNodeOverlay {
public:
    static isNodeOverlaySprite* create();

    bool init() override;
    void cleanup() override;
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;
    /// One line height high and one and a half wide, whatever the picture's size.
    const cocos2d::Size& getContentSize() const override { return reportedSize; }

    /// Loads the pictures and binds the button to kPlay (play/pause; kPlayPause means the same),
    /// kSlower or kFaster; observes the cine state and the several-frames reports of the owner.
    void bind(const std::string& normal, const std::string& pressed, unsigned int id,
              const std::string& disabled = std::string());
    /// Scales the picture to 0.8 of the line height.
    void setLineHeight(float height);
    void onCineState(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    bool isBound() const { return bound; }
    int getLineHeight() const { return lineHeight; }
    int getImageHeight() const { return imageHeight; }

    /// Ids a button is bound to: the cine state it shows (its touch posts the play/pause
    /// command kPlayPause), and the slower and faster commands it posts.
    static constexpr unsigned int kPlayPause = 9046;
    static constexpr unsigned int kPlay = 9047;
    static constexpr unsigned int kSlower = 9048;
    static constexpr unsigned int kFaster = 9049;
    static constexpr const char* kPlayPicture = "imageSDK/play.png";
    static constexpr const char* kPausePicture = "imageSDK/pause.png";

protected:
    /// An item freed without its clean-up still leaves no observer behind.
    ~isNodeOverlaySprite() override;
    isNodeOverlaySprite() : isNodeOverlay(kButton) {}

    bool bound = false;
    int lineHeight = 10;
    int imageHeight = 10;
    cocos2d::Size reportedSize;
};

} // namespace isImageSDK
