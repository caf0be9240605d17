#include "db/dicomDB.h"

#include "db/DcmMessageData.h"
#include "db/SeriesRowData.h"
#include "db/StorePaths.h"
#include "db/StoreQueries.h"
#include "db/StoreRecovery.h"
#include "db/StoreSchema.h"
#include "db/StoreTransaction.h"
#include "db/dicomDBThread.h"

#include "DCM_MESSAGE.h"
#include "dcmFileRecord.h"
#include "dcmServer.h"
#include "imaging/core/cache/KeyHash.h"
#include "net/NetUtils.h"
#include "notify/NSNotificationCenter.h"
#include "util/StringUtils.h"

#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

using NSUI::NSDBDataModel;
using NSUI::NSDBValue;

namespace {

std::atomic<int> g_receiverPort{4587};

const unsigned kFileStoredId = 2014;
const unsigned kCaptureSavedId = 1004;
const unsigned kFavoriteDicomSavedId = 9104;
// How long a statement waits for the other connection's write to end before it reports busy.
const char* const kBusyWait = "PRAGMA busy_timeout=200;";

// Makes a removal or creation of the folder's entries durable (best effort).
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

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
    // Before the store opens: the walk for files without rows may queue records at once.
    _worker->setConnection(&_db);
    // Observed before the receiver starts: a post reaches only the observers registered when
    // it is made, and a peer whose sends waited for this program sends at once.
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    auto callback = [this](cocos2d::Ref* sender, unsigned id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    centre->addObserver(this, nullptr, callback, kFileStoredId);
    centre->addObserver(this, nullptr, callback, kCaptureSavedId);
    centre->addObserver(this, nullptr, callback, kFavoriteDicomSavedId);
    if (openStore()) {
        // The worker starts on the indexes at once; a store that lacks them (one made before
        // they existed) gets them before its first list, and the receiver does not wait.
        auto* prepare = new dicomDBRequest(dicomDBRequest::kPrepare, nullptr);
        queueRequest(prepare, false);
    }
    return true;
}

void dicomDB::stop()
{
    // First no new objects: once the receiver has stopped, every record it will ever hand over
    // has been posted. The walk for files without rows ends between two files.
    if (_server)
        _server->StopDicomServer();
    if (_recovery)
        _recovery->stop();
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    if (_worker) {
        // The records posted to the store and not yet delivered join the queue, and the worker
        // indexes every queued one before it ends: the files their peers were told are stored
        // all have their rows when the store closes. Captures and favourite images saved
        // just before get theirs too.
        for (unsigned id : {kFileStoredId, kCaptureSavedId, kFavoriteDicomSavedId})
            centre->deliverWaiting(id, this);
        _closing = true;
        safeFinishThread(_worker);
        _worker = nullptr;
    }
    centre->removeObserver(this);
    {
        std::lock_guard<std::mutex> nodes(_nodesLock);
        _nodesDb.closeDB();
    }
    std::lock_guard<std::recursive_mutex> lock(_lock);
    const bool wasOpen = _open;
    _open = false;
    _db.closeDB();
    // An unfinished walk, or a file the database refused, is taken up again at the next open.
    if (wasOpen && !_fileLeftWithoutRow && (!_recovery || _recovery->finished()))
        writeClosedMark();
    // Last: the next owner finds the mark as this close left it.
    _owner.release();
}

bool dicomDB::takeClosedMark()
{
    if (::unlink((_root + kClosedMark).c_str()) != 0)
        return false;
    // Gone for good before any file is received: an end from here on that is not a clean
    // close must find no mark.
    syncFolder(_root);
    return true;
}

void dicomDB::writeClosedMark()
{
    const std::string mark = _root + kClosedMark;
    const int fd = ::open(mark.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        cocos2d::log("store: cannot write %s; the next start looks for files without rows", mark.c_str());
        return;
    }
    ::fsync(fd);
    ::close(fd);
    syncFolder(_root);
}

void dicomDB::ensureIndexes()
{
    std::lock_guard<std::recursive_mutex> lock(_lock);
    if (_indexesReady || !_open)
        return;
    _indexesReady = true;
    for (const char* statement : StoreQueries::indexStatements())
        if (!_db.executeSQL(statement))
            cocos2d::log("store: cannot create an index (%s): %s", statement, _db.getLastError().c_str());
}

bool dicomDB::openStore()
{
    _root = rootFor(cocos2d::FileUtils::getInstance()->getWritablePath());
    auto* files = cocos2d::FileUtils::getInstance();
    if (!files->isDirectoryExist(_root))
        files->createDirectory(_root);
    // Before anything of the folder is read or written: its owner's mark, walk and rows stay
    // its owner's.
    if (_owner.take(_root) == StoreOwnerLock::Result::kInUse) {
        _inUseElsewhere = true;
        cocos2d::log("store: the library %s is in use by another running workstation; it is not opened here",
                     _root.c_str());
        return false;
    }
    // A new database has no rows to miss: it is not looked through for files without them.
    std::error_code missing;
    const bool newDatabase = !std::filesystem::exists(_root + "dicomDB", missing);
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
    {
        std::lock_guard<std::mutex> nodes(_nodesLock);
        if (!_nodesDb.openDB((_root + "dicomDB").c_str()))
            cocos2d::log("store: the known DICOM nodes cannot be read or written");
        // A writer that meets the other connection's transaction waits for its end (a few
        // milliseconds) inside SQLite rather than in the longer steps of beginTransaction.
        _nodesDb.executeSQL(kBusyWait);
    }
    const bool closedCleanly = takeClosedMark() || newDatabase;
    std::string host, addresses, masks;
    getLocalNetworkInfo(host, addresses, masks);
    _server->setPort(host, getReceiverPort(), kReceiverAETitle);
    _server->setRoot(_root);
    if (!_server->BeginDicomServer())
        cocos2d::log("store: the DICOM receiver did not start on port %i", getReceiverPort());
    if (!closedCleanly) {
        // Files filed (and their peers told so) whose rows were never written: found and
        // indexed in the background while the receiver and the lists go on.
        cocos2d::log("store: the store was not closed cleanly; looking for files without rows");
        _recovery.reset(new StoreRecovery(*this));
        _recovery->start();
    }
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
    _db.executeSQL(kBusyWait);

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
    if (!_db.getRecord(StoreQueries::kImageFilesOfSeries, {NSDBValue(id)}, &out)) {
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
        if (!_db.getRecord(StoreQueries::kSeriesStudyAndPath, {NSDBValue(seriesId)}, &rows) ||
            rows.getRowCount() < 1)
            return false;
        long long studyId = atoll(rows.getValue(0, 0).c_str());
        seriesPath = rows.getValue(0, 1);
        if (!_db.getRecord(StoreQueries::kPatientOfStudy, {NSDBValue(studyId)}, &rows) ||
            rows.getRowCount() < 1)
            return false;
        long long patientId = atoll(rows.getValue(0, 0).c_str());
        if (!_db.executeSQL(StoreQueries::kDeleteImagesOfSeries, {NSDBValue(seriesId)}) ||
            !_db.executeSQL(StoreQueries::kDeleteSeries, {NSDBValue(seriesId)}) ||
            !_db.getRecord(StoreQueries::kSeriesIdsOfStudy, {NSDBValue(studyId)}, &rows))
            return false;
        if (rows.getRowCount() == 0 && !_db.executeSQL(StoreQueries::kDeleteStudy, {NSDBValue(studyId)}))
            return false;
        if (!_db.getRecord(StoreQueries::kStudyIdsOfPatient, {NSDBValue(patientId)}, &rows))
            return false;
        if (rows.getRowCount() == 0 && !_db.executeSQL(StoreQueries::kDeletePatient, {NSDBValue(patientId)}))
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
        if (!_db.getRecord(StoreQueries::kStudyIdsOfPatient, {NSDBValue(patientId)}, &studies))
            return false;
        for (int s = 0; s < studies.getRowCount(); ++s) {
            long long studyId = atoll(studies.getValue(s, 0).c_str());
            if (!_db.getRecord(StoreQueries::kSeriesIdsAndPathsOfStudy, {NSDBValue(studyId)}, &series))
                return false;
            for (int r = 0; r < series.getRowCount(); ++r) {
                if (!_db.executeSQL(StoreQueries::kDeleteImagesOfSeries, {NSDBValue(atoll(series.getValue(r, 0).c_str()))}))
                    return false;
                seriesFolders.push_back(series.getValue(r, 1));
            }
            if (!_db.executeSQL(StoreQueries::kDeleteSeriesOfStudy, {NSDBValue(studyId)}))
                return false;
        }
        if (!_db.executeSQL(StoreQueries::kDeleteStudiesOfPatient, {NSDBValue(patientId)}) ||
            !_db.executeSQL(StoreQueries::kDeletePatient, {NSDBValue(patientId)}) || !transaction.commit())
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
        const std::string aside = dcmSDK::newStoreScratchFolder(_root, "deleted");
        bool moved = false;
        if (!aside.empty() && StorePaths::moveFolderInside(_root, folder, aside, moved)) {
            if (moved)
                setAside.push_back(aside);
        } else {
            StorePaths::removeFolderInside(_root, folder);
        }
        std::error_code unused;
        if (!aside.empty() && !moved)
            std::filesystem::remove(aside, unused); // the empty folder that took the name
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
    return _db.getRecord(StoreQueries::kPatientById, {NSDBValue(patientId)}, &rows) &&
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

void dicomDB::queueFileRecord(dcmSDK::DCM_MESSAGE* record, std::function<void()> processed)
{
    auto* holder = new DcmMessageData(record);
    queueRecord(holder, std::move(processed));
    holder->release();
}

void dicomDB::queueRecord(DcmMessageData* holder, std::function<void()> processed)
{
    auto* request = new dicomDBRequest(dicomDBRequest::kStoreFile, nullptr);
    request->setFileRecord(holder->record(), holder);
    request->requestId = isImageSDK::keyHash(holder->record()->folder);
    request->processed = std::move(processed);
    if ((!_open || !_worker || !_worker->addRequest(request)) && request->processed)
        request->processed();
    request->release();
}

void dicomDB::onNotification(cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData* data)
{
    if (!data)
        return;
    if (id == kFileStoredId) {
        auto* holder = dynamic_cast<DcmMessageData*>(data);
        if (_open && holder && holder->record())
            queueRecord(holder, nullptr);
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
        // The series' caches and previews went before its rows were written (on the worker, so
        // that a record indexed while the store closes, or after a restart, does the same).
        if (request->text.empty())
            return;
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
