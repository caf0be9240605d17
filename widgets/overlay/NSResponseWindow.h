#pragma once
// A full-window layer that swallows every touch inside it, placed under modal panels so that
// nothing behind them reacts.

#include "2d/Layer.h"

namespace NSUI {

class NSResponseWindow : public cocos2d::Layer {
public:
    static NSResponseWindow* create();
    bool init() override;
    /// Claims (and so swallows) a touch strictly inside the layer.
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;

protected:
    NSResponseWindow() = default;
};

} // namespace NSUI
