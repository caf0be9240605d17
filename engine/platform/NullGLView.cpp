#include "platform/NullGLView.h"

namespace cocos2d {

NullGLView* NullGLView::createWithFrameSize(const std::string& viewName, const Size& frameSize)
{
    auto* view = new NullGLView();
    view->setViewName(viewName);
    view->setFrameSize(frameSize.width, frameSize.height);
    view->autorelease();
    return view;
}

} // namespace cocos2d
