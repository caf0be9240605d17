#pragma once
// Mixin that fills image controls from picture files without stalling the frame: cached
// textures are applied at once, others are decoded one at a time on the texture cache's
// loader thread, started by a pump that the owner calls on a timer.

#include <deque>
#include <string>

#include "cocos2d.h"

namespace cocos2d {
class Sprite;
class Texture2D;
namespace ui {
class ImageView;
}
} // namespace cocos2d

namespace NSUI {

class NSTextField;

class UIControlGenerater {
public:
    UIControlGenerater();
    /// Releases every queued control and the one in flight, and drops the pending completion
    /// so that it never reaches a destroyed owner.
    virtual ~UIControlGenerater();

    /// Shows the file in the image view with one uniform scale that fits it into size.
    void loadImageToView(cocos2d::ui::ImageView* view, const std::string& path, const cocos2d::Size& size);
    /// Shows the file in the sprite fitted into size, the horizontal scale multiplied by factor.
    void loadImageToViewScaled(cocos2d::Sprite* sprite, const std::string& path, const cocos2d::Size& size,
                               float factor = 1.0f);
    /// Always queues a plain load (no fitting), even when the texture is cached.
    void queueImageLoad(cocos2d::ui::ImageView* view, const std::string& path);

    /// Starts the next queued load when none is in flight (at most one per call).
    void startNextImageLoad();
    /// The same as a scheduler callback: screens that schedule the pump themselves use it
    /// every 0.05 s, first after 0.1 s.
    void imageLoadTick(float) { startNextImageLoad(); }
    /// Completion of the load in flight (main thread); null when the picture failed to load.
    void onImageLoaded(cocos2d::Texture2D* texture);

    /// A text field of width 150 and the given height, font size = height; not yet added.
    NSTextField* createTextField(const std::string& placeholder, const cocos2d::Vec2& position, float height,
                                 const cocos2d::Vec2& anchor);

    size_t getPendingImageLoadCount() const { return _imageQueue.size(); }
    bool isImageLoadInFlight() const { return _currentLoad.view != nullptr; }

    /// The uniform scale that fits picture into target; 0 when either size is empty.
    static float fitScale(const cocos2d::Size& picture, const cocos2d::Size& target);

private:
    struct LoadRecord {
        std::string path;
        cocos2d::Node* view = nullptr; // retained while the record lives
        bool imageView = true;
        int mode = 0; // 0 apply unchanged, 1 apply and fit
        cocos2d::Size targetSize;
        float factor = 1.0f;
        bool superseded = false; // a newer request for the same control came in meanwhile
    };

    /// A newer request for the view replaces the ones still waiting and the one in flight,
    /// so a recycled control never ends up showing an older picture.
    void supersede(cocos2d::Node* view);
    void enqueue(cocos2d::Node* view, const std::string& path, bool imageView, int mode,
                 const cocos2d::Size& size, float factor);
    /// Applies a cached picture at once, else queues a fitted load.
    void requestFittedLoad(cocos2d::Node* view, const std::string& path, bool imageView,
                           const cocos2d::Size& size, float factor);
    static void apply(const LoadRecord& record);

    std::deque<LoadRecord> _imageQueue;
    LoadRecord _currentLoad;
    std::string _callbackKey; // names this mixin's completions in the texture cache
};

} // namespace NSUI
