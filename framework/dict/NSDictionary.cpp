#include "dict/NSDictionary.h"

#include "base/Value.h"
#include "base/__Array.h"
#include "base/__String.h"
#include "base/ccLog.h"
#include "platform/FileUtils.h"

#include <cstdlib>
#include <cstring>
#include <uthash.h>

namespace NSUI {

struct NSDictionary::Element {
    char* key;        // the whole key, NUL-terminated (keys are not cut short)
    size_t keyLength;
    int intKey;       // 0: text keys only
    cocos2d::Ref* object;
    UT_hash_handle hh;
};

namespace {

cocos2d::Ref* objectFromValue(const cocos2d::Value& value);

NSDictionary* dictionaryFromMap(const cocos2d::ValueMap& map)
{
    NSDictionary* dictionary = NSDictionary::create();
    for (const auto& entry : map) {
        cocos2d::Ref* object = objectFromValue(entry.second);
        dictionary->setObject(object, entry.first);
        object->release(); // the table holds the only reference now
    }
    return dictionary;
}

// A new object with one reference owned by the caller.
cocos2d::Ref* objectFromValue(const cocos2d::Value& value)
{
    switch (value.getType()) {
    case cocos2d::Value::Type::MAP: {
        NSDictionary* nested = dictionaryFromMap(value.asValueMap());
        nested->retain();
        return nested;
    }
    case cocos2d::Value::Type::VECTOR: {
        cocos2d::__Array* array = cocos2d::__Array::create();
        array->retain();
        for (const auto& element : value.asValueVector()) {
            cocos2d::Ref* object = objectFromValue(element);
            array->addObject(object);
            object->release();
        }
        return array;
    }
    default: {
        cocos2d::__String* text = cocos2d::__String::create(value.asString());
        text->retain();
        return text;
    }
    }
}

} // namespace

NSDictionary* NSDictionary::create()
{
    auto* dictionary = new NSDictionary();
    dictionary->autorelease();
    return dictionary;
}

NSDictionary* NSDictionary::createWithContentsOfFile(const char* path)
{
    cocos2d::ValueMap map;
    if (path && *path)
        map = cocos2d::FileUtils::getInstance()->getValueMapFromFile(path);
    if (map.empty())
        cocos2d::log("NSDictionary: no property list in %s", path ? path : "(null)");
    NSDictionary* dictionary = dictionaryFromMap(map);
    dictionary->retain();
    return dictionary;
}

NSDictionary* NSDictionary::createWithContentsOfData(const std::string& text)
{
    cocos2d::ValueMap map;
    if (!text.empty())
        map = cocos2d::FileUtils::getInstance()->getValueMapFromData(text.data(),
                                                                      static_cast<int>(text.size()));
    return dictionaryFromMap(map);
}

NSDictionary::~NSDictionary()
{
    removeAllObjects();
}

NSDictionary::Element* NSDictionary::find(const std::string& key) const
{
    Element* found = nullptr;
    if (_elements)
        HASH_FIND(hh, _elements, key.data(), static_cast<unsigned>(key.size()), found);
    return found;
}

cocos2d::Ref* NSDictionary::objectForKey(const std::string& key) const
{
    Element* element = find(key);
    return element ? element->object : nullptr;
}

void NSDictionary::addElement(cocos2d::Ref* object, const std::string& key)
{
    auto* element = static_cast<Element*>(std::calloc(1, sizeof(Element)));
    element->key = static_cast<char*>(std::malloc(key.size() + 1));
    std::memcpy(element->key, key.data(), key.size());
    element->key[key.size()] = '\0';
    element->keyLength = key.size();
    element->object = object;
    object->retain();
    HASH_ADD_KEYPTR(hh, _elements, element->key, static_cast<unsigned>(element->keyLength), element);
}

void NSDictionary::setObject(cocos2d::Ref* object, const std::string& key)
{
    if (!object) {
        cocos2d::log("NSDictionary: null object for key %s ignored", key.c_str());
        return;
    }
    if (_keyKind == 0)
        _keyKind = 1;
    Element* existing = find(key);
    if (!existing) {
        addElement(object, key);
        return;
    }
    if (existing->object == object)
        return;
    // The old object may own the new one: keep it alive until the new one is in.
    cocos2d::Ref* old = existing->object;
    old->retain();
    HASH_DEL(_elements, existing);
    old->release();
    std::free(existing->key);
    std::free(existing);
    addElement(object, key);
    old->release();
}

void NSDictionary::removeAllObjects()
{
    Element* element = nullptr;
    Element* next = nullptr;
    HASH_ITER(hh, _elements, element, next) {
        HASH_DEL(_elements, element);
        element->object->release();
        std::free(element->key);
        std::free(element);
    }
    _elements = nullptr;
}

unsigned int NSDictionary::count() const
{
    return HASH_COUNT(_elements);
}

NSDictionary* NSDictionary::clone() const
{
    NSDictionary* copy = create();
    for (Element* element = _elements; element;
         element = static_cast<Element*>(element->hh.next)) {
        auto* clonable = dynamic_cast<cocos2d::Clonable*>(element->object);
        if (!clonable)
            continue;
        auto* cloned = dynamic_cast<cocos2d::Ref*>(clonable->clone());
        if (cloned)
            copy->setObject(cloned, std::string(element->key, element->keyLength));
    }
    return copy;
}

} // namespace NSUI
