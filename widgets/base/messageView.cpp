#include "base/messageView.h"

#include "2d/actions/ActionCreate.h"

namespace NSUI {

using namespace cocos2d;

messageView* messageView::create() {
    auto* view = new (std::nothrow) messageView();
    return finishCreate(view, view && view->init());
}

void messageView::showMessage(const std::string& text, float seconds) {
    Scene* scene = Director::getInstance()->getRunningScene();
    if (!scene) {
        log("messageView: no running scene for \"%s\"", text.c_str());
        return;
    }
    auto* holder = dynamic_cast<messageView*>(scene->getChildByName(kHolderName));
    if (!holder) {
        holder = messageView::create();
        if (!holder)
            return;
        scene->addChild(holder);
        holder->setName(kHolderName);
        holder->setControlOwner(scene);
    }
    holder->showMessageBox(text, seconds);
}

} // namespace NSUI
