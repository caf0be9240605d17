#include "db/DcmMessageData.h"

#include "DCM_MESSAGE.h"

DcmMessageData::DcmMessageData(dcmSDK::DCM_MESSAGE* record) : _record(record)
{
    userData = reinterpret_cast<uintptr_t>(record);
}

DcmMessageData::~DcmMessageData()
{
    delete _record;
}
