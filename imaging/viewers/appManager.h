#pragma once
// The layout manager: owns the multi-viewport container of a viewing screen and builds its tiles
// (one view, or the four-view layout of three planes and a volume rendering) over a rectangle.

#include "cocos2d.h"
#include "json/UIJson.h"

namespace isImageSDK {

class isImageData;
class isViewerMulti;

class appManager : public cocos2d::Ref, public NSUI::UIJson {
public:
    /// Layout numbers of createViewer.
    static constexpr int kLayoutAcquired = 0;
    static constexpr int kLayoutFourViews = 1;
    static constexpr int kLayoutSingle = 2;

    static appManager* create();
    /// Readies what the views' first drawing needs, so that a screen can do it while its series
    /// loads; what it readies is kept until cleanup. Main thread, outside drawing. Without
    /// warmUp only what is kept is readied: the views' first frame draws its states itself.
    void prepareDrawing(bool warmUp = true);
    ~appManager() override;

    virtual void reserved() {}
    virtual bool init();
    /// Releases the container (the screen calls it before letting the manager go).
    virtual void cleanup();

    /// Builds tiles over the rectangle: layout 2 one acquired-orientation tile; a volume with
    /// layout 0 one tile in its first slice's orientation; a volume otherwise the four views.
    void createViewer(isImageData* data, float x, float y, float width, float height, int layout);
    /// Rebuilds the container as the four-view layout.
    void setLayout(int layout);
    /// Replaces the data and rebuilds one acquired-orientation tile.
    void setImageData(isImageData* data);

    isViewerMulti* getContainer() const { return container; }
    isImageData* getImageData() const { return imageData; }
    const cocos2d::Rect& getRect() const { return rect; }

protected:
    appManager() = default;
    void buildFourViews();

    cocos2d::Rect rect;
    isImageData* imageData = nullptr;
    isViewerMulti* container = nullptr;
    bool drawingPrepared = false;
};

} // namespace isImageSDK
