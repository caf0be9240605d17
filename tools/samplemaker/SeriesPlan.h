#pragma once
// What one synthetic series looks like: patient, study, kind and size.

#include <string>

namespace samplemaker {

enum class SeriesKind { CT, MR, PET, ColourSC, MultiFrame };

/// One series to write.
struct SeriesPlan {
    SeriesKind kind = SeriesKind::CT;
    int width = 512;
    int height = 512;
    int slices = 1;           ///< files (or frames, for the multi-frame kind)
    std::string patientName = "PHANTOM^CT";
    std::string patientID = "QP0001";
    std::string birthDate = "19700101";
    std::string sex = "O";
    std::string studyUID;     ///< empty: a new one
    std::string studyDescription = "Synthetic study";
    std::string studyDate = "20240102";
    int seriesNumber = 1;
    unsigned seed = 1;
};

} // namespace samplemaker
