#include "2d/actions/DelayTime.h"

#include "2d/actions/ActionCreate.h"

namespace cocos2d {

DelayTime* DelayTime::create(float d)
{
    auto* ret = new (std::nothrow) DelayTime();
    return finishCreate(ret, ret && ret->initWithDuration(d));
}

} // namespace cocos2d
