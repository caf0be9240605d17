#pragma once
// The common part of the measurement actors: one measurement model drawn into a render window
// with a draw node and a draggable label, redrawn only when its figure, its label or the camera
// changed.

#include <string>

#include "imaging/display/actor/isActorObject.h"

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class ROIData;
class isDrawNode;
class isNodeText;

class isActorROIBase : public isActorObject {
public:
    static constexpr unsigned int kCameraMovedId = 9089;
    static constexpr unsigned int kRedrawId = 9091;
    static constexpr unsigned int kLabelDraggedId = 9092;
    static constexpr unsigned int kStatisticsId = 9095;
    static constexpr float kFontSize = 15.0f;
    static constexpr float kHandleSize = 10.0f;

    ~isActorROIBase() override;
    /// Leaves the window: the base clean-up and every registration of the actor. The model
    /// stays, so a measurement still in hand can be drawn on after its container let it go.
    virtual void leaveWindow();
    /// leaveWindow, then the model.
    void cleanup() override;
    /// No window, no model, no current point, number 0, flags cleared.
    bool init() override;
    /// Observes the window's redraws (9091), camera moves (9089) and label drags (9092), and
    /// the statistics replies (9095) for the kinds that ask for them.
    void attachTo(isRenderWindow* window) override;
    /// Retains the model and marks the figure dirty; the same model changes nothing.
    virtual void setData(ROIData* model);
    /// Moves the control point being edited.
    virtual void movePoint(const cocos2d::Vec3& point);
    /// Whether the model has every control point it needs to be kept.
    virtual bool hasAllPoints() const { return false; }
    /// Whether the user has finished placing points (angles and polygons stay open until then).
    virtual bool isDrawingDone() const { return true; }
    virtual void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);
    /// Redraws the figure and its label when something changed; clears the flags.
    virtual void drawAndMeasure();

    /// Shows the text in the label (made on first use); a dragged label carries the number.
    void setLabelText(const std::string& text);
    /// Puts an undragged label 2 mm above the screen anchor.
    void placeLabel(float x, float y);
    /// Puts the number beside the shape once its label has been dragged away.
    void placeNumber(float x, float y);
    /// The world size of one screen pixel (1 with a perspective camera).
    float pixelSize() const { return pixelSizeIn(window); }
    static float pixelSizeIn(isRenderWindow* window);

    ROIData* getData() const { return model; }
    int getCurrentPoint() const { return currentPoint; }
    /// A new current point marks the actor dirty.
    void setCurrentPoint(int index);
    /// Leaves the point edit: no current point, figure redrawn without handles.
    void endPointEdit();
    int getNumber() const { return number; }
    void setNumber(int value) { number = value; }
    bool isDirty() const { return dirty; }
    /// The figure changed: it is redrawn, and measured again, at the window's next frame.
    void setDirty();
    bool isLabelMoved() const { return labelMoved; }
    isNodeText* getLabel() const { return label; }
    isNodeText* getNumberLabel() const { return numberLabel; }

protected:
    isActorROIBase() = default;

    /// The model's type code when this actor draws it (kinds override); setData refuses others.
    virtual bool acceptsType(int type) const;
    /// Whether the kind asks the image actor for statistics and shows the reply.
    virtual bool measuresStatistics() const { return false; }
    bool modelValid() const;
    /// The draw hook of each kind, called by drawAndMeasure while dirty and attached.
    virtual void drawFigure() {}
    /// Project a world point to the window's screen (x, y).
    cocos2d::Vec2 project(const cocos2d::Vec3& world) const;
    /// The screen axes (right, down) in world space.
    void screenAxes(cocos2d::Vec3& right, cocos2d::Vec3& down) const;
    /// Places label and number from the projected points: the label at the left-most x and the
    /// top-most y, the number at the left-most point.
    void placeLabels(const cocos2d::Vec2* screen, int count);
    /// Dots on the control points while one is being edited: red for it, yellow for the others.
    void drawHandles(isDrawNode* node, const cocos2d::Vec3* points, int count) const;
    /// A draw node added to the scene, made on first use.
    isDrawNode* sceneDrawNode(isDrawNode*& slot, bool dotted = false);
    /// Posts the statistics request for a copy of the model (point, circle, polygon).
    void requestStatistics(ROIData* copy);

    ROIData* model = nullptr;
    /// The figure, drawn in world space (made by the kinds' init).
    isDrawNode* drawNode = nullptr;
    bool dirty = false;
    bool labelMoved = false;
    int currentPoint = -1;
    isNodeText* label = nullptr;
    isNodeText* numberLabel = nullptr;
    int number = 0;
    float fontSize = kFontSize;
    bool statisticsLabel = false;
    float handleSize = kHandleSize;
};

/// A copy of the vector times the scale.
cocos2d::Vec3 scaleVec3(float scale, const cocos2d::Vec3& v);

} // namespace isImageSDK
