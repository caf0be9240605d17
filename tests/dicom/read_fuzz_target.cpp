// libFuzzer entry for the reading side: the input becomes a file that is opened, decoded and
// listed as the workstation would. Built by hand, not by CMake (see the command below), and
// run over the pydicom files as seeds; crashing inputs are kept as read_damaged_*.dcm, which
// the hostile-file test reads on every run.
//
//   clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -I dicom -I . \
//     tests/dicom/read_fuzz_target.cpp dicom/*.cpp dicom/detail/*.cpp dicom/codec/*.cpp \
//     $(pkg-config --cflags --libs libopenjp2 libpng) -ldcmjpls -ldcmjpeg -ldcmimgle \
//     -ldcmdata -loflog -lofstd -lijg8 -lijg12 -lijg16 -ldcmtkcharls -lz -o read_fuzz

#include "dcmCallbacks.h"
#include "dcmFileRecord.h"
#include "dcmReadTag.h"
#include "dcmReader.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
void quiet(const char*) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/read_fuzz_" + std::to_string(getpid()) + ".dcm";
    dcmSDK::setLogCallback(quiet);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);

    dcmSDK::dcmReader r;
    if (r.setFile(path)) {
        char buf[1024];
        r.readDicomTagString(0x0010, 0x0010, buf, sizeof buf);
        dcmSDK::PixelType t;
        r.readDicomPixelType(t);
        int count = 0;
        const uint8_t* p = static_cast<const uint8_t*>(r.readDicomPixelPointer(t, count));
        if (p && count > 0) {
            size_t n = static_cast<size_t>(count) * (t == dcmSDK::PIXEL_RGB ? 3 : (t == dcmSDK::PIXEL_GRAY16 ? 2 : 1));
            volatile uint8_t sink = p[0] ^ p[n - 1];
            (void)sink;
        }
    }
    dcmSDK::dcmReadTag tags;
    if (tags.setFile(path)) {
        int count = 0;
        tags.getTagList(count);
        tags.getImageScale();
    }
    return 0;
}
