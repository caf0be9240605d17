#pragma once
// What an asset manager reports to its listeners: a code, the asset concerned, a message and
// the progress of the update.

#include "base/EventCustom.h"

#include <string>

namespace cocos2d {
namespace extension {

class AssetsManagerEx;

class EventAssetsManagerEx : public EventCustom {
public:
    /// Every update ends with exactly one of ERROR_NO_LOCAL_MANIFEST, ERROR_DOWNLOAD_MANIFEST,
    /// ERROR_PARSE_MANIFEST, ALREADY_UP_TO_DATE, UPDATE_FINISHED and UPDATE_FAILED; a file that
    /// failed (ERROR_UPDATING, ERROR_DECOMPRESS) is always followed by UPDATE_FAILED.
    enum EventCode {
        ERROR_NO_LOCAL_MANIFEST = 0,
        ERROR_DOWNLOAD_MANIFEST = 1,
        ERROR_PARSE_MANIFEST = 2,
        NEW_VERSION_FOUND = 3,
        ALREADY_UP_TO_DATE = 4,
        UPDATE_PROGRESSION = 5,
        ASSET_UPDATED = 6,
        ERROR_UPDATING = 7,
        UPDATE_FINISHED = 8,
        UPDATE_FAILED = 9,
        ERROR_DECOMPRESS = 10,
    };

    EventAssetsManagerEx(const std::string& eventName, AssetsManagerEx* manager, EventCode code,
                         const std::string& assetId = "", const std::string& message = "",
                         float percent = 0, float percentByFile = 0);

    /// True for the codes that end an update.
    static bool isFinal(EventCode code);

    EventCode getEventCode() const { return _code; }
    AssetsManagerEx* getAssetsManagerEx() const { return _manager; }
    /// The asset's path in the manifest, the manifest's version for NEW_VERSION_FOUND, or one of
    /// "@manifest" and "@updateFileList" for the stages before the files.
    const std::string& getAssetId() const { return _assetId; }
    const std::string& getMessage() const { return _message; }
    /// Per cent of the bytes listed in the manifest that are in place.
    float getPercent() const { return _percent; }
    /// Per cent of the files to update that are in place.
    float getPercentByFile() const { return _percentByFile; }

private:
    AssetsManagerEx* _manager;
    EventCode _code;
    std::string _assetId;
    std::string _message;
    float _percent;
    float _percentByFile;
};

} // namespace extension
} // namespace cocos2d
