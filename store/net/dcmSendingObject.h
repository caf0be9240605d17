#pragma once
// One queued DICOM send: where it goes, what it sends and how far it got.

#include "cocos2d.h"

#include <string>

/// Its task ID is its engine object ID, by which the DICOM sender reports on it.
class dcmSendingObject : public cocos2d::Ref {
public:
    enum State { kQueued = 0, kSending = 1, kDone = 2, kFailed = 3 };

    /// Autoreleased.
    static dcmSendingObject* create();
    dcmSendingObject() = default;
    virtual ~dcmSendingObject() = default;

    unsigned int getTaskID() const { return getRefID(); }

    std::string ip;
    std::string port = "4587";
    std::string name;
    std::string path;
    float progress = 0.0f;
    /// Free texts of the send screen's row; the service never reads them.
    std::string text1;
    std::string text2;
    int state = kQueued;
    /// Set by the service once the sender took the task, so it is never handed over twice while
    /// its first message is still on its way.
    bool dispatched = false;
};
