#pragma once
// The per-window factory of the actors a window shares: the cross-lines, the corner-text
// overlay, the measurement container and the volume-rendering actor, each created on first use
// and released together when the window's data changes.

#include "imaging/core/object/isObject.h"
#include "imaging/display/actor/isActorObject.h"

namespace isImageSDK {

class isActorCrossLine;
class isActorImage;
class isActorOverlay;
class isActorROI;
class isActorVR;
class isRenderWindow;

class isActorManager : public isObject {
public:
    static isActorManager* create();
    ~isActorManager() override;

    /// Releases the actors, then the window; a second run does nothing more.
    virtual void cleanup();
    /// Tag -1, empty name, no window, no actors.
    bool init() override;
    virtual void reserved() {}

    /// Releases the actors and takes the new window (retained).
    void setWindow(isRenderWindow* window);
    isRenderWindow* getWindow() const { return window; }

    // Every getter answers null, and every operation does nothing, while there is no window.
    isActorCrossLine* getCrossLine();
    void createCrossLine();
    void showFrame(bool show);
    void showCornerMarker();
    void showCrossLines();
    /// Takes the reference lines of the other views away (creating the cross-line actor first).
    void clearCrossLines();
    /// The window's image actor, created, attached and set to slice 0 on first use.
    isActorImage* getImageActor();

    /// The shared actors built in other places: each is made with its class's own `create`,
    /// attached and retained on first use. Callers include the actor's header.
    template <class Actor = isActorROI> Actor* getROIActor() { return shared<Actor>(roiActor); }
    template <class Actor = isActorOverlay> Actor* getOverlay() { return shared<Actor>(overlay); }
    template <class Actor = isActorVR> Actor* getVRActor() { return shared<Actor>(vrActor); }
    /// Clears the overlay (its `clear` runs its clearOverlay) and releases it.
    void releaseOverlay();

    /// Releases the volume-rendering actor, the cleared overlay, the cross-lines and the
    /// measurement container, in this order; nothing without a window.
    void releaseActors();

    /// The shared actors as they are now, without creating any.
    isActorObject* peekOverlay() const { return overlay; }
    isActorObject* peekROIActor() const { return roiActor; }
    isActorObject* peekVRActor() const { return vrActor; }
    isActorObject* peekImageActor() const { return imageActor; }
    isActorObject* peekCrossLine() const;

private:
    isActorManager() = default;
    friend class isObject;

    template <class Actor> Actor* shared(isActorObject*& slot)
    {
        if (!window) return nullptr;
        if (!slot) {
            Actor* actor = Actor::create();
            if (!actor) return nullptr;
            actor->attachTo(window);
            actor->retain();
            slot = actor;
        }
        return static_cast<Actor*>(slot);
    }

    isRenderWindow* window = nullptr;
    isActorObject* overlay = nullptr;
    isActorCrossLine* crossLine = nullptr;
    isActorObject* roiActor = nullptr;
    isActorObject* vrActor = nullptr;
    isActorObject* imageActor = nullptr;
};

} // namespace isImageSDK
