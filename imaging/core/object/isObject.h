#pragma once
// The reference-counted root of every imaging class: a tag, a name and two-phase creation.

#include <string>

#include "cocos2d.h"

namespace isImageSDK {

class isObject : public cocos2d::Ref {
public:
    ~isObject() override = default;

    /// Releases what the object holds; nothing here.
    virtual void clear() {}
    /// Tag -1, empty name.
    virtual bool init();

    int getTag() const { return _tag; }
    void setTag(int tag) { _tag = tag; }
    std::string getName() const { return _name; }
    void setName(const std::string& name) { _name = name; }

    isObject() = default;

protected:
    /// new T, init, autorelease; null (and the object deleted) when init fails.
    template <class T>
    static T* createObject()
    {
        T* object = new (std::nothrow) T();
        if (object && object->init()) {
            object->autorelease();
            return object;
        }
        delete object;
        return nullptr;
    }

    int _tag = -1;
    std::string _name;
};

} // namespace isImageSDK
