#pragma once
// The tail of every action's create(): autorelease the object when its init succeeded,
// otherwise free it and give null.

#include <cstdarg>
#include <new>

#include "2d/actions/FiniteTimeAction.h"
#include "base/Vector.h"

namespace cocos2d {

template <class T>
T* finishCreate(T* object, bool initialised)
{
    if (object && initialised) {
        object->autorelease();
        return object;
    }
    if (object)
        object->release(); // the one reference new gave it
    return nullptr;
}

/// The actions of a null-terminated argument list that starts with first.
inline Vector<FiniteTimeAction*> collectActions(FiniteTimeAction* first, va_list rest)
{
    Vector<FiniteTimeAction*> actions;
    for (FiniteTimeAction* a = first; a; a = va_arg(rest, FiniteTimeAction*))
        actions.pushBack(a);
    return actions;
}

} // namespace cocos2d
