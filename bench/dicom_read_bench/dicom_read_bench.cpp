// dicom_read_bench <folder> [--rounds N]: reads every DICOM file below the folder (header
// tags and all pixels, copied into one buffer) through the library's reader, and the same
// files through a plain DCMTK loadFile + getUint16Array/getUint8Array loop; each way runs N
// rounds (default 3) on a warm page cache and the best round counts. Prints one JSON line:
// {"files":N,"mb":...,"ms":...,"mb_per_s":...,"plain_ms":...,"plain_mb_per_s":...,"ratio":...}
// where ratio = ms / plain_ms (the library's target is at most 1.10).

#include "dcmReader.h"

#include <dcmtk/dcmdata/dctk.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

size_t bytesPer(dcmSDK::PixelType t) { return t == dcmSDK::PIXEL_RGB ? 3 : (t == dcmSDK::PIXEL_GRAY16 ? 2 : 1); }

// The library's way: the tags a series scan reads, then the decoded pixels.
size_t readWithLibrary(const std::vector<std::string>& files, std::vector<char>& sink)
{
    size_t total = 0;
    dcmSDK::dcmReader reader;
    char text[1024];
    for (const std::string& f : files) {
        if (!reader.setFile(f))
            continue;
        unsigned short rows = 0, columns = 0;
        reader.readDicomTagUint16(0x0028, 0x0010, rows);
        reader.readDicomTagUint16(0x0028, 0x0011, columns);
        reader.readDicomTagString(0x0020, 0x0032, text, sizeof text);
        reader.readDicomTagString(0x0028, 0x1052, text, sizeof text);
        dcmSDK::PixelType type;
        int count = 0;
        const void* p = reader.readDicomPixelPointer(type, count);
        if (!p)
            continue;
        size_t n = static_cast<size_t>(count) * bytesPer(type);
        if (sink.size() < total + n)
            sink.resize(total + n);
        memcpy(sink.data() + total, p, n);
        total += n;
    }
    return total;
}

// The plain way: DCMTK loads the file and hands out its uncompressed pixel array.
size_t readPlain(const std::vector<std::string>& files, std::vector<char>& sink)
{
    size_t total = 0;
    for (const std::string& f : files) {
        DcmFileFormat ff;
        if (ff.loadFile(f.c_str()).bad())
            continue;
        DcmDataset* ds = ff.getDataset();
        Uint16 rows = 0, columns = 0, bits = 0;
        OFString text;
        ds->findAndGetUint16(DCM_Rows, rows);
        ds->findAndGetUint16(DCM_Columns, columns);
        ds->findAndGetUint16(DCM_BitsAllocated, bits);
        ds->findAndGetOFStringArray(DCM_ImagePositionPatient, text);
        ds->findAndGetOFStringArray(DCM_RescaleIntercept, text);
        const void* p = nullptr;
        unsigned long n = 0;
        if (bits == 16) {
            const Uint16* w = nullptr;
            if (ds->findAndGetUint16Array(DCM_PixelData, w, &n).bad())
                continue;
            p = w;
            n *= 2;
        } else {
            const Uint8* b = nullptr;
            if (ds->findAndGetUint8Array(DCM_PixelData, b, &n).bad())
                continue;
            p = b;
        }
        if (sink.size() < total + n)
            sink.resize(total + n);
        memcpy(sink.data() + total, p, n);
        total += n;
    }
    return total;
}

template <class F> double bestMs(int rounds, F run, size_t& bytes)
{
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = Clock::now();
        bytes = run();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: dicom_read_bench <folder> [--rounds N]\n");
        return 2;
    }
    int rounds = 3;
    for (int i = 2; i + 1 < argc; ++i)
        if (strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, atoi(argv[++i]));
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(argv[1], ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file())
            files.push_back(it->path().string());
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        fprintf(stderr, "dicom_read_bench: no files in %s\n", argv[1]);
        return 1;
    }
    std::vector<char> sink;
    size_t libBytes = 0, plainBytes = 0;
    readPlain(files, sink); // warm the page cache
    // Alternate the two ways so that neither profits from running last.
    double lib = 1e300, plain = 1e300;
    for (int r = 0; r < rounds; ++r) {
        lib = std::min(lib, bestMs(1, [&] { return readWithLibrary(files, sink); }, libBytes));
        plain = std::min(plain, bestMs(1, [&] { return readPlain(files, sink); }, plainBytes));
    }
    const double mb = libBytes / 1e6;
    printf("{\"files\":%zu,\"mb\":%.1f,\"ms\":%.1f,\"mb_per_s\":%.1f,\"plain_ms\":%.1f,\"plain_mb_per_s\":%.1f,"
           "\"ratio\":%.3f}\n",
           files.size(), mb, lib, mb / (lib / 1000.0), plain, plainBytes / 1e6 / (plain / 1000.0), lib / plain);
    return libBytes == plainBytes ? 0 : 1;
}
