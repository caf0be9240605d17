#pragma once
// A pipeline stage whose input and output are isImageData.

#include <string>

#include "imaging/core/object/isFilterObject.h"

namespace isImageSDK {

class isImageData;

class isImageFilter : public isFilterObject {
public:
    static isImageFilter* create();
    isImageFilter() = default;
    ~isImageFilter() override;

    void clear() override;
    bool init() override;
    void updateData() override;
    void createOutput() override;

    virtual void setInputImage(isImageData* image);
    /// Asks to be told (9108) when the image of `path` has arrived; only the series reader does.
    virtual void addObserver(cocos2d::Ref* owner, const std::string& path);
    /// The work of a concrete filter: fill `output` from `input`.
    virtual void execute(isImageData* input, isImageData* output);

    isImageData* getInputImage() const { return _inputImage; }
    /// The output, created on first demand.
    isImageData* getOutputImage();

protected:
    isImageData* _inputImage = nullptr;
    isImageData* _outputImage = nullptr;
};

} // namespace isImageSDK
