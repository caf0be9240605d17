#pragma once
// The library's own PNG writer, used when the host installed no save-PNG callback.

#include <string>

namespace dcmSDK {

/// Writes 8-bit RGB rows (row y at rgb + y * width * 3) as a PNG file; false on any failure,
/// in which case no partial file is left behind.
bool writeRgbPng(int width, int height, const unsigned char* rgb, const std::string& path);

} // namespace dcmSDK
