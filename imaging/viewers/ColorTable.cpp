#include "imaging/viewers/ColorTable.h"

#include <cstring>

#include "base/__Array.h"
#include "base/__String.h"
#include "dict/NSDictionary.h"
#include "platform/FileUtils.h"

namespace isImageSDK {

namespace {

const cocos2d::__Array* component(const NSUI::NSDictionary& table, const char* key) {
    auto* array = dynamic_cast<cocos2d::__Array*>(table.objectForKey(key));
    return array && array->count() == ColorTable::kEntries ? array : nullptr;
}

// One byte of every entry; an element that is not a text ends the filling, leaving zeros.
void fill(const cocos2d::__Array& values, unsigned char* rgb, int offset) {
    for (int i = 0; i < ColorTable::kEntries; ++i) {
        auto* text = dynamic_cast<cocos2d::__String*>(values.getObjectAtIndex(i));
        if (!text)
            return;
        rgb[3 * i + offset] = static_cast<unsigned char>(text->intValue());
    }
}

} // namespace

void ColorTable::grey(unsigned char rgb[kBytes]) {
    for (int i = 0; i < kEntries; ++i)
        std::memset(rgb + 3 * i, i, 3);
}

void ColorTable::inverseGrey(unsigned char rgb[kBytes]) {
    for (int i = 0; i < kEntries; ++i)
        std::memset(rgb + 3 * i, 255 - i, 3);
}

bool ColorTable::loadFile(const std::string& name, unsigned char rgb[kBytes]) {
    const std::string path = cocos2d::FileUtils::getInstance()->fullPathForFilename(name);
    if (path.empty())
        return false;
    NSUI::NSDictionary* table = NSUI::NSDictionary::createWithContentsOfFile(path.c_str());
    if (!table)
        return false;
    const bool swapped = name == "Perfusion.plist";
    const cocos2d::__Array* red = component(*table, swapped ? "Blue" : "Red");
    const cocos2d::__Array* green = component(*table, "Green");
    const cocos2d::__Array* blue = component(*table, swapped ? "Red" : "Blue");
    const bool complete = red && green && blue;
    if (complete) {
        unsigned char loaded[kBytes] = {0};
        fill(*red, loaded, 0);
        fill(*green, loaded, 1);
        fill(*blue, loaded, 2);
        std::memcpy(rgb, loaded, kBytes);
    }
    table->release();
    return complete;
}

} // namespace isImageSDK
