#pragma once
// The tag-reading rules shared by the single-file reader and the series scan: which tags fill
// which slice fields, what an absent or malformed value becomes, and the pixel type choice.

#include <cstdint>
#include <string>

#include "imaging/core/data/isSliceInfo.h"

namespace dcmSDK {
class dcmReader;
}

namespace isImageSDK {

/// Everything read from one file's header besides what lands in the slice record.
struct DicomImageTags {
    bool modalityPresent = false;
    bool positionValid = false;    // three values
    bool orientationValid = false; // six values
    bool columnsPresent = false;
    bool rowsPresent = false;
    int32_t bitsAllocated = 8;
    int32_t pixelRepresentation = 0;
};

/// The two sets of absent-value rules: a file shown on its own, and a file scanned into a series.
enum class TagRules { SingleFile, SeriesScan };

/// Reads the header tags of an open file into `slice` (which starts with its defaults).
void readImageTags(dcmSDK::dcmReader& reader, TagRules rules, isSliceInfo& slice, DicomImageTags& tags);

/// Builds the image-to-world matrix from position and orientation mapped by the patient position.
cocos2d::Mat4 sliceMatrix(const double row[3], const double column[3], const double position[3], int facing,
                          int headFeet);

/// The pixel type code for the file's bits allocated and the library's decoded format; -1 when
/// no code fits.
int choosePixelType(int bitsAllocated, int libraryType, int modality, float slope, float intercept,
                    int displayCode);

/// Patient position text to facing/head-feet codes; false for an unknown text.
bool parsePatientPosition(const std::string& text, int& facing, int& headFeet);

/// Splits "a\b\c" into at most `capacity` numbers; returns the number of parts in the text.
int parseNumbers(const std::string& text, double* out, int capacity);

/// Reads a tag as text, bounded; false when absent.
bool readTagText(dcmSDK::dcmReader& reader, unsigned short group, unsigned short element, std::string& out);

} // namespace isImageSDK
