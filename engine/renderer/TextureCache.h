#pragma once
// Textures by file path (or key), loaded at once or decoded on one loader thread. Every
// asynchronous callback runs on the main thread, with null when the picture cannot be loaded.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "base/Ref.h"

namespace cocos2d {

class Image;
class Texture2D;

class TextureCache : public Ref {
public:
    TextureCache();
    ~TextureCache() override;

    /// The cached texture of the file, or a new one loaded now; null when it cannot be loaded.
    Texture2D* addImage(const std::string& filepath);
    /// A texture of the picture under the key (an existing one for the key is returned).
    Texture2D* addImage(Image* image, const std::string& key);
    /// Decodes on the loader thread; the callback runs at a later frame on the main thread
    /// with the texture, or null on failure. callbackKey (default: the path) names it for
    /// unbindImageAsync.
    void addImageAsync(const std::string& filepath, const std::function<void(Texture2D*)>& callback);
    void addImageAsync(const std::string& filepath, const std::function<void(Texture2D*)>& callback,
                       const std::string& callbackKey);
    /// Drops the callbacks of the key that have not run yet (the picture may still be cached).
    void unbindImageAsync(const std::string& callbackKey);
    void unbindAllImageAsync();

    Texture2D* getTextureForKey(const std::string& key) const;
    void removeTextureForKey(const std::string& key);
    void removeTexture(Texture2D* texture);
    void removeAllTextures();
    /// Drops textures that nobody but the cache holds.
    void removeUnusedTextures();
    size_t getTextureCount() const { return _textures.size(); }
    std::string getCachedTextureInfo() const;

    /// Stops the loader thread (pending callbacks are dropped).
    void waitForQuit();

private:
    struct AsyncRequest;
    std::string keyFor(const std::string& filepath) const;
    void loaderLoop();
    void deliver(const std::shared_ptr<AsyncRequest>& request);

    std::unordered_map<std::string, Texture2D*> _textures;

    std::mutex _mutex;
    std::condition_variable _wake;
    std::deque<std::shared_ptr<AsyncRequest>> _queue;
    std::deque<std::shared_ptr<AsyncRequest>> _inFlight; // queued or decoded, callback not yet run
    std::thread _loader;
    bool _quit = false;
};

} // namespace cocos2d
