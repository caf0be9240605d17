#pragma once
// Shows one picture file inside a clipped rectangle and lets the user pan and zoom it with the
// mouse (wheel, right drag) and with touches (drag, two-finger pan, pinch).

#include <string>
#include <vector>

#include "layout/NSLayout.h"

namespace cocos2d {
class EventListenerTouchAllAtOnce;
namespace ui {
class ImageView;
}
} // namespace cocos2d

namespace NSUI {

class NSInteractorImage;

class NSSpriteView : public NSLayout {
public:
    static constexpr const char* kNoPicture = "UIRes/noPicture.png";

    static NSSpriteView* create();
    bool init() override;
    void cleanup() override;

    /// Shows the file centred and fitted; a missing file shows the no-picture image.
    void setImage(const std::string& path);
    std::string getImagePath() const { return imagePath; }
    cocos2d::ui::ImageView* getImageView() const { return image; }
    NSInteractorImage* getInteractor() const { return interactor; }

    bool onMouseScroll(float x, float y, float scrollY) override;
    bool onMouseMove(float x, float y) override;
    /// The right-drag zoom: a mostly vertical movement zooms in (up) or out (down).
    void zoomByDrag(const cocos2d::Vec2& delta);

    void onTouchesBegan(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event* event);
    void onTouchesMoved(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event* event);
    void onTouchesEnded(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event* event);
    void onTouchesCancelled(const std::vector<cocos2d::Touch*>& touches, cocos2d::Event* event);

protected:
    NSSpriteView() = default;
    ~NSSpriteView() override;

    void releaseInteraction();

    NSInteractorImage* interactor = nullptr;
    cocos2d::EventListenerTouchAllAtOnce* touchListener = nullptr;
    cocos2d::ui::ImageView* image = nullptr;
    std::string imagePath;
};

} // namespace NSUI
