#include "detail/FirstFrame.h"

#include <dcmtk/dcmdata/dcpixseq.h>
#include <dcmtk/dcmdata/dcpxitem.h>

namespace dcmSDK {

namespace {
uint32_t littleEndian32(const uint8_t* b)
{
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// True when the fragment begins with the marker FF xx; only its first two bytes are read.
bool opensWith(DcmPixelItem* item, uint8_t marker)
{
    uint8_t head[2];
    return item->getLength() >= 2 && item->getPartialValue(head, 0, 2).good() && head[0] == 0xFF &&
           head[1] == marker;
}

// The first frame's fragments [first, last] as the basic offset table places them: from its
// first offset up to its second. False when there is no table of two offsets or they do not
// fall on fragment starts, so that a wrong table is not trusted.
bool fromOffsetTable(const std::vector<DcmPixelItem*>& items, size_t& first, size_t& last)
{
    uint8_t offsets[8];
    if (items[0]->getLength() < sizeof offsets || items[0]->getPartialValue(offsets, 0, sizeof offsets).bad())
        return false;
    const uint32_t start = littleEndian32(offsets);
    const uint32_t end = littleEndian32(offsets + 4);
    if (end <= start)
        return false;
    // Offsets count from the first fragment's item tag; each item has an 8-byte header.
    uint64_t at = 0;
    first = 0;
    for (size_t i = 1; i < items.size(); ++i) {
        if (at == start)
            first = i;
        if (at == end) {
            last = i - 1;
            return first != 0;
        }
        at += 8 + static_cast<uint64_t>(items[i]->getLength());
    }
    return false;
}

bool isJ2k(E_TransferSyntax x)
{
    return x == EXS_JPEG2000LosslessOnly || x == EXS_JPEG2000 ||
           x == EXS_JPEG2000MulticomponentLosslessOnly || x == EXS_JPEG2000Multicomponent;
}
} // namespace

bool FirstFrame::readNative(DcmElement& pixels, uint64_t bytes, std::vector<uint8_t>& out)
{
    out.clear();
    if (bytes == 0 || bytes > pixels.getLengthField() || pixels.getLengthField() == DCM_UndefinedLength)
        return false;
    out.resize(static_cast<size_t>(bytes));
    // Swapped by the value representation's width, as a loaded value would be.
    if (pixels.getPartialValue(out.data(), 0, static_cast<Uint32>(bytes), nullptr, gLocalByteOrder).bad()) {
        out.clear();
        return false;
    }
    return true;
}

DcmPixelSequence* FirstFrame::fragments(DcmPixelSequence& seq, E_TransferSyntax xfer, uint32_t frames)
{
    // Item 0 is the offset table; the fragments follow. Items are walked in order, as the
    // sequence finds an item by its number from the start.
    std::vector<DcmPixelItem*> items;
    for (DcmObject* obj = seq.nextInContainer(nullptr); obj; obj = seq.nextInContainer(obj))
        items.push_back(static_cast<DcmPixelItem*>(obj));
    if (items.size() < 2)
        return nullptr;
    size_t first = 1, last = items.size() - 1;
    if (frames > 1 && !fromOffsetTable(items, first, last)) {
        first = last = 1;
        // One fragment per frame when the counts agree (and always for RLE); else a frame runs
        // up to the next fragment that opens a code stream (JPEG 2000 SOC, JPEG and JPEG-LS SOI).
        if (items.size() - 1 != frames && xfer != EXS_RLELossless) {
            const uint8_t marker = isJ2k(xfer) ? 0x4F : 0xD8;
            while (last + 1 < items.size() && !opensWith(items[last + 1], marker))
                ++last;
        }
    }
    auto* out = new DcmPixelSequence(DcmTag(DCM_PixelData, EVR_OB));
    out->insert(new DcmPixelItem(DcmTag(DCM_Item, EVR_OB)));
    // A copy of a value left on disk reads it from there when used, and frees it with the copy.
    for (size_t i = first; i <= last; ++i)
        out->insert(new DcmPixelItem(*items[i]));
    return out;
}

std::unique_ptr<DcmDataset> FirstFrame::dataset(DcmDataset& from, E_TransferSyntax xfer,
                                                DcmPixelSequence* seq)
{
    std::unique_ptr<DcmDataset> ds(new DcmDataset());
    for (DcmObject* obj = from.nextInContainer(nullptr); obj; obj = from.nextInContainer(obj)) {
        const DcmTagKey key = obj->getTag();
        // The tables and windows above 0028,1000 play no part in decoding; the SOP class
        // decides whether decoded JPEG colour comes by plane.
        if ((key.getGroup() == 0x0028 && key.getElement() < 0x1000) || key == DCM_SOPClassUID)
            ds->insert(static_cast<DcmElement*>(obj->clone()));
    }
    ds->putAndInsertString(DCM_NumberOfFrames, "1");
    auto* pixels = new DcmPixelData(DcmTag(DCM_PixelData, EVR_OB));
    pixels->putOriginalRepresentation(xfer, nullptr, seq);
    ds->insert(pixels);
    return ds;
}

} // namespace dcmSDK
