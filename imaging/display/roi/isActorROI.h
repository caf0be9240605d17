#pragma once
// The measurements of one render window: picks from the application-wide registry those drawn
// on the image, orientation and slice the window shows, gives each an actor and a number,
// creates new ones for the drawing tools, removes them and finds the one under a touch.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/display/actor/isActorObject.h"

namespace NSUI {
class NSNotificationData;
}

namespace isImageSDK {

class isActorROIBase;
class ROIData;

class isActorROI : public isActorObject {
public:
    static constexpr unsigned int kSliceChangedId = 9093;
    static constexpr unsigned int kOrientationChangedId = 9094;
    /// A pick farther than this (screen pixels with an orthographic camera) finds nothing.
    static constexpr float kPickDistance = 15.0f;

    static isActorROI* create();
    /// Runs cleanup: the actors go with their container.
    ~isActorROI() override;

    /// Releases the actors, then the base clean-up and every registration.
    void cleanup() override;
    /// No image text, orientation and slice -1, numbering from 1.
    bool init() override;
    /// Observes the window's orientation (9094) and slice (9093) changes.
    void attachTo(isRenderWindow* window) override;
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data);

    // A change of image, orientation or slice drops every actor, so a stale view never shows.
    void setImageText(const std::string& text);
    void setOrientation(int orientation);
    void setSlice(int slice);
    const std::string& getImageText() const { return imageText; }
    int getOrientation() const { return orientation; }
    int getSlice() const { return slice; }

    /// The hash of "image,orientation,slice" that owns the measurements shown.
    uint32_t keyHash();
    /// Actors for every valid registered measurement of the current key, numbered from 1.
    void rebuild();

    isActorROIBase* newPoint(const cocos2d::Vec3& position);
    isActorROIBase* newAngle(const cocos2d::Vec3& position);
    isActorROIBase* newPolygon(const cocos2d::Vec3& first, const cocos2d::Vec3& second);
    /// A line (type 1) or circle (type 4) with both control points at the position, its second
    /// point being edited; null for other types.
    isActorROIBase* newTwoPoint(int type, const cocos2d::Vec3& position);
    /// Takes the actor out of the window and the registry; the last number is handed out again.
    void removeROI(isActorROIBase* actor);
    void removeROIByRefId(unsigned int refId);
    /// The actor whose handle lies nearest the ray within the pick distance, its current point
    /// set to that handle; null when none.
    isActorROIBase* pickROI(const cocos2d::Vec3& rayOrigin, const cocos2d::Vec3& rayDirection);

    const std::vector<isActorROIBase*>& getActors() const { return actors; }
    int getNextNumber() const { return nextNumber; }

protected:
    isActorROI() = default;
    friend class isObject;

    /// Detaches and releases every actor; the numbering stays.
    void dropActors();
    /// Attaches the actor for the model, numbers it and keeps it.
    isActorROIBase* adopt(isActorROIBase* actor, ROIData* model);
    isActorROIBase* addNew(isActorROIBase* actor, ROIData* model, int currentPoint);

    std::string imageText;
    int orientation = -1;
    int slice = -1;
    uint32_t hash = 0;
    std::vector<isActorROIBase*> actors;
    int nextNumber = 1;
};

} // namespace isImageSDK
