#pragma once
// What the store already holds of one file's patient, study, series and image.

#include <string>

/// Filled by dicomDB::findRecord and completed by dicomDB::insertRecord: which levels exist and
/// their row IDs (0 when not found), plus the patient's updateTime.
struct FoundRecord {
    bool patientFound = false;
    bool studyFound = false;
    bool seriesFound = false;
    bool imageFound = false;
    long long patientId = 0;
    long long studyId = 0;
    long long seriesId = 0;
    long long imageId = 0;
    std::string patientUpdateTime;
};
