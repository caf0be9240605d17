#include "imaging/core/object/isImageFilter.h"

#include "imaging/core/data/isImageData.h"

namespace isImageSDK {

isImageFilter* isImageFilter::create()
{
    return createObject<isImageFilter>();
}

isImageFilter::~isImageFilter()
{
    _inputImage = _outputImage = nullptr;
}

bool isImageFilter::init()
{
    if (!isFilterObject::init()) return false;
    _inputImage = _outputImage = nullptr;
    return true;
}

void isImageFilter::clear()
{
    isFilterObject::clear();
    _inputImage = _outputImage = nullptr;
}

void isImageFilter::updateData()
{
    if (propagateData()) execute(_inputImage, _outputImage);
}

void isImageFilter::createOutput()
{
    if (_output) return;
    isImageData* image = new (std::nothrow) isImageData();
    if (!image) return;
    if (!image->init()) {
        delete image;
        return;
    }
    image->releaseSlices();
    image->reset();
    _output = image; // the one reference this stage holds
    _outputImage = image;
    image->setInput(this);
}

isImageData* isImageFilter::getOutputImage()
{
    getOutput();
    return _outputImage;
}

void isImageFilter::setInputImage(isImageData* image)
{
    setInput(image);
    _inputImage = image;
}

void isImageFilter::addObserver(cocos2d::Ref*, const std::string&) {}

void isImageFilter::execute(isImageData*, isImageData*) {}

} // namespace isImageSDK
