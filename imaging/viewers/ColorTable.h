#pragma once
// The colour tables of the viewers: 256 RGB triples (768 bytes), entry i colouring the pixels
// whose windowed value is i. Two are built in; the others are property lists with "Red",
// "Green" and "Blue" arrays of 256 integer texts, found through the engine's search paths.

#include <string>

namespace isImageSDK {

class ColorTable {
public:
    static constexpr int kEntries = 256;
    static constexpr int kBytes = 3 * kEntries;
    static constexpr const char* kGrey = "noClut.plist";
    static constexpr const char* kInverseGrey = "bwInverse.plist";

    /// Entry i is (i, i, i).
    static void grey(unsigned char rgb[kBytes]);
    /// Entry i is (255 - i, 255 - i, 255 - i).
    static void inverseGrey(unsigned char rgb[kBytes]);
    /// The table of the property list of that name. False, and the table untouched, when the
    /// file is missing or an array does not hold 256 elements. "Perfusion.plist" keeps its red
    /// values under "Blue" and its blue values under "Red".
    static bool loadFile(const std::string& name, unsigned char rgb[kBytes]);
};

} // namespace isImageSDK
