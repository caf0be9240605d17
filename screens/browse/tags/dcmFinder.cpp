#include "tags/dcmFinder.h"

using namespace cocos2d;

dcmFinder* dcmFinder::make()
{
    auto* panel = new dcmFinder();
    if (!panel->init()) {
        delete panel;
        return nullptr;
    }
    panel->autorelease();
    return panel;
}

Node* dcmFinder::create()
{
    dcmFinder* panel = make();
    return panel ? present(panel) : nullptr;
}

Scene* dcmFinder::createScene()
{
    dcmFinder* panel = make();
    return panel ? presentInScene(panel) : nullptr;
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
