#include "imaging/display/volume/isVRThread.h"

#include <chrono>

#include "base/Director.h"
#include "imaging/core/volume/isVolumeRenderer.h"
#include "imaging/display/volume/isVRRenderRequest.h"

namespace isImageSDK {

void isVRThread::cancelAll()
{
    std::lock_guard<std::mutex> lock(_cancelLock);
    clearRequests();
    _renderer->cancel();
}

void isVRThread::process(NSUI::NSThreadRequest* base)
{
    auto* request = static_cast<isVRRenderRequest*>(base);
    if (!request->volume) return;
    {
        std::lock_guard<std::mutex> lock(_cancelLock);
        if (request->cancelled) return;
        _renderer->clearCancel();
    }
    if (request->volume->serial != _boundSerial) {
        // Unbinding first makes the renderer bind afresh even when the new record sits where an
        // old one was.
        _renderer->setVolume(nullptr);
        _renderer->setVolume(&request->volume->record);
        _boundSerial = request->volume->serial;
    }
    const isVRSettings& settings = request->settings;
    if (settings.serial != _appliedSettings) {
        _renderer->setColorTable(settings.colors);
        _renderer->setWindow(settings.windowWidth, settings.windowLevel);
        _renderer->setRenderMode(settings.renderMode);
        _appliedSettings = settings.serial;
    }
    _renderer->setView(request->view, true);

    const auto start = std::chrono::steady_clock::now();
    request->imageScale = _renderer->getImageScale();
    const bool drawn = _renderer->render(true);
    request->passMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!drawn || request->cancelled) return;
    const isVolumeRenderer::Result result = _renderer->getResult();
    if (!result.pixels || result.width < 1 || result.height < 1) return;
    request->width = result.width;
    request->height = result.height;
    request->unitsPerPixelX = result.unitsPerPixelX;
    request->unitsPerPixelY = result.unitsPerPixelY;
    request->pixels.assign(result.pixels, result.pixels + size_t(result.width) * size_t(result.height) * 3);
    // Handing the request back wakes the main loop, which shows the picture in the frame that
    // takes it in; asking for a frame here, before it is handed back, could only waste one.
    request->hasPicture = true;
}

} // namespace isImageSDK
