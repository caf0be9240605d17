#pragma once
// What the GL implementation offers, read once a context exists.

#include <string>

#include "base/Value.h"

namespace cocos2d {

class Configuration {
public:
    static Configuration* getInstance();
    static void destroyInstance();

    /// Reads the limits and extensions of the current context (again after a new one).
    void gatherGPUInfo();

    /// Largest texture side; without a context the smallest size every desktop GL offers,
    /// so that size checks made before (or without) a window still pass ordinary images.
    int getMaxTextureSize() const { return _maxTextureSize > 0 ? _maxTextureSize : kMaxTextureSizeWithoutContext; }
    static constexpr int kMaxTextureSizeWithoutContext = 4096;
    int getMaxTextureUnits() const { return _maxTextureUnits; }
    /// Vertex-array objects are available.
    bool supportsShareableVAO() const { return _supportsVAO; }
    bool supportsNPOT() const { return _supportsNPOT; }
    bool checkForGLExtension(const std::string& searchName) const;
    /// "GL renderer, version, vendor" of the context.
    std::string getInfo() const;
    const ValueMap& getValues() const { return _values; }

protected:
    Configuration() = default;

    int _maxTextureSize = 0;
    int _maxTextureUnits = 0;
    bool _supportsVAO = false;
    bool _supportsNPOT = false;
    std::string _extensions;
    ValueMap _values;
};

} // namespace cocos2d
