#pragma once
// Changes the target's opacity to a value over its duration.

#include "2d/actions/ActionInterval.h"
#include "math/MathBase.h"

namespace cocos2d {

class FadeTo : public ActionInterval {
public:
    static FadeTo* create(float duration, GLubyte opacity);

    void startWithTarget(Node* target) override;
    void update(float time) override;

protected:
    FadeTo() = default;
    bool initWithDuration(float duration, GLubyte opacity);

    GLubyte _toOpacity = 255;
    GLubyte _fromOpacity = 255;
};

/// Fades to full opacity.
class FadeIn : public FadeTo {
public:
    static FadeIn* create(float duration);

protected:
    FadeIn() = default;
};

/// Fades to full transparency.
class FadeOut : public FadeTo {
public:
    static FadeOut* create(float duration);

protected:
    FadeOut() = default;
};

} // namespace cocos2d
