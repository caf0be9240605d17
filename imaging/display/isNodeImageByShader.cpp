#include "imaging/display/isNodeImageByShader.h"

#include <atomic>

#include "base/Director.h"
#include "base/base64.h"
#include "base/ccLog.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/display/image/TexelConversion.h"
#include "platform/FileUtils.h"
#include "renderer/GLProgram.h"
#include "renderer/GLProgramState.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"
#include "renderer/ccGLStateCache.h"

namespace isImageSDK {

namespace {

// Shared by every shader node: cleared once rendering is found too slow, never set again.
std::atomic<uint32_t> shaderAllowed{1};
std::function<float()> frameTimeSource;

std::string readProgramSource(const char* name) {
    auto* files = cocos2d::FileUtils::getInstance();
    const std::string path = files->fullPathForFilename(name);
    if (path.empty())
        return std::string();
    return cocos2d::safeBase64Decode(files->getStringFromFile(path));
}

// The window/level program (autoreleased), or null with a log line.
cocos2d::GLProgram* buildProgram() {
    const std::string vertex = readProgramSource("i.v");
    const std::string fragment = readProgramSource("id.f");
    if (vertex.empty() || fragment.empty()) {
        cocos2d::log("isNodeImageByShader: the program sources i.v and id.f are missing or not Base64");
        return nullptr;
    }
    return cocos2d::GLProgram::createWithByteArrays(vertex.c_str(), fragment.c_str());
}

// The program the nodes share while someone holds it (a viewing screen); main thread only.
cocos2d::GLProgram* sharedProgram = nullptr;
int sharedHolds = 0;

float lastFrameTime() {
    return frameTimeSource ? frameTimeSource() : cocos2d::Director::getInstance()->getFrameTime();
}

const std::string kFrameTimeKey = "isNodeImageByShader_frameTime";

} // namespace

bool isNodeImageByShader::testProgram() {
    return buildProgram() != nullptr;
}

void isNodeImageByShader::holdSharedProgram() {
    if (sharedHolds++ > 0 || !isShaderAllowed())
        return;
    sharedProgram = buildProgram();
    if (sharedProgram)
        sharedProgram->retain();
}

void isNodeImageByShader::dropSharedProgram() {
    if (sharedHolds < 1 || --sharedHolds > 0)
        return;
    CC_SAFE_RELEASE_NULL(sharedProgram);
}

cocos2d::GLProgram* isNodeImageByShader::getSharedProgram() {
    return isShaderAllowed() ? sharedProgram : nullptr;
}

bool isNodeImageByShader::isShaderAllowed() {
    return shaderAllowed.load() == 1;
}

void isNodeImageByShader::setFrameTimeSource(std::function<float()> source) {
    frameTimeSource = std::move(source);
}

isNodeImageByShader* isNodeImageByShader::create() {
    auto* node = new (std::nothrow) isNodeImageByShader();
    if (node && node->init()) {
        node->autorelease();
        return node;
    }
    delete node;
    return nullptr;
}

isNodeImageByShader::~isNodeImageByShader() {
    deleteLutTexture();
}

bool isNodeImageByShader::init() {
    if (!isNodeImage::init())
        return false;
    if (shaderAllowed.load() != 1) {
        lutTexture = 0;
        useDefaultShader = true;
        lutDirty = false;
        return true;
    }
    cocos2d::GLProgram* program = sharedProgram ? sharedProgram : buildProgram();
    if (!program)
        return false;
    glGenTextures(1, &lutTexture);
    bindLutCommand.func = [this]() { uploadAndBindLut(); };
    unbindLutCommand.func = [this]() { unbindLut(); };
    setGLProgramState(cocos2d::GLProgramState::create(program));
    useDefaultShader = false;
    lutDirty = false;
    return true;
}

void isNodeImageByShader::cleanup() {
    isNodeImage::cleanup();
    deleteLutTexture();
}

void isNodeImageByShader::deleteLutTexture() {
    if (lutTexture != 0 && cocos2d::GL::isContextReady())
        cocos2d::GL::deleteTexture(lutTexture);
    lutTexture = 0;
}

void isNodeImageByShader::onEnter() {
    isNodeImage::onEnter();
    drawsSinceEnter = 0;
    if (!useDefaultShader)
        schedule([this](float) { watchFrameTime(); }, kFrameTimeKey);
}

void isNodeImageByShader::watchFrameTime() {
    if (useDefaultShader) {
        unschedule(kFrameTimeKey);
        return;
    }
    if (lastFrameTime() > kSlowFrameSeconds)
        markContentChanged();
}

void isNodeImageByShader::setClut(isClut* newClut) {
    isNodeImage::setClut(newClut);
    if (!useDefaultShader)
        lutDirty = true;
}

void isNodeImageByShader::onWindowChanged() {
    // With the shader the window reaches the program as uniforms on every draw.
    if (useDefaultShader)
        textureDirty = true;
    markContentChanged();
}

void isNodeImageByShader::onColorTableChanged() {
    if (useDefaultShader) {
        textureDirty = true;
    } else {
        lutDirty = true;
    }
    markContentChanged();
}

cocos2d::Texture2D* isNodeImageByShader::createTexture() {
    if (useDefaultShader || !slice || !isValidPixelType(slice->pixelType))
        return isNodeImage::createTexture();
    TexelBuffer texels = buildShaderTexels(*slice, frameIndex);
    if (texels.empty())
        return nullptr;
    valueOffset = texels.valueOffset;
    valueScale = texels.valueScale;
    cocos2d::Texture2D* texture = textureFrom(texels);
    // The program filters 16-bit values itself from the texels it reads whole; linear sampling
    // here would round each byte apart. RGB is filtered as it is.
    const GLuint filter = texels.layout == TexelBuffer::Layout::Ai88 ? GL_NEAREST : GL_LINEAR;
    if (texture)
        texture->setTexParameters({filter, filter, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE});
    return texture;
}

void isNodeImageByShader::useDefaultProgram() {
    useDefaultShader = true;
    setGLProgramState(cocos2d::GLProgramState::getOrCreateWithGLProgramName(
        cocos2d::GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR_NO_MVP));
    deleteLutTexture();
    isNodeImage::setSlice(slice);
    textureDirty = true;
    unschedule(kFrameTimeKey);
    markContentChanged();
}

void isNodeImageByShader::uploadAndBindLut() {
    if (lutTexture == 0)
        return;
    if (lutDirty && clut) {
        uint8_t rgb[768];
        clut->getRGBTable(rgb);
        // Bound through the engine's state cache so its idea of unit 1 stays true.
        cocos2d::GL::bindTexture2DN(1, lutTexture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        cocos2d::GL::activeTexture(GL_TEXTURE0);
        lutDirty = false;
    }
    cocos2d::GL::bindTexture2DN(1, lutTexture);
    cocos2d::GL::activeTexture(GL_TEXTURE0);
}

void isNodeImageByShader::unbindLut() {
    cocos2d::GL::bindTexture2DN(1, 0);
    cocos2d::GL::activeTexture(GL_TEXTURE0);
}

void isNodeImageByShader::draw(cocos2d::Renderer* renderer, const cocos2d::Mat4& transform, uint32_t flags) {
    if (drawsSinceEnter <= kWarmUpDraws)
        ++drawsSinceEnter;
    // The warm-up draws follow each other, so the guard judges a frame soon after entering.
    if (!useDefaultShader && drawsSinceEnter <= kWarmUpDraws)
        markContentChanged();
    // Each shader node leaves the shader at its own slow frame; the first one also keeps nodes
    // made later off it. The first draws after entering a scene pay for uploads and program
    // links (and a software renderer's start), so they do not count.
    if (!useDefaultShader && drawsSinceEnter > kWarmUpDraws && lastFrameTime() > kSlowFrameSeconds) {
        cocos2d::log("Rendering is too slow. Disable cubic shader program.");
        shaderAllowed.store(0);
        useDefaultProgram();
    }
    if (!useDefaultShader && slice && slice->pixelType < 5) {
        queueShaderDraw(renderer, transform, flags);
        return;
    }
    isNodeImage::draw(renderer, transform, flags);
}

void isNodeImageByShader::queueShaderDraw(cocos2d::Renderer* renderer, const cocos2d::Mat4& transform,
                                          uint32_t flags) {
    if (!renderer || !clut || !_texture || !_glProgramState || _rect.size.width <= 0 ||
        _rect.size.height <= 0) {
        return;
    }
    if (_is3D) {
        flags |= FLAGS_RENDER_AS_3D;
    } else if (!renderer->checkVisibility(transform, _contentSize)) {
        return;
    }
    beginScissor(renderer, _globalZOrder, transform, flags);
    bindLutCommand.init(_globalZOrder, transform, flags);
    renderer->addCommand(&bindLutCommand);

    const WindowUniforms u = computeWindowUniforms(slice->pixelType, clut->windowWidth, clut->windowLevel,
                                                   clut->curve, valueScale, valueOffset);
    _glProgramState->setUniformInt("u_opacity", u.curve);
    _glProgramState->setUniformFloat("u_wwMin", u.wwMin);
    _glProgramState->setUniformFloat("u_wwLinear", u.wwLinear);
    _glProgramState->setUniformFloat("u_wwMax", u.wwMax);
    _glProgramState->setUniformFloat("u_wwLogRatio", u.wwLogRatio);
    _glProgramState->setUniformInt("u_pt", u.pt);
    _glProgramState->setUniformInt("u_fs", 0);
    _glProgramState->setUniformFloat("u_vw", float(_texture->getPixelsWide()));
    _glProgramState->setUniformFloat("u_vh", float(_texture->getPixelsHigh()));

    cocos2d::TrianglesCommand::Triangles triangles;
    triangles.verts = &_quad.tl;
    triangles.vertCount = 4;
    triangles.indices = _indices;
    triangles.indexCount = 6;
    _trianglesCommand.init(_globalZOrder, _texture->getName(), _glProgramState, _blendFunc, triangles,
                           transform, flags);
    renderer->addCommand(&_trianglesCommand);

    unbindLutCommand.init(_globalZOrder, transform, flags);
    renderer->addCommand(&unbindLutCommand);
    endScissor(renderer, _globalZOrder, transform, flags);
}

} // namespace isImageSDK
