#include "imaging/core/object/isFilterObject.h"

#include <algorithm>

namespace isImageSDK {

isFilterObject* isFilterObject::create()
{
    return createObject<isFilterObject>();
}

isFilterObject::~isFilterObject()
{
    detachPipeline();
}

bool isFilterObject::init()
{
    if (!isObject::init()) return false;
    _infoModified = _dataModified = false;
    _input = nullptr;
    _output = nullptr;
    return true;
}

void isFilterObject::clear()
{
    detachPipeline();
}

void isFilterObject::detachPipeline()
{
    if (_input) {
        isFilterObject* input = _input;
        _input = nullptr;
        input->removeConsumer(this);
        // An output never holds a reference to the stage that produced it.
        if (input->_output != this) input->release();
    }
    if (_output) {
        isFilterObject* output = _output;
        _output = nullptr;
        output->_input = nullptr;
        output->release();
    }
    _infoModified = _dataModified = false;
    _consumers.clear();
}

void isFilterObject::setInput(isFilterObject* input)
{
    if (input == _input) return;
    if (_input) {
        _input->removeConsumer(this);
        if (_input->_output != this) _input->release();
    }
    if (input && input->_output != this) input->retain();
    _input = input;
    _infoModified = _dataModified = true;
    if (input) input->addConsumer(this);
}

void isFilterObject::addConsumer(isFilterObject* stage)
{
    if (!stage || stage == _output) return;
    if (std::find(_consumers.begin(), _consumers.end(), stage) != _consumers.end()) return;
    _consumers.push_back(stage);
}

void isFilterObject::removeConsumer(isFilterObject* stage)
{
    _consumers.erase(std::remove(_consumers.begin(), _consumers.end(), stage), _consumers.end());
}

isFilterObject* isFilterObject::getOutput()
{
    if (!_output) createOutput();
    return _output;
}

void isFilterObject::createOutput()
{
    if (_output) return;
    isFilterObject* output = isFilterObject::create();
    if (!output) return;
    output->retain();
    _output = output;
    output->setInput(this);
}

bool isFilterObject::isInformationModified() const
{
    for (const isFilterObject* s = this; s; s = s->_input)
        if (s->_infoModified) return true;
    return false;
}

bool isFilterObject::isDataModified() const
{
    for (const isFilterObject* s = this; s; s = s->_input)
        if (s->_dataModified) return true;
    return false;
}

bool isFilterObject::propagateInformation()
{
    if (!_infoModified && (!_input || !_input->isInformationModified())) return false;
    if (_input) _input->updateInformation();
    _infoModified = false;
    for (isFilterObject* c : _consumers) c->_infoModified = true;
    return true;
}

bool isFilterObject::propagateData()
{
    if (!_dataModified && (!_input || !_input->isDataModified())) return false;
    if (_input) _input->updateData();
    getOutput();
    _dataModified = false;
    for (isFilterObject* c : _consumers) c->_dataModified = true;
    return true;
}

void isFilterObject::updateInformation()
{
    propagateInformation();
}

void isFilterObject::updateData()
{
    propagateData();
}

void isFilterObject::Update()
{
    const bool info = isInformationModified();
    const bool data = isDataModified();
    if (_input) _input->Update();
    getOutput();
    if (info) {
        _infoModified = true;
        updateInformation();
    }
    if (data) {
        _dataModified = true;
        updateData();
    }
}

} // namespace isImageSDK
