#include "extension/EventAssetsManagerEx.h"

namespace cocos2d {
namespace extension {

EventAssetsManagerEx::EventAssetsManagerEx(const std::string& eventName, AssetsManagerEx* manager,
                                           EventCode code, const std::string& assetId,
                                           const std::string& message, float percent, float percentByFile)
    : EventCustom(eventName), _manager(manager), _code(code), _assetId(assetId), _message(message),
      _percent(percent), _percentByFile(percentByFile) {}

bool EventAssetsManagerEx::isFinal(EventCode code) {
    switch (code) {
    case ERROR_NO_LOCAL_MANIFEST:
    case ERROR_DOWNLOAD_MANIFEST:
    case ERROR_PARSE_MANIFEST:
    case ALREADY_UP_TO_DATE:
    case UPDATE_FINISHED:
    case UPDATE_FAILED:
        return true;
    default:
        return false;
    }
}

} // namespace extension
} // namespace cocos2d
