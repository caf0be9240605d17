#include "base/ccUtils.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Director.h"
#include "base/Scheduler.h"
#include "base/ccLog.h"
#include "platform/FileUtils.h"
#include "platform/GLView.h"
#include "platform/Image.h"
#include "renderer/Renderer.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {
namespace utils {

namespace {

// Captures being written on their own threads. Never destroyed: a writer may still signal
// while the process exits.
struct Writers {
    std::mutex mutex;
    std::condition_variable done;
    int count = 0;
};
Writers& writers()
{
    static Writers* const all = new Writers();
    return *all;
}

void finishOnMainThread(const std::function<void(bool, const std::string&)>& callback, bool ok, const std::string& path)
{
    if (!callback) {
        return;
    }
    Director::getInstance()->getScheduler()->performFunctionInCocosThread([callback, ok, path] { callback(ok, path); });
}

// Reads the rectangle now (inside the frame's rendering) and writes the file on a worker.
void readAndSave(const std::function<void(bool, const std::string&)>& callback, const std::string& path, float x,
                 float y, float width, float height, bool whole)
{
    GLView* view = Director::getInstance()->getOpenGLView();
    if (!view || !GL::isContextReady()) {
        log("captureScreen: no view to capture");
        finishOnMainThread(callback, false, path);
        return;
    }
    const Size& frame = view->getFrameSize();
    int px0 = 0, py0 = 0, px1 = static_cast<int>(frame.width), py1 = static_cast<int>(frame.height);
    if (!whole) {
        const Rect& vp = view->getViewPortRect();
        px0 = std::max(px0, static_cast<int>(std::floor(x * view->getScaleX() + vp.origin.x)));
        py0 = std::max(py0, static_cast<int>(std::floor(y * view->getScaleY() + vp.origin.y)));
        px1 = std::min(px1, static_cast<int>(std::ceil((x + width) * view->getScaleX() + vp.origin.x)));
        py1 = std::min(py1, static_cast<int>(std::ceil((y + height) * view->getScaleY() + vp.origin.y)));
    }
    int w = px1 - px0, h = py1 - py0;
    if (w <= 0 || h <= 0) {
        log("captureScreen: the rectangle lies outside the window");
        finishOnMainThread(callback, false, path);
        return;
    }
    auto pixels = std::make_shared<std::vector<unsigned char>>(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(px0, py0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels->data());
    {
        std::lock_guard<std::mutex> lock(writers().mutex);
        ++writers().count;
    }
    std::thread([callback, path, pixels, w, h] {
        // GL rows run bottom to top; pictures top to bottom.
        std::vector<unsigned char> flipped(pixels->size());
        size_t row = static_cast<size_t>(w) * 4;
        for (int r = 0; r < h; ++r) {
            memcpy(&flipped[static_cast<size_t>(r) * row], &(*pixels)[static_cast<size_t>(h - 1 - r) * row], row);
        }
        auto* image = new Image();
        bool ok = image->initWithRawData(flipped.data(), static_cast<ssize_t>(flipped.size()), w, h, 8) &&
                  image->saveToFile(path, true);
        image->release();
        finishOnMainThread(callback, ok, path);
        Writers& all = writers();
        std::lock_guard<std::mutex> lock(all.mutex);
        --all.count;
        all.done.notify_all();
    }).detach();
}

void queueCapture(const std::function<void(bool, const std::string&)>& afterCaptured, const std::string& filename,
                  float x, float y, float width, float height, bool whole)
{
    if (filename.empty()) {
        log("captureScreen: no file name");
        finishOnMainThread(afterCaptured, false, filename);
        return;
    }
    FileUtils* fu = FileUtils::getInstance();
    std::string path = fu->isAbsolutePath(filename) ? filename : fu->getWritablePath() + filename;
    if (!GL::isContextReady() || !Director::getInstance()->getOpenGLView()) {
        log("captureScreen: no view to capture");
        finishOnMainThread(afterCaptured, false, path);
        return;
    }
    // After the whole frame is drawn, cameras drawn in line included.
    Director::getInstance()->getRenderer()->addFrameEndTask(
        [afterCaptured, path, x, y, width, height, whole] { readAndSave(afterCaptured, path, x, y, width, height, whole); });
}

} // namespace

void waitForCaptures()
{
    Writers& all = writers();
    std::unique_lock<std::mutex> lock(all.mutex);
    all.done.wait(lock, [&all] { return all.count == 0; });
}

void captureScreen(const std::function<void(bool, const std::string&)>& afterCaptured, const std::string& filename,
                   int x, int y, int width, int height)
{
    // An empty rectangle at the origin asks for the whole window.
    const bool whole = x == 0 && y == 0 && width == 0 && height == 0;
    queueCapture(afterCaptured, filename, static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                 static_cast<float>(height), whole);
}

void captureScreen(const std::function<void(bool, const std::string&)>& afterCaptured, const std::string& filename)
{
    queueCapture(afterCaptured, filename, 0, 0, 0, 0, true);
}

} // namespace utils
} // namespace cocos2d
