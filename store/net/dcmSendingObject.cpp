#include "net/dcmSendingObject.h"

dcmSendingObject* dcmSendingObject::create()
{
    auto* task = new dcmSendingObject();
    task->autorelease();
    return task;
}
