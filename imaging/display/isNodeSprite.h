#pragma once
// The sprite the image nodes and render-window backgrounds are built on: placed in a render
// window's 3D world by a full 4x4 matrix (rotation and origin of a slice), scaled by the pixel
// spacing, and drawn only by the cameras its render window assigns.

#include "2d/Sprite.h"
#include "imaging/display/isNodeObject.h"

namespace isImageSDK {

class isNodeSprite : public cocos2d::Sprite, public isNodeObject {
public:
    static isNodeSprite* create();

    /// An opaque value for the owner; the sprite never reads it.
    virtual void setOwner(void* value) { owner = value; }
    void* getOwner() const { return owner; }

    bool init() override;
    /// The picture file, placed at the identity.
    void setTexture(const std::string& filename) override;
    using cocos2d::Sprite::setTexture;

    /// Position from the matrix's translation, rotation from its rotation part; global Z 0.
    void setNodeMatrix(const cocos2d::Mat4& matrix);
    const cocos2d::Mat4& getNodeMatrix() const { return nodeMatrix; }

    /// T * R * S with the texture's bottom-left corner at the node's position: anchor point,
    /// skew and content size play no part.
    const cocos2d::Mat4& getNodeToParentTransform() const override;
    using cocos2d::Node::getNodeToParentTransform;

protected:
    void* owner = nullptr;
    cocos2d::Mat4 nodeMatrix;
    bool blendEnabled = false;
};

} // namespace isImageSDK
