#include "data/NSDatas.h"

#include "http/NSHttpClient.h"

namespace NSUI {

NSDatas::~NSDatas() {
    NSDatas::cancelRequests();
}

bool NSDatas::init() {
    setHttpOwner(this);
    _ready = true;
    _text.clear();
    _callback = nullptr;
    _secondCallback = nullptr;
    return true;
}

void NSDatas::cancelRequests() {
    if (getHttpOwner())
        NSHttpClient::getInstance()->cancelRequestsForOwner(getHttpOwner());
}

void NSDatas::update(float /*dt*/) {}

void NSDatas::setCallback(const NSDatasCallback& callback) {
    if (&callback != &_callback)
        _callback = callback;
}

void NSDatas::setSecondCallback(const NSDatasCallback& callback) {
    if (&callback != &_secondCallback)
        _secondCallback = callback;
}

} // namespace NSUI
