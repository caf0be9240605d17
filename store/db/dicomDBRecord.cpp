// The study store's side of storing one file record: finding and inserting its rows.

#include "db/StoreQueries.h"
#include "db/StoreTransaction.h"
#include "db/dicomDB.h"

#include "DCM_MESSAGE.h"
#include "util/StringUtils.h"
#include "util/TimeUtils.h"

using NSUI::NSDBDataModel;
using NSUI::NSDBValue;

namespace {

// The first cell of the first row as a row ID; 0 when there is no row.
long long firstId(const NSDBDataModel& rows)
{
    return rows.getRowCount() > 0 ? atoll(rows.getValue(0, 0).c_str()) : 0;
}

// The slot's text; a record from outside may lack its terminator, so it is bounded here.
template <size_t N> std::string slot(const char (&text)[N])
{
    size_t length = 0;
    while (length < N && text[length] != 0)
        ++length;
    return std::string(text, length);
}

} // namespace

bool dicomDB::findRecord(const std::string& name, const std::string& patientId, const std::string& studyUid,
                         const std::string& seriesUid, const std::string& imageUid, FoundRecord& found)
{
    found = FoundRecord();
    if (!_open)
        return false;
    std::lock_guard<std::recursive_mutex> lock(_lock);
    NSDBDataModel rows;
    if (!_db.getRecord(StoreQueries::kFindPatient,
                       {NSDBValue(name), NSDBValue(patientId)}, &rows))
        return false;
    if (rows.getRowCount() == 0)
        return true;
    found.patientFound = true;
    found.patientId = firstId(rows);
    found.patientUpdateTime = rows.getValue(0, 1);

    if (!_db.getRecord(StoreQueries::kFindStudy,
                       {NSDBValue(studyUid), NSDBValue(found.patientId)}, &rows))
        return false;
    if (rows.getRowCount() == 0)
        return true;
    found.studyFound = true;
    found.studyId = firstId(rows);

    if (!_db.getRecord(StoreQueries::kFindSeries,
                       {NSDBValue(seriesUid), NSDBValue(found.studyId)}, &rows))
        return false;
    if (rows.getRowCount() == 0)
        return true;
    found.seriesFound = true;
    found.seriesId = firstId(rows);

    if (!_db.getRecord(StoreQueries::kFindImage,
                       {NSDBValue(imageUid), NSDBValue(found.seriesId)}, &rows))
        return false;
    if (rows.getRowCount() > 0) {
        found.imageFound = true;
        found.imageId = firstId(rows);
    }
    return true;
}

bool dicomDB::insertRecord(const dcmSDK::DCM_MESSAGE& record, FoundRecord& found)
{
    if (!_open)
        return false;
    std::lock_guard<std::recursive_mutex> lock(_lock);
    const std::string now = getCurrentTimeString();
    StoreTransaction transaction(_db);
    if (!transaction.began())
        return false;
    NSDBDataModel rows;
    // The ID of the row just inserted, read back on the same connection under the lock.
    auto insertedId = [&](long long& id) {
        if (!_db.getRecord("select last_insert_rowid()", &rows) || rows.getRowCount() < 1)
            return false;
        id = firstId(rows);
        return id > 0;
    };

    if (found.patientFound) {
        if (!_db.executeSQL("update patient set updateTime=? where ID=?", {NSDBValue(now), NSDBValue(found.patientId)}))
            return debugLog("failed to insert record into patient."), false;
    } else {
        if (!_db.executeSQL("insert into patient(name,patientIDHospital,birthday,sex,updateTime) values (?,?,?,?,?)",
                            {NSDBValue(slot(record.patientName)), NSDBValue(slot(record.patientID)),
                             NSDBValue(slot(record.birthDate)), NSDBValue(slot(record.sex)), NSDBValue(now)}) ||
            !insertedId(found.patientId))
            return debugLog("failed to insert record into patient."), false;
        found.patientUpdateTime = now;
    }

    if (found.studyFound) {
        if (!_db.executeSQL("update study set updateTime=? where ID=?", {NSDBValue(now), NSDBValue(found.studyId)}))
            return debugLog("failed to insert record into study."), false;
    } else if (!_db.executeSQL("insert into study(patientID,studyUID,studyIDHospital,studyDesc,date,time,updateTime) "
                               "values (?,?,?,?,?,?,?)",
                               {NSDBValue(found.patientId), NSDBValue(slot(record.studyInstanceUID)),
                                NSDBValue(slot(record.studyID)), NSDBValue(slot(record.studyDescription)),
                                NSDBValue(slot(record.studyDate)), NSDBValue(slot(record.studyTime)), NSDBValue(now)}) ||
               !insertedId(found.studyId)) {
        return debugLog("failed to insert record into study."), false;
    }

    if (found.seriesFound) {
        if (!_db.executeSQL("update series set updateTime=? where ID=?", {NSDBValue(now), NSDBValue(found.seriesId)}))
            return debugLog("failed to insert record into series."), false;
    } else if (!_db.executeSQL("insert into series(studyID,seriesUID,date,time,studyDesc,seriesDesc,updateTime,path) "
                               "values (?,?,?,?,?,?,?,?)",
                               {NSDBValue(found.studyId), NSDBValue(slot(record.seriesInstanceUID)),
                                NSDBValue(slot(record.seriesDate)), NSDBValue(slot(record.seriesTime)),
                                NSDBValue(slot(record.studyDescription)), NSDBValue(slot(record.seriesDescription)),
                                NSDBValue(now), NSDBValue(slot(record.folder))}) ||
               !insertedId(found.seriesId)) {
        return debugLog("failed to insert record into series."), false;
    }

    if (!_db.executeSQL("insert into image(seriesID,imageUID,instanceID,file) values (?,?,?,?)",
                        {NSDBValue(found.seriesId), NSDBValue(slot(record.sopInstanceUID)),
                         NSDBValue(slot(record.instanceNumber)), NSDBValue(slot(record.fileName))}) ||
        !insertedId(found.imageId))
        return debugLog("failed to insert record into image."), false;

    if (!transaction.commit())
        return debugLog("failed to search DB."), false;
    return true;
}
