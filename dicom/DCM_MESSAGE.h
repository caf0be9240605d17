#pragma once
// The record of one received or imported DICOM file, handed to the message callback.

#include <cstddef>

namespace dcmSDK {

/// One stored file: its identifying tags, its file name in the store and its series folder.
/// Every slot is a zero-terminated text; the byte offsets are part of the record's format.
struct DCM_MESSAGE {
    char modality[256];           ///< (0008,0060)
    char studyInstanceUID[256];   ///< (0020,000D), "unknownStudy" when empty
    char studyID[256];            ///< (0020,0010)
    char studyDate[256];          ///< (0008,0020)
    char studyTime[256];          ///< (0008,0030), first 6 characters
    char seriesInstanceUID[256];  ///< (0020,000E), "unknownSeries" when empty
    char seriesDate[256];         ///< (0008,0021)
    char seriesTime[256];         ///< (0008,0031), first 6 characters
    char studyDescription[256];   ///< (0008,1030)
    char seriesDescription[256];  ///< (0008,103E)
    char sopInstanceUID[256];     ///< (0008,0018), "unknownImageUID" when empty
    char patientName[256];        ///< (0010,0010), "ANONYMOUS" when empty
    char patientID[256];          ///< (0010,0020), "EmptyID" when empty
    char birthDate[256];          ///< (0010,0030)
    char sex[256];                ///< "F", "M" or "U"
    char instanceNumber[256];     ///< (0020,0013), "0" when empty
    char fileName[1024];          ///< file name inside the series folder
    char folder[1024];            ///< series folder relative to the store root, ending in "/"
};

static_assert(sizeof(DCM_MESSAGE) == 6144, "DCM_MESSAGE is a 6144-byte record");
static_assert(offsetof(DCM_MESSAGE, modality) == 0, "record layout");
static_assert(offsetof(DCM_MESSAGE, studyInstanceUID) == 256, "record layout");
static_assert(offsetof(DCM_MESSAGE, studyID) == 512, "record layout");
static_assert(offsetof(DCM_MESSAGE, studyDate) == 768, "record layout");
static_assert(offsetof(DCM_MESSAGE, studyTime) == 1024, "record layout");
static_assert(offsetof(DCM_MESSAGE, seriesInstanceUID) == 1280, "record layout");
static_assert(offsetof(DCM_MESSAGE, seriesDate) == 1536, "record layout");
static_assert(offsetof(DCM_MESSAGE, seriesTime) == 1792, "record layout");
static_assert(offsetof(DCM_MESSAGE, studyDescription) == 2048, "record layout");
static_assert(offsetof(DCM_MESSAGE, seriesDescription) == 2304, "record layout");
static_assert(offsetof(DCM_MESSAGE, sopInstanceUID) == 2560, "record layout");
static_assert(offsetof(DCM_MESSAGE, patientName) == 2816, "record layout");
static_assert(offsetof(DCM_MESSAGE, patientID) == 3072, "record layout");
static_assert(offsetof(DCM_MESSAGE, birthDate) == 3328, "record layout");
static_assert(offsetof(DCM_MESSAGE, sex) == 3584, "record layout");
static_assert(offsetof(DCM_MESSAGE, instanceNumber) == 3840, "record layout");
static_assert(offsetof(DCM_MESSAGE, fileName) == 4096, "record layout");
static_assert(offsetof(DCM_MESSAGE, folder) == 5120, "record layout");

} // namespace dcmSDK
