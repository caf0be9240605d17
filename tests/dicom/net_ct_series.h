#pragma once
// Writes synthetic CT series with DCMTK, for the network tests and the receive benchmark.

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmdata/dcuid.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace nettest {

/// What a generated series looks like; `extra` values are put last and win.
struct CtSeriesShape {
    int count = 10;
    int rows = 64;
    int columns = 64;
    std::string patientName = "PHANTOM^CT";
    std::string patientID = "QP0001";
    std::vector<std::pair<DcmTagKey, std::string>> extra;
};

/// Writes shape.count slices ct_0001.dcm ... into dir (which must exist), one study and
/// one series, explicit VR little endian. Returns the paths written (empty on failure).
inline std::vector<std::string> writeCtSeries(const std::string& dir, const CtSeriesShape& shape)
{
    char studyUID[100], seriesUID[100], frameUID[100];
    dcmGenerateUniqueIdentifier(studyUID, SITE_STUDY_UID_ROOT);
    dcmGenerateUniqueIdentifier(seriesUID, SITE_SERIES_UID_ROOT);
    dcmGenerateUniqueIdentifier(frameUID, SITE_INSTANCE_UID_ROOT);
    std::vector<Uint16> pixels(static_cast<size_t>(shape.rows) * shape.columns);
    std::vector<std::string> written;
    for (int i = 0; i < shape.count; ++i) {
        char sopUID[100];
        dcmGenerateUniqueIdentifier(sopUID, SITE_INSTANCE_UID_ROOT);
        DcmFileFormat file;
        DcmDataset* ds = file.getDataset();
        ds->putAndInsertString(DCM_SOPClassUID, UID_CTImageStorage);
        ds->putAndInsertString(DCM_SOPInstanceUID, sopUID);
        ds->putAndInsertString(DCM_StudyDate, "20240102");
        ds->putAndInsertString(DCM_StudyTime, "101112.123");
        ds->putAndInsertString(DCM_SeriesDate, "20240102");
        ds->putAndInsertString(DCM_SeriesTime, "101500");
        ds->putAndInsertString(DCM_Modality, "CT");
        ds->putAndInsertString(DCM_StudyDescription, "Synthetic phantom");
        ds->putAndInsertString(DCM_SeriesDescription, "Axial 1mm");
        ds->putAndInsertString(DCM_PatientName, shape.patientName.c_str());
        ds->putAndInsertString(DCM_PatientID, shape.patientID.c_str());
        ds->putAndInsertString(DCM_PatientBirthDate, "19700101");
        ds->putAndInsertString(DCM_PatientSex, "F");
        ds->putAndInsertString(DCM_StudyInstanceUID, studyUID);
        ds->putAndInsertString(DCM_SeriesInstanceUID, seriesUID);
        ds->putAndInsertString(DCM_FrameOfReferenceUID, frameUID);
        ds->putAndInsertString(DCM_StudyID, "1");
        ds->putAndInsertString(DCM_SeriesNumber, "2");
        ds->putAndInsertString(DCM_InstanceNumber, std::to_string(i + 1).c_str());
        ds->putAndInsertString(DCM_ImagePositionPatient, ("0\\0\\" + std::to_string(i)).c_str());
        ds->putAndInsertString(DCM_ImageOrientationPatient, "1\\0\\0\\0\\1\\0");
        ds->putAndInsertString(DCM_PixelSpacing, "0.5\\0.5");
        ds->putAndInsertString(DCM_SliceThickness, "1");
        ds->putAndInsertString(DCM_RescaleIntercept, "-1024");
        ds->putAndInsertString(DCM_RescaleSlope, "1");
        ds->putAndInsertString(DCM_PhotometricInterpretation, "MONOCHROME2");
        ds->putAndInsertUint16(DCM_SamplesPerPixel, 1);
        ds->putAndInsertUint16(DCM_Rows, static_cast<Uint16>(shape.rows));
        ds->putAndInsertUint16(DCM_Columns, static_cast<Uint16>(shape.columns));
        ds->putAndInsertUint16(DCM_BitsAllocated, 16);
        ds->putAndInsertUint16(DCM_BitsStored, 12);
        ds->putAndInsertUint16(DCM_HighBit, 11);
        ds->putAndInsertUint16(DCM_PixelRepresentation, 0);
        for (int y = 0; y < shape.rows; ++y)
            for (int x = 0; x < shape.columns; ++x)
                pixels[static_cast<size_t>(y) * shape.columns + x] = static_cast<Uint16>((x + y + i * 7) & 0x0FFF);
        ds->putAndInsertUint16Array(DCM_PixelData, pixels.data(), static_cast<unsigned long>(pixels.size()));
        for (const auto& kv : shape.extra)
            ds->putAndInsertString(kv.first, kv.second.c_str());
        char name[32];
        std::snprintf(name, sizeof name, "/ct_%04d.dcm", i + 1);
        std::string path = dir + name;
        if (file.saveFile(path.c_str(), EXS_LittleEndianExplicit).bad())
            return {};
        written.push_back(path);
    }
    return written;
}

} // namespace nettest
