#include "panel/ModalWindow.h"

#include "overlay/NSResponseWindow.h"

#include <algorithm>

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
        // A window smaller than the panel shows all of it, a little smaller, rather than cut.
        const Size& size = layoutRoot->getContentSize();
        if (size.width > win.width || size.height > win.height)
            layoutRoot->setScale(std::min(win.width / size.width, win.height / size.height));
    }
    window->setAnchorPoint(Vec2::ZERO);
    window->setPosition(Vec2::ZERO);
    // The window (local z 10000) is drawn and touched above its opener's other children. Lifting
    // every descendant to a global z order (updateChildrenToHighZOrder) is left out: it stamps only
    // the nodes that exist now, and nodes made later (a nine-slice button rebuilds its patches
    // on the first layout pass) would stay at global z 0, under the stamped panel background.
    return window;
}

void ModalWindow::show(Node* opener, Node* made, int zOrder)
{
    if (auto* scene = dynamic_cast<Scene*>(made))
        Director::getInstance()->pushScene(scene);
    else if (opener && made)
        opener->addChild(made, zOrder);
}

void ModalWindow::close(Node* panel)
{
    Node* parent = panel->getParent();
    if (parent && dynamic_cast<NSUI::NSResponseWindow*>(parent))
        parent->removeFromParent();
    else
        panel->removeFromParent();
}
