#include "renderer/TextureCache.h"

#include <algorithm>
#include <sstream>

#include "base/Director.h"
#include "base/Scheduler.h"
#include "base/ccLog.h"
#include "platform/FileUtils.h"
#include "platform/Image.h"
#include "renderer/Texture2D.h"

namespace cocos2d {

struct TextureCache::AsyncRequest {
    std::string fullPath;
    std::string callbackKey;
    std::function<void(Texture2D*)> callback;
    Image* image = nullptr; // decoded on the loader, owned until delivered
    bool cancelled = false; // main thread only
};

TextureCache::TextureCache() {}

TextureCache::~TextureCache()
{
    waitForQuit();
    removeAllTextures();
}

std::string TextureCache::keyFor(const std::string& filepath) const
{
    return FileUtils::getInstance()->fullPathForFilename(filepath);
}

Texture2D* TextureCache::addImage(const std::string& filepath)
{
    std::string key = keyFor(filepath);
    if (key.empty()) {
        log("TextureCache: no picture %s", filepath.c_str());
        return nullptr;
    }
    auto it = _textures.find(key);
    if (it != _textures.end()) {
        return it->second;
    }
    Image image;
    if (!image.initWithImageFile(key)) {
        return nullptr;
    }
    return addImage(&image, key);
}

Texture2D* TextureCache::addImage(Image* image, const std::string& key)
{
    if (!image || key.empty()) {
        return nullptr;
    }
    auto it = _textures.find(key);
    if (it != _textures.end()) {
        return it->second;
    }
    auto* texture = new Texture2D();
    if (!texture->initWithImage(image)) {
        texture->release();
        return nullptr;
    }
    texture->setPath(key);
    _textures[key] = texture; // the cache holds the one reference
    return texture;
}

void TextureCache::addImageAsync(const std::string& filepath, const std::function<void(Texture2D*)>& callback)
{
    addImageAsync(filepath, callback, filepath);
}

void TextureCache::addImageAsync(const std::string& filepath, const std::function<void(Texture2D*)>& callback,
                                 const std::string& callbackKey)
{
    auto request = std::make_shared<AsyncRequest>();
    request->fullPath = keyFor(filepath);
    request->callbackKey = callbackKey;
    request->callback = callback;
    Scheduler* scheduler = Director::getInstance()->getScheduler();
    std::lock_guard<std::mutex> lock(_mutex);
    _inFlight.push_back(request);
    if (request->fullPath.empty() || _textures.count(request->fullPath)) {
        // Nothing to decode; the answer still comes at a later frame, like every other.
        scheduler->performFunctionInCocosThread([this, request] { deliver(request); }, this);
        return;
    }
    _queue.push_back(request);
    if (!_loader.joinable()) {
        _quit = false;
        _loader = std::thread(&TextureCache::loaderLoop, this);
    }
    _wake.notify_one();
}

void TextureCache::loaderLoop()
{
    for (;;) {
        std::shared_ptr<AsyncRequest> request;
        {
            std::unique_lock<std::mutex> lock(_mutex);
            _wake.wait(lock, [this] { return _quit || !_queue.empty(); });
            if (_quit) {
                return;
            }
            request = _queue.front();
            _queue.pop_front();
        }
        auto* image = new Image();
        if (!image->initWithImageFile(request->fullPath)) {
            image->release();
            image = nullptr;
        }
        std::lock_guard<std::mutex> lock(_mutex);
        if (_quit) {
            if (image) image->release();
            return;
        }
        request->image = image;
        Director::getInstance()->getScheduler()->performFunctionInCocosThread([this, request] { deliver(request); },
                                                                               this);
    }
}

void TextureCache::deliver(const std::shared_ptr<AsyncRequest>& request)
{
    Image* image = nullptr;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        auto it = std::find(_inFlight.begin(), _inFlight.end(), request);
        if (it != _inFlight.end()) {
            _inFlight.erase(it);
        }
        image = request->image;
        request->image = nullptr;
    }
    Texture2D* texture = nullptr;
    if (!request->fullPath.empty()) {
        auto cached = _textures.find(request->fullPath);
        if (cached != _textures.end()) {
            texture = cached->second;
        } else if (image) {
            texture = addImage(image, request->fullPath);
        }
    }
    if (image) {
        image->release();
    }
    if (!texture) {
        log("TextureCache: asynchronous load of '%s' failed", request->fullPath.c_str());
    }
    if (!request->cancelled && request->callback) {
        request->callback(texture);
    }
}

void TextureCache::unbindImageAsync(const std::string& callbackKey)
{
    std::lock_guard<std::mutex> lock(_mutex);
    for (auto& r : _inFlight) {
        if (r->callbackKey == callbackKey) {
            r->cancelled = true;
        }
    }
}

void TextureCache::unbindAllImageAsync()
{
    std::lock_guard<std::mutex> lock(_mutex);
    for (auto& r : _inFlight) {
        r->cancelled = true;
    }
}

Texture2D* TextureCache::getTextureForKey(const std::string& key) const
{
    auto it = _textures.find(key);
    if (it == _textures.end()) {
        std::string full = keyFor(key);
        it = full.empty() ? _textures.end() : _textures.find(full);
    }
    return it == _textures.end() ? nullptr : it->second;
}

void TextureCache::removeTextureForKey(const std::string& key)
{
    auto it = _textures.find(key);
    if (it == _textures.end()) {
        std::string full = keyFor(key);
        it = full.empty() ? _textures.end() : _textures.find(full);
    }
    if (it != _textures.end()) {
        it->second->release();
        _textures.erase(it);
    }
}

void TextureCache::removeTexture(Texture2D* texture)
{
    for (auto it = _textures.begin(); it != _textures.end(); ++it) {
        if (it->second == texture) {
            texture->release();
            _textures.erase(it);
            return;
        }
    }
}

void TextureCache::removeAllTextures()
{
    for (auto& t : _textures) {
        t.second->release();
    }
    _textures.clear();
}

void TextureCache::removeUnusedTextures()
{
    for (auto it = _textures.begin(); it != _textures.end();) {
        if (it->second->getReferenceCount() == 1) {
            it->second->release();
            it = _textures.erase(it);
        } else {
            ++it;
        }
    }
}

std::string TextureCache::getCachedTextureInfo() const
{
    std::ostringstream out;
    size_t bytes = 0;
    for (const auto& t : _textures) {
        size_t b = static_cast<size_t>(t.second->getPixelsWide()) * t.second->getPixelsHigh() *
                   Texture2D::getBitsPerPixelForFormat(t.second->getPixelFormat()) / 8;
        bytes += b;
        out << "\"" << t.first << "\" refs=" << t.second->getReferenceCount() << " " << t.second->getPixelsWide()
            << "x" << t.second->getPixelsHigh() << " " << b / 1024 << " KB\n";
    }
    out << "TextureCache: " << _textures.size() << " textures, " << bytes / 1024 << " KB\n";
    return out.str();
}

void TextureCache::waitForQuit()
{
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _quit = true;
        for (auto& r : _inFlight) {
            if (r->image) {
                r->image->release();
                r->image = nullptr;
            }
        }
        _inFlight.clear();
        _queue.clear();
    }
    _wake.notify_all();
    if (_loader.joinable()) {
        _loader.join();
    }
    Director::getInstance()->getScheduler()->removeFunctionInCocosThread(this);
}

} // namespace cocos2d
