#include "platform/GLView.h"

#include <algorithm>
#include <cmath>

#include "base/Director.h"
#include "base/ccLog.h"
#include "renderer/ccGLStateCache.h"
#include "platform/CCGL.h"

namespace cocos2d {

GLContextAttrs GLView::s_glContextAttrs = {8, 8, 8, 8, 24, 8, 0};

void GLView::setGLContextAttrs(GLContextAttrs& glContextAttrs)
{
    s_glContextAttrs = glContextAttrs;
}

GLContextAttrs GLView::getGLContextAttrs()
{
    return s_glContextAttrs;
}

GLView::GLView() {}

GLView::~GLView() {}

void GLView::setFrameSize(float width, float height)
{
    _screenSize = Size(width, height);
    Director::getInstance()->markDirty();
    // Until a design resolution is chosen, one point is one pixel.
    if (_designResolutionSize.width <= 0 || _designResolutionSize.height <= 0) {
        _designResolutionSize = _screenSize;
        _viewPortRect = Rect(0, 0, width, height);
        _scaleX = _scaleY = 1.0f;
    } else if (_resolutionPolicy != ResolutionPolicy::UNKNOWN) {
        updateDesignResolutionSize();
    }
}

void GLView::setDesignResolutionSize(float width, float height, ResolutionPolicy resolutionPolicy)
{
    if (width <= 0.0f || height <= 0.0f) {
        log("GLView: design resolution %gx%g refused", width, height);
        return;
    }
    _designResolutionSize = Size(width, height);
    _resolutionPolicy = resolutionPolicy;
    updateDesignResolutionSize();
}

void GLView::updateDesignResolutionSize()
{
    if (_screenSize.width <= 0 || _screenSize.height <= 0 || _designResolutionSize.width <= 0 ||
        _designResolutionSize.height <= 0) {
        return;
    }
    _scaleX = _screenSize.width / _designResolutionSize.width;
    _scaleY = _screenSize.height / _designResolutionSize.height;
    switch (_resolutionPolicy) {
    case ResolutionPolicy::NO_BORDER: _scaleX = _scaleY = std::max(_scaleX, _scaleY); break;
    case ResolutionPolicy::SHOW_ALL: _scaleX = _scaleY = std::min(_scaleX, _scaleY); break;
    case ResolutionPolicy::FIXED_HEIGHT:
        _scaleX = _scaleY;
        _designResolutionSize.width = std::ceil(_screenSize.width / _scaleX);
        break;
    case ResolutionPolicy::FIXED_WIDTH:
        _scaleY = _scaleX;
        _designResolutionSize.height = std::ceil(_screenSize.height / _scaleY);
        break;
    default: break;
    }
    float vpW = _designResolutionSize.width * _scaleX;
    float vpH = _designResolutionSize.height * _scaleY;
    _viewPortRect = Rect((_screenSize.width - vpW) / 2, (_screenSize.height - vpH) / 2, vpW, vpH);
    Director::getInstance()->setWinSize(_designResolutionSize);
}

Size GLView::getVisibleSize() const
{
    if (_resolutionPolicy == ResolutionPolicy::NO_BORDER) {
        return Size(_screenSize.width / _scaleX, _screenSize.height / _scaleY);
    }
    return _designResolutionSize;
}

Vec2 GLView::getVisibleOrigin() const
{
    if (_resolutionPolicy == ResolutionPolicy::NO_BORDER) {
        return Vec2((_designResolutionSize.width - _screenSize.width / _scaleX) / 2,
                    (_designResolutionSize.height - _screenSize.height / _scaleY) / 2);
    }
    return Vec2::ZERO;
}

Rect GLView::getVisibleRect() const
{
    return Rect(getVisibleOrigin(), getVisibleSize());
}

void GLView::setViewPortInPoints(float x, float y, float w, float h)
{
    if (!GL::isContextReady()) {
        return;
    }
    glViewport(static_cast<GLint>(std::lround(x * _scaleX + _viewPortRect.origin.x)),
               static_cast<GLint>(std::lround(y * _scaleY + _viewPortRect.origin.y)),
               static_cast<GLsizei>(std::lround(w * _scaleX)), static_cast<GLsizei>(std::lround(h * _scaleY)));
}

void GLView::setScissorInPoints(float x, float y, float w, float h)
{
    if (!GL::isContextReady()) {
        return;
    }
    // Round outward to whole pixels so adjacent clips do not leave gaps.
    float x0 = std::floor(x * _scaleX + _viewPortRect.origin.x);
    float y0 = std::floor(y * _scaleY + _viewPortRect.origin.y);
    float x1 = std::ceil((x + w) * _scaleX + _viewPortRect.origin.x);
    float y1 = std::ceil((y + h) * _scaleY + _viewPortRect.origin.y);
    glScissor(static_cast<GLint>(x0), static_cast<GLint>(y0), static_cast<GLsizei>(std::max(0.0f, x1 - x0)),
              static_cast<GLsizei>(std::max(0.0f, y1 - y0)));
}

bool GLView::isScissorEnabled()
{
    return GL::isContextReady() && glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
}

Rect GLView::getScissorRect() const
{
    if (!GL::isContextReady()) {
        return Rect();
    }
    GLint params[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, params);
    float x = (params[0] - _viewPortRect.origin.x) / _scaleX;
    float y = (params[1] - _viewPortRect.origin.y) / _scaleY;
    return Rect(x, y, params[2] / _scaleX, params[3] / _scaleY);
}

Vec2 GLView::convertFramePointToDesign(float x, float y) const
{
    return Vec2((x - _viewPortRect.origin.x) / _scaleX, (_screenSize.height - y - _viewPortRect.origin.y) / _scaleY);
}

void GLView::handleTouchesBegin(int, intptr_t[], float[], float[]) {}
void GLView::handleTouchesMove(int, intptr_t[], float[], float[]) {}
void GLView::handleTouchesEnd(int, intptr_t[], float[], float[]) {}
void GLView::handleTouchesCancel(int, intptr_t[], float[], float[]) {}

} // namespace cocos2d
