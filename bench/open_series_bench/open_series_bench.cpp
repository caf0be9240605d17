// open_series_bench [slices]: writes the 512 x 512 CT phantom (400 slices unless told) into a
// fresh store, opens it on the viewing screen in a 1600 x 1000 window as the study list does,
// and times the open request to the first image on screen and to the whole series loaded, on the
// first open (cache written) and on a re-open (cache read). The plain DCMTK read loop over the
// same files runs in the same process for comparison. Prints one JSON line (milliseconds).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "AppConfig.h"
#include "SeriesWriter.h"
#include "bench/common/DcmtkReadLoop.h"
#include "cache/isBinReader.h"
#include "data/isImageData.h"
#include "cocos2d.h"
#include "db/dicomDB.h"
#include "net/dataService.h"
#include "object/isSharedObjects.h"
#include "platform/GLViewImpl.h"
#include "viewer/imageViewerPC.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace cocos2d;

namespace {

const int kWidth = 1600;
const int kHeight = 1000;
const char* const kFolder = "bench/ct/";

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void frame()
{
    Director::getInstance()->getOpenGLView()->pollEvents();
    Director::getInstance()->mainLoop(1.0f / 60.0f);
}

bool frameUntil(const std::function<bool()>& done, double seconds = 20)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > end) return false;
        frame();
        // The program runs 60 frames a second; a free-running loop would starve the loader
        // of the scheduler and notification locks.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Grey body pixels in a block of the shown frame around (x, y).
bool bodyShownAt(int x, int y)
{
    const int n = 16;
    unsigned char px[n * n * 4];
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x - n / 2, y - n / 2, n, n, GL_RGBA, GL_UNSIGNED_BYTE, px);
    int grey = 0;
    for (int i = 0; i < n * n; ++i) {
        const unsigned char* p = px + i * 4;
        grey += p[0] > 40 && p[0] < 235 && std::abs(p[0] - p[1]) < 6 && std::abs(p[0] - p[2]) < 6;
    }
    return grey > n * n / 2;
}

// The first image is on screen: the body in the middle of the single view, or of the
// top-left view of the four-view layout.
bool firstImageShown(int toolWidth)
{
    const Size frameSize = Director::getInstance()->getOpenGLView()->getFrameSize();
    const float sx = frameSize.width / kWidth, sy = frameSize.height / kHeight;
    const float w = kWidth - toolWidth, h = kHeight - 60;
    return bodyShownAt(int((toolWidth + w / 2) * sx), int(h / 2 * sy)) ||
           bodyShownAt(int((toolWidth + w / 4) * sx), int(h * 3 / 4 * sy));
}

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
    if (frameUntil([&] { return screen->getMultiView() && firstImageShown(screen->getToolWidth()); }))
        times.firstMs = msSince(start);
    auto* reader = dynamic_cast<isImageSDK::isBinReader*>(
        isImageSDK::isSharedObjects::getInstance()->getObjectByName(kFolder));
    const int count = reader ? reader->getOutputImage()->getSliceCount() : 0;
    if (reader && frameUntil([&] { return reader->getLoadedCount() >= count; }))
        times.allMs = msSince(start);

    // The pixel cache is written after the last image; the re-open reads it.
    if (reader) frameUntil([&] { return reader->rawCacheExists(); });
    Director::getInstance()->popScene();
    for (int i = 0; i < 5; ++i) frame();
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
    files->setSearchPaths({std::string(QP_SOURCE_DIR) + "/res/pad", QP_BINARY_DIR, std::string(QP_SOURCE_DIR) + "/imageSDK",
                           QP_SOURCE_DIR});

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
