#pragma once
// The statements the study store runs against its patient, study, series and image rows, and the
// indexes that keep each of them from reading a whole table.

#include <vector>

namespace StoreQueries {

/// Run at every open ("if not exists"): a store made before they existed gets them then, its
/// tables and rows untouched.
inline const std::vector<const char*>& indexStatements()
{
    static const std::vector<const char*> statements = {
        "create index if not exists patient_by_name on patient(name,patientIDHospital)",
        "create index if not exists study_by_patient on study(patientID)",
        "create index if not exists study_by_uid on study(studyUID)",
        "create index if not exists series_by_study on series(studyID)",
        "create index if not exists series_by_uid on series(seriesUID)",
        "create index if not exists image_by_series on image(seriesID,imageUID)",
    };
    return statements;
}

// ---- Looking up a file record's rows ------------------------------------------------------
inline constexpr const char* kFindPatient = "select ID,updateTime from patient where name=? and patientIDHospital=?";
inline constexpr const char* kFindStudy = "select ID from study where studyUID=? and patientID=?";
inline constexpr const char* kFindSeries = "select ID from series where seriesUID=? and studyID=?";
inline constexpr const char* kFindImage = "select ID from image where imageUID=? and seriesID=?";

// ---- The patient list: whole-store passes, each one grouped by patient ----------------------
inline constexpr const char* kListPatients =
    "select ID,patientIDHospital,name,birthday,sex from patient order by updateTime desc";
/// Per patient: the updateTime, studyDesc and path of the series with the oldest updateTime
/// (SQLite takes bare columns from the row that holds the one minimum; of equal times, the
/// first met), the number of series and the number of images.
inline constexpr const char* kSeriesByPatient =
    "select study.patientID,min(series.updateTime),series.studyDesc,path,count(),"
    "sum((select count() from image where image.seriesID=series.ID)) from study,series "
    "where study.ID=series.studyID group by study.patientID";
inline constexpr const char* kStudyCountByPatient = "select patientID,count() from study group by patientID";

// ---- A patient's studies and series, and one series' images --------------------------------
inline constexpr const char* kStudiesOfPatient =
    "select ID,patientID,studyIDHospital,date,time,studyDesc from study where patientID=? order by updateTime desc";
inline constexpr const char* kSeriesOfStudy =
    "select series.ID,series.seriesUID,series.date,series.time,seriesDesc,path from study,series where "
    "study.ID=series.studyID and study.ID=? order by series.updateTime desc";
inline constexpr const char* kSeriesById =
    "select series.ID,series.seriesUID,series.date,series.time,seriesDesc,path from series where series.ID=?";
inline constexpr const char* kImageCountOfSeries = "select count() from image where seriesID=?";
/// The series' first image: the one indexed first.
inline constexpr const char* kFirstFileOfSeries =
    "select file from image where ID=(select min(ID) from image where seriesID=?)";
inline constexpr const char* kImageFilesOfSeries =
    "select instanceID,file from image where image.seriesID=? order by CAST(instanceID as UNSIGNED)";
inline constexpr const char* kFileNamesOfSeries = "select file from image where seriesID=?";

// ---- Deletions -----------------------------------------------------------------------------
inline constexpr const char* kSeriesStudyAndPath = "select studyID,path from series where id=?";
inline constexpr const char* kPatientOfStudy = "select patientID from study where id=?";
inline constexpr const char* kPatientById = "select id from patient where id=?";
inline constexpr const char* kSeriesIdsOfStudy = "select id from series where studyID=?";
inline constexpr const char* kSeriesIdsAndPathsOfStudy = "select id,path from series where studyID=?";
inline constexpr const char* kStudyIdsOfPatient = "select id from study where patientID=?";
inline constexpr const char* kDeleteImagesOfSeries = "delete from image where seriesID=?";
inline constexpr const char* kDeleteSeries = "delete from series where id=?";
inline constexpr const char* kDeleteSeriesOfStudy = "delete from series where studyID=?";
inline constexpr const char* kDeleteStudy = "delete from study where id=?";
inline constexpr const char* kDeleteStudiesOfPatient = "delete from study where patientID=?";
inline constexpr const char* kDeletePatient = "delete from patient where id=?";

// ---- The walk after an unclean end ---------------------------------------------------------
inline constexpr const char* kSeriesPaths = "select ID,path from series";

/// Every statement above that is run with a row ID or UID: none of them may read a whole table.
inline const std::vector<const char*>& keyedQueries()
{
    static const std::vector<const char*> queries = {
        kFindPatient, kFindStudy, kFindSeries, kFindImage, kStudiesOfPatient, kSeriesOfStudy, kSeriesById,
        kImageCountOfSeries, kFirstFileOfSeries, kImageFilesOfSeries, kFileNamesOfSeries, kSeriesStudyAndPath,
        kPatientOfStudy, kPatientById, kSeriesIdsOfStudy, kSeriesIdsAndPathsOfStudy, kStudyIdsOfPatient,
        kDeleteImagesOfSeries, kDeleteSeries, kDeleteSeriesOfStudy, kDeleteStudy, kDeleteStudiesOfPatient,
        kDeletePatient,
    };
    return queries;
}

/// The whole-store passes: each reads the table it starts from once, and what it joins by an index.
inline const std::vector<const char*>& wholeStoreQueries()
{
    static const std::vector<const char*> queries = {
        kListPatients, kSeriesByPatient, kStudyCountByPatient, kSeriesPaths,
    };
    return queries;
}

} // namespace StoreQueries
