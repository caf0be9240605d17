#include "picture/NSSpriteView.h"

#include "2d/actions/ActionCreate.h"

#include <cmath>

#include "base/EventListenerTouchAllAtOnce.h"
#include "picture/NSInteractorImage.h"
#include "platform/FileUtils.h"
#include "ui/ImageView.h"

namespace NSUI {

using namespace cocos2d;

NSSpriteView* NSSpriteView::create() {
    auto* view = new (std::nothrow) NSSpriteView();
    return finishCreate(view, view && view->init());
}

NSSpriteView::~NSSpriteView() {
    releaseInteraction();
}

bool NSSpriteView::init() {
    if (!NSLayout::init())
        return false;
    image = ui::ImageView::create();
    addChild(image);
    imagePath.clear();
    setClippingEnabled(true);

    touchListener = EventListenerTouchAllAtOnce::create();
    touchListener->retain();
    touchListener->onTouchesBegan = [this](const std::vector<Touch*>& t, Event* e) { onTouchesBegan(t, e); };
    touchListener->onTouchesMoved = [this](const std::vector<Touch*>& t, Event* e) { onTouchesMoved(t, e); };
    touchListener->onTouchesEnded = [this](const std::vector<Touch*>& t, Event* e) { onTouchesEnded(t, e); };
    touchListener->onTouchesCancelled = [this](const std::vector<Touch*>& t, Event* e) {
        onTouchesCancelled(t, e);
    };
    getEventDispatcher()->addEventListenerWithFixedPriority(touchListener, 100);

    interactor = NSInteractorImage::create();
    interactor->retain();
    interactor->setTarget(this);
    return true;
}

void NSSpriteView::releaseInteraction() {
    if (touchListener) {
        getEventDispatcher()->removeEventListener(touchListener);
        touchListener->release();
        touchListener = nullptr;
    }
    if (interactor) {
        interactor->releaseTarget();
        interactor->release();
        interactor = nullptr;
    }
}

void NSSpriteView::cleanup() {
    NSLayout::cleanup();
    releaseInteraction();
}

void NSSpriteView::setImage(const std::string& path) {
    imagePath = path;
    const Size& size = getContentSize();
    image->setPosition(Vec2(size.width / 2, size.height / 2));
    if (!path.empty() && FileUtils::getInstance()->isFileExist(path)) {
        loadImageToView(image, path, size);
        return;
    }
    imagePath = kNoPicture;
    image->setScale(1.0f);
    queueImageLoad(image, kNoPicture);
}

bool NSSpriteView::onMouseScroll(float, float, float scrollY) {
    float scale = image->getScale();
    if (scrollY < 0.0f)
        scale *= 1.1f;
    else if (scrollY > 0.0f)
        scale *= 0.9f;
    image->setScale(scale);
    return true;
}

void NSSpriteView::zoomByDrag(const Vec2& delta) {
    if (std::fabs(delta.y) <= std::fabs(delta.x))
        return;
    float factor = delta.y > 0.0f ? 1.05f : 0.95f;
    image->setScale(NSInteractorImage::zoomStep(image->getScale(), factor));
}

bool NSSpriteView::onMouseMove(float x, float y) {
    if (rightButtonDown) {
        zoomByDrag(Vec2(x, y) - previousMousePoint);
        return true;
    }
    if (leftButtonDown) {
        // The left button also arrives as touch 0, whose drag already moves the picture
        // through the interactor; moving it here too would move it twice.
        return true;
    }
    return false;
}

void NSSpriteView::onTouchesBegan(const std::vector<Touch*>& touches, Event*) {
    if (interactor)
        interactor->touchesBegan(touches);
}

void NSSpriteView::onTouchesMoved(const std::vector<Touch*>& touches, Event*) {
    if (interactor)
        interactor->touchesMoved(touches);
}

void NSSpriteView::onTouchesEnded(const std::vector<Touch*>& touches, Event*) {
    if (interactor)
        interactor->touchesEnded(touches);
}

void NSSpriteView::onTouchesCancelled(const std::vector<Touch*>& touches, Event*) {
    if (interactor)
        interactor->touchesCancelled(touches);
}

} // namespace NSUI
