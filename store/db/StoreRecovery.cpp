#include "db/StoreRecovery.h"

#include "db/NSDBDataModel.h"
#include "db/StoreQueries.h"
#include "db/dicomDB.h"

#include "DCM_MESSAGE.h"
#include "dcmFileRecord.h"
#include "dcmServer.h"
#include "imaging/core/cache/isDcmScan.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace fs = std::filesystem;
using NSUI::NSDBDataModel;
using NSUI::NSDBValue;

namespace {

// The names of the entries of a folder that are folders (want true) or regular files, leaving
// out dot entries (the store's scratch folder) and links.
std::vector<std::string> entriesOf(const std::string& folder, bool folders)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code kindError;
        const fs::file_status status = it->symlink_status(kindError);
        if (name.empty() || name[0] == '.' || kindError)
            continue;
        if (folders ? fs::is_directory(status) : fs::is_regular_file(status))
            names.push_back(name);
    }
    return names;
}

bool isPreviewPicture(const std::string& name)
{
    const std::string prefix = isImageSDK::isDcmScan::kPreviewPicturePrefix;
    return name.size() == prefix.size() + 1 && name.compare(0, prefix.size(), prefix) == 0 &&
           name.back() >= '0' && name.back() < '0' + isImageSDK::isDcmScan::kPreviewPictureCount;
}

// "a/b/c/" and "a/b/c" name one folder.
std::string withoutTrailingSlash(std::string path)
{
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

// Reads a stored file's record as the receiver does (its tags, its folder, its store name);
// false, with a log line, when it is not DICOM or does not lie where those put it.
bool readStoredRecord(const std::string& root, const std::string& relative, const std::string& name,
                      dcmSDK::DCM_MESSAGE& record)
{
    const std::string path = root + relative + "/" + name;
    if (!dcmSDK::fillDcmMessage(path, record)) {
        cocos2d::log("store: %s is not a DICOM file the store can index; left as it is", path.c_str());
        return false;
    }
    char folder[1024];
    dcmSDK::dcmServer::getDicomFolder(record.patientName, record.patientID, record.studyInstanceUID,
                                      record.seriesInstanceUID, folder);
    if (relative != folder || dcmSDK::dcmStoreFileName(record, name) != name) {
        cocos2d::log("store: %s does not lie where its tags place it; left as it is", path.c_str());
        return false;
    }
    dcmSDK::setDcmMessageLocation(record, name, relative + "/");
    return record.folder[0] != 0;
}

} // namespace

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
    // Three levels deep: patient, study, series, as the receiver files them.
    for (const std::string& patient : entriesOf(_root, true))
        for (const std::string& study : entriesOf(_root + patient, true))
            for (const std::string& series : entriesOf(_root + patient + "/" + study, true)) {
                const std::string relative = patient + "/" + study + "/" + series;
                auto known = seriesByPath.find(relative);
                if (!walkSeriesFolder(relative, known == seriesByPath.end() ? 0 : known->second))
                    return;
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
    std::vector<std::string> files = entriesOf(_root + relative, false);
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
        if (named.count(name) || isPreviewPicture(name))
            continue;
        std::unique_ptr<dcmSDK::DCM_MESSAGE> record(new dcmSDK::DCM_MESSAGE());
        if (!readStoredRecord(_root, relative, name, *record))
            continue;
        if (!waitForRoom())
            return false;
        ++_handedOver;
        _store.queueFileRecord(record.release(), [this] { recordDone(); });
    }
    return true;
}
