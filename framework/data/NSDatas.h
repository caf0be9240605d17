#pragma once
// Base of long-lived data objects whose content comes from HTTP requests; the data manager
// ticks them once a second and cancels their requests at shutdown.

#include "cocos2d.h"
#include "http/UIHttpPhisical.h"
#include "json/UIJson.h"

#include <functional>
#include <string>

namespace NSUI {

class NSDatas;

typedef std::function<void(NSDatas* sender, int code)> NSDatasCallback;

/// Main thread only. Replies to its requests reach onHttpResponse once init has run.
class NSDatas : public cocos2d::Ref, public UIJson, public UIHttpPhisical {
public:
    NSDatas() = default;
    /// Cancels the object's pending requests.
    virtual ~NSDatas();

    /// Makes the object the owner of its own requests and resets the callbacks; true.
    virtual bool init();
    /// Withdraws this owner's pending requests and undelivered replies.
    virtual void cancelRequests();
    /// The periodic work of a subclass, run by the data manager.
    virtual void update(float dt);
    virtual void setCallback(const NSDatasCallback& callback);
    virtual void setSecondCallback(const NSDatasCallback& callback);

protected:
    /// Free for the subclass's use; true after init.
    bool _ready = false;
    std::string _text;
    NSDatasCallback _callback;
    NSDatasCallback _secondCallback;
};

} // namespace NSUI
