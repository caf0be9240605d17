#pragma once
// The picture view's pan and zoom interactor: one finger drags the picture, two fingers pan
// it by their mean movement and pinch it within the zoom limits.

#include "picture/NSInteractorBase.h"

namespace NSUI {

class NSInteractorImage : public NSInteractorBase {
public:
    static NSInteractorImage* create();

    void panBy(const cocos2d::Vec2& step) override;
    void onDrag(const cocos2d::Vec2& step) override;
    void pinchZoom(float ratio) override;

    static constexpr float kMinScale = 0.1f;
    static constexpr float kMaxScale = 10.0f;
    /// The scale after one zoom step by factor, held at the limits (one step past them still
    /// goes through, so a picture at a limit can always come back).
    static float zoomStep(float scale, float factor);

protected:
    NSInteractorImage() = default;
};

} // namespace NSUI
