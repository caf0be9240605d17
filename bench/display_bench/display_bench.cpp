// Times frames of a window/level drag on a 512 x 512 signed 16-bit slice through the
// window/level program and through the CPU colour path, and prints one JSON line with the
// milliseconds per frame and how many textures each path rebuilt.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cocos2d.h"
#include "2d/Camera.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/display/isNodeImageByShader.h"

using namespace isImageSDK;

namespace {

constexpr int kSize = 512;
constexpr int kFrames = 120;

// A CT-like phantom: air, a water disc, bone ring and a few inserts, in HU.
std::vector<int16_t> phantom() {
    std::vector<int16_t> hu(size_t(kSize) * kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double dx = x - kSize / 2.0, dy = y - kSize / 2.0, r = std::sqrt(dx * dx + dy * dy);
            int16_t v = -1000;
            if (r < 230)
                v = int16_t(r > 215 ? 900 : 20 + int(10 * std::sin(x * 0.1)));
            if (std::hypot(dx - 80, dy) < 30)
                v = 300;
            if (std::hypot(dx + 80, dy) < 30)
                v = -100;
            hu[size_t(y) * kSize + size_t(x)] = v;
        }
    }
    return hu;
}

struct PathResult {
    double msPerFrame = 0;
    int rebuilds = 0;
    bool shader = false;
};

PathResult run(isNodeImage* node, isSliceInfo& slice, cocos2d::Scene* scene) {
    auto* director = cocos2d::Director::getInstance();
    isClut* clut = isClut::create();
    clut->retain();
    clut->configureForPixelType(kPixelS16);
    clut->setWindowLevel(400, 40);
    node->setCameraMask(2);
    node->setClut(clut);
    node->setSlice(&slice);
    scene->addChild(node);
    for (int i = 0; i < 5; ++i)
        director->mainLoop(1.0f / 60); // uploads and program set-up
    glFinish();

    PathResult result;
    cocos2d::Texture2D* texture = node->getTexture();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) {
        // A drag: width and level move a little every frame, as the mouse does.
        clut->setWindowLevel(400.0f + float(i * 7 % 300), 40.0f + float(i * 3 % 200));
        node->onWindowChanged();
        director->mainLoop(1.0f / 60);
        glFinish();
        if (node->getTexture() != texture) {
            ++result.rebuilds;
            texture = node->getTexture();
        }
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    result.msPerFrame = spent.count() / kFrames;
    if (auto* shaderNode = dynamic_cast<isNodeImageByShader*>(node))
        result.shader = shaderNode->isUsingShader();
    node->removeFromParent();
    clut->release();
    return result;
}

} // namespace

int main() {
    cocos2d::FileUtils::getInstance()->addSearchPath(std::string(QP_SOURCE_DIR) + "/imageSDK");
    auto* view = cocos2d::GLViewImpl::createWithRect("display bench", cocos2d::Rect(0, 0, kSize, kSize));
    if (!view) {
        std::fprintf(stderr, "display_bench: no GL window (run it under Xvfb)\n");
        return 1;
    }
    auto* director = cocos2d::Director::getInstance();
    director->setOpenGLView(view);
    auto* scene = cocos2d::Scene::create();
    director->runWithScene(scene);
    auto* camera = cocos2d::Camera::createOrthographic(kSize, kSize, -1000, 1000);
    camera->setCameraFlag(2);
    scene->addChild(camera);

    std::vector<int16_t> hu = phantom();
    isSliceInfo slice;
    slice.pixelType = kPixelS16;
    slice.columns = slice.rows = kSize;
    slice.pixels = reinterpret_cast<uint8_t*>(hu.data());
    slice.loaded = 1;

    isNodeImageByShader* shaderNode = isNodeImageByShader::create();
    if (!shaderNode) {
        std::fprintf(stderr, "display_bench: the window/level program does not build here\n");
        return 1;
    }
    const PathResult shader = run(shaderNode, slice, scene);
    const PathResult cpu = run(isNodeImage::create(), slice, scene);
    std::printf(
        "{\"slice\":\"%dx%d s16\",\"frames\":%d,\"shader_ms_per_frame\":%.3f,\"shader_texture_rebuilds\":%d,"
        "\"shader_kept\":%s,\"cpu_ms_per_frame\":%.3f,\"cpu_texture_rebuilds\":%d}\n",
        kSize, kSize, kFrames, shader.msPerFrame, shader.rebuilds, shader.shader ? "true" : "false",
        cpu.msPerFrame, cpu.rebuilds);
    slice.pixels = nullptr;
    return 0;
}
