#include "detail/DicomFile.h"

#include "codec/CodecRegistry.h"
#include "dcmCallbacks.h"

#include <dcmtk/dcmdata/dcistrmb.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dcmSDK {

namespace {
// Values larger than this stay on disk until the pixel or tag reader asks for them.
const Uint32 kLazyReadLength = 4096;
// Files up to this size are read whole with one system call and parsed from memory: for small
// images the separate opens of the format check, the parse and the pixel value cost more than
// the bytes. Larger files are parsed lazily, so that a series scan reads only their headers.
const off_t kWholeFileLimit = 256 * 1024;
// Binary values longer than this are summarised instead of printed in the tag list.
const unsigned long kMaxPrintedBinary = 64;

bool isBinaryVR(DcmEVR vr)
{
    switch (vr) {
    case EVR_OB: case EVR_OW: case EVR_OF: case EVR_OD: case EVR_OL: case EVR_OV:
    case EVR_UN: case EVR_ox: case EVR_px: case EVR_pixelSQ: case EVR_pixelItem:
    case EVR_PixelData: case EVR_OverlayData:
        return true;
    default:
        return false;
    }
}

bool hasHighBytes(const std::string& s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return true;
    return false;
}

// A file without the 128-byte preamble and "DICM" must at least begin with the tag of an
// early group, in either byte order, or it is not taken for DICOM at all.
bool looksLikeDicom(const unsigned char* head, size_t n)
{
    if (n >= 132 && head[128] == 'D' && head[129] == 'I' && head[130] == 'C' && head[131] == 'M')
        return true;
    if (n < 8)
        return false;
    unsigned groupLE = head[0] | (head[1] << 8);
    unsigned groupBE = (head[0] << 8) | head[1];
    auto early = [](unsigned g) { return g == 0x0000 || g == 0x0002 || g == 0x0008 || g == 0x0010; };
    return early(groupLE) || early(groupBE);
}

// Reads up to `want` bytes from the start of an open file; the count read.
size_t readUpTo(int fd, unsigned char* into, size_t want)
{
    size_t got = 0;
    while (got < want) {
        ssize_t n = read(fd, into + got, want - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    return got;
}
} // namespace

int64_t changeTimeNs(const struct stat& st)
{
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool isCharsetVR(DcmEVR vr)
{
    switch (vr) {
    case EVR_PN: case EVR_LO: case EVR_SH: case EVR_ST: case EVR_LT: case EVR_UT: case EVR_UC:
        return true;
    default:
        return false;
    }
}

DicomFile::DicomFile() = default;
DicomFile::~DicomFile() = default;

void DicomFile::clear()
{
    _format.reset();
    _path.clear();
    _charset = Charset::Undeclared;
    _declaredCharset.clear();
    _converter.reset();
    _fileId = 0;
    _fileSize = -1;
    _changedNs = 0;
}

bool DicomFile::load(const std::string& path)
{
    clear();
    CodecRegistry::ensure();
    // One open serves the format check and, for a small file, the whole parse.
    unsigned char head[132];
    size_t headBytes = 0;
    bool whole = false;
    _buffer.clear();
    int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        struct stat st;
        const bool statted = fstat(fd, &st) == 0;
        if (statted) {
            _fileId = static_cast<uint64_t>(st.st_ino);
            _fileSize = static_cast<int64_t>(st.st_size);
            _changedNs = changeTimeNs(st);
        }
        if (statted && S_ISREG(st.st_mode) && st.st_size <= kWholeFileLimit) {
            _buffer.resize(static_cast<size_t>(st.st_size));
            _buffer.resize(readUpTo(fd, _buffer.data(), _buffer.size()));
            whole = true;
            headBytes = std::min(sizeof head, _buffer.size());
            std::copy(_buffer.begin(), _buffer.begin() + static_cast<std::ptrdiff_t>(headBytes), head);
        } else {
            headBytes = readUpTo(fd, head, sizeof head);
        }
        close(fd);
    }
    if (fd < 0 || !looksLikeDicom(head, headBytes)) {
        dcmLog("read: %s is not a DICOM file", path.c_str());
        return false;
    }
    std::unique_ptr<DcmFileFormat> ff(new DcmFileFormat());
    OFCondition cond;
    if (whole) {
        // Every value is read at once: a memory stream cannot be read from later.
        DcmInputBufferStream stream;
        stream.setBuffer(_buffer.data(), static_cast<offile_off_t>(_buffer.size()));
        stream.setEos();
        ff->transferInit();
        cond = ff->read(stream, EXS_Unknown, EGL_noChange, DCM_MaxReadLength);
        ff->transferEnd();
        stream.releaseBuffer();
    } else {
        cond = ff->loadFile(OFFilename(path.c_str()), EXS_Unknown, EGL_noChange, kLazyReadLength, ERM_autoDetect);
    }
    if (cond.bad()) {
        dcmLog("read: cannot parse %s: %s", path.c_str(), cond.text());
        return false;
    }
    DcmDataset* ds = ff->getDataset();
    if (!ds || ds->card() == 0) {
        dcmLog("read: %s holds no data set", path.c_str());
        return false;
    }
    _format = std::move(ff);
    _path = path;

    OFString charset;
    if (ds->findAndGetOFStringArray(DCM_SpecificCharacterSet, charset).bad() || charset.empty()) {
        _charset = Charset::Undeclared;
    } else if (charset == "ISO_IR 192" || charset == "ISO_IR 6") {
        _charset = Charset::Utf8;
    } else {
        _charset = Charset::Declared;
        _declaredCharset.assign(charset.c_str(), charset.length());
    }
    return true;
}

DcmElement* DicomFile::find(uint16_t group, uint16_t element, bool nested) const
{
    DcmDataset* ds = dataset();
    if (!ds)
        return nullptr;
    DcmTagKey key(group, element);
    DcmElement* elem = nullptr;
    // The top level wins over a nested value of the same tag (e.g. inside a sequence that
    // comes earlier in the file); nested values are found when there is no top-level one.
    if (ds->findAndGetElement(key, elem, OFFalse).good() && elem)
        return elem;
    DcmMetaInfo* meta = _format->getMetaInfo();
    if (group == 0x0002 && meta && meta->findAndGetElement(key, elem, OFFalse).good() && elem)
        return elem;
    if (nested && ds->findAndGetElement(key, elem, OFTrue).good() && elem)
        return elem;
    return nullptr;
}

std::string DicomFile::toUtf8(const std::string& raw, DcmEVR vr) const
{
    if (!isCharsetVR(vr) || !hasHighBytes(raw) || _charset == Charset::Utf8)
        return raw;
    if (_charset == Charset::Declared) {
        if (!_converter) {
            _converter.reset(new DcmSpecificCharacterSet());
            if (_converter->selectCharacterSet(_declaredCharset.c_str()).bad()) {
                dcmLog("read: %s: character set '%s' not converted", _path.c_str(), _declaredCharset.c_str());
                _charset = Charset::Unconvertible;
            }
        }
        if (_charset == Charset::Declared) {
            OFString converted;
            // Person names switch character sets at their component delimiters.
            const char* delimiters = vr == EVR_PN ? "\\^=" : "\\";
            if (_converter->convertString(raw.data(), raw.size(), converted, delimiters).good())
                return std::string(converted.c_str(), converted.length());
        }
    }
    // No declared set, or one that cannot be converted: the host's legacy conversion.
    return dcmGb2utf8(raw);
}

std::string DicomFile::elementText(DcmElement* elem) const
{
    if (!elem)
        return std::string();
    DcmEVR vr = elem->ident();
    if (vr == EVR_SQ) {
        auto* sq = static_cast<DcmSequenceOfItems*>(elem);
        return "(sequence of " + std::to_string(sq->card()) + " items)";
    }
    if (isBinaryVR(vr) && elem->getLength() > kMaxPrintedBinary)
        return "(binary data, " + std::to_string(elem->getLength()) + " bytes)";
    OFString value;
    if (elem->getOFStringArray(value, OFTrue).bad())
        return std::string();
    return toUtf8(std::string(value.c_str(), value.length()), vr);
}

bool DicomFile::getString(uint16_t group, uint16_t element, std::string& out, bool nested) const
{
    return valueString(find(group, element, nested), out);
}

bool DicomFile::valueString(DcmElement* elem, std::string& out) const
{
    out.clear();
    if (!elem)
        return false;
    if (elem->getLength() == 0)
        return true;
    if (elem->ident() == EVR_SQ || (isBinaryVR(elem->ident()) && elem->getLength() > kMaxPrintedBinary)) {
        out = elementText(elem);
        return true;
    }
    OFString value;
    if (elem->getOFStringArray(value, OFTrue).bad())
        return true;
    out = toUtf8(std::string(value.c_str(), value.length()), elem->ident());
    return true;
}

bool DicomFile::getUint16(uint16_t group, uint16_t element, uint16_t& out, bool nested) const
{
    return valueUint16(find(group, element, nested), out);
}

bool DicomFile::valueUint16(DcmElement* elem, uint16_t& out)
{
    if (!elem || elem->getLength() == 0)
        return false;
    DcmEVR vr = elem->ident();
    if (vr == EVR_US || vr == EVR_xs) {
        Uint16 v = 0;
        if (elem->getUint16(v, 0).good()) {
            out = v;
            return true;
        }
    }
    // Other numeric representations (SS, UL, IS, DS, ...) go through their text.
    OFString text;
    if (elem->getOFString(text, 0, OFTrue).bad() || text.empty())
        return false;
    char* end = nullptr;
    double v = strtod(text.c_str(), &end);
    if (end == text.c_str() || !(v >= 0.0 && v <= 65535.0))
        return false;
    out = static_cast<uint16_t>(v);
    return true;
}

void DicomFile::findTopLevel(uint16_t group, const uint16_t* elements, size_t count, DcmElement** found) const
{
    std::fill(found, found + count, nullptr);
    DcmDataset* ds = dataset();
    if (!ds)
        return;
    // One walk over the data set instead of one search per tag; every top-level object of a
    // data set is an element (sequences included).
    for (DcmObject* obj = ds->nextInContainer(nullptr); obj; obj = ds->nextInContainer(obj)) {
        const DcmTagKey key = obj->getTag();
        if (key.getGroup() != group)
            continue;
        for (size_t i = 0; i < count; ++i)
            if (!found[i] && key.getElement() == elements[i])
                found[i] = static_cast<DcmElement*>(obj);
    }
}

} // namespace dcmSDK
