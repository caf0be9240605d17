// Drives the volume-rendering actor in a 512 x 512 render window over the benchmark phantom at
// 60 frames a second, as the program's loop does, and prints one JSON line: interactive pass
// time and the scale it settles at, the time from a view change to its interactive picture,
// the best pass, how fast a best pass stops when cancelled, and the longest main-thread frame
// of a two-second orbit.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "BenchVolume.h"
#include "cocos2d.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/display/volume/isVRThreadBest.h"
#include "imaging/display/volume/isVRThreadRT.h"
#include "imaging/display/window/isRenderWindow.h"
#include "notify/NSNotificationCenter.h"

using namespace isImageSDK;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kViewport = 512;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double median(std::vector<double> v)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double maxOf(const std::vector<double>& v) { return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()); }

// The pass times the render threads report with each picture.
struct PassLog {
    std::vector<double> interactiveMs, bestMs;
    std::vector<float> interactiveScale;
};

void logPasses(NSUI::NSThread* thread, std::vector<double>& ms, std::vector<float>* scales)
{
    auto original = thread->finishedCallback;
    thread->finishedCallback = [original, &ms, scales](NSUI::NSThreadRequest* r) {
        auto* request = static_cast<isVRRenderRequest*>(r);
        if (!request->cancelled && request->hasPicture) {
            ms.push_back(request->passMs);
            if (scales) scales->push_back(request->imageScale);
        }
        original(r);
    };
}

class Bench {
public:
    Bench(cocos2d::Director* director, isRenderWindow* window, isActorVR* actor, const PassLog& log)
        : director(director), window(window), actor(actor), log(log)
    {
    }

    /// One frame of the program's loop; answers how long the main thread worked on it.
    double frame(bool paced = true)
    {
        const double start = director->now();
        const double spent = draw();
        if (paced) pace(start);
        return spent;
    }
    /// The frame's work, up to the picture being on screen; answers how long it took.
    double draw()
    {
        const Clock::time_point start = Clock::now();
        director->mainLoop();
        glFinish();
        return msSince(start);
    }
    /// Waits, as the program's loop does, for the next frame after the one that began at
    /// `start` (director clock): the animation interval, or less when a change arrives after
    /// frames that drew nothing. Every frame here ticks, as the notification centre makes it.
    void pace(double start)
    {
        const double interval = director->getAnimationInterval();
        for (;;) {
            const double left = std::min(start + interval, director->getNextFrameTime(start)) - director->now();
            if (left <= 0.0) return;
            director->waitForWork(left);
        }
    }
    cocos2d::Texture2D* shown() const { return actor->getSprite()->getTexture(); }
    bool resting() const { return actor->getInteractiveThread()->isIdle() && actor->getBestThread()->isIdle(); }
    void frameUntil(const std::function<bool()>& done)
    {
        while (!done())
            frame();
    }
    /// Both passes done and shown, and the frame after: nothing of the last view is left pending,
    /// as when the user has let go for a moment.
    void rest()
    {
        frameUntil([&] { return resting(); });
        frame();
    }
    /// Milliseconds from a view change to its picture being on screen (the frame that shows it
    /// drawn and finished, before the loop waits for the next one).
    double viewChangeLatency(float radians, bool paced)
    {
        cocos2d::Texture2D* before = shown();
        const Clock::time_point start = Clock::now();
        window->orbitBy(radians);
        for (;;) {
            const double frameStart = director->now();
            draw();
            const double latency = msSince(start);
            if (paced) pace(frameStart);
            if (shown() != before) return latency;
        }
    }
    /// Milliseconds from cancelling a running best pass to its thread going idle; -1 when the
    /// pass ended before it could be cancelled.
    double cancelLatency()
    {
        const size_t bestBefore = log.bestMs.size();
        window->orbitBy(0.05f);
        // A slow frame may miss the whole pass: its picture ends the wait too.
        frameUntil([&] { return actor->getBestThread()->isBusy() || log.bestMs.size() > bestBefore; });
        // Into the pass, past its table update.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!actor->getBestThread()->isBusy()) return -1.0; // it finished first
        const Clock::time_point start = Clock::now();
        actor->getBestThread()->cancelAll();
        while (actor->getBestThread()->isBusy())
            std::this_thread::yield();
        return msSince(start);
    }

    cocos2d::Director* director;
    isRenderWindow* window;
    isActorVR* actor;
    const PassLog& log;
};

isImageData* volumeFrom(const BenchVolume& bench)
{
    isImageData* image = isImageData::create();
    image->retain();
    if (!image->buildVolume(bench.dims, bench.spacing, kPixelS16, 0, 0, cocos2d::Mat4::IDENTITY) ||
        !image->getVolumePointer())
        return nullptr;
    std::memcpy(image->getVolumePointer(), bench.voxels.data(), bench.voxels.size() * sizeof(int16_t));
    for (int z = 0; z < bench.dims[2]; ++z) {
        isSliceInfo* slice = image->getSlice(z);
        slice->modality = kModalityCT;
        slice->windowWidth = 400.0f;
        slice->windowCenter = 40.0f;
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    isImageData* image = nullptr;
    {
        BenchVolume bench;
        if (!bench.load(argc, argv)) return 1;
        image = volumeFrom(bench);
    }
    if (!image) {
        std::fprintf(stderr, "vr_actor_bench: no memory for the volume\n");
        return 1;
    }
    cocos2d::FileUtils::getInstance()->addSearchPath(QP_BINARY_DIR);
    auto* view = cocos2d::GLViewImpl::createWithRect("vr actor bench", cocos2d::Rect(0, 0, kViewport, kViewport));
    if (!view) {
        std::fprintf(stderr, "vr_actor_bench: no GL window (run it under Xvfb)\n");
        return 1;
    }
    auto* director = cocos2d::Director::getInstance();
    director->setOpenGLView(view);
    director->setWinSize(cocos2d::Size(kViewport, kViewport));
    auto* scene = cocos2d::Scene::create();
    director->runWithScene(scene);
    NSUI::NSNotificationCenter::getInstance();

    isRenderWindow* window = isRenderWindow::create();
    window->setContentSize(cocos2d::Size(kViewport, kViewport));
    window->setPosition(cocos2d::Vec2(0, 0));
    scene->addChild(window);
    int dims[3];
    float spacing[3];
    image->getDimensions(dims);
    image->getSpacing(spacing);
    const cocos2d::Vec3 centre((dims[0] - 1) * spacing[0] * 0.5f, (dims[1] - 1) * spacing[1] * 0.5f,
                               (dims[2] - 1) * spacing[2] * 0.5f);
    const float extent = std::max({(dims[0] - 1) * spacing[0], (dims[1] - 1) * spacing[1], (dims[2] - 1) * spacing[2]});
    window->setCameraPosition(centre - cocos2d::Vec3(0, 1000, 0));
    window->setCameraFocalAndUp(centre, cocos2d::Vec3(0, 0, -1));
    window->setZoom(extent * 1.1f / kViewport);

    isActorVR* actor = window->getActorManager()->getVRActor();
    PassLog log;
    logPasses(actor->getInteractiveThread(), log.interactiveMs, &log.interactiveScale);
    logPasses(actor->getBestThread(), log.bestMs, nullptr);
    const std::string target = benchOption(argc, argv, "--target-ms", "");
    if (!target.empty()) actor->getInteractiveRenderer().setTargetTime(float(std::atof(target.c_str())));
    actor->setVisible(true);
    Bench bench(director, window, actor, log);
    // The notification centre starts ticking after half a second.
    for (int i = 0; i < 40; ++i)
        bench.frame();
    actor->setImageData(image);
    // First picture (tables and the empty-space grid are built once), then the best one.
    bench.frameUntil([&] { return bench.resting() && !log.bestMs.empty(); });
    const double firstBestMs = log.bestMs.back();

    // View changes from rest: the interactive scale settles meanwhile.
    std::vector<double> latency, unpacedLatency;
    bench.rest();
    for (int i = 0; i < 20; ++i) {
        latency.push_back(bench.viewChangeLatency(0.05f, true));
        bench.rest();
    }
    // The same with frames drawn back to back: the actor's own share of the latency.
    for (int i = 0; i < 10; ++i) {
        unpacedLatency.push_back(bench.viewChangeLatency(0.05f, false));
        bench.rest();
    }
    const size_t settledFrom = log.interactiveMs.size() / 2;
    const std::vector<double> settledPasses(log.interactiveMs.begin() + long(settledFrom), log.interactiveMs.end());

    std::vector<double> cancel;
    for (int i = 0; i < 10; ++i) {
        const double ms = bench.cancelLatency();
        if (ms >= 0.0) cancel.push_back(ms);
        bench.frameUntil([&] { return bench.resting(); });
    }

    // A scripted orbit of two seconds: one turn, a step every frame.
    const size_t picturesBefore = log.interactiveMs.size();
    std::vector<double> frameMs;
    const Clock::time_point orbitStart = Clock::now();
    while (msSince(orbitStart) < 2000.0) {
        window->orbitBy(float(2.0 * M_PI / 120.0));
        frameMs.push_back(bench.frame());
    }
    const size_t orbitPictures = log.interactiveMs.size() - picturesBefore;
    bench.frameUntil([&] { return bench.resting(); });

    std::printf("{\"volume\":\"%dx%dx%d\",\"viewport\":%d,\"threads\":4,\"interactive_pass_ms\":%.1f,"
                "\"interactive_scale\":%.3f,\"view_change_to_picture_ms_median\":%.1f,"
                "\"view_change_to_picture_ms_max\":%.1f,\"unpaced_view_change_ms_median\":%.1f,\"best_pass_ms\":%.1f,\"first_best_pass_ms\":%.1f,"
                "\"cancel_ms_median\":%.2f,\"cancel_ms_max\":%.2f,\"cancels\":%zu,\"orbit_frames\":%zu,\"orbit_pictures\":%zu,\"orbit_max_frame_ms\":%.1f,"
                "\"orbit_median_frame_ms\":%.1f}\n",
                dims[0], dims[1], dims[2], kViewport, median(settledPasses),
                log.interactiveScale.empty() ? 0.0f : log.interactiveScale.back(), median(latency), maxOf(latency),
                median(unpacedLatency),
                median(log.bestMs), firstBestMs, median(cancel), maxOf(cancel), cancel.size(), frameMs.size(), orbitPictures, maxOf(frameMs),
                median(frameMs));
    window->getActorManager()->releaseActors();
    image->release();
    return 0;
}
