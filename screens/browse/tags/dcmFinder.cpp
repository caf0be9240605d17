#include "tags/dcmFinder.h"

using namespace cocos2d;

Node* dcmFinder::create()
{
    auto* panel = new dcmFinder();
    if (!panel->init()) {
        delete panel;
        return nullptr;
    }
    panel->autorelease();
    return present(panel);
}

dcmFinder* dcmFinder::fromWindow(Node* window)
{
    return window ? dynamic_cast<dcmFinder*>(window->getChildByNameDeep(kPanelName)) : nullptr;
}

bool dcmFinder::init()
{
    if (!initWithLayout(kLayoutFile, "seriesList"))
        return false;
    setName(kPanelName);
    return true;
}

void dcmFinder::onEnterTransitionDidFinish()
{
    dcmTagPanel::onEnterTransitionDidFinish();
    _firstEnter = false;
}
