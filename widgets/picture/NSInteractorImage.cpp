#include "picture/NSInteractorImage.h"

#include "2d/actions/ActionCreate.h"

#include <cmath>

#include "picture/NSSpriteView.h"
#include "ui/ImageView.h"

namespace NSUI {

using namespace cocos2d;

NSInteractorImage* NSInteractorImage::create() {
    auto* interactor = new (std::nothrow) NSInteractorImage();
    return finishCreate(interactor, interactor && interactor->init());
}

float NSInteractorImage::zoomStep(float scale, float factor) {
    if (scale < kMinScale && factor < 1.0f)
        return scale;
    if (scale > kMaxScale && factor > 1.0f)
        return scale;
    return scale * factor;
}

void NSInteractorImage::panBy(const Vec2& step) {
    auto* view = dynamic_cast<NSSpriteView*>(target);
    if (view && view->getImageView())
        view->getImageView()->setPosition(view->getImageView()->getPosition() + step);
}

void NSInteractorImage::onDrag(const Vec2& step) {
    auto* view = dynamic_cast<NSSpriteView*>(target);
    if (!view)
        return;
    if (oneFingerMode == 0)
        panBy(step);
    else
        view->zoomByDrag(step);
}

void NSInteractorImage::pinchZoom(float ratio) {
    auto* view = dynamic_cast<NSSpriteView*>(target);
    if (!view || !view->getImageView())
        return;
    ui::ImageView* image = view->getImageView();
    image->setScale(zoomStep(image->getScale(), ratio));
}

} // namespace NSUI
