#pragma once
// Writes a canvas as an 8-bit RGBA PNG through libpng.

#include <string>

#include "Canvas.h"

namespace uires {

/// Writes beside the path and renames into place, so a failed run never leaves a partial
/// picture that a build would take as up to date. False (and a message on stderr) on failure.
bool writePng(const Canvas& canvas, const std::string& path);

} // namespace uires
