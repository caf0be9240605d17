#include "extension/Manifest.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace cocos2d {
namespace extension {

namespace {

bool isMd5(std::string& text) {
    if (text.size() != 32)
        return false;
    for (auto& c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return true;
}

std::string stringMember(const nlohmann::json& object, const char* key) {
    auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

} // namespace

bool Manifest::isRelativePathSafe(const std::string& path) {
    if (path.empty() || path.front() == '/')
        return false;
    if (path.find_first_of(std::string("\\:\0", 3)) != std::string::npos)
        return false;
    std::istringstream components(path);
    std::string component;
    while (std::getline(components, component, '/'))
        if (component == "..")
            return false;
    return true;
}

bool Manifest::parse(const std::string& text, std::string& error) {
    nlohmann::json root = nlohmann::json::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        error = "the manifest is not a JSON object";
        return false;
    }
    _version = stringMember(root, "version");
    _packageUrl = stringMember(root, "packageUrl");
    _remoteManifestUrl = stringMember(root, "remoteManifestUrl");
    if (_version.empty() || _packageUrl.empty()) {
        error = "the manifest names no version or package address";
        return false;
    }
    auto assets = root.find("assets");
    if (assets == root.end() || !assets->is_object()) {
        error = "the manifest lists no assets";
        return false;
    }
    _assets.clear();
    for (auto it = assets->begin(); it != assets->end(); ++it) {
        ManifestAsset asset;
        asset.path = it.key();
        if (!isRelativePathSafe(asset.path)) {
            error = "unsafe asset path \"" + asset.path + "\"";
            return false;
        }
        const nlohmann::json& entry = it.value();
        asset.md5 = entry.is_object() ? stringMember(entry, "md5") : std::string();
        if (!isMd5(asset.md5)) {
            error = "asset \"" + asset.path + "\" has no md5";
            return false;
        }
        auto size = entry.find("size");
        if (size != entry.end() && size->is_number_integer())
            asset.size = std::max<long long>(0, size->get<long long>());
        auto compressed = entry.find("compressed");
        asset.compressed = compressed != entry.end() && compressed->is_boolean() && compressed->get<bool>();
        _assets.push_back(asset);
    }
    return true;
}

} // namespace extension
} // namespace cocos2d
