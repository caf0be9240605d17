#include "base/IMEDispatcher.h"

#include <algorithm>

#include "base/IMEDelegate.h"

namespace cocos2d {

IMEDispatcher* IMEDispatcher::sharedDispatcher()
{
    static IMEDispatcher instance;
    return &instance;
}

void IMEDispatcher::dispatchInsertText(const char* text, size_t len)
{
    if (_attached && text && len > 0)
        _attached->insertText(text, len);
}

void IMEDispatcher::dispatchDeleteBackward()
{
    if (_attached)
        _attached->deleteBackward();
}

void IMEDispatcher::dispatchDeleteForward()
{
    if (_attached)
        _attached->deleteForward();
}

const std::string& IMEDispatcher::getContentText()
{
    static const std::string empty;
    return _attached ? _attached->getContentText() : empty;
}

void IMEDispatcher::addDelegate(IMEDelegate* delegate)
{
    if (delegate && std::find(_delegates.begin(), _delegates.end(), delegate) == _delegates.end())
        _delegates.push_back(delegate);
}

void IMEDispatcher::removeDelegate(IMEDelegate* delegate)
{
    if (!delegate)
        return;
    // A delegate going away must never stay attached: later text would reach freed memory.
    if (_attached == delegate)
        _attached = nullptr;
    _delegates.erase(std::remove(_delegates.begin(), _delegates.end(), delegate), _delegates.end());
}

bool IMEDispatcher::attachDelegateWithIME(IMEDelegate* delegate)
{
    if (!delegate || std::find(_delegates.begin(), _delegates.end(), delegate) == _delegates.end())
        return false;
    if (_attached == delegate)
        return true;
    if (_attached) {
        if (!_attached->canDetachWithIME() || !delegate->canAttachWithIME())
            return false;
        IMEDelegate* old = _attached;
        _attached = nullptr;
        old->didDetachWithIME();
    } else if (!delegate->canAttachWithIME()) {
        return false;
    }
    _attached = delegate;
    delegate->didAttachWithIME();
    return true;
}

bool IMEDispatcher::detachDelegateWithIME(IMEDelegate* delegate)
{
    if (!delegate || _attached != delegate || !delegate->canDetachWithIME())
        return false;
    _attached = nullptr;
    delegate->didDetachWithIME();
    return true;
}

} // namespace cocos2d
