#include "hooks/ServiceHooks.h"

#include "cocos2d.h"

std::function<void(const std::string&, float)>& ServiceHooks::showMessage()
{
    static std::function<void(const std::string&, float)> hook;
    return hook;
}

std::function<void()>& ServiceHooks::startPingSweep()
{
    static std::function<void()> hook;
    return hook;
}

void ServiceHooks::callShowMessage(const std::string& text, float seconds)
{
    if (showMessage())
        showMessage()(text, seconds);
    else
        cocos2d::log("%s", text.c_str());
}

void ServiceHooks::callStartPingSweep()
{
    if (startPingSweep())
        startPingSweep()();
}
