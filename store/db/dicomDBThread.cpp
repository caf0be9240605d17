#include "db/dicomDBThread.h"

#include "db/NSDBUtil.h"
#include "db/StorePaths.h"
#include "db/StoreQueries.h"
#include "db/dicomDB.h"
#include "db/dicomDBRequest.h"

#include "DCM_MESSAGE.h"
#include "imaging/core/cache/isDcmScan.h"
#include "json/UIJson.h"
#include "util/StringUtils.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <unordered_map>

using NSUI::NSDBDataModel;
using NSUI::NSDBValue;

namespace {

// "YYYYMMDD" as "YYYY.MM.DD"; other texts as they are.
std::string dottedDate(const std::string& date)
{
    if (date.size() != 8)
        return date;
    return date.substr(0, 4) + "." + date.substr(4, 2) + "." + date.substr(6, 2);
}

std::string slotText(const char* text, size_t size)
{
    size_t length = 0;
    while (length < size && text[length] != 0)
        ++length;
    return std::string(text, length);
}

#define SLOT(field) slotText(field, sizeof(field))

} // namespace

dicomDBThread::dicomDBThread(dicomDB* store, int tagBufferSize) : _store(store), _tags(tagBufferSize) {}

dicomDBThread::~dicomDBThread() = default;

void dicomDBThread::process(NSUI::NSThreadRequest* threadRequest)
{
    auto* request = dynamic_cast<dicomDBRequest*>(threadRequest);
    if (!request)
        return;
    if (_db)
        run(request);
    if (request->processed)
        request->processed();
}

void dicomDBThread::run(dicomDBRequest* request)
{
    _store->ensureIndexes();
    if (request->type == dicomDBRequest::kStoreFile) {
        // Only the store's lock: files leave the store only by deletions, which take it first,
        // so a file found here stays until its rows are in. The folder lock, which the
        // receiver takes before it answers its peer, is not held for any of this.
        std::lock_guard<std::recursive_mutex> lock(_store->getLock());
        if (_store->isOpen())
            storeFile(request);
        return;
    }
    // While the store closes nobody is answered any more.
    if (request->type == dicomDBRequest::kPrepare || _store->isClosing())
        return;
    std::lock_guard<std::recursive_mutex> lock(_store->getLock());
    auto* model = new NSDBDataModel();
    bool ok = false;
    if (request->type == dicomDBRequest::kPatients)
        ok = listPatients(*model);
    else if (request->type == dicomDBRequest::kStudies)
        ok = listStudies(request->text, *model);
    else if (request->type == dicomDBRequest::kFavorites)
        ok = listFavorites(*model);
    if (!ok) {
        debugLog("failed to search DB.");
        model->clear();
    }
    request->setResult(model);
}

bool dicomDBThread::listPatients(NSDBDataModel& out)
{
    // Three passes over the store, grouped by patient, instead of four queries a patient.
    NSDBDataModel patients, series, studies;
    if (!_db->getRecord(StoreQueries::kListPatients, &patients) ||
        !_db->getRecord(StoreQueries::kSeriesByPatient, &series) ||
        !_db->getRecord(StoreQueries::kStudyCountByPatient, &studies))
        return false;
    std::unordered_map<std::string, int> seriesRow, studyCount;
    for (int r = 0; r < series.getRowCount(); ++r)
        seriesRow[series.getValue(r, 0)] = r;
    for (int r = 0; r < studies.getRowCount(); ++r)
        studyCount[studies.getValue(r, 0)] = r;
    for (int p = 0; p < patients.getRowCount(); ++p) {
        // Patients without a series are not listed.
        const std::string& id = patients.getValue(p, 0);
        auto found = seriesRow.find(id);
        if (found == seriesRow.end())
            continue;
        const int r = found->second;
        for (int c = 0; c < 3; ++c)
            out.addColumn(patients.getValue(p, c));
        out.addColumn(dottedDate(patients.getValue(p, 3)));
        out.addColumn(patients.getValue(p, 4));
        for (int c = 1; c <= 3; ++c)
            out.addColumn(series.getValue(r, c));
        auto studiesOf = studyCount.find(id);
        out.addColumn(studiesOf == studyCount.end() ? "0" : studies.getValue(studiesOf->second, 1));
        out.addColumn(series.getValue(r, 4));
        out.addColumn(series.getValue(r, 5));
        out.endRow();
    }
    return true;
}

bool dicomDBThread::seriesImages(long long seriesId, int& count, std::string& firstFile)
{
    NSDBDataModel rows;
    if (!_db->getRecord(StoreQueries::kImageCountOfSeries, {NSDBValue(seriesId)}, &rows) || rows.getRowCount() < 1)
        return false;
    count = atoi(rows.getValue(0, 0).c_str());
    if (!_db->getRecord(StoreQueries::kFirstFileOfSeries, {NSDBValue(seriesId)}, &rows))
        return false;
    firstFile = rows.getRowCount() > 0 ? rows.getValue(0, 0) : std::string();
    return true;
}

bool dicomDBThread::listStudies(const std::string& patientId, NSDBDataModel& out)
{
    long long patient = 0;
    if (!StorePaths::parseRowId(patientId, patient))
        return true;
    const std::string root = _store->getRoot();
    NSDBDataModel studies, series;
    if (!_db->getRecord(StoreQueries::kStudiesOfPatient, {NSDBValue(patient)}, &studies))
        return false;
    for (int s = 0; s < studies.getRowCount(); ++s) {
        out.addColumn("study");
        out.addColumn(studies.getValue(s, 0));
        out.addColumn(studies.getValue(s, 1));
        out.addColumn(studies.getValue(s, 2));
        out.addColumn(dottedDate(studies.getValue(s, 3)));
        out.addColumn(studies.getValue(s, 5));
        out.endRow();
        if (!_db->getRecord(StoreQueries::kSeriesOfStudy, {NSDBValue(atoll(studies.getValue(s, 0).c_str()))}, &series))
            return false;
        for (int r = 0; r < series.getRowCount(); ++r) {
            int images = 0;
            std::string firstFile;
            if (!seriesImages(atoll(series.getValue(r, 0).c_str()), images, firstFile))
                return false;
            SeriesTags tags;
            if (images == 0 || !_tags.read(root + series.getValue(r, 5) + "/" + firstFile, tags) || !tags.hasColumns ||
                !tags.hasRows)
                continue;
            out.addColumn(series.getValue(r, 0));
            out.addColumn(patientId);
            out.addColumn(series.getValue(r, 2) + " " + series.getValue(r, 3));
            out.addColumn(series.getValue(r, 4));
            out.addColumn(series.getValue(r, 5));
            out.addColumnInt(images);
            out.addColumn(tags.columns);
            out.addColumn(tags.rows);
            out.addColumn(tags.hasInstitution ? tags.institution : "Unknown Institution");
            out.addColumn(tags.hasModality ? tags.modality : "Unknown");
            out.addColumn(tags.ctText());
            out.addColumn(tags.seriesNumber);
            out.endRow();
        }
    }
    return true;
}

bool dicomDBThread::listFavorites(NSDBDataModel& out)
{
    NSDBDataModel rows;
    if (!_db->getRecord("select ID,type,message,icon,image,updateTime,scale from favorite where valid=1 "
                        "order by updateTime asc",
                        &rows))
        return false;
    const std::string writable = cocos2d::FileUtils::getInstance()->getWritablePath();
    for (int r = 0; r < rows.getRowCount(); ++r) {
        for (int c = 0; c < 7; ++c)
            out.addColumn(c == 4 ? writable + rows.getValue(r, c) : rows.getValue(r, c));
        out.endRow();
    }
    return true;
}

void dicomDBThread::storeFile(dicomDBRequest* request)
{
    request->text.clear();
    const dcmSDK::DCM_MESSAGE* record = request->getFileRecord();
    if (!record)
        return;
    // A deletion may have removed the file since it was placed: its record is dropped.
    const std::string file = SLOT(record->folder) + SLOT(record->fileName);
    std::error_code missing;
    if (!std::filesystem::is_regular_file(_store->getRoot() + file, missing)) {
        cocos2d::log("store: %s is gone; not indexed", file.c_str());
        return;
    }
    FoundRecord found;
    if (!_store->findRecord(SLOT(record->patientName), SLOT(record->patientID), SLOT(record->studyInstanceUID),
                            SLOT(record->seriesInstanceUID), SLOT(record->sopInstanceUID), found)) {
        _store->noteFileLeftWithoutRow();
        return;
    }
    if (found.imageFound)
        return;
    const bool newStudy = !found.studyFound;
    const bool newSeries = !found.seriesFound;
    // Before the rows: an end in between leaves the file without a row, and the next open's
    // walk indexes it and clears them again.
    clearSeriesCaches(SLOT(record->folder));
    if (!_store->insertRecord(*record, found)) {
        debugLog("failed to save new dicom record to DB");
        cocos2d::log("store: cannot index %s%s", SLOT(record->folder).c_str(), SLOT(record->fileName).c_str());
        _store->noteFileLeftWithoutRow();
        return;
    }
    // While the store closes nobody is told of the new record.
    if (_store->isClosing())
        return;
    // Every value is written quoted and escaped, so a comma or quote in a name cannot shift
    // the keys after it.
    std::string json;
    NSUI::UIJson::setJsonString(json, "patientID", std::to_string(found.patientId));
    NSUI::UIJson::setJsonString(json, "studyID", std::to_string(found.studyId));
    NSUI::UIJson::setJsonString(json, "seriesID", std::to_string(found.seriesId));
    NSUI::UIJson::setJsonString(json, "studyIDHospital", SLOT(record->studyID));
    NSUI::UIJson::setJsonString(json, "patientIDHospital", SLOT(record->patientID));
    NSUI::UIJson::setJsonString(json, "name", SLOT(record->patientName));
    NSUI::UIJson::setJsonString(json, "sex", SLOT(record->sex));
    NSUI::UIJson::setJsonString(json, "birthday", SLOT(record->birthDate));
    NSUI::UIJson::setJsonString(json, "updateTime", found.patientUpdateTime);
    NSUI::UIJson::setJsonString(json, "studyDate", dottedDate(SLOT(record->studyDate)));
    NSUI::UIJson::setJsonString(json, "studyDesc", SLOT(record->studyDescription));
    NSUI::UIJson::setJsonString(json, "studyNumber", newStudy ? "1" : "0");
    NSUI::UIJson::setJsonString(json, "seriesNumber", newSeries ? "1" : "0");
    NSUI::UIJson::setJsonString(json, "imageNumber", "1");
    NSUI::UIJson::setJsonString(json, "dcmFolder", SLOT(record->folder));
    request->text = json;

    auto* model = new NSDBDataModel();
    request->setResult(model);
    NSDBDataModel series;
    int images = 0;
    std::string firstFile;
    if (!_db->getRecord(StoreQueries::kSeriesById, {NSDBValue(found.seriesId)}, &series) || series.getRowCount() < 1 ||
        !seriesImages(found.seriesId, images, firstFile))
        return;
    model->addColumn(series.getValue(0, 0));
    model->addColumn(series.getValue(0, 2) + " " + series.getValue(0, 3));
    model->addColumn(series.getValue(0, 4));
    model->addColumn(series.getValue(0, 5));
    model->addColumnInt(images);
    SeriesTags tags;
    if (images > 0 && _tags.read(_store->getRoot() + series.getValue(0, 5) + "/" + firstFile, tags)) {
        model->addColumn(tags.columns);
        model->addColumn(tags.rows);
        model->addColumn(tags.institution);
        model->addColumn(tags.modality);
        model->addColumn(tags.ctText());
        model->addColumn(tags.seriesNumber);
    }
    model->endRow();
}

void dicomDBThread::clearSeriesCaches(const std::string& folder)
{
    if (!StorePaths::isSeriesPath(folder))
        return;
    const std::string seriesFolder = _store->getRoot() + folder;
    isImageSDK::isDcmScan::removeCacheForStudy(seriesFolder);
    // The next look at the series makes new pictures.
    std::string base = seriesFolder;
    if (base.back() != '/')
        base += '/';
    for (int i = 0; i < isImageSDK::isDcmScan::kPreviewPictureCount; ++i)
        std::remove((base + isImageSDK::isDcmScan::kPreviewPicturePrefix + std::to_string(i)).c_str());
}
