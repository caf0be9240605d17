#include "stat/statApplication.h"

#include "AppConfig.h"
#include "db/NSDBDataModel.h"
#include "http/NSHttpClient.h"
#include "net/NetUtils.h"
#include "util/StringUtils.h"
#include "util/TimeUtils.h"

#include <cctype>
#include <cstdlib>

namespace {

statApplication* g_instance = nullptr;

const char* const kAddressPath = "/st/gi.php";
const char* const kCreateVersion = "create table version (ID integer primary key autoincrement,version integer);";
const char* const kCreateStat = "create table stat (ID integer primary key autoincrement,type integer,statTime  datetime);";

// Midnight of the current local day, in the text form of the stored times.
std::string startOfToday() {
    return getCurrentTimeString().substr(0, 10) + " 00:00:00";
}

// `,"key":"value"` with the value escaped as the flat JSON writer does.
std::string jsonMember(const std::string& key, const std::string& value) {
    std::string object;
    NSUI::UIJson::setJsonString(object, key, value);
    return "," + object.substr(1, object.size() - 2);
}

} // namespace

statApplication* statApplication::getInstance() {
    if (!g_instance) {
        auto* instance = new statApplication();
        instance->autorelease();
        instance->retain();
        g_instance = instance;
    }
    return g_instance;
}

statApplication* statApplication::peekInstance() {
    return g_instance;
}

void statApplication::destroyInstance() {
    if (!g_instance)
        return;
    statApplication* instance = g_instance;
    g_instance = nullptr;
    instance->stop();
    instance->release();
}

statApplication::statApplication() {
    setHttpOwner(this);
}

statApplication::~statApplication() {
    if (g_instance == this)
        g_instance = nullptr;
}

std::string statApplication::databasePath() {
    std::string root = cocos2d::FileUtils::getInstance()->getWritablePath();
    return root.empty() ? std::string() : root + "qp/stat/statDB";
}

void statApplication::start() {
    if (!_openAttempted) {
        _openAttempted = true;
        openDatabase();
    }
    if (_uploadAddress.empty())
        post(AppConfig::getServerURL() + kAddressPath, "", "getStatUrl");
}

bool statApplication::openDatabase() {
    std::string path = databasePath();
    if (path.empty())
        return false;
    cocos2d::FileUtils::getInstance()->createDirectory(path.substr(0, path.rfind('/') + 1));
    if (!_db.openDB(path.c_str()))
        return false;
    if (_db.isTableExist("version")) {
        NSUI::NSDBDataModel rows;
        if (!_db.getRecord("select version from version", &rows) || rows.getRowCount() == 0)
            return false;
        if (std::atoi(rows.getValue(0, 0).c_str()) < kSchemaVersion &&
            !_db.executeSQL("update version set version=" + intToString(kSchemaVersion)))
            return false;
    } else if (!_db.executeSQL(kCreateVersion) ||
               !_db.executeSQL("insert into version(version) values (" + intToString(kSchemaVersion) + ")")) {
        return false;
    }
    return _db.isTableExist("stat") || _db.executeSQL(kCreateStat);
}

void statApplication::recordStat(unsigned int type) {
    _db.executeSQL(formatString("insert into stat(type,statTime) values (%u,\"%s\")", type,
                                getCurrentTimeString().c_str()));
    if (type == kLaunch || type == kForeground)
        uploadStats();
}

void statApplication::uploadStats() {
    if (_uploadAddress.empty() || _uploading)
        return;
    std::string cutoff = startOfToday();
    NSUI::NSDBDataModel rows;
    if (!_db.getRecord("select type,statTime from stat where statTime<\"" + cutoff + "\"", &rows) ||
        rows.getRowCount() == 0)
        return;
    std::string json;
    setJsonInt(json, "number", rows.getRowCount());
    setJsonString(json, "appid", AppConfig::getInstance()->getAppIdentifier());
    json.pop_back();
    for (int i = 0; i < rows.getRowCount(); ++i) {
        json += jsonMember("type" + intToString(i), rows.getValue(i, 0));
        json += jsonMember("time" + intToString(i), rows.getValue(i, 1));
    }
    json += "}";
    _uploadCutoff = cutoff;
    _uploading = true;
    post(_uploadAddress, cocos2d::safeBase64Encode(json), "upload");
}

void statApplication::stop() {
    _db.closeDB();
    if (NSUI::NSHttpClient::hasInstance())
        NSUI::NSHttpClient::getInstance()->cancelRequestsForOwner(this);
    _uploading = false;
}

void statApplication::onHttpResponse(NSUI::UIHttpResponse* response) {
    if (!response)
        return;
    bool good = response->success && response->status == 200;
    if (response->tag == "getStatUrl") {
        if (good)
            onUploadAddress(cocos2d::safeBase64DecodeReceived(response->body));
    } else if (response->tag == "upload") {
        _uploading = false;
        if (good)
            onUploadAcknowledged(cocos2d::safeBase64DecodeReceived(response->body));
    }
}

void statApplication::onUploadAddress(const std::string& address) {
    std::string trimmed = address;
    trim(trimmed);
    if (trimmed.empty())
        return;
    if (!isWebAddress(trimmed)) {
        cocos2d::log("statApplication: ignoring the upload address \"%s\"", trimmed.c_str());
        return;
    }
    _uploadAddress = trimmed;
    uploadStats();
}

void statApplication::onUploadAcknowledged(const std::string& reply) {
    // Only an explicit success deletes: an answer that says nothing keeps the rows for the next upload.
    std::string status = getJsonString(reply, "Status", "");
    trim(status);
    if (status != "0" || _uploadCutoff.empty())
        return;
    if (!_db.beginTransaction())
        return;
    if (_db.executeSQL("delete from stat where statTime<\"" + _uploadCutoff + "\""))
        _db.commitTransaction();
    else
        _db.rollbackTransaction();
}
