#include "SeriesWriter.h"

#include "Phantom.h"

#include <dcmtk/dcmdata/dctk.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace samplemaker {

namespace {
std::string newUid(const char* root)
{
    char buf[100];
    return dcmGenerateUniqueIdentifier(buf, root);
}

std::string num(double v)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

const char* modalityOf(SeriesKind k)
{
    switch (k) {
    case SeriesKind::CT: return "CT";
    case SeriesKind::MR: return "MR";
    case SeriesKind::PET: return "PT";
    default: return "OT";
    }
}

const char* sopClassOf(SeriesKind k)
{
    switch (k) {
    case SeriesKind::CT: return UID_CTImageStorage;
    case SeriesKind::MR: return UID_MRImageStorage;
    case SeriesKind::PET: return UID_PositronEmissionTomographyImageStorage;
    case SeriesKind::ColourSC: return UID_SecondaryCaptureImageStorage;
    default: return UID_MultiframeGrayscaleByteSecondaryCaptureImageStorage;
    }
}

// Spacing in the plane and between slices, in mm.
void spacingOf(SeriesKind k, double& pixel, double& slice)
{
    switch (k) {
    case SeriesKind::CT: pixel = 0.7, slice = 1.0; break;
    case SeriesKind::MR: pixel = 0.9, slice = 5.0; break;
    case SeriesKind::PET: pixel = 4.0, slice = 3.27; break;
    default: pixel = 0.5, slice = 1.0; break;
    }
}

void putPatientStudySeries(DcmDataset* ds, const SeriesPlan& s, const std::string& studyUID,
                           const std::string& seriesUID)
{
    ds->putAndInsertString(DCM_SpecificCharacterSet, "ISO_IR 100");
    ds->putAndInsertString(DCM_PatientName, s.patientName.c_str());
    ds->putAndInsertString(DCM_PatientID, s.patientID.c_str());
    ds->putAndInsertString(DCM_PatientBirthDate, s.birthDate.c_str());
    ds->putAndInsertString(DCM_PatientSex, s.sex.c_str());
    ds->putAndInsertString(DCM_PatientWeight, "72");
    ds->putAndInsertString(DCM_PatientSize, "1.75");
    ds->putAndInsertString(DCM_StudyInstanceUID, studyUID.c_str());
    ds->putAndInsertString(DCM_StudyID, std::to_string(s.seed).c_str());
    ds->putAndInsertString(DCM_StudyDate, s.studyDate.c_str());
    ds->putAndInsertString(DCM_StudyTime, "101500");
    ds->putAndInsertString(DCM_StudyDescription, s.studyDescription.c_str());
    ds->putAndInsertString(DCM_AccessionNumber, ("ACC" + std::to_string(s.seed)).c_str());
    ds->putAndInsertString(DCM_ReferringPhysicianName, "");
    ds->putAndInsertString(DCM_Modality, modalityOf(s.kind));
    ds->putAndInsertString(DCM_SeriesInstanceUID, seriesUID.c_str());
    ds->putAndInsertString(DCM_SeriesNumber, std::to_string(s.seriesNumber).c_str());
    ds->putAndInsertString(DCM_SeriesDate, s.studyDate.c_str());
    ds->putAndInsertString(DCM_SeriesTime, "102000");
    ds->putAndInsertString(DCM_Manufacturer, "Synthetic phantom");
    ds->putAndInsertString(DCM_InstitutionName, "Sample data");
    ds->putAndInsertString(DCM_FrameOfReferenceUID, (studyUID + ".1").c_str());
    ds->putAndInsertString(DCM_PatientPosition, "HFS");
}

void putGrey16(DcmDataset* ds, bool isSigned)
{
    ds->putAndInsertUint16(DCM_SamplesPerPixel, 1);
    ds->putAndInsertString(DCM_PhotometricInterpretation, "MONOCHROME2");
    ds->putAndInsertUint16(DCM_BitsAllocated, 16);
    ds->putAndInsertUint16(DCM_BitsStored, 16);
    ds->putAndInsertUint16(DCM_HighBit, 15);
    ds->putAndInsertUint16(DCM_PixelRepresentation, isSigned ? 1 : 0);
}

bool fillImage(DcmDataset* ds, const SeriesPlan& s, int z)
{
    const unsigned long n = static_cast<unsigned long>(s.width) * s.height;
    switch (s.kind) {
    case SeriesKind::CT: {
        std::vector<int16_t> hu = Phantom::ctSlice(s.width, s.height, z, s.slices, s.seed);
        for (int16_t& v : hu)
            v = static_cast<int16_t>(v + 1024); // stored = HU - intercept
        putGrey16(ds, true);
        ds->putAndInsertString(DCM_RescaleIntercept, "-1024");
        ds->putAndInsertString(DCM_RescaleSlope, "1");
        ds->putAndInsertString(DCM_RescaleType, "HU");
        ds->putAndInsertString(DCM_WindowCenter, "40\\-600");
        ds->putAndInsertString(DCM_WindowWidth, "400\\1500");
        ds->putAndInsertString(DCM_KVP, "120");
        ds->putAndInsertString(DCM_ScanOptions, "HELICAL MODE");
        return ds->putAndInsertUint16Array(DCM_PixelData, reinterpret_cast<Uint16*>(hu.data()), n).good();
    }
    case SeriesKind::MR: {
        std::vector<uint16_t> v = Phantom::mrSlice(s.width, s.height, z, s.slices, s.seed);
        putGrey16(ds, false);
        ds->putAndInsertString(DCM_WindowCenter, "500");
        ds->putAndInsertString(DCM_WindowWidth, "1000");
        ds->putAndInsertString(DCM_MagneticFieldStrength, "1.5");
        ds->putAndInsertString(DCM_EchoTime, "12");
        ds->putAndInsertString(DCM_RepetitionTime, "500");
        return ds->putAndInsertUint16Array(DCM_PixelData, v.data(), n).good();
    }
    case SeriesKind::PET: {
        std::vector<float> a = Phantom::petSlice(s.width, s.height, z, s.slices, s.seed);
        float top = *std::max_element(a.begin(), a.end());
        double slope = top > 0.0f ? top / 32000.0 : 1.0; // stored values use the signed range
        std::vector<int16_t> stored(n);
        for (unsigned long i = 0; i < n; ++i)
            stored[i] = static_cast<int16_t>(std::lround(a[i] / slope));
        putGrey16(ds, true);
        ds->putAndInsertString(DCM_RescaleIntercept, "0");
        ds->putAndInsertString(DCM_RescaleSlope, num(slope).c_str());
        ds->putAndInsertString(DCM_Units, "BQML");
        ds->putAndInsertString(DCM_DecayCorrection, "START");
        ds->putAndInsertString(DCM_DecayFactor, "1.0");
        ds->putAndInsertString(DCM_AcquisitionDate, s.studyDate.c_str());
        ds->putAndInsertString(DCM_AcquisitionTime, "110000");
        DcmItem* item = nullptr;
        if (ds->findOrCreateSequenceItem(DCM_RadiopharmaceuticalInformationSequence, item).good() && item) {
            item->putAndInsertString(DCM_Radiopharmaceutical, "Fluorodeoxyglucose");
            item->putAndInsertString(DCM_RadiopharmaceuticalStartTime, "093000");
            item->putAndInsertString(DCM_RadionuclideTotalDose, "370000000");
            item->putAndInsertString(DCM_RadionuclideHalfLife, "6586.2");
        }
        return ds->putAndInsertUint16Array(DCM_PixelData, reinterpret_cast<Uint16*>(stored.data()), n).good();
    }
    case SeriesKind::ColourSC: {
        std::vector<uint8_t> rgb = Phantom::colourPicture(s.width, s.height);
        ds->putAndInsertUint16(DCM_SamplesPerPixel, 3);
        ds->putAndInsertString(DCM_PhotometricInterpretation, "RGB");
        ds->putAndInsertUint16(DCM_PlanarConfiguration, 0);
        ds->putAndInsertUint16(DCM_BitsAllocated, 8);
        ds->putAndInsertUint16(DCM_BitsStored, 8);
        ds->putAndInsertUint16(DCM_HighBit, 7);
        ds->putAndInsertUint16(DCM_PixelRepresentation, 0);
        ds->putAndInsertString(DCM_ConversionType, "WSD");
        return ds->putAndInsertUint8Array(DCM_PixelData, rgb.data(), n * 3).good();
    }
    case SeriesKind::MultiFrame: {
        std::vector<uint8_t> all;
        all.reserve(n * s.slices);
        for (int f = 0; f < s.slices; ++f) {
            std::vector<uint8_t> frame = Phantom::cineFrame(s.width, s.height, f, s.slices);
            all.insert(all.end(), frame.begin(), frame.end());
        }
        ds->putAndInsertUint16(DCM_SamplesPerPixel, 1);
        ds->putAndInsertString(DCM_PhotometricInterpretation, "MONOCHROME2");
        ds->putAndInsertUint16(DCM_BitsAllocated, 8);
        ds->putAndInsertUint16(DCM_BitsStored, 8);
        ds->putAndInsertUint16(DCM_HighBit, 7);
        ds->putAndInsertUint16(DCM_PixelRepresentation, 0);
        ds->putAndInsertString(DCM_NumberOfFrames, std::to_string(s.slices).c_str());
        ds->putAndInsertString(DCM_ConversionType, "WSD");
        ds->putAndInsertString(DCM_FrameTime, "40");
        return ds->putAndInsertUint8Array(DCM_PixelData, all.data(), all.size()).good();
    }
    }
    return false;
}
} // namespace

bool SeriesWriter::write(const SeriesPlan& s, const std::string& folder, std::vector<std::string>& files)
{
    if (s.width < 1 || s.height < 1 || s.width > 65535 || s.height > 65535 || s.slices < 1) {
        fprintf(stderr, "samplemaker: bad size %dx%dx%d\n", s.width, s.height, s.slices);
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        fprintf(stderr, "samplemaker: cannot create %s: %s\n", folder.c_str(), ec.message().c_str());
        return false;
    }
    const std::string studyUID = s.studyUID.empty() ? newUid(SITE_STUDY_UID_ROOT) : s.studyUID;
    const std::string seriesUID = newUid(SITE_SERIES_UID_ROOT);
    double pixel, slice;
    spacingOf(s.kind, pixel, slice);
    // A multi-frame image is one file; every other kind has one file per slice.
    const int filesToWrite = s.kind == SeriesKind::MultiFrame ? 1 : s.slices;
    for (int z = 0; z < filesToWrite; ++z) {
        DcmFileFormat ff;
        DcmDataset* ds = ff.getDataset();
        putPatientStudySeries(ds, s, studyUID, seriesUID);
        ds->putAndInsertString(DCM_SOPClassUID, sopClassOf(s.kind));
        ds->putAndInsertString(DCM_SOPInstanceUID, newUid(SITE_INSTANCE_UID_ROOT).c_str());
        ds->putAndInsertString(DCM_InstanceNumber, std::to_string(z + 1).c_str());
        ds->putAndInsertString(DCM_ImageType, "ORIGINAL\\PRIMARY\\AXIAL");
        ds->putAndInsertUint16(DCM_Rows, static_cast<Uint16>(s.height));
        ds->putAndInsertUint16(DCM_Columns, static_cast<Uint16>(s.width));
        ds->putAndInsertString(DCM_PixelSpacing, (num(pixel) + "\\" + num(pixel)).c_str());
        ds->putAndInsertString(DCM_SliceThickness, num(slice).c_str());
        ds->putAndInsertString(DCM_ImageOrientationPatient, "1\\0\\0\\0\\1\\0");
        // Centred in x and y; slices go from head (z = 0) towards the feet.
        const double x0 = -0.5 * pixel * (s.width - 1), y0 = -0.5 * pixel * (s.height - 1), zpos = -slice * z;
        ds->putAndInsertString(DCM_ImagePositionPatient, (num(x0) + "\\" + num(y0) + "\\" + num(zpos)).c_str());
        ds->putAndInsertString(DCM_SliceLocation, num(zpos).c_str());
        if (!fillImage(ds, s, z)) {
            fprintf(stderr, "samplemaker: pixels of slice %d not taken\n", z);
            return false;
        }
        char name[32];
        snprintf(name, sizeof name, "IM%04d.dcm", z + 1);
        const std::string path = folder + "/" + name;
        OFCondition cond = ff.saveFile(path.c_str(), EXS_LittleEndianExplicit);
        if (cond.bad()) {
            fprintf(stderr, "samplemaker: cannot write %s: %s\n", path.c_str(), cond.text());
            return false;
        }
        files.push_back(path);
    }
    return true;
}

} // namespace samplemaker
