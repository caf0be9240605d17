#include "imaging/core/io/isDcmReader.h"

#include "dicom/dcmReader.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/io/DicomImageTags.h"
#include "imaging/core/io/SampleConverter.h"

namespace isImageSDK {

isDcmReader* isDcmReader::create()
{
    return createObject<isDcmReader>();
}

bool isDcmReader::init()
{
    if (!isImageFilter::init()) return false;
    _path.clear();
    return true;
}

void isDcmReader::setFileName(const std::string& path)
{
    _path = path;
    setModified();
}

void isDcmReader::updateInformation()
{
    if (!propagateInformation()) return;
    readFile();
}

void isDcmReader::readFile()
{
    isImageData* output = getOutputImage();
    if (!output) return;
    output->releaseSlices();
    output->reset();

    dcmSDK::dcmReader reader;
    if (!reader.setFile(_path)) {
        cocos2d::log("isDcmReader: cannot read %s", _path.c_str());
        return;
    }
    isSliceInfo record;
    record.filePath = _path;
    DicomImageTags tags;
    readImageTags(reader, TagRules::SingleFile, record, tags);

    dcmSDK::PixelType libraryType = dcmSDK::PIXEL_GRAY8;
    int count = 0;
    const void* samples = reader.readDicomPixelPointer(libraryType, count);
    if (!samples || count < 1) {
        cocos2d::log("isDcmReader: no pixels in %s", _path.c_str());
        return;
    }
    const int code = choosePixelType(tags.bitsAllocated, libraryType, record.modality, record.slope,
                                     record.intercept, record.displayCode);
    if (code < 0) {
        cocos2d::log("isDcmReader: unsupported pixel layout in %s", _path.c_str());
        return;
    }
    record.pixelType = code;
    isSliceInfo* slice = output->addSliceCopy(record);
    if (!slice) return;
    // A file without spacing or position must not pass for a calibrated one.
    slice->spacingValid = record.spacingValid;
    slice->geometryValid = record.geometryValid;
    // The slice starts zero-filled; a short pixel buffer leaves the rest black.
    if (!convertSamples(samples, libraryType, count, *slice)) {
        output->releaseSlices();
        output->reset();
        return;
    }
    slice->loaded = 1;
}

} // namespace isImageSDK
