#include "db/dicomDBRequest.h"

dicomDBRequest::dicomDBRequest(int requestType, Callback cb) : type(requestType), callback(std::move(cb)) {}

dicomDBRequest::~dicomDBRequest()
{
    delete _result;
    if (_recordHolder)
        _recordHolder->release();
}

void dicomDBRequest::setFileRecord(const dcmSDK::DCM_MESSAGE* record, cocos2d::Ref* holder)
{
    if (holder)
        holder->retain();
    if (_recordHolder)
        _recordHolder->release();
    _recordHolder = holder;
    _record = record;
}

NSUI::NSDBDataModel* dicomDBRequest::takeResult()
{
    NSUI::NSDBDataModel* model = _result;
    _result = nullptr;
    return model;
}

void dicomDBRequest::setResult(NSUI::NSDBDataModel* model)
{
    if (model != _result)
        delete _result;
    _result = model;
}
