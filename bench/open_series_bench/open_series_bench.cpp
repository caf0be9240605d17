// open_series_bench [slices]: writes the 512 x 512 CT phantom (400 slices unless told) into a
// fresh store, opens it on the viewing screen in a 1600 x 1000 window as the study list does,
// and times the open request to the first image on screen and to the whole series loaded, on the
// first open (cache written) and on a re-open (cache read). The plain DCMTK read loop over the
// same files runs in the same process for comparison. Prints one JSON line (milliseconds).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "AppConfig.h"
#include "AppDelegate.h"
#include "SeriesWriter.h"
#include "bench/common/DcmtkReadLoop.h"
#include "cache/isBinReader.h"
#include "data/isImageData.h"
#include "cocos2d.h"
#include "db/dicomDB.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"
#include "object/isSharedObjects.h"
#include "roi/isROIManager.h"
#include "platform/GLViewImpl.h"
#include "viewer/imageViewerPC.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace cocos2d;

namespace {

const int kWidth = 1600;
const int kHeight = 1000;
const char* const kFolder = "bench/ct/";

// One pass of the program's own loop: a frame (drawn only when something changed), the window's
// events, then the wait until the next frame is due or another thread brings work.
void frame()
{
    Director* director = Director::getInstance();
    const double start = director->now();
    director->mainLoop();
    director->getOpenGLView()->pollEvents();
    for (;;) {
        const double left = director->getNextFrameTime(start) - director->now();
        if (left <= 0.0) return;
        director->waitForWork(std::min(left, 0.25));
    }
}

bool frameUntil(const std::function<bool()>& done, double seconds = 20)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > end) return false;
        frame();
    }
    return true;
}

// Grey body pixels in a block of the frame being drawn around (x, y).
bool bodyDrawnAt(int x, int y)
{
    const int n = 16;
    unsigned char px[n * n * 4];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x - n / 2, y - n / 2, n, n, GL_RGBA, GL_UNSIGNED_BYTE, px);
    int grey = 0;
    for (int i = 0; i < n * n; ++i) {
        const unsigned char* p = px + i * 4;
        grey += p[0] > 40 && p[0] < 235 && std::abs(p[0] - p[1]) < 6 && std::abs(p[0] - p[2]) < 6;
    }
    return grey > n * n / 2;
}

// Looks at every drawn frame just before it is shown, for the body in the middle of the single
// view or of the top-left view of the four-view layout. The frame is read before the swap: what
// was shown cannot be read back from every X server.
class FirstImageProbe {
public:
    explicit FirstImageProbe(int toolWidth) : state(std::make_shared<State>()) { state->toolWidth = toolWidth; }

    /// Asks the next drawn frame to be looked at; true once a frame has shown the image.
    bool shown()
    {
        if (state->shownAt) return true;
        if (!state->queued) {
            state->queued = true;
            Director::getInstance()->getRenderer()->addFrameEndTask([s = state] { s->look(); });
        }
        return false;
    }
    Clock::time_point shownAt() const { return *state->shownAt; }

private:
    struct State {
        int toolWidth = 0;
        bool queued = false;
        std::optional<Clock::time_point> shownAt;

        void look()
        {
            queued = false;
            const Size frameSize = Director::getInstance()->getOpenGLView()->getFrameSize();
            const float sx = frameSize.width / kWidth, sy = frameSize.height / kHeight;
            const float w = kWidth - toolWidth, h = kHeight - 60;
            if (bodyDrawnAt(int((toolWidth + w / 2) * sx), int(h / 2 * sy)) ||
                bodyDrawnAt(int((toolWidth + w / 4) * sx), int(h * 3 / 4 * sy)))
                shownAt = Clock::now();
        }
    };
    std::shared_ptr<State> state;
};

// Notes the moment the series' reader holds every slice, from the open request on and also while
// the loop waits for its next frame. The loading thread registers the reader under its folder.
class LoadWatch {
public:
    LoadWatch()
        : thread([this] {
              auto* shared = isImageSDK::isSharedObjects::getInstance();
              while (!stop.load()) {
                  auto* reader = dynamic_cast<isImageSDK::isBinReader*>(shared->getObjectByName(kFolder));
                  if (reader && reader->getLoadedCount() >= reader->getOutputImage()->getSliceCount()) {
                      doneAt = Clock::now();
                      done.store(true);
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::microseconds(200));
              }
          })
    {
    }
    ~LoadWatch()
    {
        stop.store(true);
        thread.join();
    }
    bool isDone() const { return done.load(); }
    /// Valid once isDone().
    Clock::time_point doneAt;

private:
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::thread thread;
};

struct OpenTimes {
    double firstMs = -1;
    double allMs = -1;
};

OpenTimes openOnce()
{
    OpenTimes times;
    const auto start = Clock::now();
    Scene* scene = imageViewerPC::createScene(kFolder);
    imageViewerPC* screen = nullptr;
    for (Node* child : scene->getChildren())
        if (auto* found = dynamic_cast<imageViewerPC*>(child)) screen = found;
    Director::getInstance()->pushScene(scene);
    auto watch = std::make_unique<LoadWatch>();
    FirstImageProbe probe(screen->getToolWidth());
    // Every drawn frame is looked at: the one that handles the load result draws the views too.
    if (frameUntil([&] { return probe.shown(); }))
        times.firstMs = std::chrono::duration<double, std::milli>(probe.shownAt() - start).count();
    if (frameUntil([&] { return watch->isDone(); }))
        times.allMs = std::chrono::duration<double, std::milli>(watch->doneAt - start).count();
    watch.reset();
    auto* reader = dynamic_cast<isImageSDK::isBinReader*>(
        isImageSDK::isSharedObjects::getInstance()->getObjectByName(kFolder));

    // The pixel cache is written after the last image; the re-open reads it.
    if (reader) frameUntil([&] { return reader->rawCacheExists(); });
    Director::getInstance()->popScene();
    // Gone with the screen, so that the re-open finds no reader left from this one.
    frameUntil([] { return !isImageSDK::isSharedObjects::getInstance()->getObjectByName(kFolder); });
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    const int slices = argc > 1 ? std::atoi(argv[1]) : 400;
    char pattern[] = "/tmp/open_series_bench_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    auto* files = FileUtils::getInstance();
    files->setWritablePath(std::string(pattern) + "/");
    // The program's resource folders, in its order, under this tree and its build.
    files->setDefaultResourceRootPath(std::string(QP_SOURCE_DIR) + "/");
    std::vector<std::string> paths(std::begin(AppDelegate::kSearchPaths), std::end(AppDelegate::kSearchPaths));
    paths.insert(paths.end(), {"res/layout", QP_BINARY_DIR "/", QP_BINARY_DIR "/samples", QP_SOURCE_DIR});
    files->setSearchPaths(paths);

    auto* view = GLViewImpl::createWithRect("open series bench", Rect(0, 0, kWidth, kHeight));
    if (!view) {
        std::fprintf(stderr, "open_series_bench: no display\n");
        return 1;
    }
    Director* director = Director::getInstance();
    director->setOpenGLView(view);
    const Size frameSize = view->getFrameSize();
    view->setDesignResolutionSize(frameSize.width, frameSize.height, ResolutionPolicy::FIXED_HEIGHT);
    director->setContentScaleFactor(1.0f);
    // As the program does: the projection follows the design resolution only when set again.
    director->setProjection(director->getProjection());
    AppConfig::getInstance()->retain();
    AppConfig::getInstance()->loadLanguage();
    AppConfig::getInstance()->getFrameSize() = view->getFrameSize();
    AppConfig::getInstance()->setWinSize(director->getWinSize());
    // Made on the main thread before any worker can reach them, as the launch makes them.
    NSUI::NSNotificationCenter::getInstance();
    isImageSDK::isSharedObjects::getInstance();
    isImageSDK::isROIManager::getInstance();
    director->setAnimationInterval(1.0f / 60.0f);
    director->startAnimation();
    director->runWithScene(Scene::create());
    frame();
    dataService* service = dataService::getInstance();
    if (!service || !service->getDB() || !service->getDB()->isOpen()) {
        std::fprintf(stderr, "open_series_bench: the store did not open\n");
        return 1;
    }

    samplemaker::SeriesPlan plan;
    plan.slices = slices;
    std::vector<std::string> written;
    if (!samplemaker::SeriesWriter::write(plan, service->getDB()->getRoot() + kFolder, written)) return 1;

    size_t bytes = 0;
    benchcommon::plainDcmtkLoop(written, bytes); // warm the page cache for both contenders
    const double dcmtkMs = benchcommon::plainDcmtkLoop(written, bytes);
    // The program idles on the study list before a series is opened: the notification centre's
    // first tick (half a second after it was made) is long past by then.
    const auto idleEnd = Clock::now() + std::chrono::milliseconds(600);
    frameUntil([&] { return Clock::now() > idleEnd; });
    const OpenTimes first = openOnce();
    const OpenTimes again = openOnce();

    std::printf("{\"slices\":%d,\"first_open_first_image_ms\":%.1f,\"first_open_all_loaded_ms\":%.1f,"
                "\"reopen_first_image_ms\":%.1f,\"reopen_all_loaded_ms\":%.1f,\"dcmtk_loop_ms\":%.1f,"
                "\"all_loaded_over_dcmtk\":%.2f}\n",
                slices, first.firstMs, first.allMs, again.firstMs, again.allMs, dcmtkMs,
                dcmtkMs > 0 ? first.allMs / dcmtkMs : 0.0);
    std::fflush(stdout);
    dataService::destroyInstance();
    std::error_code ec;
    fs::remove_all(pattern, ec);
    std::_Exit(0);
}
