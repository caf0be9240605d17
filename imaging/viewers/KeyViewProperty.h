#pragma once
// One tile of the multi-viewport container: the viewer it shows, the data it shows and whether
// it follows the commands of the other linked tiles.

#include <cstdint>

#include "imaging/core/object/isObject.h"

namespace isImageSDK {

class isImageData;
class isViewer;

class KeyViewProperty : public isObject {
public:
    static KeyViewProperty* create();
    /// Releases the image data, the source data and the viewer.
    ~KeyViewProperty() override;

    /// The same releases as the destructor; the fields become null.
    virtual void cleanup();
    /// Linked, no data, no viewer.
    bool init() override;
    virtual void reserved() {}

    /// Releases the previous viewer and holds the new one (null allowed) through its interface.
    void setViewer(isViewer* viewer);
    isViewer* getViewer() const { return viewer; }
    /// The viewer's mode, 7 without a viewer.
    uint32_t getViewerMode() const;
    void setImageData(isImageData* data);
    isImageData* getImageData() const { return imageData; }
    void setSourceData(isImageData* data);
    isImageData* getSourceData() const { return sourceData; }

    uint8_t linked = 1;

private:
    isImageData* imageData = nullptr;
    isImageData* sourceData = nullptr;
    isViewer* viewer = nullptr;
};

} // namespace isImageSDK
