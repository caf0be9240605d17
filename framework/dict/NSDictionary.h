#pragma once
// A table from text keys to reference-counted engine objects, built from property lists.

#include "base/Clonable.h"
#include "base/Ref.h"

#include <string>

namespace NSUI {

/// Text-keyed table of retained objects. Built from a property list, it holds nested
/// NSDictionary objects for maps, cocos2d::__Array for arrays and cocos2d::__String for
/// every other value (numbers and booleans as their text). Used by one thread at a time.
class NSDictionary : public cocos2d::Ref, public cocos2d::Clonable {
public:
    /// An empty dictionary, autoreleased.
    static NSDictionary* create();
    /// The property-list file (found through the engine's search paths) as a dictionary;
    /// the caller owns the one reference and releases it. A file that cannot be read or
    /// is no property list gives an empty dictionary.
    static NSDictionary* createWithContentsOfFile(const char* path);
    /// The property list held in the text, autoreleased.
    static NSDictionary* createWithContentsOfData(const std::string& text);

    ~NSDictionary() override;

    /// The object under the key, or null.
    cocos2d::Ref* objectForKey(const std::string& key) const;
    /// Inserts or replaces (retaining the object); a null object is ignored.
    void setObject(cocos2d::Ref* object, const std::string& key);
    /// Releases every object.
    void removeAllObjects();
    unsigned int count() const;

    /// A new autoreleased copy holding clones of the clonable objects; others are left out.
    NSDictionary* clone() const override;

private:
    struct Element;

    NSDictionary() = default;
    void addElement(cocos2d::Ref* object, const std::string& key);
    Element* find(const std::string& key) const;

    Element* _elements = nullptr;
    /// 0 until the first insertion, then 1 (text keys).
    int _keyKind = 0;
};

} // namespace NSUI
