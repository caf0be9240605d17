#include "detail/PixelDecoder.h"

#include "codec/J2kDecoder.h"
#include "codec/JpegColourGuess.h"
#include "dcmCallbacks.h"
#include "detail/DicomFile.h"
#include "detail/FirstFrame.h"

#include <dcmtk/dcmdata/dcistrmf.h>
#include <dcmtk/dcmdata/dcpxitem.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace dcmSDK {

namespace {
// Decoded images larger than this are refused rather than allocated.
const uint64_t kMaxDecodedBytes = 1ULL << 31;

bool isYbr(const std::string& p) { return p.compare(0, 3, "YBR") == 0; }
bool isPartialYbr(const std::string& p) { return p.compare(0, 11, "YBR_PARTIAL") == 0; }
bool isSubsampled(const std::string& p) { return p == "YBR_FULL_422" || p == "YBR_PARTIAL_422"; }
bool isLossyJpeg(E_TransferSyntax x) { return x == EXS_JPEGProcess1 || x == EXS_JPEGProcess2_4; }

// A lossy JPEG data set that says RGB may still hold YCbCr samples; its first fragment tells.
bool lossyJpegHoldsYcbcr(DcmPixelData* pd, E_TransferSyntax xfer)
{
    DcmPixelSequence* seq = nullptr;
    DcmPixelItem* item = nullptr;
    Uint8* p = nullptr;
    if (pd->getEncapsulatedRepresentation(xfer, nullptr, seq).bad() || !seq || seq->card() < 2 ||
        seq->getItem(item, 1).bad() || !item || item->getUint8Array(p).bad() || !p)
        return false;
    return JpegColourGuess::isYcbcr(p, item->getLength());
}

bool isJ2k(E_TransferSyntax x)
{
    return x == EXS_JPEG2000LosslessOnly || x == EXS_JPEG2000 ||
           x == EXS_JPEG2000MulticomponentLosslessOnly || x == EXS_JPEG2000Multicomponent;
}

uint8_t clamp8(double v) { return static_cast<uint8_t>(v < 0.0 ? 0.0 : (v > 255.0 ? 255.0 : v + 0.5)); }

void ybrToRgb(uint8_t y, uint8_t cb, uint8_t cr, bool partial, uint8_t* rgb)
{
    double Y = y, B = cb - 128.0, R = cr - 128.0;
    if (partial) {
        Y = 1.164383 * (Y - 16.0);
        rgb[0] = clamp8(Y + 1.596027 * R);
        rgb[1] = clamp8(Y - 0.391762 * B - 0.812968 * R);
        rgb[2] = clamp8(Y + 2.017232 * B);
    } else {
        rgb[0] = clamp8(Y + 1.402 * R);
        rgb[1] = clamp8(Y - 0.344136 * B - 0.714136 * R);
        rgb[2] = clamp8(Y + 1.772 * B);
    }
}

// Stored value -> sample: keep Bits Stored bits below High Bit, sign-extend when signed.
struct BitLayout {
    unsigned shift = 0;
    uint32_t mask = 0;
    uint32_t signBit = 0;
    bool plain = true;
};

BitLayout bitLayout(const ImageGeometry& g)
{
    BitLayout b;
    unsigned stored = g.bitsStored >= 1 && g.bitsStored <= g.bitsAllocated ? g.bitsStored : g.bitsAllocated;
    unsigned high = g.highBit;
    if (high >= g.bitsAllocated || high + 1 < stored)
        high = stored - 1;
    b.shift = high + 1 - stored;
    b.mask = stored >= 32 ? 0xFFFFFFFFu : ((1u << stored) - 1u);
    b.signBit = g.pixelRepresentation == 1 ? (1u << (stored - 1)) : 0;
    b.plain = stored == g.bitsAllocated && b.shift == 0;
    return b;
}

inline uint32_t applyBits(uint32_t v, const BitLayout& b)
{
    v = (v >> b.shift) & b.mask;
    if (b.signBit && (v & b.signBit))
        v |= ~b.mask;
    return v;
}

// Reduces a 16-bit colour sample to 8 bits.
inline uint8_t to8(uint32_t v, unsigned stored) { return static_cast<uint8_t>(stored > 8 ? (v >> (stored - 8)) : v); }

// Palette colour tables, one per channel.
struct Palette {
    std::vector<uint8_t> lut[3];
    int32_t first = 0;
};

bool readPalette(const DicomFile& f, Palette& pal)
{
    DcmDataset* ds = f.dataset();
    static const DcmTagKey desc[3] = {DCM_RedPaletteColorLookupTableDescriptor,
                                      DCM_GreenPaletteColorLookupTableDescriptor,
                                      DCM_BluePaletteColorLookupTableDescriptor};
    static const DcmTagKey data[3] = {DCM_RedPaletteColorLookupTableData,
                                      DCM_GreenPaletteColorLookupTableData,
                                      DCM_BluePaletteColorLookupTableData};
    for (int c = 0; c < 3; ++c) {
        DcmElement* de = nullptr;
        DcmElement* dd = nullptr;
        if (ds->findAndGetElement(desc[c], de).bad() || ds->findAndGetElement(data[c], dd).bad())
            return false;
        Uint16 n = 0, first = 0, bits = 0;
        if (de->getUint16(n, 0).bad() || de->getUint16(first, 1).bad() || de->getUint16(bits, 2).bad())
            return false;
        uint32_t entries = n == 0 ? 65536u : n;
        // The first mapped value may be written as SS; read its bits as signed when so.
        pal.first = de->ident() == EVR_SS ? static_cast<int16_t>(first) : first;
        Uint16* words = nullptr;
        if (dd->getUint16Array(words).bad() || !words)
            return false;
        size_t nwords = dd->getLength() / 2;
        std::vector<uint8_t>& lut = pal.lut[c];
        lut.resize(entries);
        if (nwords >= entries) {
            // One entry per word: 16-bit entries are reduced to 8 bits.
            for (uint32_t i = 0; i < entries; ++i)
                lut[i] = bits > 8 ? static_cast<uint8_t>(words[i] >> 8) : static_cast<uint8_t>(words[i]);
        } else if (bits <= 8 && nwords * 2 >= entries) {
            const uint8_t* bytes = reinterpret_cast<const uint8_t*>(words);
            std::copy(bytes, bytes + entries, lut.begin());
        } else {
            return false;
        }
    }
    return true;
}

// The frames of a JPEG 2000 pixel sequence decoded one after another into native samples.
bool decodeJ2kFrames(DcmPixelSequence& seq, const ImageGeometry& g, uint32_t frames,
                     std::vector<uint8_t>& native)
{
    unsigned long items = seq.card();
    if (items < 2)
        return false;
    // Item 0 is the offset table; the fragments follow.
    std::vector<std::pair<const uint8_t*, size_t>> frags;
    for (unsigned long i = 1; i < items; ++i) {
        DcmPixelItem* item = nullptr;
        Uint8* p = nullptr;
        if (seq.getItem(item, i).bad() || !item || item->getUint8Array(p).bad())
            return false;
        frags.emplace_back(p, item->getLength());
    }
    std::vector<std::vector<size_t>> frameFrags(frames);
    if (frames == 1) {
        for (size_t i = 0; i < frags.size(); ++i)
            frameFrags[0].push_back(i);
    } else if (frags.size() == frames) {
        for (size_t i = 0; i < frames; ++i)
            frameFrags[i].push_back(i);
    } else {
        // A new frame begins at each fragment that opens a code stream (SOC marker).
        int frame = -1;
        for (size_t i = 0; i < frags.size(); ++i) {
            const uint8_t* p = frags[i].first;
            bool soc = frags[i].second >= 2 && p && p[0] == 0xFF && p[1] == 0x4F;
            if ((soc || frame < 0) && frame + 1 < static_cast<int>(frames))
                ++frame;
            frameFrags[frame].push_back(i);
        }
    }
    const uint32_t bps = g.bitsAllocated / 8;
    for (uint32_t f = 0; f < frames; ++f) {
        if (frameFrags[f].empty())
            return false;
        std::vector<uint8_t> joined;
        const uint8_t* data;
        size_t size;
        if (frameFrags[f].size() == 1) {
            data = frags[frameFrags[f][0]].first;
            size = frags[frameFrags[f][0]].second;
        } else {
            for (size_t i : frameFrags[f])
                joined.insert(joined.end(), frags[i].first, frags[i].first + frags[i].second);
            data = joined.data();
            size = joined.size();
        }
        if (!J2kDecoder::decode(data, size, g.columns, g.rows, g.samples, bps, native)) {
            dcmLog("read: JPEG 2000 frame %u cannot be decoded", f);
            return false;
        }
    }
    return true;
}

// The attributes decompression may change, as the decompressed data set now states them.
void readDecompressed(const DicomFile& f, DcmItem& item, ImageGeometry& after)
{
    auto element = [&item](const DcmTagKey& key) {
        DcmElement* e = nullptr;
        return item.findAndGetElement(key, e, OFFalse).good() ? e : nullptr;
    };
    auto u16 = [&](const DcmTagKey& key, uint32_t fallback) {
        uint16_t v = 0;
        return DicomFile::valueUint16(element(key), v) ? v : fallback;
    };
    after.bitsAllocated = u16(DCM_BitsAllocated, 0);
    after.bitsStored = u16(DCM_BitsStored, after.bitsAllocated);
    after.highBit = u16(DCM_HighBit, after.bitsStored ? after.bitsStored - 1 : 0);
    after.planarConfiguration = u16(DCM_PlanarConfiguration, 0);
    f.valueString(element(DCM_PhotometricInterpretation), after.photometric);
}

// The samples of native (or decompressed) pixel data, loaded whole.
bool loadedSamples(const DicomFile& f, DcmPixelData& pd, const uint8_t*& raw, uint64_t& rawLen)
{
    Uint8* bytes = nullptr;
    if (pd.getUint8Array(bytes).bad() || !bytes) {
        dcmLog("read: %s: pixel data cannot be read", f.path().c_str());
        return false;
    }
    raw = bytes;
    rawLen = pd.getLength();
    return true;
}

// Bytes of one frame of decoded samples: subsampled colour keeps two luminance samples and one
// pair of chrominance samples for every two pixels of a row.
uint64_t frameBytesOf(const ImageGeometry& g)
{
    const uint32_t bps = g.bitsAllocated / 8;
    if (g.samples == 3 && bps == 1 && g.planarConfiguration == 0 && isSubsampled(g.photometric))
        return static_cast<uint64_t>(g.rows) * ((g.columns + 1) / 2) * 4;
    return static_cast<uint64_t>(g.rows) * g.columns * g.samples * bps;
}
} // namespace

bool PixelDecoder::readGeometry(const DicomFile& f, ImageGeometry& g)
{
    g = ImageGeometry();
    // Image attributes belong to the top level of the image pixel group; they are found in
    // one walk over the data set, which costs less than a search per attribute.
    enum { Samples, Photometric, Frames, Planar, Rows, Columns, Allocated, Stored, High, Representation, Count };
    static const uint16_t elements[Count] = {0x0002, 0x0004, 0x0008, 0x0006, 0x0010,
                                             0x0011, 0x0100, 0x0101, 0x0102, 0x0103};
    DcmElement* found[Count];
    f.findTopLevel(0x0028, elements, Count, found);
    auto u16 = [&](int which, uint32_t fallback) {
        uint16_t v = 0;
        return DicomFile::valueUint16(found[which], v) ? v : fallback;
    };
    g.rows = u16(Rows, 0);
    g.columns = u16(Columns, 0);
    g.samples = u16(Samples, 1);
    g.bitsAllocated = u16(Allocated, 0);
    g.bitsStored = u16(Stored, g.bitsAllocated);
    g.highBit = u16(High, g.bitsStored ? g.bitsStored - 1 : 0);
    g.pixelRepresentation = u16(Representation, 0);
    g.planarConfiguration = u16(Planar, 0);
    std::string text;
    if (f.valueString(found[Frames], text) && !text.empty()) {
        long n = strtol(text.c_str(), nullptr, 10);
        g.frames = n < 1 ? 1u : (n > 65535 ? 65535u : static_cast<uint32_t>(n));
    }
    f.valueString(found[Photometric], g.photometric);
    return g.rows > 0 && g.columns > 0 && g.bitsAllocated > 0;
}

bool PixelDecoder::classify(const ImageGeometry& g, PixelType& type)
{
    if (g.rows == 0 || g.columns == 0)
        return false;
    if (g.bitsAllocated != 8 && g.bitsAllocated != 16)
        return false;
    if (g.samples == 3 || (g.samples == 1 && g.photometric == "PALETTE COLOR")) {
        type = PIXEL_RGB;
        return true;
    }
    if (g.samples != 1)
        return false;
    type = g.bitsAllocated == 8 ? PIXEL_GRAY8 : PIXEL_GRAY16;
    return true;
}

bool PixelDecoder::locate(const DicomFile& f, PixelLocation& loc)
{
    loc = PixelLocation();
    DcmDataset* ds = f.dataset();
    ImageGeometry g;
    PixelType type;
    if (!ds || f.fileSize() < 0 || !readGeometry(f, g) || !classify(g, type) || type == PIXEL_RGB)
        return false;
    // Byte order as the host's: the samples are used as they lie in the file.
    const E_TransferSyntax xfer = ds->getOriginalXfer();
    if ((xfer != EXS_LittleEndianExplicit && xfer != EXS_LittleEndianImplicit) ||
        gLocalByteOrder != EBO_LittleEndian)
        return false;
    DcmElement* pe = nullptr;
    if (ds->findAndGetElement(DCM_PixelData, pe, OFFalse).bad() || !pe || pe->valueLoaded())
        return false;
    const auto* source = dynamic_cast<const DcmInputFileStreamFactory*>(pe->getInputStream());
    if (!source)
        return false;
    const uint64_t length = pe->getLengthField();
    const uint64_t frameBytes = static_cast<uint64_t>(g.rows) * g.columns * (g.bitsAllocated / 8);
    const uint64_t frames = std::min<uint64_t>(g.frames, length / frameBytes);
    const uint64_t total = frames * g.rows * g.columns;
    if (length == 0xFFFFFFFFu || frames == 0 || total > static_cast<uint64_t>(INT_MAX) ||
        total * (g.bitsAllocated / 8) > kMaxDecodedBytes ||
        static_cast<int64_t>(source->getOffset()) + static_cast<int64_t>(length) > f.fileSize())
        return false;
    const BitLayout bits = bitLayout(g);
    loc.offset = static_cast<int64_t>(source->getOffset());
    loc.fileId = f.fileId();
    loc.fileSize = f.fileSize();
    loc.changedNs = f.changedNs();
    loc.count = static_cast<int>(total);
    loc.type = type;
    loc.shift = bits.shift;
    loc.mask = bits.mask;
    loc.signBit = bits.signBit;
    loc.plain = bits.plain;
    return true;
}

void PixelDecoder::applyBitsInPlace(void* samples, const PixelLocation& loc)
{
    if (loc.plain)
        return;
    BitLayout bits;
    bits.shift = loc.shift;
    bits.mask = loc.mask;
    bits.signBit = loc.signBit;
    if (loc.type == PIXEL_GRAY8) {
        auto* p = static_cast<uint8_t*>(samples);
        for (int i = 0; i < loc.count; ++i)
            p[i] = static_cast<uint8_t>(applyBits(p[i], bits));
    } else {
        auto* p = static_cast<uint16_t*>(samples);
        for (int i = 0; i < loc.count; ++i)
            p[i] = static_cast<uint16_t>(applyBits(p[i], bits));
    }
}

bool PixelDecoder::decode(DicomFile& f, std::vector<uint8_t>& out, const uint8_t*& data, PixelType& type,
                          int& count, ImageGeometry& g, bool firstFrameOnly)
{
    out.clear();
    data = nullptr;
    count = 0;
    DcmDataset* ds = f.dataset();
    if (!ds || !readGeometry(f, g) || !classify(g, type)) {
        dcmLog("read: %s has no image the library can decode", f.path().c_str());
        return false;
    }
    DcmElement* pe = nullptr;
    if (ds->findAndGetElement(DCM_PixelData, pe, OFFalse).bad() || !pe) {
        dcmLog("read: %s has no pixel data", f.path().c_str());
        return false;
    }
    auto* pd = static_cast<DcmPixelData*>(pe);
    E_TransferSyntax xfer = ds->getOriginalXfer();
    const bool encapsulated = DcmXfer(xfer).isEncapsulated();
    const uint64_t oneFrame = static_cast<uint64_t>(g.rows) * g.columns * g.samples * (g.bitsAllocated / 8);
    if (firstFrameOnly && oneFrame > kMaxDecodedBytes) {
        dcmLog("read: %s: image too large", f.path().c_str());
        return false;
    }

    // The file's pixel sequence, or a copy that holds only the first frame's fragments.
    DcmPixelSequence* seq = nullptr;
    std::unique_ptr<DcmPixelSequence> firstFrame;
    if (encapsulated && (firstFrameOnly || isJ2k(xfer))) {
        if (pd->getEncapsulatedRepresentation(xfer, nullptr, seq).bad())
            seq = nullptr;
        if (seq && firstFrameOnly) {
            firstFrame.reset(FirstFrame::fragments(*seq, xfer, g.frames));
            seq = firstFrame.get();
        }
        if (!seq) {
            dcmLog("read: %s: pixel data holds no fragments", f.path().c_str());
            return false;
        }
    }

    // Samples decoded or read into memory of our own; empty while raw points into the file's.
    std::vector<uint8_t> owned;
    const uint8_t* raw = nullptr;
    uint64_t rawLen = 0;
    if (encapsulated && isJ2k(xfer)) {
        // The codestream carries the colour transform; decoded samples are RGB already.
        if (!decodeJ2kFrames(*seq, g, firstFrame ? 1 : g.frames, owned))
            return false;
        if (isYbr(g.photometric))
            g.photometric = "RGB";
        g.planarConfiguration = 0;
        raw = owned.data();
        rawLen = owned.size();
    } else if (encapsulated) {
        // The toolkit's codecs decode a data set: the file's, or one of the first frame alone.
        DcmDataset* work = ds;
        std::unique_ptr<DcmDataset> single;
        if (firstFrame) {
            single = FirstFrame::dataset(*ds, xfer, firstFrame.release());
            work = single.get();
            pe = nullptr;
            work->findAndGetElement(DCM_PixelData, pe, OFFalse);
            pd = static_cast<DcmPixelData*>(pe);
        }
        const bool ycbcrInRgb = pd && g.samples == 3 && g.photometric == "RGB" && isLossyJpeg(xfer) &&
                                lossyJpegHoldsYcbcr(pd, xfer);
        if (!pd || work->chooseRepresentation(EXS_LittleEndianExplicit, nullptr).bad() ||
            !work->canWriteXfer(EXS_LittleEndianExplicit)) {
            dcmLog("read: %s: pixel data cannot be decompressed (%s)", f.path().c_str(),
                   DcmXfer(xfer).getXferName());
            return false;
        }
        // Decompression may change the colour model (JPEG YBR -> RGB) and the planar layout.
        ImageGeometry after;
        readDecompressed(f, *work, after);
        g.photometric = ycbcrInRgb ? "YBR_FULL" : after.photometric;
        // Decompressed colour is never subsampled any more.
        if (g.photometric == "YBR_FULL_422")
            g.photometric = "YBR_FULL";
        else if (g.photometric == "YBR_PARTIAL_422" || g.photometric == "YBR_PARTIAL_420")
            g.photometric = "YBR_PARTIAL";
        g.planarConfiguration = after.planarConfiguration;
        g.bitsStored = after.bitsStored;
        g.highBit = after.highBit;
        if (!loadedSamples(f, *pd, raw, rawLen))
            return false;
        if (single) {
            // The one-frame data set goes when this returns.
            owned.assign(raw, raw + rawLen);
            raw = owned.data();
        }
    } else if (firstFrameOnly && !pd->valueLoaded()) {
        // Only the first frame's bytes are read from the file, which must be large enough.
        const uint64_t need = frameBytesOf(g);
        if ((f.fileSize() >= 0 && need > static_cast<uint64_t>(f.fileSize())) ||
            !FirstFrame::readNative(*pd, need, owned)) {
            dcmLog("read: %s: pixel data shorter than one frame or unreadable", f.path().c_str());
            return false;
        }
        raw = owned.data();
        rawLen = owned.size();
    } else if (!loadedSamples(f, *pd, raw, rawLen)) {
        return false;
    }
    if (firstFrameOnly)
        g.frames = 1;

    const uint64_t pixels = static_cast<uint64_t>(g.rows) * g.columns;
    const uint32_t bps = g.bitsAllocated / 8;
    const bool palette = g.samples == 1 && type == PIXEL_RGB;
    const bool subsampled = g.samples == 3 && bps == 1 && g.planarConfiguration == 0 && isSubsampled(g.photometric);
    const uint64_t frameBytes = frameBytesOf(g);
    uint64_t frames = std::min<uint64_t>(g.frames, rawLen / frameBytes);
    if (frames == 0) {
        dcmLog("read: %s: pixel data shorter than one frame", f.path().c_str());
        return false;
    }
    const uint64_t total = frames * pixels;
    const uint64_t outBytes = total * (type == PIXEL_RGB ? 3 : bps);
    if (total > static_cast<uint64_t>(INT_MAX) || outBytes > kMaxDecodedBytes) {
        dcmLog("read: %s: image too large", f.path().c_str());
        return false;
    }
    g.frames = static_cast<uint32_t>(frames);
    const BitLayout bits = bitLayout(g);
    count = static_cast<int>(total);
    const bool ybr = isYbr(g.photometric) && g.photometric != "YBR_RCT" && g.photometric != "YBR_ICT";
    const bool plainRgb = type == PIXEL_RGB && g.samples == 3 && bps == 1 && g.planarConfiguration == 0 && !ybr;
    if ((type != PIXEL_RGB && bits.plain) || plainRgb) {
        // Samples that need no masking or colour conversion are handed out where they are.
        if (owned.empty()) {
            data = raw;
        } else {
            owned.resize(static_cast<size_t>(outBytes));
            out.swap(owned);
            data = out.data();
        }
        return true;
    }
    out.resize(static_cast<size_t>(outBytes));
    data = out.data();

    if (type == PIXEL_GRAY8) {
        for (uint64_t i = 0; i < total; ++i)
            out[i] = static_cast<uint8_t>(applyBits(raw[i], bits));
    } else if (type == PIXEL_GRAY16) {
        uint16_t* dst = reinterpret_cast<uint16_t*>(out.data());
        for (uint64_t i = 0; i < total; ++i) {
            uint16_t v;
            memcpy(&v, raw + 2 * i, 2);
            dst[i] = static_cast<uint16_t>(applyBits(v, bits));
        }
    } else if (palette) {
        Palette pal;
        if (!readPalette(f, pal)) {
            dcmLog("read: %s: palette colour tables missing or damaged", f.path().c_str());
            out.clear();
            data = nullptr;
            count = 0;
            return false;
        }
        uint8_t* dst = out.data();
        for (uint64_t i = 0; i < total; ++i) {
            uint32_t v;
            if (bps == 1) {
                v = raw[i];
            } else {
                uint16_t w;
                memcpy(&w, raw + 2 * i, 2);
                v = w;
            }
            for (int c = 0; c < 3; ++c) {
                const std::vector<uint8_t>& lut = pal.lut[c];
                int64_t idx = static_cast<int64_t>(v) - pal.first;
                idx = idx < 0 ? 0 : (idx >= static_cast<int64_t>(lut.size()) ? lut.size() - 1 : idx);
                *dst++ = lut[static_cast<size_t>(idx)];
            }
        }
    } else {
        const bool partial = isPartialYbr(g.photometric);
        const unsigned stored = g.bitsStored >= 1 && g.bitsStored <= g.bitsAllocated ? g.bitsStored : g.bitsAllocated;
        uint8_t* dst = out.data();
        for (uint64_t fr = 0; fr < frames; ++fr) {
            const uint8_t* src = raw + fr * frameBytes;
            if (subsampled) {
                const uint64_t rowBytes = ((g.columns + 1) / 2) * 4ULL;
                for (uint32_t y = 0; y < g.rows; ++y) {
                    const uint8_t* r = src + y * rowBytes;
                    for (uint32_t x = 0; x < g.columns; ++x) {
                        const uint8_t* quad = r + (x / 2) * 4;
                        ybrToRgb(quad[x & 1], quad[2], quad[3], partial, dst);
                        dst += 3;
                    }
                }
                continue;
            }
            for (uint64_t i = 0; i < pixels; ++i) {
                uint32_t s[3];
                for (int c = 0; c < 3; ++c) {
                    uint64_t at = g.planarConfiguration == 1 ? c * pixels + i : i * 3 + c;
                    if (bps == 1) {
                        s[c] = src[at];
                    } else {
                        uint16_t w;
                        memcpy(&w, src + 2 * at, 2);
                        s[c] = to8(w & bits.mask, stored);
                    }
                }
                if (ybr) {
                    ybrToRgb(static_cast<uint8_t>(s[0]), static_cast<uint8_t>(s[1]), static_cast<uint8_t>(s[2]), partial, dst);
                } else {
                    dst[0] = static_cast<uint8_t>(s[0]);
                    dst[1] = static_cast<uint8_t>(s[1]);
                    dst[2] = static_cast<uint8_t>(s[2]);
                }
                dst += 3;
            }
        }
    }
    return true;
}

} // namespace dcmSDK
