#include "codec/CodecRegistry.h"

#include <dcmtk/dcmdata/dcrledrg.h>
#include <dcmtk/dcmjpeg/djdecode.h>
#include <dcmtk/dcmjpls/djdecode.h>
#include <dcmtk/oflog/oflog.h>

#include <atomic>
#include <mutex>

namespace dcmSDK {

namespace {
std::mutex g_mutex;
std::atomic<bool> g_registered{false};
} // namespace

void CodecRegistry::ensure()
{
    if (g_registered.load(std::memory_order_acquire))
        return;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_registered.load(std::memory_order_relaxed))
        return;
    // Parsing and decoding problems are reported once by the library's own log line;
    // the toolkit's warnings about every odd element would only drown them.
    for (const char* name : {"dcmtk.dcmdata", "dcmtk.dcmjpeg", "dcmtk.dcmjpls", "dcmtk.dcmimgle"})
        OFLog::getLogger(name).setLogLevel(OFLogger::FATAL_LOG_LEVEL);
    // Colour stays as decoded; the pixel decoder converts YCbCr itself, guided by the code
    // stream rather than by the data set, which encoders often mislabel.
    DJDecoderRegistration::registerCodecs(EDC_never);
    DJLSDecoderRegistration::registerCodecs();
    DcmRLEDecoderRegistration::registerCodecs();
    g_registered.store(true, std::memory_order_release);
}

void CodecRegistry::cleanup()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_registered.load(std::memory_order_relaxed))
        return;
    DJDecoderRegistration::cleanup();
    DJLSDecoderRegistration::cleanup();
    DcmRLEDecoderRegistration::cleanup();
    g_registered.store(false, std::memory_order_release);
}

} // namespace dcmSDK
