#pragma once
// The viewing area: a layout of one to four tiles, each showing a browser or a volume viewer,
// that keeps the key view, builds tiles, keeps linked tiles in step and routes every viewer
// command to the tiles it concerns.

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "cocos2d.h"
#include "ui/Layout.h"
#include "imaging/display/isNodeObject.h"
#include "json/UIJson.h"
#include "notify/NotificationId.h"

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isImageData;
class isViewer;
class isViewerBrowser;
class isViewerVR;
class KeyViewProperty;

/// Current slice index and slice count of the key view (count -1 when unknown).
struct SliceIndex {
    int32_t index = 0;
    int32_t count = -1;
};

class isViewerMulti : public cocos2d::ui::Layout, public isNodeObject, public NSUI::UIJson {
public:
    /// Answer to the commands that change the key view's kind: int 1 volume, 0 2D.
    static constexpr NotificationId kKeyViewIsVolume = 9112;
    static constexpr const char* kNormalSizeFirst = "Go back to the normal size firstly";
    /// Data key factor of the source data's RefID.
    static constexpr uint32_t kSourceKeyFactor = 1000000;

    using TileList = std::vector<KeyViewProperty*>;

    static isViewerMulti* create();

    bool init() override;
    void cleanup() override;
    void onEnterTransitionDidFinish() override;

    // --- commands (the router)
    virtual void sendMessage(NotificationId id, NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    virtual void sendMessageNoData(NotificationId id, NSUI::NSNotificationData* data);
    virtual void sendMessageInt(NotificationId id, int value);
    virtual void sendMessageFloat(NotificationId id, float value);
    virtual void registerObservers();
    virtual void onNotification(cocos2d::Ref* sender, NotificationId id, NSUI::NSNotificationData* data);

    // --- tiles
    /// Withdraws waiting deliveries, removes every tile's viewer node and empties the table.
    void clearViews();
    /// Builds one tile of that mode over `rect` showing `data`; false when refused.
    bool buildSingleView(uint32_t mode, const cocos2d::Rect& rect, isImageData* data);
    /// Enters a tile whose viewer and data are set: synchronises it with a linked 2D tile (or
    /// centres its series), makes it the key view in an empty table and files it.
    void addView(KeyViewProperty* tile);
    /// The data key of a tile showing `image` derived from `source`.
    static uint32_t dataKey(const isImageData* image, const isImageData* source);
    KeyViewProperty* findViewOfViewer(isViewer* viewer) const;
    KeyViewProperty* findLinked2DView(KeyViewProperty* tile) const;
    /// Every tile in table order.
    TileList allViews() const;
    int getViewCount() const;

    // --- gatherers: each empties `out` first and fills it in table order
    void collectLinkedViews(KeyViewProperty* key, TileList& out) const;
    void collect2DViews(KeyViewProperty* key, TileList& out) const;
    void collectMPRViews(KeyViewProperty* key, TileList& out) const;
    void collectViewsLikeKey(KeyViewProperty* key, TileList& out) const;
    void collectViewsOfImageData(KeyViewProperty* key, isImageData* data, TileList& out) const;
    void collectViewsOfSourceData(KeyViewProperty* key, isImageData* data, TileList& out) const;
    void collectViewsOfMode(uint32_t mode, TileList& out) const;

    /// Brings a linked target in step with the source: slice position, camera focus, zoom.
    void syncViews(KeyViewProperty* target, KeyViewProperty* source, bool slice, bool zoom, bool camera);

    // --- queries about the key view
    KeyViewProperty* getKeyView() const { return keyView; }
    void setKeyView(KeyViewProperty* tile) { keyView = tile; }
    uint32_t getKeyViewMode() const;
    /// The key view's rectangle in the container's parent; false when there is none.
    bool getKeyViewRect(cocos2d::Rect& out) const;
    void setWindowLevel(float width, float level);
    bool getWindowLevel(float& width, float& level) const;
    bool getSliceIndex(SliceIndex& out) const;
    std::string getImagePath() const;

protected:
    isViewerMulti() = default;
    ~isViewerMulti() override;

    /// The browser / volume viewer showing a tile, null when the tile shows the other kind.
    static isViewerBrowser* browserOf(const KeyViewProperty* tile);
    static isViewerVR* volumeOf(const KeyViewProperty* tile);
    /// The reference point of the tile's current slice viewer, the origin when it shows nothing.
    static cocos2d::Vec3 referencePointOf(KeyViewProperty* tile);
    /// The tile a command is meant for: the sender's tile when the sender is one of the tiles'
    /// viewers, the key view when the sender is not a viewer, null otherwise.
    KeyViewProperty* chooseView(cocos2d::Ref* sender) const;
    /// Withdraws the deliveries a viewer queued for the container before it goes away.
    void forgetViewer(isViewer* viewer);
    /// Replaces the key view's browser by a volume viewer in place, or the reverse.
    isViewerVR* convertToVolume(KeyViewProperty* key, uint32_t mode);
    isViewerBrowser* convertToBrowser(KeyViewProperty* key);
    /// Puts `fresh` in the place and size of the tile's viewer node, which leaves the container.
    void replaceViewerNode(KeyViewProperty* key, cocos2d::Node* fresh);
    /// Hands a command to one tile's viewer through its 2D or volume entry, this as sender.
    void forward(KeyViewProperty* tile, NotificationId id, NSUI::NSNotificationData* data);
    /// Forwards to every tile of the list but `except`; with `only2D` to 2D viewers only.
    void forwardAll(const TileList& list, NotificationId id, NSUI::NSNotificationData* data,
                    KeyViewProperty* except, bool only2D);
    void repostToScreen(NotificationId id);
    void postKeyViewKind(bool volume);
    void stepSlice(KeyViewProperty* key, NotificationId id);
    void switchOrientation(KeyViewProperty* key, uint32_t mode);
    void switchToVolume(KeyViewProperty* key, NotificationId id);
    bool route2D(KeyViewProperty* key, NotificationId id, NSUI::NSNotificationData* data);
    void removeMeasurement(KeyViewProperty* key);
    void changeKeyView(KeyViewProperty* key);
    void releaseTiles();

    std::map<uint32_t, std::list<KeyViewProperty*>> tiles;
    int entryCount = 0;
    KeyViewProperty* keyView = nullptr;
};

} // namespace isImageSDK
