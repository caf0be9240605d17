#include "imaging/display/isNodeSprite.h"

#include "imaging/core/geometry/Geometry.h"

namespace isImageSDK {

isNodeSprite* isNodeSprite::create() {
    auto* sprite = new (std::nothrow) isNodeSprite();
    if (sprite && sprite->init()) {
        sprite->autorelease();
        return sprite;
    }
    delete sprite;
    return nullptr;
}

bool isNodeSprite::init() {
    if (!cocos2d::Sprite::init())
        return false;
    set3D(true);
    // Only the cameras of the render window draw image planes, never the screen's camera.
    removeCameraMask(1, true);
    blendEnabled = false;
    return true;
}

void isNodeSprite::setTexture(const std::string& filename) {
    cocos2d::Sprite::setTexture(filename);
    setNodeMatrix(cocos2d::Mat4::IDENTITY);
}

void isNodeSprite::setNodeMatrix(const cocos2d::Mat4& matrix) {
    nodeMatrix = matrix;
    double ax = 0.0, ay = 0.0, az = 0.0;
    matrixToEulerAngles(matrix, ax, ay, az);
    setPosition3D(cocos2d::Vec3(matrix.m[12], matrix.m[13], matrix.m[14]));
    setRotation3D(cocos2d::Vec3(float(ax), float(ay), float(az)));
    setGlobalZOrder(0.0f);
}

const cocos2d::Mat4& isNodeSprite::getNodeToParentTransform() const {
    if (_transformDirty) {
        cocos2d::Mat4 rotation;
        eulerToMatrix(cocos2d::Vec3::ZERO, _rotationX, _rotationY, _rotationZ_X, rotation);
        cocos2d::Mat4 scale;
        cocos2d::Mat4::createScale(_scaleX, _scaleY, 1.0f, &scale);
        _transform = rotation * scale;
        _transform.m[12] = _position.x;
        _transform.m[13] = _position.y;
        _transform.m[14] = _positionZ;
        if (_additionalTransform)
            _transform = _transform * *_additionalTransform;
        _transformDirty = false;
        _inverseDirty = true;
    }
    return _transform;
}

} // namespace isImageSDK
