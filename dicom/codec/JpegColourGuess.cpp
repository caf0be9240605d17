#include "codec/JpegColourGuess.h"

#include <cstring>

namespace dcmSDK {

bool JpegColourGuess::isYcbcr(const uint8_t* d, size_t n)
{
    if (!d || n < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return false;
    bool jfif = false;
    int adobeTransform = -1;
    size_t pos = 2;
    while (pos + 4 <= n) {
        if (d[pos] != 0xFF)
            return false;
        uint8_t marker = d[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        size_t len = (static_cast<size_t>(d[pos + 2]) << 8) | d[pos + 3];
        if (len < 2 || pos + 2 + len > n)
            return false;
        const uint8_t* seg = d + pos + 4;
        size_t segLen = len - 2;
        if (marker == 0xE0 && segLen >= 5 && memcmp(seg, "JFIF\0", 5) == 0)
            jfif = true;
        else if (marker == 0xEE && segLen >= 12 && memcmp(seg, "Adobe", 5) == 0)
            adobeTransform = seg[11];
        // Start of frame (any process except DHT 0xC4, JPG 0xC8 and DAC 0xCC).
        bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (segLen < 6 || seg[5] != 3 || segLen < 6 + 3 * 3)
                return false;
            if (jfif)
                return true;
            if (adobeTransform >= 0)
                return adobeTransform != 0;
            // Without either marker: ids 1, 2, 3 are the JFIF convention for YCbCr, and so is
            // chroma subsampling; anything else keeps what the data set says (RGB).
            if (seg[6] == 1 && seg[9] == 2 && seg[12] == 3)
                return true;
            return seg[7] != seg[10] || seg[7] != seg[13];
        }
        if (marker == 0xDA)
            return false;
        pos += 2 + len;
    }
    return false;
}

} // namespace dcmSDK
