#pragma once
// Scans a series folder's DICOM headers once, decides between a regular volume and a plain
// series, and keeps the result as a ".prebin" cache file named by the folder's key hash.

#include <string>
#include <unordered_map>
#include <vector>

#include "dicom/dcmTypes.h"
#include "imaging/core/cache/PrebinFormat.h"

namespace dcmSDK {
class dcmReader;
}

namespace isImageSDK {

class isDcmScan {
public:
    isDcmScan() = default;

    /// Where the cache files live: the writable path + "qp/tmp/dcmbuf/".
    static std::string cacheFolder();
    /// Cache file of a series folder with the given extension (".prebin" or ".raw"), whether
    /// or not it exists. Folders with and without a trailing "/" share one name.
    static std::string cacheFileFor(const std::string& folder, const char* extension);

    /// The study list writes up to this many preview pictures into a series folder, named
    /// this prefix and their number ("thrumb0".."thrumb5"); the scan leaves them unread.
    static constexpr const char* kPreviewPicturePrefix = "thrumb";
    static constexpr int kPreviewPictureCount = 6;
    /// True for a preview picture's name (a bare name or a path ending in one).
    static bool isPreviewPicture(const std::string& name);

    /// Creates the cache folder when missing; the ".prebin" path of the folder when it exists,
    /// else "".
    std::string getCachePath(const std::string& folder);
    /// True when 68 header bytes were read with the magic and version texts.
    static bool checkPrebinHeader(const std::string& path);
    /// Scans the folder and writes its ".prebin"; false when nothing usable was found or the
    /// file could not be written (no ".prebin" is left behind then). The study list's preview
    /// pictures ("thrumb0".."thrumb5") and the cache files themselves are never opened.
    bool createBuffer(const std::string& folder);
    /// Deletes the folder's ".prebin" when there is one, and then its ".raw".
    void removeCache(const std::string& folder);
    /// Deletes whichever of the folder's two cache files exist.
    static void removeCacheForStudy(const std::string& folder);
    /// Deletes ".raw" files that are seven days old or older; ".prebin" files stay.
    void clearBuffer();

    /// A scanned image: its 712-byte record, its file name relative to the folder and where
    /// its samples lie in the file (invalid when they cannot be read straight from it).
    struct ScannedImage {
        isPrebinImageRecord record;
        std::string name;
        dcmSDK::PixelLocation location;
    };
    /// The images of the last successful scan, in the cache's record order.
    const std::vector<ScannedImage>& getScannedImages() const { return _images; }
    /// Where the last scan found each image's samples, by the folder ("/"-terminated) + name.
    std::unordered_map<std::string, dcmSDK::PixelLocation> getPixelLocations(const std::string& folder) const;
    /// Reads the headers of the named files; false when no file gave a record.
    bool scanSeries(const std::string& folder, const std::vector<std::string>& names,
                    const std::string& prebinPath);

private:
    /// Reads one file's header into image; false when it is no usable image.
    static bool scanOne(dcmSDK::dcmReader& reader, const std::string& folder, const std::string& name,
                        ScannedImage& image, bool& notVolume);
    /// Keeps the images of a written cache; returns written.
    bool keep(bool written, std::vector<ScannedImage>& images);
    bool writeSeries(const std::string& path, const std::vector<ScannedImage>& images);
    bool writeVolume(const std::string& path, const std::vector<ScannedImage>& images, float sliceSpacing);

    std::vector<ScannedImage> _images;
};

} // namespace isImageSDK
