#pragma once
// Checks that an archive entry stays inside the folder it is extracted to.

#include <string>

namespace NSUI {

/// False for names that could write outside the target folder: absolute names, drive
/// prefixes, ".." components (with "/" or "\" as separators) and embedded NULs.
bool isSafeZipEntryName(const std::string& name);
/// The name with "\" separators turned into "/".
std::string normalizedZipEntryName(const std::string& name);

} // namespace NSUI
