#include "imaging/core/volume/isVolumeRenderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "imaging/core/volume/CRayCastingThread.h"
#include "imaging/core/volume/isRayOffsets.h"
#include "imaging/core/reslice/isMatrixMath.h"
#include "imaging/core/volume/vrSpaceLeaping.h"
#include "imaging/core/volume/vrSpaceLeapingFloat.h"

namespace isImageSDK {

namespace {

double steadyMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void transformPoint(const double m[16], const float in[3], float out[3])
{
    for (int r = 0; r < 3; ++r) out[r] = float(m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2] + m[12 + r]);
}

void transformDirection(const double m[16], const float in[3], float out[3])
{
    for (int r = 0; r < 3; ++r) out[r] = float(m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2]);
}

} // namespace

isVolumeRenderer::isVolumeRenderer() : _clock(steadyMs)
{
    for (int i = 0; i < 256; ++i) _colors[i * 3] = _colors[i * 3 + 1] = _colors[i * 3 + 2] = uint8_t(i);
    _shading.transfer = &_tables.transfer[0][0];
}

isVolumeRenderer::~isVolumeRenderer() = default;

void isVolumeRenderer::setVolume(const isVolumeRecord* record)
{
    if (record == _volume) return;
    _volume = record;
    {
        std::lock_guard<std::mutex> lock(_pendingLock);
        _tablesReady = false; // the lookup layout depends on the pixel type
    }
    if (!record) return;
    double m[16];
    for (int i = 0; i < 16; ++i) m[i] = record->matrix[i];
    if (!invertMatrix4(m, _inverseMatrix)) {
        // A degenerate orientation cannot be inverted; render in the volume's own frame.
        for (int i = 0; i < 16; ++i) _inverseMatrix[i] = (i % 5 == 0) ? 1.0 : 0.0;
    }
    std::memcpy(_rotation, _inverseMatrix, sizeof(_rotation));
    _rotation[12] = _rotation[13] = _rotation[14] = 0.0;

    const int kind = record->pixelType == 2 ? 2 : 1;
    if (_grid && _grid->kind != kind) _grid.reset();
    if (!_grid) {
        if (kind == 2) _grid = std::make_unique<vrSpaceLeapingFloat>();
        else _grid = std::make_unique<vrSpaceLeaping>();
    }
    _grid->bind(record);

    const float* s = record->spacing;
    _stepLength = (s[0] < s[1] && s[0] < s[2]) ? s[0] : std::min(s[2], s[1]);
    _maxSteps = -1;

    isRayVolume& rv = _rayVolume;
    for (int a = 0; a < 3; ++a) {
        rv.dims[a] = record->dims[a];
        rv.spacing[a] = s[a];
        rv.recipSpacing[a] = s[a] > 0.0f ? 1.0 / s[a] : 0.0;
    }
    rv.sliceSize = record->dims[0] * record->dims[1];
    rv.pixelType = record->pixelType;
    rv.slices.assign(size_t(std::max(0, record->dims[2])), nullptr);
    for (int z = 0; z < record->dims[2]; ++z) rv.slices[size_t(z)] = record->slice(z);
}

void isVolumeRenderer::setView(const isVolumeView& view, bool intoVolumeFrame)
{
    _view = view;
    if (intoVolumeFrame && _volume) {
        transformPoint(_inverseMatrix, view.eye, _view.eye);
        transformPoint(_inverseMatrix, view.focal, _view.focal);
        transformDirection(_rotation, view.up, _view.up);
    }
    // The shaded mode lights from the eye's side.
    for (int a = 0; a < 3; ++a) _light.eye[a] = float(_view.eye[a] * _rayVolume.recipSpacing[a]);
}

void isVolumeRenderer::setColorTable(const uint8_t rgb[768])
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    std::memcpy(_colors, rgb, sizeof(_colors));
    _tablesReady = false;
    _colorsChanged = true;
}

void isVolumeRenderer::setWindow(float width, float level)
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    // A width below 2 would blow up the window scale.
    _pendingWidth = std::isfinite(width) ? std::max(2.0f, width) : 255.0f;
    _pendingLevel = std::isfinite(level) ? level : 128.0f;
    _tablesReady = false;
    _windowChanged = true;
}

void isVolumeRenderer::setRenderMode(int mode)
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    _pendingMode = mode;
    _tablesReady = false;
}

void isVolumeRenderer::setInterpolation(int flag)
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    _pendingInterpolation = flag;
}

void isVolumeRenderer::setImageScale(float scale)
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    if (std::isfinite(scale)) _scale = std::min(1.0f, std::max(0.05f, scale));
}

void isVolumeRenderer::setTargetTime(float milliseconds)
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    if (milliseconds > 0.0f) _targetTime = milliseconds;
}

void isVolumeRenderer::setScaleLocked(bool locked)
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    _scaleLocked = locked;
}

float isVolumeRenderer::getImageScale() const
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    return _scale;
}

isVolumeRenderer::Result isVolumeRenderer::getResult() const
{
    Result r;
    r.width = _width;
    r.height = _height;
    r.unitsPerPixelX = _unitsPerPixel[0];
    r.unitsPerPixelY = _unitsPerPixel[1];
    r.pixels = _output.empty() ? nullptr : _output.data();
    return r;
}

void isVolumeRenderer::updateTables()
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    _mode = _pendingMode;
    _rayVolume.interpolation = _pendingInterpolation;
    const int type = _volume ? _volume->pixelType : 1;
    if (_tablesReady && _tablesMode == _mode && _tablesType == type) return;
    if (_windowChanged) {
        _windowWidth = _pendingWidth;
        _windowLevel = _pendingLevel;
        _shading.windowLow = _windowLevel - _windowWidth * 0.5f;
        _shading.windowScale = 255.0f / _windowWidth;
    }
    // Blocks below the window's low end hold only transparent samples, for every pixel type.
    if (_grid) _grid->setThreshold(_shading.windowLow);
    if (_colorsChanged) {
        _tables.setColors(_colors);
        std::memcpy(_shading.background, _colors, 3);
    }
    _lookup.resize(65536 * 4);
    _tables.buildPreIntegration();
    const float low = _shading.windowLow, scale = _shading.windowScale;
    if (_mode == 1 || _mode == 2) {
        for (size_t i = 0; i < 65536; ++i) {
            const float* e = &_tables.preIntegration[i * 4];
            _lookup[i * 4] = e[0] / 255.0f;
            for (int c = 1; c < 4; ++c) _lookup[i * 4 + c] = e[c];
        }
    } else if (_mode == 0 && type == 2) {
        // Float volumes are classified by their windowed value directly.
        for (int i = 0; i < 256; ++i) {
            _lookup[size_t(i) * 4] = _tables.transfer[i][0] / 255.0f;
            for (int c = 1; c < 4; ++c) _lookup[size_t(i) * 4 + c] = _tables.transfer[i][c];
        }
    } else if (_mode == 0) {
        // One entry per raw value; signed 16-bit values are offset by 32768.
        _shading.lookupBias = type == 1 ? 32768 : 0;
        for (int idx = 0; idx < 65536; ++idx) {
            const float v = float(idx - _shading.lookupBias);
            const float w = (v - low) * scale + 0.5f;
            const int i = w <= 0.0f ? 0 : (w >= 255.0f ? 255 : int(w));
            _lookup[size_t(idx) * 4] = _tables.transfer[i][0] / 255.0f;
            for (int c = 1; c < 4; ++c) _lookup[size_t(idx) * 4 + c] = _tables.transfer[i][c];
        }
    }
    _shading.lookup = _lookup.data();
    _tablesMode = _mode;
    _tablesType = type;
    _tablesReady = true;
    _windowChanged = false;
    _colorsChanged = false;
}

bool isVolumeRenderer::render(bool keepCancel)
{
    if (!keepCancel) _cancel.store(false, std::memory_order_relaxed);
    if (!_volume || !_grid || !_volume->isRenderable()) return false;
    updateTables();
    _grid->build();

    const float scale = getImageScale();
    const int width = int(scale * _view.width), height = int(scale * _view.height);
    // Below two pixels a side there is no pixel pitch to speak of.
    if (width < 2 || height < 2) return false;
    if (width != _width || height != _height) {
        _output.assign(size_t(width) * size_t(height) * 3, 0);
        _width = width;
        _height = height;
    }
    const double perUnitX = double(width) / _view.width, perUnitY = double(height) / _view.height;
    _unitsPerPixel[0] = float(_view.width / width);
    _unitsPerPixel[1] = float(_view.height / height);

    // Rectangle of the volume's projection in output pixels, rows counted from the top.
    const float ext[3] = {float((_volume->dims[0] - 1) * _volume->spacing[0]),
                          float((_volume->dims[1] - 1) * _volume->spacing[1]),
                          float((_volume->dims[2] - 1) * _volume->spacing[2])};
    int minX = 99999, maxX = -99999, minY = 99999, maxY = -99999;
    for (int c = 0; c < 8; ++c) {
        const float corner[3] = {(c & 1) ? ext[0] : 0.0f, (c & 2) ? ext[1] : 0.0f, (c & 4) ? ext[2] : 0.0f};
        float s[3];
        if (!_view.project(corner, s)) return false;
        const int x = int(std::floor(s[0] * perUnitX)), y = int(std::floor(s[1] * perUnitY));
        minX = std::min(minX, x);
        maxX = std::max(maxX, int(std::ceil(s[0] * perUnitX)));
        minY = std::min(minY, y);
        maxY = std::max(maxY, int(std::ceil(s[1] * perUnitY)));
    }
    const int rect[4] = {minX, height - maxY, maxX, height - minY};
    castRays(width, height, rect);
    return !_cancel.load(std::memory_order_relaxed);
}

void isVolumeRenderer::castRays(int width, int height, const int rect[4])
{
    float right[3], up[3], dir[3];
    if (!_view.basis(right, up, dir)) return;
    const float sp[3] = {float(_rayVolume.spacing[0]), float(_rayVolume.spacing[1]), float(_rayVolume.spacing[2])};
    // Output pixel (c, r) is shown over viewport units [c, c + 1) x [r, r + 1) times the pixel
    // pitch, so its ray goes through the middle of that area: pictures of any scale then cover
    // the viewport exactly and lie on one another.
    const float pitchX = _view.width / float(width), pitchY = _view.height / float(height);
    const float unitsX = pitchX * _view.zoom;
    const float unitsY = pitchY * _view.zoom;

    std::vector<isRay> rays;
    rays.reserve(size_t(std::max(0, rect[2] - rect[0] + 1)) * size_t(std::max(0, rect[3] - rect[1] + 1)));
    float origin[3], colStep[3], rowStep[3], step[3];
    if (!_view.perspective) {
        _view.unproject(0.5f * pitchX, _view.height - 0.5f * pitchY, 0.0f, origin);
        for (int a = 0; a < 3; ++a) {
            origin[a] /= sp[a];
            colStep[a] = right[a] * unitsX / sp[a];
            rowStep[a] = -up[a] * unitsY / sp[a];
            step[a] = dir[a] * _stepLength / sp[a];
        }
    }
    const uint8_t* bg = _shading.background;
    for (int r = 0; r < height; ++r) {
        if (_cancel.load(std::memory_order_relaxed)) return;
        uint8_t* px = &_output[size_t(r) * size_t(width) * 3];
        for (int c = 0; c < width; ++c, px += 3) {
            if (r < rect[1] || r > rect[3] || c < rect[0] || c > rect[2]) {
                px[0] = bg[0];
                px[1] = bg[1];
                px[2] = bg[2];
                continue;
            }
            isRay ray;
            ray.out = px;
            ray.offset = isRayOffsets::at(c, r);
            if (!_view.perspective) {
                for (int a = 0; a < 3; ++a) {
                    ray.start[a] = origin[a] + float(c) * colStep[a] + float(r) * rowStep[a];
                    ray.step[a] = step[a];
                }
            } else {
                const float vx = (float(c) + 0.5f) * pitchX;
                const float vy = (float(height - 1 - r) + 0.5f) * pitchY;
                float n[3], f[3];
                _view.unproject(vx, vy, 0.0f, n);
                _view.unproject(vx, vy, 1.0f, f);
                float d[3] = {f[0] - n[0], f[1] - n[1], f[2] - n[2]};
                const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
                for (int a = 0; a < 3; ++a) {
                    ray.start[a] = n[a] / sp[a];
                    ray.step[a] = (len > 0.0f ? d[a] / len : 0.0f) * _stepLength / sp[a];
                }
            }
            rays.push_back(ray);
        }
    }

    const double start = _clock();
    isRayContext context;
    context.volume = &_rayVolume;
    context.shading = &_shading;
    context.grid = _grid.get();
    context.maxSteps = _maxSteps < 0 ? 100000 : _maxSteps;
    context.mode = _mode;
    const isRayFunction function = selectRayFunction(_mode, _rayVolume.pixelType, _rayVolume.interpolation);

    const int workers = std::min(_workerLimit, workerCountFor(rays.size()));
    std::atomic<size_t> next{0};
    std::vector<std::unique_ptr<CRayCastingThread>> casters;
    for (int w = 0; w < workers; ++w)
        casters.push_back(std::make_unique<CRayCastingThread>(rays.data(), rays.size(), &next, context, function,
                                                              _light, &_cancel));
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w) threads.emplace_back(&CRayCastingThread::castRange, casters[size_t(w)].get());
    casters[0]->castRange();
    for (auto& t : threads) t.join();
    _lastWorkers = workers;
    _lastRays = rays.size();

    if (_cancel.load(std::memory_order_relaxed)) return;
    adaptScale(_clock() - start);
}

void isVolumeRenderer::adaptScale(double elapsedMs)
{
    std::lock_guard<std::mutex> lock(_pendingLock);
    if (_scaleLocked) return;
    // A pass faster than the clock's resolution counts as 1 ms, so it cannot pin the scale low.
    const double elapsed = std::max(1.0, std::floor(elapsedMs));
    const double next = double(_scale) * std::sqrt(double(_targetTime) / elapsed);
    _scale = float(std::min(1.0, std::max(0.05, next)));
}

} // namespace isImageSDK
