#include "http/UIHttpResponse.h"

namespace NSUI {

UIHttpResponse* UIHttpResponse::create() {
    auto* response = new UIHttpResponse();
    if (!response->init()) {
        delete response;
        return nullptr;
    }
    response->autorelease();
    return response;
}

bool UIHttpResponse::init() {
    tag = "-1";
    success = false;
    status = -1;
    body.clear();
    return true;
}

} // namespace NSUI
