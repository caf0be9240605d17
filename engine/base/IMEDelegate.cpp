#include "base/IMEDelegate.h"

#include "base/IMEDispatcher.h"

namespace cocos2d {

IMEDelegate::IMEDelegate() { IMEDispatcher::sharedDispatcher()->addDelegate(this); }

IMEDelegate::~IMEDelegate() { IMEDispatcher::sharedDispatcher()->removeDelegate(this); }

bool IMEDelegate::attachWithIME() { return IMEDispatcher::sharedDispatcher()->attachDelegateWithIME(this); }

bool IMEDelegate::detachWithIME() { return IMEDispatcher::sharedDispatcher()->detachDelegateWithIME(this); }

bool IMEDelegate::isAttachedWithIME() const { return IMEDispatcher::sharedDispatcher()->getAttachedDelegate() == this; }

const std::string& IMEDelegate::getContentText()
{
    static const std::string empty;
    return empty;
}

} // namespace cocos2d
