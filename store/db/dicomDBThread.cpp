#include "db/dicomDBThread.h"

#include "db/NSDBUtil.h"
#include "db/StorePaths.h"
#include "db/dicomDB.h"
#include "db/dicomDBRequest.h"

#include "DCM_MESSAGE.h"
#include "dcmFileRecord.h"
#include "json/UIJson.h"
#include "util/StringUtils.h"

#include <filesystem>
#include <mutex>

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
    if (!request || !_db)
        return;
    if (request->type == dicomDBRequest::kStoreFile) {
        // A deletion holds the folder lock until its folders are gone, so a file found here
        // stays until its rows are in; taken after the store's lock, as deletions take them.
        std::lock_guard<std::recursive_mutex> lock(_store->getLock());
        std::lock_guard<std::mutex> placing(dcmSDK::storeFolderLock());
        if (_store->isOpen())
            storeFile(request);
        return;
    }
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
    NSDBDataModel patients, series, count;
    if (!_db->getRecord("select ID,patientIDHospital,name,birthday,sex from patient order by updateTime desc", &patients))
        return false;
    for (int p = 0; p < patients.getRowCount(); ++p) {
        NSDBValue id(atoll(patients.getValue(p, 0).c_str()));
        if (!_db->getRecord("select series.updateTime,series.studyDesc,path from patient,study,series where "
                            "patient.ID=study.patientID and study.ID=series.studyID and patient.ID=? "
                            "order by series.updateTime",
                            {id}, &series))
            return false;
        if (series.getRowCount() == 0)
            continue;
        std::string counts[3];
        static const char* const kCountQueries[3] = {
            "select count() from patient,study where patient.ID=study.patientID and patient.ID=?",
            "select count() from patient,study,series where patient.ID=study.patientID and "
            "study.ID=series.studyID and patient.ID=?",
            "select count() from patient,study,series,image where patient.ID=study.patientID and "
            "study.ID=series.studyID and image.seriesID=series.ID and patient.ID=?"};
        for (int c = 0; c < 3; ++c) {
            if (!_db->getRecord(kCountQueries[c], {id}, &count))
                return false;
            counts[c] = count.getValue(0, 0);
        }
        for (int c = 0; c < 3; ++c)
            out.addColumn(patients.getValue(p, c));
        out.addColumn(dottedDate(patients.getValue(p, 3)));
        out.addColumn(patients.getValue(p, 4));
        for (int c = 0; c < 3; ++c)
            out.addColumn(series.getValue(0, c));
        for (const std::string& text : counts)
            out.addColumn(text);
        out.endRow();
    }
    return true;
}

bool dicomDBThread::seriesImages(long long seriesId, NSDBDataModel& rows)
{
    return _db->getRecord("select image.ID,imageUID,file from series,image where image.seriesID=series.ID and "
                          "series.ID=?",
                          {NSDBValue(seriesId)}, &rows);
}

bool dicomDBThread::listStudies(const std::string& patientId, NSDBDataModel& out)
{
    long long patient = 0;
    if (!StorePaths::parseRowId(patientId, patient))
        return true;
    const std::string root = _store->getRoot();
    NSDBDataModel studies, series, images;
    if (!_db->getRecord("select ID,patientID,studyIDHospital,date,time,studyDesc from study where patientID=? "
                        "order by updateTime desc",
                        {NSDBValue(patient)}, &studies))
        return false;
    for (int s = 0; s < studies.getRowCount(); ++s) {
        out.addColumn("study");
        out.addColumn(studies.getValue(s, 0));
        out.addColumn(studies.getValue(s, 1));
        out.addColumn(studies.getValue(s, 2));
        out.addColumn(dottedDate(studies.getValue(s, 3)));
        out.addColumn(studies.getValue(s, 5));
        out.endRow();
        if (!_db->getRecord("select series.ID,series.seriesUID,series.date,series.time,seriesDesc,path from "
                            "study,series where study.ID=series.studyID and study.ID=? order by series.updateTime desc",
                            {NSDBValue(atoll(studies.getValue(s, 0).c_str()))}, &series))
            return false;
        for (int r = 0; r < series.getRowCount(); ++r) {
            if (!seriesImages(atoll(series.getValue(r, 0).c_str()), images))
                return false;
            SeriesTags tags;
            if (images.getRowCount() == 0 ||
                !_tags.read(root + series.getValue(r, 5) + "/" + images.getValue(0, 2), tags) || !tags.hasColumns ||
                !tags.hasRows)
                continue;
            out.addColumn(series.getValue(r, 0));
            out.addColumn(patientId);
            out.addColumn(series.getValue(r, 2) + " " + series.getValue(r, 3));
            out.addColumn(series.getValue(r, 4));
            out.addColumn(series.getValue(r, 5));
            out.addColumnInt(images.getRowCount());
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
                            SLOT(record->seriesInstanceUID), SLOT(record->sopInstanceUID), found))
        return;
    if (found.imageFound)
        return;
    const bool newStudy = !found.studyFound;
    const bool newSeries = !found.seriesFound;
    if (!_store->insertRecord(*record, found)) {
        debugLog("failed to save new dicom record to DB");
        cocos2d::log("store: cannot index %s%s", SLOT(record->folder).c_str(), SLOT(record->fileName).c_str());
        return;
    }
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
    NSDBDataModel series, images;
    if (!_db->getRecord("select series.ID,series.seriesUID,series.date,series.time,seriesDesc,path from series "
                        "where series.ID=?",
                        {NSDBValue(found.seriesId)}, &series) ||
        series.getRowCount() < 1 || !seriesImages(found.seriesId, images))
        return;
    model->addColumn(series.getValue(0, 0));
    model->addColumn(series.getValue(0, 2) + " " + series.getValue(0, 3));
    model->addColumn(series.getValue(0, 4));
    model->addColumn(series.getValue(0, 5));
    model->addColumnInt(images.getRowCount());
    SeriesTags tags;
    if (images.getRowCount() > 0 &&
        _tags.read(_store->getRoot() + series.getValue(0, 5) + "/" + images.getValue(0, 2), tags)) {
        model->addColumn(tags.columns);
        model->addColumn(tags.rows);
        model->addColumn(tags.institution);
        model->addColumn(tags.modality);
        model->addColumn(tags.ctText());
        model->addColumn(tags.seriesNumber);
    }
    model->endRow();
}
