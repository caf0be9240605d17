#pragma once
// The hot-update manifest: the version of a resource set, where its files are fetched from,
// and each file's path, md5 and whether it is a zip archive to unpack.

#include <string>
#include <vector>

namespace cocos2d {
namespace extension {

/// One file of the set.
struct ManifestAsset {
    /// Relative to the storage folder and to the package address; never leaves either.
    std::string path;
    /// Lower-case hex md5 of the file as fetched.
    std::string md5;
    /// Size in bytes as listed; 0 when the manifest does not say.
    long long size = 0;
    /// A zip archive unpacked into the storage folder once verified.
    bool compressed = false;
};

/// A JSON object: {"version", "packageUrl", "remoteManifestUrl" (optional), "assets":
/// {path: {"md5", "size" (optional), "compressed" (optional)}}}; other members are ignored.
class Manifest {
public:
    /// False (with a reason) for text that is not such an object, an md5 that is not 32 hex
    /// digits, or any path that isRelativePathSafe refuses: a manifest is taken whole or not at all.
    bool parse(const std::string& text, std::string& error);

    const std::string& getVersion() const { return _version; }
    const std::string& getPackageUrl() const { return _packageUrl; }
    const std::string& getRemoteManifestUrl() const { return _remoteManifestUrl; }
    const std::vector<ManifestAsset>& getAssets() const { return _assets; }

    /// True for a non-empty relative path that stays below the folder it is joined to: no
    /// leading "/", no "\", no ":" (drive letters), no NUL and no ".." component.
    static bool isRelativePathSafe(const std::string& path);

private:
    std::string _version;
    std::string _packageUrl;
    std::string _remoteManifestUrl;
    std::vector<ManifestAsset> _assets;
};

} // namespace extension
} // namespace cocos2d
