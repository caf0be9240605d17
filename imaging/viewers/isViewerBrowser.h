#pragma once
// The 2D tile of the multi-viewport container: a grid of slice viewers showing consecutive
// slices of one image data, with one current (framed) viewer, paging and cine through the
// series, and the commands of the container fanned out to its viewers.

#include <string>
#include <vector>

#include "2d/Layer.h"
#include "imaging/viewers/isViewer.h"
#include "json/UIJson.h"

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isViewerImage;

class isViewerBrowser : public isViewer, public cocos2d::Layer, public NSUI::UIJson {
public:
    static constexpr unsigned int kCine = 9053;
    static constexpr unsigned int kSlowerOrPrevious = 9054;
    static constexpr unsigned int kFasterOrNext = 9055;
    static constexpr unsigned int kCineState = 9056;
    static constexpr unsigned int kTiling1x1 = 9018;
    static constexpr unsigned int kTiling1x2 = 9019;
    static constexpr unsigned int kTiling2x1 = 9020;
    static constexpr unsigned int kTiling2x2 = 9021;
    static constexpr float kTileGap = 2.0f;
    static constexpr int kDefaultTicksPerStep = 60;
    static constexpr int kMinTicksPerStep = 5;
    static constexpr int kMaxTicksPerStep = 120;
    static constexpr int kTicksStep = 20;
    static constexpr const char* kMaximizedToast = "Go back to the normal size firstly";

    static isViewerBrowser* create();

    bool init() override;
    /// Unschedules, stops observing and releases every viewer.
    void cleanup() override;

    // --- the viewer interface
    void setViewerMode(uint32_t mode) override;
    void retain() override { cocos2d::Ref::retain(); }
    void release() override { cocos2d::Ref::release(); }
    void setImageData(isImageData* data) override;
    isImageData* getImageData() const override;
    void setVisible(bool visible) override { cocos2d::Layer::setVisible(visible); }
    virtual void onMessage(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    virtual void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    /// The container that receives the browser's re-posts (not retained).
    void setOwner(cocos2d::Node* newOwner) { owner = newOwner; }
    cocos2d::Node* getOwner() const { return owner; }

    // --- grid and paging
    /// Grows or shrinks the list of viewers to rows x columns (each at least 1) and lays them out.
    void setTiling(int rows, int columns);
    /// Places the viewers in their grid cells, 2 points apart; nothing below a 1 x 1 size.
    void layoutTiles();
    void setFirstImageIndex(int index, bool updateSlider);
    void showImages();
    /// Pages so that the grid shows the middle of the series.
    void centerSeries();
    void moveToPoint(const cocos2d::Vec3& p);
    /// Viewer k's reference point becomes p + (k - i) s, i the current viewer's place.
    void spreadFromPoint(const cocos2d::Vec3& p, const cocos2d::Vec3& s);
    void stopCine();
    void onCineTick();
    std::string cineKey() const;

    // --- for the container and the layout manager
    cocos2d::Vec3 getFocalPoint() const;
    void centerOn(const cocos2d::Vec3& p);
    float getZoomRatio() const;
    void dollyBy(float factor);
    void setWindowLevel(float width, float level);
    /// The first viewer's colour table as 256 RGB triples.
    void getColorTable(unsigned char rgb[768]) const;
    std::string getImagePath() const;
    /// The current viewer's rectangle in the browser's parent; false without one.
    bool getCurrentRect(cocos2d::Rect& out) const;
    bool isAnyImageMaximized() const;
    void hideControls();
    void updateSlider();

    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchEnded(cocos2d::Touch* touch, cocos2d::Event* event) override;

    const std::vector<isViewerImage*>& getViewers() const { return viewers; }
    isViewerImage* getCurrentViewer() const { return currentViewer; }
    int getRows() const { return rows; }
    int getColumns() const { return columns; }
    int getFirstImageIndex() const { return firstIndex; }
    bool isPlaying() const { return playing; }
    int getTicksPerStep() const { return ticksPerStep; }

protected:
    isViewerBrowser() = default;
    ~isViewerBrowser() override;

    isViewerImage* addViewer();
    void distribute(unsigned int id, NSUI::NSNotificationData* data);
    /// Re-posts to the owner when it has one and someone else sent the command.
    bool repostedToOwner(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender, bool nextTick);
    void toggleCine();
    void step(int delta);
    void touched(NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    void referencePoint(NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    void linked(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    void retile(unsigned int id);
    int sliceCount() const;
    /// Shows the toast and answers true while a viewer is maximised.
    bool refuseWhileMaximized();
    cocos2d::Node* findControl(const std::string& name) const;

    cocos2d::Node* owner = nullptr;
    std::vector<isViewerImage*> viewers;
    isViewerImage* currentViewer = nullptr;
    int rows = 1;
    int columns = 1;
    int firstIndex = 0;
    bool playing = false;
    int tickCounter = 0;
    int ticksPerStep = kDefaultTicksPerStep;
    unsigned int lastStepFrame = 0;
};

} // namespace isImageSDK
