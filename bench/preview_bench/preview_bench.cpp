// preview_bench [file.dcm] [--rounds N]: the cost of one preview picture of a multi-frame file
// (dcmReader::convertToPngFile, which decodes the first frame alone) against decoding all of
// its frames as the viewer does (readDicomPixelPointer). Without a file, make_multiframe_j2k.py
// beside this source writes a 200-frame JPEG 2000 CT into a temporary folder.
// Every case runs in a forked child, so that its peak memory (ru_maxrss) is its own; the best
// of N rounds counts (default 3). Each child first makes an untimed preview of a small JPEG 2000
// file, as the program that makes previews has its data dictionary, codecs and libraries loaded
// already; "idle" is a child that does only that: the part of every peak that is not the case's
// own. Prints one JSON line:
// {"file_mb":..,"frames":..,"preview_ms":..,"preview_peak_mb":..,"all_ms":..,"all_peak_mb":..,
//  "idle_peak_mb":..,"time_ratio":..,"memory_ratio":..}
// where time_ratio = all_ms / preview_ms and memory_ratio compares the peaks above idle
// (the target is at least 50 for both).

#include "dcmReader.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

enum class Case { Idle, Preview, AllFrames };

struct Figures {
    double ms = -1.0;
    double peakMb = 0.0;
    int frames = 0;
};

// The child's work: open the file and make the picture or decode every frame. Returns the
// frames decoded (1 for the picture), or -1 on failure.
int runCase(Case which, const std::string& file, const std::string& png)
{
    dcmSDK::dcmReader reader;
    if (!reader.setFile(file))
        return -1;
    if (which == Case::Preview)
        return reader.convertToPngFile(png) ? 1 : -1;
    dcmSDK::PixelType type;
    int count = 0;
    if (!reader.readDicomPixelPointer(type, count))
        return -1;
    unsigned short rows = 0, columns = 0;
    reader.readDicomTagUint16(0x0028, 0x0010, rows);
    reader.readDicomTagUint16(0x0028, 0x0011, columns);
    return rows && columns ? count / (rows * columns) : -1;
}

// One round of a case in a forked child; the time comes back through a pipe.
Figures measure(Case which, const std::string& file, const std::string& png)
{
    Figures f;
    int fds[2];
    if (pipe(fds) != 0)
        return f;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        bool warmed;
        {
            dcmSDK::dcmReader warm;
            warmed = warm.setFile(QP_WARM_FILE) && warm.convertToPngFile(png);
        }
        const auto start = Clock::now();
        const int frames = !warmed ? -1 : (which == Case::Idle ? 0 : runCase(which, file, png));
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const double result[2] = {ms, static_cast<double>(frames)};
        const bool sent = write(fds[1], result, sizeof result) == static_cast<ssize_t>(sizeof result);
        _exit(sent && frames >= 0 ? 0 : 1);
    }
    close(fds[1]);
    double result[2] = {-1.0, 0.0};
    const bool got = pid > 0 && read(fds[0], result, sizeof result) == static_cast<ssize_t>(sizeof result);
    close(fds[0]);
    int status = 0;
    struct rusage usage;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !got || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return f;
    f.ms = result[0];
    f.frames = static_cast<int>(result[1]);
    f.peakMb = usage.ru_maxrss / 1024.0; // kilobytes on Linux
    return f;
}

Figures best(Case which, const std::string& file, const std::string& png, int rounds)
{
    Figures b;
    for (int r = 0; r < rounds; ++r) {
        const Figures f = measure(which, file, png);
        if (f.ms < 0.0)
            return f;
        if (b.ms < 0.0 || f.ms < b.ms)
            b.ms = f.ms;
        b.peakMb = r == 0 ? f.peakMb : std::min(b.peakMb, f.peakMb);
        b.frames = f.frames;
    }
    return b;
}

} // namespace

int main(int argc, char** argv)
{
    std::string file;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, atoi(argv[++i]));
        else
            file = argv[i];
    }
    char pattern[] = "/tmp/preview_bench_XXXXXX";
    if (!mkdtemp(pattern)) {
        fprintf(stderr, "preview_bench: no temporary folder\n");
        return 1;
    }
    const std::string dir = pattern;
    if (file.empty()) {
        file = dir + "/j2k200.dcm";
        const std::string make = std::string("/usr/bin/python3 ") + QP_MAKE_FILE + " " + file + " 200";
        if (system(make.c_str()) != 0) {
            fprintf(stderr, "preview_bench: cannot make %s\n", file.c_str());
            fs::remove_all(dir);
            return 1;
        }
    }
    std::error_code ec;
    const double fileMb = static_cast<double>(fs::file_size(file, ec)) / (1024.0 * 1024.0);
    const std::string png = dir + "/preview.png";
    // A first preview warms the page cache for both cases.
    measure(Case::Preview, file, png);
    const Figures idle = best(Case::Idle, file, png, rounds);
    const Figures preview = best(Case::Preview, file, png, rounds);
    const Figures all = best(Case::AllFrames, file, png, rounds);
    fs::remove_all(dir);
    if (ec || preview.ms < 0.0 || all.ms < 0.0) {
        fprintf(stderr, "preview_bench: %s cannot be previewed or decoded\n", file.c_str());
        return 1;
    }
    const double previewGrowth = std::max(preview.peakMb - idle.peakMb, 0.01);
    printf("{\"file_mb\":%.1f,\"frames\":%d,\"preview_ms\":%.1f,\"preview_peak_mb\":%.1f,\"all_ms\":%.1f,"
           "\"all_peak_mb\":%.1f,\"idle_peak_mb\":%.1f,\"time_ratio\":%.1f,\"memory_ratio\":%.1f}\n",
           fileMb, all.frames, preview.ms, preview.peakMb, all.ms, all.peakMb, idle.peakMb,
           all.ms / preview.ms, (all.peakMb - idle.peakMb) / previewGrowth);
    return 0;
}
