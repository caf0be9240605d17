#pragma once
// Shows one 2D image of an image data object in a render window: routes the data through plane
// extraction (or an oblique reslice) and slice picking into an image node, keeps the shown
// slice, orientation and window, publishes the texts of the corner overlay, relays the loading
// progress of its series and answers the statistics requests of the measurements drawn on it.

#include <string>

#include "imaging/display/actor/isActorObject.h"
#include "json/UIJson.h"

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isClut;
class isImageData;
class isImagePlane;
class isImageReslice2D;
class isImageSlice;
class isNodeImage;
struct isSliceInfo;

class isActorImage : public isActorObject, public NSUI::UIJson {
public:
    static isActorImage* create();
    ~isActorImage() override;

    void cleanup() override;
    bool init() override;
    /// Also makes the colour table announce its window (9072) to the window, and listens for
    /// statistics requests (9095) there and for loading progress (9109) of any series.
    void attachTo(isRenderWindow* window) override;
    void setVisible(bool visible) override;
    virtual void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    /// Shows the data (retained) in its acquisition plane at the middle slice; the same object
    /// again changes nothing and posts nothing.
    void setInputData(isImageData* data);
    isImageData* getInputData() const { return input; }
    /// The first slice record of the output after bringing the pipeline up to date; null
    /// without input or output slice.
    isSliceInfo* getImageInfoUpdated();
    /// The same without running the pipeline.
    isSliceInfo* getImageInfo();

    /// Shows that slice of the current plane; an index outside the plane hides the actor.
    /// Nothing in oblique mode.
    void setSliceIndex(int index);
    int getSliceIndex() const { return sliceIndex; }
    /// Called before the actor is drawn: when the image it waits for has arrived, it is shown
    /// in this frame rather than once the arrival notice is delivered.
    void takeArrivedPixels();
    void setWindow(float width, float level);
    /// A drag of (dx, dy) points: dx widens the window, dy raises the level.
    void adjustWindowByDrag(float dx, float dy);
    /// 256 RGB triplets.
    void setColorTable(const unsigned char* rgb);
    /// The curve of the lookup table (0 linear, 1 logarithmic, 2 inverse logarithmic).
    void setClutMode(int mode);
    /// Millimetres across the plane (a slab), announced with 9078.
    void setSlabThickness(float thickness);
    float getSlabThickness() const { return slabThickness; }
    void setSliceAtPosition(float x, float y, float z);
    /// Switches to oblique mode and shows the cut of the volume by the world plane.
    void setObliquePlane(const cocos2d::Mat4& plane);
    /// The viewers' name for taking new reslice axes: the cut by the world plane.
    void rebuildPipeline(const cocos2d::Mat4& plane) { setObliquePlane(plane); }
    void getImageCenter(cocos2d::Vec3& out);
    /// The four world corners of the shown slice as 12 floats; false without one.
    bool getImageCorners(float out[12]);
    /// 0 the acquisition plane, 1 and 2 the planes across the data's x and y axes.
    void setResliceOrientation0() { setResliceOrientation(0); }
    void setResliceOrientation1() { setResliceOrientation(1); }
    void setResliceOrientation2() { setResliceOrientation(2); }
    int getOrientation() const { return orientation; }
    bool isPlaneMode() const { return planeMode; }
    void showAcquisitionPlane();
    /// Whether the shown slice lies in 0 .. count - 1 (always in oblique mode).
    bool isSliceValid(int count) const;
    /// The same against the plane stage's own count.
    bool isSliceValid() const;
    /// Whether the plane stage (not the oblique reslice) feeds the image.
    bool isReslicing() const { return planeMode; }
    /// The slab mode (0 minimum, 1 maximum, 2 average, 3 sum) of the stage in use; nothing
    /// without output or when unchanged.
    void setSlabParameter(int mode);
    int getSlabParameter() const { return filterParameter; }
    isImagePlane* getPlaneFilter() const { return planeFilter; }
    isImageReslice2D* getResliceFilter() const { return resliceFilter; }
    /// Replaces this actor's waiting post of the id to its window with this text.
    void postText(unsigned int id, const std::string& text, bool allNextFrame);
    /// Posts the slab thickness, the position text and the window again.
    void publishDisplayState();
    /// The stored value of the shown slice's pixel under a world point.
    bool getPixelValueAt(const cocos2d::Vec3& world, float& value);

    void setPostingEnabled(bool enabled) { postingEnabled = enabled; }
    const std::string& getPositionText() const { return positionText; }
    isClut* getClut() const { return clut; }
    isNodeImage* getImageNode() const { return imageNode; }

    static constexpr unsigned int kWindowId = 9072;
    static constexpr unsigned int kSliceId = 9073;
    static constexpr unsigned int kPositionId = 9077;
    static constexpr unsigned int kSlabId = 9078;
    static constexpr unsigned int kSliceChangedId = 9093;
    static constexpr unsigned int kOrientationChangedId = 9094;
    static constexpr unsigned int kStatisticsId = 9095;
    static constexpr unsigned int kImageLoadedId = 9108;
    static constexpr unsigned int kSeriesProgressId = 9109;
    static constexpr unsigned int kProgressId = 9110;

protected:
    isActorImage() = default;
    friend class isObject;

    void setResliceOrientation(int n);
    /// Makes the plane filter feed the slice filter again (leaving oblique mode).
    void connectPlane();
    /// Runs the pipeline and, when it produced a new output, hands the node its first slice,
    /// so that the node never keeps a slice record the pipeline has freed.
    isSliceInfo* updateOutput();
    /// The first slice of the output as it is now.
    isSliceInfo* outputSlice();
    void waitForPixels(const isSliceInfo& slice);
    void publishSlicePosition(const isSliceInfo& slice);
    void answerStatistics(NSUI::NSNotificationData* data);
    void onImageLoaded(NSUI::NSNotificationData* data);
    /// Has the pipeline copy the pixels of the image that arrived.
    void refreshArrivedPixels();
    void onSeriesProgress(NSUI::NSNotificationData* data);
    void postOrientation();

    isImageData* input = nullptr;
    isClut* clut = nullptr;
    isNodeImage* imageNode = nullptr;
    isImageSlice* sliceFilter = nullptr;
    isImageReslice2D* resliceFilter = nullptr;
    isImagePlane* planeFilter = nullptr;
    float slabThickness = 1.0f;
    /// The slab mode both the plane and the reslice stage use.
    int filterParameter = 1;
    int orientation = 0;
    // The image of the acquisition plane shown is being loaded.
    bool awaitingPixels = false;
    bool planeMode = true;
    int sliceIndex = 0;
    bool postingEnabled = true;
    std::string positionText;
};

} // namespace isImageSDK
