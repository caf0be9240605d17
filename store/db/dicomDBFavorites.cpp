// The study store's favourites: captures and DICOM images the user kept, and their group rows.

#include "db/StoreTransaction.h"
#include "db/dicomDB.h"

#include "dcmReadTag.h"
#include "audio/SimpleAudioEngine.h"
#include "notify/NSNotificationCenter.h"
#include "util/StringUtils.h"
#include "util/TimeUtils.h"

#include <ctime>

using NSUI::NSDBValue;

namespace {

const int64_t kGroupInterval = 30000000;
const char* kFavoriteSound = "res/waterfall.wav";

} // namespace

bool dicomDB::addFavorite()
{
    if (!_open)
        return false;
    int64_t now = static_cast<int64_t>(time(nullptr));
    if (now - _lastGroupTime < kGroupInterval)
        return true;
    _lastGroupTime = now;
    std::lock_guard<std::recursive_mutex> lock(_lock);
    StoreTransaction transaction(_db);
    int id = getMaxId("ID", "favorite") + 1;
    if (!transaction.began() ||
        !_db.executeSQL("insert into favorite(ID,type,message,icon,image,valid,updateTime,scale) values "
                        "(?,3,'','','',1,?,1.0)",
                        {NSDBValue(id), NSDBValue(getCurrentTimeString())}) ||
        !transaction.commit()) {
        debugLog("failed to insert record into favorite.");
        return false;
    }
    return true;
}

int dicomDB::addFavoriteRow(int type, const std::string& path, float scale)
{
    if (!_open)
        return -1;
    addFavorite();
    std::string writable = cocos2d::FileUtils::getInstance()->getWritablePath();
    std::string image = path.compare(0, writable.size(), writable) == 0 ? path.substr(writable.size()) : path;
    std::lock_guard<std::recursive_mutex> lock(_lock);
    StoreTransaction transaction(_db);
    int id = getMaxId("ID", "favorite") + 1;
    // The scale is stored with at most two decimals, as the favourites lists have always read it.
    double storedScale = atof(floatToString(scale, 2).c_str());
    if (!transaction.began() ||
        !_db.executeSQL("insert into favorite(ID,type,message,icon,image,valid,updateTime,scale) values "
                        "(?,?,'','',?,1,?,?)",
                        {NSDBValue(id), NSDBValue(type), NSDBValue(image), NSDBValue(getCurrentTimeString()),
                         NSDBValue(storedScale)}) ||
        !transaction.commit()) {
        debugLog("failed to insert record into favorite.");
        return -1;
    }
    return id;
}

int dicomDB::addCaptureFavorite(const std::string& path, float scale)
{
    return addFavoriteRow(1, path, scale);
}

int dicomDB::addDicomFavorite(const std::string& path, float scale)
{
    return addFavoriteRow(2, path, scale);
}

void dicomDB::onCaptureSaved(const std::string& path)
{
    if (path.empty())
        return;
    float scale = 1.0f;
    cocos2d::Image picture;
    if (picture.initWithImageFile(path) && picture.getHeight() > 0)
        scale = static_cast<float>(picture.getWidth()) / static_cast<float>(picture.getHeight());
    int id = addCaptureFavorite(path, scale);
    if (id < 0)
        return;
    auto* data = new NSUI::NSNotificationData();
    data->text = path;
    data->intValue = id;
    data->floatValue = scale;
    NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, 1007, data, nullptr, false);
    data->release();
    ++_favoriteCount;
    CocosDenshion::SimpleAudioEngine::getInstance()->playEffect(kFavoriteSound, false, 1.0f, 0.0f, 1.0f);
}

void dicomDB::onFavoriteDicomSaved(const std::string& path, int mode, float scale)
{
    if (path.empty())
        return;
    if (mode == 100) {
        dcmSDK::dcmReadTag reader;
        scale = reader.setFile(path) ? reader.getImageScale() : 1.0f;
    }
    if (!(scale > 0.0f) || scale != scale)
        scale = 1.0f;
    if (addDicomFavorite(path, scale) < 0)
        return;
    ++_favoriteCount;
    CocosDenshion::SimpleAudioEngine::getInstance()->playEffect(kFavoriteSound, false, 1.0f, 0.0f, 1.0f);
}
