#pragma once
// File work of the asset manager's worker: md5 sums, unpacking verified archives into the
// storage folder, and writing a file so that readers see the old or the new text, never half.

#include <string>

namespace cocos2d {
namespace extension {

class AssetFiles {
public:
    /// Lower-case hex md5 of the file's bytes; empty when it cannot be read.
    static std::string md5OfFile(const std::string& path);
    /// Unpacks every entry of the zip below folder (which ends with "/"). Every entry name is
    /// checked first: an archive with one unsafe name (absolute, "..", "\", drive letter) is
    /// refused whole and nothing is written. Unpacking stops, as a failure, once the entries
    /// would take more than maxBytes in all. The entries are unpacked beside the folder (in
    /// its name + ".unpacking/") and moved in once all are whole; each file they replace is
    /// first moved aside (to its name + ".replaced/"). When an entry cannot be moved in, the
    /// entries moved before it are removed, the replaced files put back and the folders made
    /// removed, so an archive that fails at any step leaves the folder as it was. Only when
    /// that undoing fails too are the replaced files left aside, and the reason says so; while
    /// a file is left there, every archive is refused, with a reason naming that folder.
    /// False with a reason.
    static bool unzip(const std::string& zipPath, const std::string& folder, std::string& error,
                      long long maxBytes);
    /// The whole file; empty when it cannot be read.
    static std::string readFile(const std::string& path);
    /// Writes the text beside the target, then renames it into place.
    static bool writeFileAtomically(const std::string& path, const std::string& text);
    /// Creates the folders above the file's path.
    static bool createParentFolders(const std::string& path);
};

} // namespace extension
} // namespace cocos2d
