#include "loader/CSLoader.h"

#include <map>
#include <memory>

#include <nlohmann/json.hpp>

#include "2d/Node.h"
#include "base/ccLog.h"
#include "loader/LayoutReader.h"
#include "platform/FileUtils.h"

namespace cocos2d {

namespace {
CSLoader* s_instance = nullptr;
}

struct CSLoader::Cache {
    std::map<std::string, std::shared_ptr<nlohmann::json>> documents;
};

CSLoader* CSLoader::getInstance() {
    if (!s_instance)
        s_instance = new CSLoader();
    return s_instance;
}

void CSLoader::destroyInstance() {
    delete s_instance;
    s_instance = nullptr;
}

CSLoader::~CSLoader() {
    delete _cache;
}

void CSLoader::purgeCache() {
    delete _cache;
    _cache = nullptr;
}

std::string CSLoader::resolve(const std::string& filename) const {
    std::string name = filename;
    const std::string csb = ".csb";
    if (name.size() > csb.size() && name.compare(name.size() - csb.size(), csb.size(), csb) == 0)
        name = name.substr(0, name.size() - csb.size()) + ".json";
    FileUtils* files = FileUtils::getInstance();
    std::string path = files->fullPathForFilename(name);
    return !path.empty() && files->isFileExist(path) ? path : std::string();
}

Node* CSLoader::createNode(const std::string& filename) {
    CSLoader* loader = getInstance();
    std::string path = loader->resolve(filename);
    if (path.empty()) {
        loader->_lastError = "no layout file for '" + filename + "'";
        log("CSLoader: %s", loader->_lastError.c_str());
        return nullptr;
    }
    if (!loader->_cache)
        loader->_cache = new Cache();
    std::shared_ptr<nlohmann::json> doc;
    auto it = loader->_cache->documents.find(path);
    if (it != loader->_cache->documents.end()) {
        doc = it->second;
    } else {
        std::string text = FileUtils::getInstance()->getStringFromFile(path);
        auto parsed = nlohmann::json::parse(text, nullptr, false);
        if (parsed.is_discarded()) {
            loader->_lastError = path + ": not valid JSON";
            log("CSLoader: %s", loader->_lastError.c_str());
            return nullptr;
        }
        doc = std::make_shared<nlohmann::json>(std::move(parsed));
        loader->_cache->documents[path] = doc;
    }
    LayoutReader reader(path);
    Node* node = reader.build(*doc);
    if (!node) {
        loader->_lastError = reader.error();
        log("CSLoader: %s", loader->_lastError.c_str());
        // A broken file is read again next time, after it may have been mended.
        loader->_cache->documents.erase(path);
        return nullptr;
    }
    loader->_lastError.clear();
    return node;
}

Node* CSLoader::createNodeFromText(const std::string& jsonText, const std::string& name) {
    auto parsed = nlohmann::json::parse(jsonText, nullptr, false);
    if (parsed.is_discarded()) {
        _lastError = name + ": not valid JSON";
        log("CSLoader: %s", _lastError.c_str());
        return nullptr;
    }
    LayoutReader reader(name);
    Node* node = reader.build(parsed);
    _lastError = node ? std::string() : reader.error();
    if (!node)
        log("CSLoader: %s", _lastError.c_str());
    return node;
}

bool CSLoader::validate(const std::string& jsonText, std::string* error) const {
    auto parsed = nlohmann::json::parse(jsonText, nullptr, false);
    if (parsed.is_discarded()) {
        if (error)
            *error = "not valid JSON";
        return false;
    }
    LayoutReader reader("layout");
    if (reader.check(parsed))
        return true;
    if (error)
        *error = reader.error();
    return false;
}

} // namespace cocos2d

namespace cocostudio {

void destroyCocosStudio() {
    cocos2d::CSLoader::destroyInstance();
}

} // namespace cocostudio
