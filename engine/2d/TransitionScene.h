#pragma once
// A scene change with an effect. This engine shows transitions instantly: the director takes
// the incoming scene at once, after the transition has placed it (initScenes) and then reset
// its placement to the end state (origin, scale 1, no rotation, visible).

#include "2d/Scene.h"

namespace cocos2d {

class TransitionScene : public Scene {
public:
    enum class Orientation { LEFT_OVER = 0, RIGHT_OVER = 1, UP_OVER = 0, DOWN_OVER = 1 };

    static TransitionScene* create(float t, Scene* scene);
    virtual bool initWithDuration(float t, Scene* scene);

    Scene* getInScene() const { return _inScene; }
    float getDuration() const { return _duration; }

    /// Runs initScenes, then puts the incoming scene in its final placement and returns it.
    Scene* finishInstantly();

protected:
    TransitionScene() = default;
    ~TransitionScene() override;

    /// Places the incoming scene where the effect would start.
    virtual void initScenes() {}

    Scene* _inScene = nullptr;
    Scene* _outScene = nullptr;
    float _duration = 0.0f;
};

} // namespace cocos2d
