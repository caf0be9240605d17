#pragma once
// The image interactor preset for the volume viewer: a one-finger drag orbits the camera.

#include "imaging/display/interactor/isInteractorImage.h"

namespace isImageSDK {

class isInteractorTrackVR : public isInteractorImage {
public:
    static isInteractorTrackVR* create();
    /// The image interactor's init, then type tag 2 and rotate mode.
    bool init() override;

protected:
    isInteractorTrackVR() = default;
    friend class isObject;
};

} // namespace isImageSDK
