#pragma once
// Notification payload that owns one file record (notification 2014).

#include "notify/NSNotificationData.h"

namespace dcmSDK {
struct DCM_MESSAGE;
}

/// Takes over a record made with new; userData points to it and the record is deleted with
/// the payload, so a record nobody stores is still freed.
class DcmMessageData : public NSUI::NSNotificationData {
public:
    explicit DcmMessageData(dcmSDK::DCM_MESSAGE* record);
    virtual ~DcmMessageData();

    const dcmSDK::DCM_MESSAGE* record() const { return _record; }

private:
    dcmSDK::DCM_MESSAGE* _record;
};
