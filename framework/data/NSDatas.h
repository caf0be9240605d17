#pragma once
// Base of long-lived data objects whose content comes from HTTP requests; the data manager
// ticks them once a second and cancels their requests at shutdown.

#include "cocos2d.h"
#include "json/UIJson.h"

#include <functional>
#include <string>

namespace NSUI {

class NSDatas;

typedef std::function<void(NSDatas* sender, int code)> NSDatasCallback;

// FIXME: also derive from the HTTP request mixin once it exists, and make cancelRequests()
// cancel this owner's pending HTTP requests through the HTTP client.
class NSDatas : public cocos2d::Ref, public UIJson {
public:
    NSDatas() = default;
    virtual ~NSDatas();

    /// Makes the object the owner tag of its own requests and resets the callbacks; true.
    virtual bool init();
    /// Cancels this owner's pending requests.
    virtual void cancelRequests();
    /// The periodic work of a subclass, run by the data manager.
    virtual void update(float dt);
    virtual void setCallback(const NSDatasCallback& callback);
    virtual void setSecondCallback(const NSDatasCallback& callback);

protected:
    /// The tag under which this object's requests are filed (the object itself after init).
    void* _requestOwner = nullptr;
    /// Free for the subclass's use; true after init.
    bool _ready = false;
    std::string _text;
    NSDatasCallback _callback;
    NSDatasCallback _secondCallback;
};

} // namespace NSUI
