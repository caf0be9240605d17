#pragma once
// Guards for the paths and row IDs the store takes from its rows and its callers.

#include <string>

namespace StorePaths {

/// Reads a whole text as a row ID (decimal, optional blanks around, above 0); false otherwise.
bool parseRowId(const std::string& text, long long& id);

/// True when a series path of a row names a folder three or more levels below the store
/// root: relative, no empty, "." or ".." component, no backslash or control character.
/// Only such folders are ever removed, so a damaged row cannot reach outside the store.
bool isSeriesPath(const std::string& relative);

/// The patient folder of a series path: its components less the last two, ending in "/".
/// Empty when the path is not a series path.
std::string patientFolderOf(const std::string& relative);

/// Removes root + relative with everything below it when that folder lies inside root (also
/// after links are resolved). False, with a log line, when it is refused or fails.
bool removeFolderInside(const std::string& root, const std::string& relative);

} // namespace StorePaths
