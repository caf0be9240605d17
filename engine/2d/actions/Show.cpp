#include "2d/actions/Show.h"

#include "2d/Node.h"
#include "2d/actions/ActionCreate.h"

namespace cocos2d {

Show* Show::create()
{
    auto* ret = new (std::nothrow) Show();
    return finishCreate(ret, ret != nullptr);
}

void Show::update(float time)
{
    (void)time;
    if (_target)
        _target->setVisible(true);
}

Hide* Hide::create()
{
    auto* ret = new (std::nothrow) Hide();
    return finishCreate(ret, ret != nullptr);
}

void Hide::update(float time)
{
    (void)time;
    if (_target)
        _target->setVisible(false);
}

} // namespace cocos2d
