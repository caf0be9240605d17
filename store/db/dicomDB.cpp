#include "db/dicomDB.h"

#include "db/DcmMessageData.h"
#include "db/SeriesRowData.h"
#include "db/StorePaths.h"
#include "db/StoreSchema.h"
#include "db/StoreTransaction.h"
#include "db/dicomDBThread.h"

#include "DCM_MESSAGE.h"
#include "dcmFileRecord.h"
#include "dcmServer.h"
#include "imaging/core/cache/KeyHash.h"
#include "imaging/core/cache/isDcmScan.h"
#include "json/UIJson.h"
#include "net/NetUtils.h"
#include "notify/NSNotificationCenter.h"
#include "util/StringUtils.h"

#include <cstdio>
#include <filesystem>

using NSUI::NSDBDataModel;
using NSUI::NSDBValue;

namespace {

std::atomic<int> g_receiverPort{4587};

const unsigned kFileStoredId = 2014;
const unsigned kCaptureSavedId = 1004;
const unsigned kFavoriteDicomSavedId = 9104;

} // namespace

dicomDB* dicomDB::create()
{
    dicomDB* store = new dicomDB();
    if (!store->init()) {
        delete store;
        return nullptr;
    }
    return store;
}

dicomDB::dicomDB() : schemaVersion(kStoreSchemaVersion), _server(new dcmSDK::dcmServer()) {}

dicomDB::~dicomDB()
{
    stop();
}

void dicomDB::setReceiverPort(int port)
{
    g_receiverPort = port;
}

int dicomDB::getReceiverPort()
{
    return g_receiverPort;
}

bool dicomDB::init()
{
    _open = false;
    _favoriteCount = 0;
    _lastGroupTime = 0;
    _worker = new dicomDBThread(this, 1024);
    _worker->finishedCallback = [this](NSUI::NSThreadRequest* request) { onRequestDone(request); };
    openStore();
    _worker->setConnection(&_db);
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    auto callback = [this](cocos2d::Ref* sender, unsigned id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    centre->addObserver(this, nullptr, callback, kFileStoredId);
    centre->addObserver(this, nullptr, callback, kCaptureSavedId);
    centre->addObserver(this, nullptr, callback, kFavoriteDicomSavedId);
    return true;
}

void dicomDB::stop()
{
    if (_worker) {
        safeDestroyThread(_worker);
        _worker = nullptr;
    }
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    if (_server)
        _server->StopDicomServer();
    std::lock_guard<std::recursive_mutex> lock(_lock);
    _open = false;
    _db.closeDB();
}

bool dicomDB::openStore()
{
    _root = rootFor(cocos2d::FileUtils::getInstance()->getWritablePath());
    auto* files = cocos2d::FileUtils::getInstance();
    if (!files->isDirectoryExist(_root))
        files->createDirectory(_root);
    cocos2d::log("dicom folder:%s", _root.c_str());
    {
        std::lock_guard<std::recursive_mutex> lock(_lock);
        _open = createDB(_root);
    }
    if (!_open) {
        // A receiver without an index would acknowledge files that never appear in the store.
        cocos2d::log("store: the study store did not open, so the DICOM receiver is not started");
        return false;
    }
    std::string host, addresses, masks;
    getLocalNetworkInfo(host, addresses, masks);
    _server->setPort(host, getReceiverPort(), kReceiverAETitle);
    _server->setRoot(_root);
    if (!_server->BeginDicomServer())
        cocos2d::log("store: the DICOM receiver did not start on port %i", getReceiverPort());
    return true;
}

bool dicomDB::createDB(const std::string& folder)
{
    std::lock_guard<std::recursive_mutex> lock(_lock);
    if (!_db.openDB((folder + "dicomDB").c_str())) {
        debugLog("failed to create dicomdb");
        cocos2d::log("store: cannot open %sdicomDB", folder.c_str());
        return false;
    }
    // One writer and small transactions per received file: the write-ahead log keeps each
    // commit to one append, and a crash still leaves the database consistent.
    _db.executeSQL("PRAGMA journal_mode=WAL;");
    _db.executeSQL("PRAGMA synchronous=NORMAL;");

    const std::vector<StoreTable>& tables = storeTables();
    NSDBDataModel rows;
    if (_db.isTableExist("version")) {
        if (!_db.getRecord("select version from version", &rows) || rows.getRowCount() < 1) {
            debugLog("failed to search DB.");
            cocos2d::log("store: the version table holds no version");
            return false;
        }
        if (atoi(rows.getValue(0, 0).c_str()) < schemaVersion &&
            !_db.executeSQL(formatString("update version set version=%i", schemaVersion))) {
            debugLog("failed to update table 'version'.");
            return false;
        }
    } else {
        if (!_db.createTable(tables[0].statement, tables[0].name) ||
            !_db.executeSQL(formatString("insert into version(version) values (%i)", schemaVersion))) {
            debugLog("failed to create table 'version'.");
            return false;
        }
    }
    for (size_t i = 1; i < tables.size(); ++i) {
        if (_db.isTableExist(tables[i].name))
            continue;
        if (!_db.createTable(tables[i].statement, tables[i].name)) {
            debugLog("failed to create table '%s'.", tables[i].name);
            cocos2d::log("store: cannot create table '%s'", tables[i].name);
            return false;
        }
    }
    return true;
}

std::string dicomDB::rootFor(const std::string& writablePath)
{
    return writablePath + "qp/dicom/";
}

std::string dicomDB::getRoot() const
{
    // Set once by openStore before any request runs, and the receiver is given the same text.
    return _root;
}

void dicomDB::getImageFiles(NSDBDataModel& out, const std::string& seriesId)
{
    out.clear();
    long long id = 0;
    if (!StorePaths::parseRowId(seriesId, id))
        return;
    std::lock_guard<std::recursive_mutex> lock(_lock);
    if (!_db.getRecord("select instanceID,file from image where image.seriesID=? order by CAST(instanceID as UNSIGNED)",
                       {NSDBValue(id)}, &out)) {
        debugLog("failed to search DB.");
        out.clear();
    }
}

bool dicomDB::deleteSeries(const std::string& seriesIdText)
{
    long long seriesId = 0;
    if (!StorePaths::parseRowId(seriesIdText, seriesId))
        return false;
    // Both locks are held until the folders are out of the store too: the receiver and the
    // importer place no file and the worker indexes none meanwhile. A file placed before for
    // the series deleted goes with it (the worker indexes only files it still finds, so it
    // leaves no row behind); one of another series, placed before or after, stays whole and is
    // indexed. The folders are only renamed under them: neither screens nor peers wait while a
    // large folder's files are removed. The folder lock is taken last, as the worker takes
    // it, so that no holder of it ever waits for the store's lock.
    std::unique_lock<std::recursive_mutex> lock(_lock);
    std::unique_lock<std::mutex> placing(dcmSDK::storeFolderLock());
    std::string seriesPath;
    {
        StoreTransaction transaction(_db);
        if (!transaction.began())
            return false;
        NSDBDataModel rows;
        if (!_db.getRecord("select studyID,path from series where id=?", {NSDBValue(seriesId)}, &rows) ||
            rows.getRowCount() < 1)
            return false;
        long long studyId = atoll(rows.getValue(0, 0).c_str());
        seriesPath = rows.getValue(0, 1);
        if (!_db.getRecord("select patientID from study where id=?", {NSDBValue(studyId)}, &rows) ||
            rows.getRowCount() < 1)
            return false;
        long long patientId = atoll(rows.getValue(0, 0).c_str());
        if (!_db.executeSQL("delete from image where seriesID=?", {NSDBValue(seriesId)}) ||
            !_db.executeSQL("delete from series where id=?", {NSDBValue(seriesId)}) ||
            !_db.getRecord("select id from series where studyID=?", {NSDBValue(studyId)}, &rows))
            return false;
        if (rows.getRowCount() == 0 && !_db.executeSQL("delete from study where id=?", {NSDBValue(studyId)}))
            return false;
        if (!_db.getRecord("select id from study where patientID=?", {NSDBValue(patientId)}, &rows))
            return false;
        if (rows.getRowCount() == 0 &&
            !_db.executeSQL("delete from patient where id=?", {NSDBValue(patientId)}))
            return false;
        if (!transaction.commit())
            return false;
    }
    if (!StorePaths::isSeriesPath(seriesPath))
        cocos2d::log("store: series %lld had no usable folder '%s'; no files removed", seriesId, seriesPath.c_str());
    const std::vector<std::string> setAside = takeOutSeriesFolders({seriesPath});
    placing.unlock();
    lock.unlock();
    removeFoldersSetAside(setAside);
    return true;
}

bool dicomDB::deletePatient(const std::string& patientIdText)
{
    long long patientId = 0;
    if (!StorePaths::parseRowId(patientIdText, patientId))
        return false;
    // Both held until the folders are out of the store too (see deleteSeries).
    std::unique_lock<std::recursive_mutex> lock(_lock);
    std::unique_lock<std::mutex> placing(dcmSDK::storeFolderLock());
    std::vector<std::string> seriesFolders;
    {
        StoreTransaction transaction(_db);
        if (!transaction.began())
            return false;
        NSDBDataModel studies, series;
        if (!_db.getRecord("select id from study where patientID=?", {NSDBValue(patientId)}, &studies))
            return false;
        for (int s = 0; s < studies.getRowCount(); ++s) {
            long long studyId = atoll(studies.getValue(s, 0).c_str());
            if (!_db.getRecord("select id,path from series where studyID=?", {NSDBValue(studyId)}, &series))
                return false;
            for (int r = 0; r < series.getRowCount(); ++r) {
                if (!_db.executeSQL("delete from image where seriesID=?",
                                    {NSDBValue(atoll(series.getValue(r, 0).c_str()))}))
                    return false;
                seriesFolders.push_back(series.getValue(r, 1));
            }
            if (!_db.executeSQL("delete from series where studyID=?", {NSDBValue(studyId)}))
                return false;
        }
        if (!_db.executeSQL("delete from study where patientID=?", {NSDBValue(patientId)}) ||
            !_db.executeSQL("delete from patient where id=?", {NSDBValue(patientId)}) || !transaction.commit())
            return false;
    }
    const std::vector<std::string> setAside = takeOutSeriesFolders(seriesFolders);
    placing.unlock();
    lock.unlock();
    removeFoldersSetAside(setAside);
    return true;
}

std::vector<std::string> dicomDB::takeOutSeriesFolders(const std::vector<std::string>& seriesFolders)
{
    // Folders go only once the rows are gone for good, and only inside the store root. Only
    // the series' own folders go whole: a study or patient folder goes once it is empty, as
    // it may hold a file of another series that was placed (and its sender told it was
    // stored) but is not indexed yet. A series folder is only renamed out of the store here,
    // so the folder lock is not held while its files are removed.
    std::vector<std::string> setAside;
    for (const std::string& folder : seriesFolders) {
        if (!StorePaths::isSeriesPath(folder))
            continue;
        const std::string aside = dcmSDK::newStoreScratchPath(_root, "deleted");
        bool moved = false;
        if (!aside.empty() && StorePaths::moveFolderInside(_root, folder, aside, moved)) {
            if (moved)
                setAside.push_back(aside);
        } else {
            StorePaths::removeFolderInside(_root, folder);
        }
        for (const std::string& above : StorePaths::foldersAboveSeries(folder))
            if (!StorePaths::removeEmptyFolderInside(_root, above))
                break;
    }
    return setAside;
}

void dicomDB::removeFoldersSetAside(const std::vector<std::string>& folders)
{
    for (const std::string& folder : folders) {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
        if (ec)
            cocos2d::log("store: cannot remove '%s': %s", folder.c_str(), ec.message().c_str());
    }
}

bool dicomDB::deleteFavorite(int id)
{
    std::lock_guard<std::recursive_mutex> lock(_lock);
    StoreTransaction transaction(_db);
    return transaction.began() && _db.executeSQL("delete from favorite where ID=?", {NSDBValue(id)}) &&
           _db.executeSQL("delete from favoriteDetail where favoriteID=?", {NSDBValue(id)}) && transaction.commit();
}

bool dicomDB::patientExists(const std::string& patientIdText)
{
    long long patientId = 0;
    if (!StorePaths::parseRowId(patientIdText, patientId))
        return false;
    std::lock_guard<std::recursive_mutex> lock(_lock);
    NSDBDataModel rows;
    return _db.getRecord("select id from patient where id=?", {NSDBValue(patientId)}, &rows) &&
           rows.getRowCount() > 0;
}

int dicomDB::getMaxId(const std::string& column, const std::string& table)
{
    for (const std::string* name : {&column, &table})
        for (char c : *name)
            if (!isalnum(static_cast<unsigned char>(c)) && c != '_')
                return 0;
    std::lock_guard<std::recursive_mutex> lock(_lock);
    NSDBDataModel rows;
    if (!_db.getRecord("select max(" + column + ") from " + table, &rows) || rows.getRowCount() < 1)
        return 0;
    return atoi(rows.getValue(0, 0).c_str());
}

bool dicomDB::isWorkerBusy() const
{
    return _worker && _worker->isBusy();
}

void dicomDB::queueRequest(dicomDBRequest* request, bool toFront)
{
    if (_worker && _worker->addRequest(request) && toFront)
        _worker->moveRequestToFront(request->requestId);
    request->release();
}

void dicomDB::requestPatients(const dicomDBRequest::Callback& callback)
{
    if (!_open)
        return;
    auto* request = new dicomDBRequest(dicomDBRequest::kPatients, callback);
    request->requestId = isImageSDK::keyHash("db");
    queueRequest(request, false);
}

void dicomDB::requestStudies(const dicomDBRequest::Callback& callback, const std::string& patientId)
{
    if (patientId.empty() || !_open)
        return;
    auto* request = new dicomDBRequest(dicomDBRequest::kStudies, callback);
    request->text = patientId;
    request->requestId = isImageSDK::keyHash(patientId);
    queueRequest(request, true);
}

void dicomDB::requestFavorites(const dicomDBRequest::Callback& callback, bool evenWhenEmpty)
{
    if (!_open)
        return;
    auto* request = new dicomDBRequest(dicomDBRequest::kFavorites, callback);
    request->answerEmpty = evenWhenEmpty;
    queueRequest(request, false);
}

void dicomDB::onNotification(cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData* data)
{
    if (!data)
        return;
    if (id == kFileStoredId) {
        auto* holder = dynamic_cast<DcmMessageData*>(data);
        if (!_open || !holder || !holder->record())
            return;
        auto* request = new dicomDBRequest(dicomDBRequest::kStoreFile, nullptr);
        request->setFileRecord(holder->record(), holder);
        request->requestId = isImageSDK::keyHash(holder->record()->folder);
        queueRequest(request, false);
    } else if (id == kCaptureSavedId) {
        onCaptureSaved(data->text);
    } else if (id == kFavoriteDicomSavedId) {
        onFavoriteDicomSaved(data->text, data->intValue, data->floatValue);
    }
}

void dicomDB::onRequestDone(NSUI::NSThreadRequest* threadRequest)
{
    auto* request = dynamic_cast<dicomDBRequest*>(threadRequest);
    if (!request || request->cancelled)
        return;
    if (request->type == dicomDBRequest::kStoreFile) {
        if (request->text.empty())
            return;
        std::string folder = NSUI::UIJson::getJsonString(request->text, "dcmFolder");
        if (StorePaths::isSeriesPath(folder)) {
            std::string seriesFolder = getRoot() + folder;
            isImageSDK::isDcmScan::removeCacheForStudy(seriesFolder);
            // The thumbnails show the series as it was; the next look makes new ones.
            for (int i = 0; i < 6; ++i)
                remove((seriesFolder + "/thrumb" + std::to_string(i)).c_str());
        }
        auto* centre = NSUI::NSNotificationCenter::getInstance();
        centre->postNotificationWithString(this, 2002, request->text, nullptr, false);
        auto* rowData = new SeriesRowData(request->takeResult());
        rowData->text = request->text;
        centre->postNotification(this, 2001, rowData, nullptr, false);
        rowData->release();
        return;
    }
    NSDBDataModel* model = request->getResult();
    if (model && request->callback && (model->getRowCount() > 0 || request->answerEmpty))
        request->callback(model);
}
