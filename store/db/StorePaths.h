#pragma once
// Guards for the paths and row IDs the store takes from its rows and its callers.

#include <string>
#include <vector>

namespace StorePaths {

/// Reads a whole text as a row ID (decimal, optional blanks around, above 0); false otherwise.
bool parseRowId(const std::string& text, long long& id);

/// True when a series path of a row names a folder three or more levels below the store
/// root: relative, no empty, "." or ".." component, no backslash or control character.
/// Only such folders are ever removed, so a damaged row cannot reach outside the store.
bool isSeriesPath(const std::string& relative);

/// The study and the patient folder of a series path, in that order: its components less the
/// last one and less the last two, each ending in "/". Empty when it is not a series path.
std::vector<std::string> foldersAboveSeries(const std::string& relative);

/// Removes root + relative with everything below it when that folder lies inside root (also
/// after links are resolved). False, with a log line, when it is refused or fails.
bool removeFolderInside(const std::string& root, const std::string& relative);

/// Renames root + relative (inside root, as above) to `aside`, a path on the same file system,
/// so that it can be removed later without holding anyone up. True when it was moved or was
/// not there (then `moved` is false); false, with a log line, when it is refused or fails.
bool moveFolderInside(const std::string& root, const std::string& relative, const std::string& aside, bool& moved);

/// Removes root + relative when it is an empty folder inside root (as above). True when it is
/// gone or was not there; false when it still holds something, or is refused.
bool removeEmptyFolderInside(const std::string& root, const std::string& relative);

} // namespace StorePaths
