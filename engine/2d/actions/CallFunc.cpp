#include "2d/actions/CallFunc.h"

#include "2d/actions/ActionCreate.h"

namespace cocos2d {

CallFunc* CallFunc::create(const std::function<void()>& func)
{
    auto* ret = new (std::nothrow) CallFunc();
    if (ret)
        ret->_function = func;
    return finishCreate(ret, ret != nullptr);
}

void CallFunc::update(float time)
{
    (void)time;
    if (_function)
        _function();
}

CallFuncN* CallFuncN::create(const std::function<void(Node*)>& func)
{
    auto* ret = new (std::nothrow) CallFuncN();
    if (ret)
        ret->_function = func;
    return finishCreate(ret, ret != nullptr);
}

void CallFuncN::update(float time)
{
    (void)time;
    if (_function)
        _function(_target);
}

} // namespace cocos2d
