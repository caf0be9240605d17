#include "panel/ModalWindow.h"

#include "overlay/NSResponseWindow.h"

using namespace cocos2d;

Node* ModalWindow::wrap(Node* panel, Node* layoutRoot)
{
    NSUI::NSResponseWindow* window = NSUI::NSResponseWindow::create();
    if (!window || !panel)
        return nullptr;
    window->addChild(panel);
    const Size& win = Director::getInstance()->getWinSize();
    if (layoutRoot) {
        layoutRoot->setAnchorPoint(Vec2(0.5f, 1.0f));
        layoutRoot->setPosition(Vec2(win.width / 2.0f, win.height));
    }
    window->setAnchorPoint(Vec2::ZERO);
    window->setPosition(Vec2::ZERO);
    // The window is drawn above its opener by being added last to the opener's tree. Lifting
    // every descendant to one global z order (updateChildrenToHighZOrder) is left out: with the
    // engine as it stands, it stops the buttons' pictures inside the panel from being drawn.
    return window;
}

void ModalWindow::close(Node* panel)
{
    Node* parent = panel->getParent();
    if (parent && dynamic_cast<NSUI::NSResponseWindow*>(parent))
        parent->removeFromParent();
    else
        panel->removeFromParent();
}
