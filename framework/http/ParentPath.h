#pragma once
// The folder part of a path.

#include <string>

namespace NSUI {

/// Drops trailing '/' characters, then returns the text before the last '/' or '\'; a name
/// without a separator has no folder part and gives "" ("a/b/" gives "a", "c.png" gives "").
std::string getParentPath(const std::string& path);

} // namespace NSUI
