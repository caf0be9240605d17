#pragma once
// The mixin every display object of the imaging side carries beside its engine base class: a way
// to forget its links to the objects it works with, without releasing them.

namespace isImageSDK {

class isNodeObject {
public:
    virtual ~isNodeObject() = default;

    /// Sets the pointers to linked objects to null without releasing them; nothing by default.
    virtual void resetNodeLinks() {}
};

} // namespace isImageSDK
