#pragma once
// Scales the target to the given factors over its duration.

#include "2d/actions/ActionInterval.h"

namespace cocos2d {

class ScaleTo : public ActionInterval {
public:
    static ScaleTo* create(float duration, float s);
    static ScaleTo* create(float duration, float sx, float sy);
    static ScaleTo* create(float duration, float sx, float sy, float sz);

    void startWithTarget(Node* target) override;
    void update(float time) override;

protected:
    ScaleTo() = default;
    bool initWithDuration(float duration, float sx, float sy, float sz);

    float _startScaleX = 1.0f, _startScaleY = 1.0f, _startScaleZ = 1.0f;
    float _endScaleX = 1.0f, _endScaleY = 1.0f, _endScaleZ = 1.0f;
};

} // namespace cocos2d
