#pragma once
// The colour table of a shown image: 256 RGBA colours and the byte table that maps every stored
// value through the window width/level and a curve to a grey index 0-255.

#include <cstdint>

#include "imaging/core/data/PixelType.h"
#include "imaging/core/object/isObject.h"

namespace isImageSDK {

class isClut : public isObject {
public:
    enum Curve : int32_t { kLinear = 0, kLogarithmic = 1, kInverseLogarithmic = 2 };

    static isClut* create();
    isClut() = default;
    ~isClut() override;

    bool init() override;
    void clear() override;

    /// The 256 colours as R, G, B bytes (alpha dropped); `out` holds 768 bytes.
    void getRGBTable(uint8_t* out) const;
    /// Float images keep the exact values; the others go through setWindowLevelInt. Posts 9072.
    void setWindowLevel(float width, float level);
    /// Stores and rebuilds when either value moved by 0.01 or more; always posts 9072.
    void setWindowLevelInt(int width, int level);
    /// Rebuilds the lookup table when it is dirty.
    void buildLut();

    /// Sets the input range and table size for a pixel type code and marks the table dirty.
    void configureForPixelType(int32_t code);
    void setCurve(int32_t curve);
    void markDirty();

    int32_t pixelType = 0;   // code 2 switches the lookup table off
    uint8_t* lut = nullptr;  // tableSize entries, indexed by stored value - inputMin
    int32_t tableSize = 256;
    int32_t outputMax = 255;
    int32_t outputMin = 0;
    int32_t inputMax = 255;
    int32_t inputMin = 0;
    float windowLevel = 128.0f;
    float windowWidth = 255.0f;
    uint32_t* colors = nullptr; // 256 entries 0xRRGGBBAA
    uint8_t dirty = 1;
    uint8_t autoRebuild = 1;
    cocos2d::Ref* notificationObject = nullptr; // the object 9072 is posted with
    int32_t curve = kLinear;

private:
    void postWindow(const char* format, double width, double level);
};

} // namespace isImageSDK
