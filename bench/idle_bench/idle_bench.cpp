// What drawing only on change costs and keeps: the CPU the real program uses over 10 s idle
// on its first screen (fresh writable folder, the sample plus a few more patients handed to it
// to import, so that the patient list shows rows rather than its animated empty-list prompt);
// the prompt's own cost, with the sample only (CPU over one full animation cycle and the frames
// per second the screen changes while the prompt's pictures move); then, in this
// process, the frame rate and the worst gap between frames of a 512 x 512 image node in the
// application loop while a cine plays and while window/level is dragged, the same scene
// forced to draw every frame (what the machine can do) and the same scene left alone.
// Prints one JSON line. Run it inside scripts/run-isolated (Xvfb, loopback only).
//   idle_bench [warm-up seconds before the idle measure, default 10]

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cocos2d.h"
#include "2d/Camera.h"
#include "framework/zip/ZipTool.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/display/isNodeImageByShader.h"

// Last: its macros clash with names in the engine's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

using namespace isImageSDK;

namespace {

constexpr int kSize = 512;
constexpr int kCineFrames = 8;
constexpr double kIdleSeconds = 10.0;
constexpr const char* kTestFiles = QP_TEST_FILES;
// Fade 1 s, turn 1 s and a 9-10 s pause for each of the prompt's two pictures.
constexpr double kPromptCycleSeconds = 22.0;
// Patients no one here wrote, added to the sample's three so that the list has rows to show.
const char* const kExtraPatients[] = {"CT_small.dcm", "MR_small.dcm", "SC_rgb_small_odd.dcm"};

// --- the program, idle ------------------------------------------------------------------

/// User plus system CPU seconds of a process and all its threads; negative when it is gone.
double cpuSecondsOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return -1.0;
    // Fields after the command name (which may hold spaces) start at the state, field 3.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

size_t filesBelow(const std::string& dir) {
    size_t n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        n += it->is_regular_file() ? 1 : 0;
    }
    return n;
}

struct ProgramIdle {
    double cpuSeconds = -1.0;
    size_t filesStored = 0;
    bool alive = false;
    double changesPerSecond = 0; // screen changes per second while it changes
    double changingSeconds = 0;  // how long it changed within the measure
};

/// Screen changes seen by polling the whole X screen: a changed picture is a drawn frame.
class ScreenWatch {
public:
    ScreenWatch() : display(XOpenDisplay(nullptr)) {}
    ~ScreenWatch() {
        if (display)
            XCloseDisplay(display);
    }
    /// Watches for `seconds`; the changes per second within the 100 ms slices that changed.
    void watch(double seconds, ProgramIdle& result) {
        if (!display)
            return;
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        std::vector<bool> slices(size_t(seconds * 10) + 1, false);
        unsigned long long last = 0;
        int changes = 0;
        bool first = true;
        while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
            const unsigned long long hash = screenHash();
            if (!first && hash != last) {
                ++changes;
                const double at = std::chrono::duration<double>(Clock::now() - start).count();
                slices[std::min(slices.size() - 1, size_t(at * 10))] = true;
            }
            first = false;
            last = hash;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        result.changingSeconds = double(std::count(slices.begin(), slices.end(), true)) / 10.0;
        result.changesPerSecond = result.changingSeconds > 0 ? changes / result.changingSeconds : 0;
    }

private:
    unsigned long long screenHash() {
        const Window root = DefaultRootWindow(display);
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, root, &attributes);
        XImage* image = XGetImage(display, root, 0, 0, unsigned(attributes.width), unsigned(attributes.height),
                                  AllPlanes, ZPixmap);
        if (!image)
            return 0;
        unsigned long long hash = 1469598103934665603ull;
        const size_t bytes = size_t(image->bytes_per_line) * size_t(image->height);
        const auto* data = reinterpret_cast<const unsigned char*>(image->data);
        for (size_t i = 0; i + 8 <= bytes; i += 8) {
            unsigned long long word;
            std::memcpy(&word, data + i, 8);
            hash = (hash ^ word) * 1099511628211ull;
        }
        XDestroyImage(image);
        return hash;
    }
    Display* display;
};

/// Starts the program on a fresh writable folder, hands it the sample (and, when asked, more
/// patients) to import, and after the warm-up measures its CPU over `seconds`; with `watch`
/// it also counts how often the screen changes meanwhile.
ProgramIdle measureProgram(double warmUpSeconds, double seconds, bool morePatients, bool watch) {
    ProgramIdle result;
    char pattern[] = "/tmp/idle_bench.XXXXXX";
    char samplePattern[] = "/tmp/idle_bench_sample.XXXXXX";
    if (!mkdtemp(pattern) || !mkdtemp(samplePattern))
        return result;
    const std::string dir = pattern;
    // The program imports folders of DICOM files: it is handed the sample unpacked.
    std::string sample = samplePattern;
    if (!unzipFile(QP_SAMPLE_ZIP, sample, ""))
        std::fprintf(stderr, "idle_bench: cannot unpack %s\n", QP_SAMPLE_ZIP);
    if (morePatients) {
        for (const char* name : kExtraPatients) {
            std::error_code ec;
            std::filesystem::copy_file(std::string(kTestFiles) + "/" + name, sample + "/" + name, ec);
            if (ec)
                std::fprintf(stderr, "idle_bench: cannot copy %s: %s\n", name, ec.message().c_str());
        }
    }
    std::vector<std::string> env = {"QP_WRITABLE_PATH=" + dir};
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("QP_WRITABLE_PATH=", 0) != 0)
            env.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(&e[0]);
    envp.push_back(nullptr);
    std::string program = QP_WORKSTATION;
    char* argv[] = {&program[0], &sample[0], nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
        std::fprintf(stderr, "idle_bench: cannot start %s\n", program.c_str());
        return result;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(warmUpSeconds));
    const double before = cpuSecondsOf(pid);
    if (watch)
        ScreenWatch().watch(seconds, result);
    else
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double after = cpuSecondsOf(pid);
    int status = 0;
    result.alive = before >= 0 && after >= 0 && waitpid(pid, &status, WNOHANG) == 0;
    if (result.alive)
        result.cpuSeconds = after - before;
    result.filesStored = filesBelow(dir);
    kill(pid, SIGTERM);
    for (int i = 0; i < 200 && waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    std::filesystem::remove_all(dir);
    std::filesystem::remove_all(sample);
    return result;
}

// --- a viewer-like scene in the application loop ---------------------------------------

double processCpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

struct PhaseResult {
    double fps = 0;
    double worstMs = 0;
    double cpuPercent = 0;
    double turnsPerSecond = 0;
};

/// Runs the application loop for a while after `start` built the scene, and watches frames
/// from a per-frame hook: a frame drawn in one tick is seen by the next one.
class PhaseApp : public cocos2d::Application {
public:
    std::function<void()> start;
    std::function<int()> shownFrame; // the cine frame on screen, when one plays
    bool forceEveryFrame = false;
    double warmUp = 0.5;
    double seconds = 3.0;
    PhaseResult result;

    bool applicationDidFinishLaunching() override {
        auto* director = cocos2d::Director::getInstance();
        start();
        director->getScheduler()->schedule([this](float) { probe(); }, this, 0.0f, false, "probe");
        return true;
    }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}

private:
    void probe() {
        auto* director = cocos2d::Director::getInstance();
        const double now = director->now();
        if (origin < 0)
            origin = now;
        const auto drawn = director->getRenderer()->getDrawnFrames();
        const bool measuring = now - origin >= warmUp;
        if (measuring && measureStart < 0) {
            measureStart = now;
            cpuStart = processCpuSeconds();
            lastDrawAt = -1;
            draws = 0;
        }
        if (drawn != lastCount) {
            if (measuring && lastDrawAt >= 0) {
                result.worstMs = std::max(result.worstMs, (previousTick - lastDrawAt) * 1000.0);
                draws += int(drawn - lastCount);
            }
            lastDrawAt = previousTick;
            lastCount = drawn;
        }
        previousTick = now;
        if (shownFrame) {
            const int frame = shownFrame();
            turnCount += measuring && frame != lastFrame;
            lastFrame = frame;
        }
        if (measuring && now - measureStart >= seconds) {
            result.fps = draws / (now - measureStart);
            result.cpuPercent = 100.0 * (processCpuSeconds() - cpuStart) / (now - measureStart);
            result.turnsPerSecond = turnCount / (now - measureStart);
            director->end();
        }
        if (forceEveryFrame)
            director->markDirty();
    }

    double origin = -1, measureStart = -1, cpuStart = 0, previousTick = 0, lastDrawAt = -1;
    unsigned long long lastCount = 0;
    int draws = 0, turnCount = 0, lastFrame = -1;
};

/// Frames of diagonal bands moving from frame to frame, in signed 16-bit values.
std::vector<int16_t> bandFrames() {
    std::vector<int16_t> samples(size_t(kSize) * kSize * kCineFrames);
    for (int f = 0; f < kCineFrames; ++f)
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                samples[(size_t(f) * kSize + size_t(y)) * kSize + size_t(x)] =
                    int16_t(((x + y + f * 24) % 256) * 8 - 1000);
    return samples;
}

struct Viewer {
    isSliceInfo slice;
    isClut* clut = nullptr;
    isNodeImage* node = nullptr;
    bool shader = false;
};

/// A fresh scene with a render-window camera and the image node showing the slice.
void showSlice(Viewer& viewer) {
    auto* director = cocos2d::Director::getInstance();
    director->reset();
    auto* scene = cocos2d::Scene::create();
    director->runWithScene(scene);
    auto* camera = cocos2d::Camera::createOrthographic(kSize, kSize, -1000, 1000);
    camera->setCameraFlag(2);
    scene->addChild(camera);
    if (viewer.clut)
        viewer.clut->release();
    viewer.clut = isClut::create();
    viewer.clut->retain();
    viewer.clut->configureForPixelType(kPixelS16);
    viewer.clut->setWindowLevel(400, 40);
    isNodeImageByShader* shaderNode = isNodeImageByShader::create();
    viewer.shader = shaderNode && shaderNode->isUsingShader();
    viewer.node = shaderNode ? static_cast<isNodeImage*>(shaderNode) : isNodeImage::create();
    viewer.node->setCameraMask(2);
    viewer.node->setClut(viewer.clut);
    viewer.node->setSlice(&viewer.slice);
    scene->addChild(viewer.node);
}

PhaseResult runPhase(const std::function<void(PhaseApp&)>& configure) {
    PhaseApp app;
    configure(app);
    app.run();
    cocos2d::Director::getInstance()->reset();
    return app.result;
}

} // namespace

int main(int argc, char** argv) {
    const double warmUp = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
    const char* isolated = std::getenv("QP_ISOLATED");
    if (!isolated || std::string(isolated) != "1") {
        std::fprintf(stderr, "idle_bench starts the program: run it as scripts/run-isolated %s\n", argv[0]);
        return 2;
    }
    const ProgramIdle idle = measureProgram(warmUp, kIdleSeconds, true, false);
    // The first screen with the sample's three patients only shows the animated prompt.
    const ProgramIdle prompt = measureProgram(warmUp, kPromptCycleSeconds, false, false);
    const ProgramIdle promptFrames = measureProgram(warmUp, kPromptCycleSeconds, false, true);

    cocos2d::FileUtils::getInstance()->addSearchPath(std::string(QP_SOURCE_DIR) + "/imageSDK");
    auto* view = cocos2d::GLViewImpl::createWithRect("idle bench", cocos2d::Rect(0, 0, kSize, kSize));
    if (!view) {
        std::fprintf(stderr, "idle_bench: no GL window (run it inside scripts/run-isolated)\n");
        return 1;
    }
    auto* director = cocos2d::Director::getInstance();
    director->setOpenGLView(view);

    std::vector<int16_t> samples = bandFrames();
    Viewer viewer;
    viewer.slice.pixelType = kPixelS16;
    viewer.slice.columns = viewer.slice.rows = kSize;
    viewer.slice.frames = kCineFrames;
    viewer.slice.pixels = reinterpret_cast<uint8_t*>(samples.data());
    viewer.slice.loaded = 1;

    const PhaseResult forced = runPhase([&](PhaseApp& app) {
        app.start = [&] { showSlice(viewer); };
        app.forceEveryFrame = true;
    });
    const PhaseResult still = runPhase([&](PhaseApp& app) { app.start = [&] { showSlice(viewer); }; });
    const PhaseResult cine = runPhase([&](PhaseApp& app) {
        app.start = [&] {
            showSlice(viewer);
            viewer.node->onCineCommand(nullptr, 9046, nullptr); // play
            for (int i = 0; i < 3; ++i)
                viewer.node->onCineCommand(nullptr, 9049, nullptr); // to the fastest speed
        };
        app.shownFrame = [&] { return viewer.node->getFrameIndex(); };
    });
    const PhaseResult drag = runPhase([&](PhaseApp& app) {
        app.start = [&] {
            showSlice(viewer);
            // The mouse reports a move every 4 ms; each one changes width and level.
            int step = 0;
            director->getScheduler()->schedule(
                [&viewer, step](float) mutable {
                    ++step;
                    viewer.clut->setWindowLevel(400.0f + float(step * 7 % 300), 40.0f + float(step * 3 % 200));
                    viewer.node->onWindowChanged();
                },
                &viewer, 0.004f, false, "drag");
        };
    });

    std::printf("{\"program_idle_seconds\":%.0f,\"program_idle_cpu_seconds\":%.3f,\"program_idle_cpu_percent\":%.2f,"
                "\"program_alive\":%s,\"program_files_stored\":%zu,"
                "\"prompt_cycle_seconds\":%.0f,\"prompt_cycle_cpu_percent\":%.2f,\"prompt_animating_seconds\":%.1f,"
                "\"prompt_animating_fps\":%.1f,\"prompt_alive\":%s,"
                "\"view\":\"%dx%d s16 %s\",\"forced_fps\":%.1f,\"forced_worst_ms\":%.1f,\"forced_cpu_percent\":%.1f,"
                "\"cine_fps\":%.1f,\"cine_frames_shown_per_s\":%.1f,\"cine_worst_ms\":%.1f,"
                "\"drag_fps\":%.1f,\"drag_worst_ms\":%.1f,"
                "\"still_fps\":%.1f,\"still_cpu_percent\":%.2f}\n",
                kIdleSeconds, idle.cpuSeconds, 100.0 * idle.cpuSeconds / kIdleSeconds, idle.alive ? "true" : "false",
                idle.filesStored, kPromptCycleSeconds, 100.0 * prompt.cpuSeconds / kPromptCycleSeconds,
                promptFrames.changingSeconds, promptFrames.changesPerSecond,
                prompt.alive && promptFrames.alive ? "true" : "false", kSize, kSize, viewer.shader ? "shader" : "cpu", forced.fps, forced.worstMs, forced.cpuPercent,
                cine.fps, cine.turnsPerSecond, cine.worstMs, drag.fps, drag.worstMs, still.fps, still.cpuPercent);
    if (viewer.clut)
        viewer.clut->release();
    viewer.slice.pixels = nullptr;
    return idle.alive && prompt.alive && promptFrames.alive ? 0 : 1;
}
