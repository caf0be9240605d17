#pragma once
// Marks in one viewport the point the user points at in another: two reference lines along the
// other view's in-plane axes with a gap at the crossing, hidden 5 s after they were last drawn;
// also a coloured frame around the viewport and a colour marker in its top-right corner.

#include <string>

#include "imaging/display/actor/isActorObject.h"

namespace cocos2d {
class DrawNode;
}

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isNodeLine;

class isActorCrossLine : public isActorObject {
public:
    static constexpr unsigned int kReferencePlaneId = 9087;
    static constexpr const char* kHideTimerKey = "_is_actor_crossline";
    static constexpr float kHideDelay = 5.0f;

    static isActorCrossLine* create();
    ~isActorCrossLine() override;

    /// Also cancels the hide timer.
    void cleanup() override;
    bool init() override;
    /// Observes 9087, 9089 and 9091 of the window.
    void attachTo(isRenderWindow* window) override;

    void showFrame(bool show);
    void setFrameColor(int index);
    /// Drawn once, in the colour of that moment.
    void showCornerMarker();
    void showLines(bool show);
    bool areLinesShown() const { return linesShown; }
    /// Erases the drawn reference lines; the next reference plane draws them again.
    void clearLines();

    /// Reads a 9087 text: the other view's axes, normal and pointed position.
    void setReferencePlane(const std::string& json);
    const cocos2d::Mat4& getReferencePlane() const { return referencePlane; }
    bool isDirty() const { return dirty; }
    int getColorIndex() const { return colorIndex; }
    isNodeLine* getLineNode() const { return lineNode; }
    cocos2d::DrawNode* getFrame() const { return frame; }
    cocos2d::DrawNode* getCornerMarker() const { return cornerMarker; }

    /// Rebuilds the lines when they are dirty and shown, then (re)starts the hide timer.
    void redraw();

private:
    isActorCrossLine() = default;
    friend class isObject;

    void onNotification(unsigned int id, NSUI::NSNotificationData* data);
    void drawFrame();
    void scheduleHide();
    void cancelHide();
    float gapLength() const;

    isNodeLine* lineNode = nullptr;
    cocos2d::DrawNode* cornerMarker = nullptr;
    cocos2d::DrawNode* frame = nullptr;
    cocos2d::Mat4 referencePlane;
    bool dirty = false;
    bool frameShown = false;
    bool markerShown = false;
    bool linesShown = false;
    cocos2d::Color4F colors[3];
    int colorIndex = 0;
};

} // namespace isImageSDK
