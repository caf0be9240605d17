#include "overlay/NSResponseWindow.h"

#include "2d/actions/ActionCreate.h"

#include "base/Director.h"
#include "base/Touch.h"

namespace NSUI {

using namespace cocos2d;

NSResponseWindow* NSResponseWindow::create() {
    auto* window = new (std::nothrow) NSResponseWindow();
    return finishCreate(window, window && window->init());
}

bool NSResponseWindow::init() {
    if (!Layer::init())
        return false;
    setLocalZOrder(10000);
    setTouchMode(Touch::DispatchMode::ONE_BY_ONE);
    setSwallowsTouches(true);
    setTouchEnabled(true);
    setContentSize(Director::getInstance()->getWinSize());
    return true;
}

bool NSResponseWindow::onTouchBegan(Touch* touch, Event*) {
    Vec2 p = convertToNodeSpace(touch->getLocation());
    const Size& size = getContentSize();
    return p.x > 0.0f && p.x < size.width && p.y > 0.0f && p.y < size.height;
}

} // namespace NSUI
