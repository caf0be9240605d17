#include "db/StoreRecovery.h"

#include "db/NSDBDataModel.h"
#include "db/StoreQueries.h"
#include "db/dicomDB.h"

#include "DCM_MESSAGE.h"
#include "dcmFileRecord.h"
#include "imaging/core/cache/isDcmScan.h"
#include "util/FileHelpers.h"

#include <map>
#include <memory>
#include <set>
#include <vector>

using NSUI::NSDBDataModel;
using NSUI::NSDBValue;

StoreRecovery::StoreRecovery(dicomDB& store) : _store(store), _root(store.getRoot()) {}

StoreRecovery::~StoreRecovery()
{
    stop();
}

void StoreRecovery::start()
{
    if (!_thread.joinable())
        _thread = std::thread([this] { run(); });
}

void StoreRecovery::stop()
{
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stop = true;
        _changed.notify_all();
    }
    if (_thread.joinable())
        _thread.join();
}

bool StoreRecovery::waitForRoom()
{
    std::unique_lock<std::mutex> lock(_mutex);
    _changed.wait(lock, [this] { return _stop || _inFlight < kRecordsInFlight; });
    if (_stop)
        return false;
    ++_inFlight;
    return true;
}

void StoreRecovery::recordDone()
{
    std::lock_guard<std::mutex> lock(_mutex);
    --_inFlight;
    _changed.notify_all();
}

void StoreRecovery::run()
{
    // A store made before the indexes existed gets them first: the look-ups below use them.
    _store.ensureIndexes();
    std::map<std::string, long long> seriesByPath;
    {
        NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(_store.getLock());
        if (!_store.getConnection().getRecord(StoreQueries::kSeriesPaths, &rows)) {
            cocos2d::log("store: cannot list the series; files without rows are looked for at the next start");
            return;
        }
        for (int r = 0; r < rows.getRowCount(); ++r)
            seriesByPath[withoutTrailingSlash(rows.getValue(r, 1))] = atoll(rows.getValue(r, 0).c_str());
    }
    // Three levels deep: patient, study, series, as the receiver files them. Folders whose
    // names begin with "." (the store's scratch folder) are not looked into.
    std::vector<std::string> patients;
    listSubDirectories(_root, patients);
    for (const std::string& patient : patients) {
        std::vector<std::string> studies;
        listSubDirectories(_root + patient, studies);
        for (const std::string& study : studies) {
            std::vector<std::string> series;
            listSubDirectories(_root + patient + "/" + study, series);
            for (const std::string& one : series) {
                const std::string relative = patient + "/" + study + "/" + one;
                auto known = seriesByPath.find(relative);
                if (!walkSeriesFolder(relative, known == seriesByPath.end() ? 0 : known->second))
                    return;
            }
        }
    }
    _finished = true;
    cocos2d::log("store: %u files without rows handed over for indexing", _handedOver.load());
}

bool StoreRecovery::walkSeriesFolder(const std::string& relative, long long seriesId)
{
    {
        std::lock_guard<std::mutex> lock(_mutex);
        if (_stop)
            return false;
    }
    std::vector<std::string> files;
    listFiles(_root + relative, files, false, false);
    if (files.empty())
        return true;
    std::set<std::string> named;
    if (seriesId > 0) {
        NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(_store.getLock());
        if (_store.getConnection().getRecord(StoreQueries::kFileNamesOfSeries, {NSDBValue(seriesId)}, &rows))
            for (int r = 0; r < rows.getRowCount(); ++r)
                named.insert(rows.getValue(r, 0));
    }
    for (const std::string& name : files) {
        if (named.count(name) || isImageSDK::isDcmScan::isPreviewPicture(name))
            continue;
        std::unique_ptr<dcmSDK::DCM_MESSAGE> record(new dcmSDK::DCM_MESSAGE());
        if (!dcmSDK::readStoredFileRecord(_root, relative, name, *record))
            continue;
        if (!waitForRoom())
            return false;
        ++_handedOver;
        _store.queueFileRecord(record.release(), [this] { recordDone(); });
    }
    return true;
}
