#pragma once
// CPU ray caster: turns a bound volume into an RGB picture for one view, on up to four worker
// threads, adapting its output scale so that a pass takes about the target time.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "imaging/core/volume/cuLight.h"
#include "imaging/core/volume/isRayFunctions.h"
#include "imaging/core/volume/isTransferTables.h"
#include "imaging/core/volume/isVolumeRecord.h"
#include "imaging/core/volume/isVolumeView.h"
#include "imaging/core/volume/vrSpaceLeapingBase.h"

namespace isImageSDK {

class isVolumeRenderer {
public:
    /// What a finished pass produced; the pixels stay valid until the next pass.
    struct Result {
        int width = -1, height = -1;
        float unitsPerPixelX = 0.0f, unitsPerPixelY = 0.0f; // viewport units per output pixel
        const uint8_t* pixels = nullptr;                     // width * height RGB, top row first
    };

    isVolumeRenderer();
    ~isVolumeRenderer();
    isVolumeRenderer(const isVolumeRenderer&) = delete;
    isVolumeRenderer& operator=(const isVolumeRenderer&) = delete;

    // setVolume, setView and render belong to the thread that renders, between passes; the
    // setters below may be called from any thread at any time.

    /// Binds a volume (not owned; it must stay alive while bound). Null unbinds.
    void setVolume(const isVolumeRecord* record);
    /// Takes over a view; with intoVolumeFrame the pose is given in world coordinates and is
    /// mapped into the volume's own frame by the inverse of the volume matrix.
    void setView(const isVolumeView& view, bool intoVolumeFrame);

    /// One pass into the output picture; false when nothing was drawn (no volume, a viewport
    /// too small at the current scale, or a cancelled pass). Runs on the caller's thread. The
    /// cancel flag is cleared first unless keepCancel: an owner that clears it itself when it
    /// takes on a request passes true, so that a cancel made since then is not lost.
    bool render(bool keepCancel = false);
    /// Abandons the running pass; safe from any thread.
    void cancel() { _cancel.store(true, std::memory_order_relaxed); }
    void clearCancel() { _cancel.store(false, std::memory_order_relaxed); }
    bool isCancelled() const { return _cancel.load(std::memory_order_relaxed); }

    // Setters of the owner; they only mark the tables for the next pass.
    void setColorTable(const uint8_t rgb[768]);
    void setWindow(float width, float level);
    void setRenderMode(int mode);
    void setInterpolation(int flag);
    void setImageScale(float scale);
    void setTargetTime(float milliseconds);
    /// Keeps the image scale where it is (benchmarks and tests of a fixed size).
    void setScaleLocked(bool locked);
    /// Uses at most `workers` threads (1 to 4) per pass; benchmarks compare thread counts.
    void setWorkerLimit(int workers) { _workerLimit = workers < 1 ? 1 : (workers > 4 ? 4 : workers); }
    /// Replaces the millisecond clock used to time passes (tests).
    void setClock(std::function<double()> clockMs) { _clock = std::move(clockMs); }

    Result getResult() const;
    float getImageScale() const;
    float getStepLength() const { return _stepLength; }
    int getLastWorkerCount() const { return _lastWorkers; }
    size_t getLastRayCount() const { return _lastRays; }
    const isVolumeView& getView() const { return _view; }
    const vrSpaceLeapingBase* getGrid() const { return _grid.get(); }
    const isTransferTables& getTransferTables() const { return _tables; }
    /// The classification table of the last pass (4 floats an entry; layout by mode and type).
    const std::vector<float>& getLookup() const { return _lookup; }

    /// Worker threads for a pass of `rays` rays: one below 100, else four.
    static int workerCountFor(size_t rays) { return rays < 100 ? 1 : 4; }

private:
    void updateTables();
    void castRays(int width, int height, const int rect[4]);
    void adaptScale(double elapsedMs);

    isTransferTables _tables;
    cuLight _light;
    const isVolumeRecord* _volume = nullptr;
    double _inverseMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double _rotation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    isRayVolume _rayVolume;
    isRayShading _shading;
    std::unique_ptr<vrSpaceLeapingBase> _grid;
    isVolumeView _view;
    std::vector<float> _lookup;
    std::vector<uint8_t> _output;
    int _width = -1, _height = -1;
    float _unitsPerPixel[2] = {0.0f, 0.0f};
    float _stepLength = 1.0f;
    int _maxSteps = -1;
    float _windowWidth = 255.0f, _windowLevel = 128.0f;
    float _pendingWidth = 255.0f, _pendingLevel = 128.0f;
    uint8_t _colors[768];
    int _mode = 0;
    float _scale = 1.0f;       // under `_pendingLock`: the owner may set it between passes
    float _targetTime = 30.0f; // under `_pendingLock`
    bool _scaleLocked = false; // under `_pendingLock`
    std::atomic<bool> _cancel{false};
    // What the owner's setters leave for the next pass, under `_pendingLock`.
    mutable std::mutex _pendingLock;
    bool _tablesReady = false;
    bool _windowChanged = true;
    bool _colorsChanged = false;
    int _pendingMode = 0;
    int _pendingInterpolation = 1;
    int _tablesMode = -1, _tablesType = -1;
    int _workerLimit = 4;
    int _lastWorkers = 0;
    size_t _lastRays = 0;
    std::function<double()> _clock;
};

} // namespace isImageSDK
