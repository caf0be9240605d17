#pragma once
// Receives the events of one asset manager.

#include "base/EventListenerCustom.h"

#include <functional>

namespace cocos2d {
namespace extension {

class AssetsManagerEx;
class EventAssetsManagerEx;

class EventListenerAssetsManagerEx : public EventListenerCustom {
public:
    /// Null when the manager is null. The listener does not retain the manager.
    static EventListenerAssetsManagerEx* create(AssetsManagerEx* manager,
                                                const std::function<void(EventAssetsManagerEx*)>& callback);

    bool checkAvailable() override;
    EventListenerAssetsManagerEx* clone() override;

protected:
    EventListenerAssetsManagerEx() = default;
    bool init(AssetsManagerEx* manager, const std::function<void(EventAssetsManagerEx*)>& callback);

    AssetsManagerEx* _manager = nullptr;
    std::function<void(EventAssetsManagerEx*)> _onAssetsEvent;
};

} // namespace extension
} // namespace cocos2d
