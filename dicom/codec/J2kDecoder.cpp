#include "codec/J2kDecoder.h"

#include "dcmCallbacks.h"

#include <openjpeg.h>

#include <cstring>
#include <string>

namespace dcmSDK {

namespace {
struct MemoryStream {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

OPJ_SIZE_T readStream(void* buffer, OPJ_SIZE_T bytes, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    if (s->pos >= s->size)
        return static_cast<OPJ_SIZE_T>(-1);
    size_t n = s->size - s->pos < bytes ? s->size - s->pos : bytes;
    memcpy(buffer, s->data + s->pos, n);
    s->pos += n;
    return n;
}

OPJ_OFF_T skipStream(OPJ_OFF_T bytes, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    if (bytes < 0) {
        size_t back = static_cast<size_t>(-bytes);
        if (back > s->pos)
            return -1;
        s->pos -= back;
        return bytes;
    }
    size_t left = s->size - s->pos;
    size_t n = static_cast<size_t>(bytes) < left ? static_cast<size_t>(bytes) : left;
    s->pos += n;
    return static_cast<OPJ_OFF_T>(n);
}

OPJ_BOOL seekStream(OPJ_OFF_T to, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    if (to < 0 || static_cast<uint64_t>(to) > s->size)
        return OPJ_FALSE;
    s->pos = static_cast<size_t>(to);
    return OPJ_TRUE;
}

void quiet(const char*, void*) {}
void reportError(const char* msg, void*)
{
    std::string text(msg ? msg : "");
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    dcmLog("jpeg2000: %s", text.c_str());
}

// Releases what OpenJPEG handed out, whichever way decode() leaves.
struct OpjHolder {
    opj_codec_t* codec = nullptr;
    opj_stream_t* stream = nullptr;
    opj_image_t* image = nullptr;
    ~OpjHolder()
    {
        if (image)
            opj_image_destroy(image);
        if (stream)
            opj_stream_destroy(stream);
        if (codec)
            opj_destroy_codec(codec);
    }
};

bool isJp2Box(const uint8_t* d, size_t n)
{
    static const uint8_t sig[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    return n >= sizeof sig && memcmp(d, sig, sizeof sig) == 0;
}
} // namespace

bool J2kDecoder::decode(const uint8_t* data, size_t size, uint32_t columns, uint32_t rows,
                        uint32_t samples, uint32_t bytesPerSample, std::vector<uint8_t>& out)
{
    if (!data || size < 2 || columns == 0 || rows == 0 || (samples != 1 && samples != 3) ||
        (bytesPerSample != 1 && bytesPerSample != 2))
        return false;
    OpjHolder h;
    h.codec = opj_create_decompress(isJp2Box(data, size) ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    if (!h.codec)
        return false;
    opj_set_info_handler(h.codec, quiet, nullptr);
    opj_set_warning_handler(h.codec, quiet, nullptr);
    opj_set_error_handler(h.codec, reportError, nullptr);
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    if (!opj_setup_decoder(h.codec, &params))
        return false;

    MemoryStream ms{data, size, 0};
    h.stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    if (!h.stream)
        return false;
    opj_stream_set_user_data(h.stream, &ms, nullptr);
    opj_stream_set_user_data_length(h.stream, size);
    opj_stream_set_read_function(h.stream, readStream);
    opj_stream_set_skip_function(h.stream, skipStream);
    opj_stream_set_seek_function(h.stream, seekStream);

    if (!opj_read_header(h.stream, h.codec, &h.image) || !h.image)
        return false;
    // The header alone tells whether the stream fits the data set; refuse before decoding.
    if (h.image->numcomps != samples || h.image->x1 - h.image->x0 != columns || h.image->y1 - h.image->y0 != rows)
        return false;
    for (uint32_t c = 0; c < samples; ++c) {
        const opj_image_comp_t& comp = h.image->comps[c];
        if (comp.dx != 1 || comp.dy != 1 || comp.prec == 0 || comp.prec > 8 * bytesPerSample)
            return false;
    }
    if (!opj_decode(h.codec, h.stream, h.image) || !opj_end_decompress(h.codec, h.stream))
        return false;

    const uint64_t pixels = static_cast<uint64_t>(columns) * rows;
    for (uint32_t c = 0; c < samples; ++c) {
        const opj_image_comp_t& comp = h.image->comps[c];
        if (!comp.data || static_cast<uint64_t>(comp.w) * comp.h < pixels)
            return false;
    }
    size_t start = out.size();
    out.resize(start + static_cast<size_t>(pixels * samples * bytesPerSample));
    uint8_t* dst = out.data() + start;
    for (uint64_t i = 0; i < pixels; ++i) {
        for (uint32_t c = 0; c < samples; ++c) {
            int32_t v = h.image->comps[c].data[i];
            if (bytesPerSample == 1) {
                *dst++ = static_cast<uint8_t>(v);
            } else {
                uint16_t w = static_cast<uint16_t>(v);
                memcpy(dst, &w, 2);
                dst += 2;
            }
        }
    }
    return true;
}

} // namespace dcmSDK
