#pragma once
// The reply an HTTP request's owner receives: its tag, success, status and body text.

#include "cocos2d.h"

#include <string>

namespace NSUI {

class UIHttpResponse : public cocos2d::Ref {
public:
    /// A new autoreleased reply with tag "-1", no success, status -1 and an empty body.
    static UIHttpResponse* create();

    UIHttpResponse() = default;
    ~UIHttpResponse() override = default;
    virtual bool init();

    /// The tag the request was sent with.
    std::string tag;
    /// Transfer done and status from 200 to 299.
    bool success = false;
    /// HTTP status; -1 when none was read.
    int32_t status = -1;
    /// The reply body, or the error text of a failed transfer that brought no body.
    std::string body;
};

} // namespace NSUI
