#include "imaging/core/object/isObject.h"

namespace isImageSDK {

bool isObject::init()
{
    _tag = -1;
    _name.clear();
    return true;
}

} // namespace isImageSDK
