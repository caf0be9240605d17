#pragma once
// Receives touches one at a time; a touch goes on to the moved/ended callbacks only when the
// began callback claimed it, and a claimed touch can be kept from the listeners below.

#include <functional>
#include <vector>

#include "base/EventListener.h"

namespace cocos2d {

class Touch;

class EventListenerTouchOneByOne : public EventListener {
public:
    static const std::string LISTENER_ID;

    static EventListenerTouchOneByOne* create();
    ~EventListenerTouchOneByOne() override;

    /// A claimed touch is not offered to listeners after this one.
    void setSwallowTouches(bool needSwallow) { _needSwallow = needSwallow; }
    bool isSwallowTouches() const { return _needSwallow; }

    bool checkAvailable() override;
    EventListenerTouchOneByOne* clone() override;

    std::function<bool(Touch*, Event*)> onTouchBegan;
    std::function<void(Touch*, Event*)> onTouchMoved;
    std::function<void(Touch*, Event*)> onTouchEnded;
    std::function<void(Touch*, Event*)> onTouchCancelled;

    /// The touches this listener claimed and has not yet seen end (each retained).
    const std::vector<Touch*>& getClaimedTouches() const { return _claimedTouches; }

protected:
    EventListenerTouchOneByOne() = default;
    bool init();
    void claim(Touch* touch);
    bool hasClaimed(Touch* touch) const;
    void unclaim(Touch* touch);

    std::vector<Touch*> _claimedTouches;
    bool _needSwallow = false;

    friend class EventDispatcher;
};

} // namespace cocos2d
