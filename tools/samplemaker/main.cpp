// samplemaker: writes synthetic but realistic DICOM series for the first-run sample, tests
// and benchmarks. Usage: samplemaker [--patient NAME] [--id ID] [--seed N] <series>... where
// each series is one of --ct WxHxN DIR (CT phantom volume: signed 16-bit, rescale intercept
// -1024, air/fat/soft tissue/lung/bone/contrast in HU, 0.7 mm pixels, 1 mm slices, HFS
// orientation and positions), --mr WxHxN DIR (MR head series, unsigned 16-bit, 5 mm slices),
// --pet WxHxN DIR (PET volume in Bq/ml stored as signed 16-bit with a per-slice float rescale
// slope, units, decay and radiopharmaceutical sequence), --sc WxH DIR (an RGB secondary
// capture), --multiframe WxHxN DIR (one 8-bit file of N cine frames), or --example ZIP (the
// first-run archive: three patients with a CT, an MR, and a PET study holding a colour
// capture and a multi-frame image; a few MB). Series files are DIR/IM0001.dcm, IM0002.dcm,
// ...; options before a series apply to it and to those after it; every series gets new
// UIDs. Exit status 0 when everything was written, 1 on a write failure, 2 on bad options.

#include "SeriesWriter.h"
#include "ZipWriter.h"

#include <dcmtk/dcmdata/dcuid.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace samplemaker;
namespace fs = std::filesystem;

namespace {

bool parseSize(const std::string& text, int& w, int& h, int& n, bool needDepth)
{
    n = 1;
    int fields = needDepth ? sscanf(text.c_str(), "%dx%dx%d", &w, &h, &n) : sscanf(text.c_str(), "%dx%d", &w, &h);
    return fields == (needDepth ? 3 : 2) && w > 0 && h > 0 && n > 0 && w <= 65535 && h <= 65535 && n <= 100000;
}

int usage()
{
    fprintf(stderr, "usage: samplemaker [--patient NAME] [--id ID] [--seed N] "
                    "(--ct|--mr|--pet|--multiframe WxHxN DIR | --sc WxH DIR | --example ZIP)...\n");
    return 2;
}

bool writeExample(const std::string& zipPath)
{
    const fs::path work = fs::path(zipPath).parent_path() / (fs::path(zipPath).filename().string() + ".parts");
    std::error_code ec;
    fs::remove_all(work, ec);
    std::vector<std::string> files;
    auto series = [&](SeriesKind kind, int w, int h, int n, const char* name, const char* id, const char* desc,
                      const char* folder, const std::string& studyUID, int number, unsigned seed) {
        SeriesPlan s;
        s.kind = kind;
        s.width = w, s.height = h, s.slices = n;
        s.patientName = name;
        s.patientID = id;
        s.studyDescription = desc;
        s.studyUID = studyUID;
        s.seriesNumber = number;
        s.seed = seed;
        return SeriesWriter::write(s, (work / folder).string(), files);
    };
    char uid[100];
    const std::string petStudy = dcmGenerateUniqueIdentifier(uid, SITE_STUDY_UID_ROOT);
    bool ok = series(SeriesKind::CT, 256, 256, 40, "PHANTOM^CHEST", "QP0001", "CT chest abdomen", "ct", "", 1, 11) &&
              series(SeriesKind::MR, 256, 256, 16, "PHANTOM^HEAD", "QP0002", "MR head", "mr", "", 1, 22) &&
              series(SeriesKind::PET, 128, 128, 40, "PHANTOM^PET", "QP0003", "PET whole body", "pet", petStudy, 1, 33) &&
              series(SeriesKind::ColourSC, 320, 240, 1, "PHANTOM^PET", "QP0003", "PET whole body", "sc", petStudy, 2, 33) &&
              series(SeriesKind::MultiFrame, 128, 128, 24, "PHANTOM^PET", "QP0003", "PET whole body", "cine", petStudy, 3, 33);
    if (ok) {
        ZipWriter zip;
        ok = zip.open(zipPath);
        for (size_t i = 0; ok && i < files.size(); ++i)
            ok = zip.add(files[i], fs::relative(files[i], work).generic_string());
        ok = zip.close() && ok;
    }
    fs::remove_all(work, ec);
    if (!ok) {
        fprintf(stderr, "samplemaker: writing %s failed\n", zipPath.c_str());
        fs::remove(zipPath, ec);
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    SeriesPlan base;
    int series = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (opt == "--patient" || opt == "--id" || opt == "--seed") {
            const char* v = next();
            if (!v)
                return usage();
            if (opt == "--patient")
                base.patientName = v;
            else if (opt == "--id")
                base.patientID = v;
            else
                base.seed = static_cast<unsigned>(strtoul(v, nullptr, 10));
        } else if (opt == "--example") {
            const char* zip = next();
            if (!zip)
                return usage();
            if (!writeExample(zip))
                return 1;
            ++series;
        } else if (opt == "--ct" || opt == "--mr" || opt == "--pet" || opt == "--multiframe" || opt == "--sc") {
            const char* size = next();
            const char* dir = next();
            SeriesPlan s = base;
            s.kind = opt == "--ct" ? SeriesKind::CT
                   : opt == "--mr" ? SeriesKind::MR
                   : opt == "--pet" ? SeriesKind::PET
                   : opt == "--sc" ? SeriesKind::ColourSC : SeriesKind::MultiFrame;
            if (!size || !dir || !parseSize(size, s.width, s.height, s.slices, opt != "--sc"))
                return usage();
            s.seriesNumber = ++series;
            std::vector<std::string> files;
            if (!SeriesWriter::write(s, dir, files))
                return 1;
            printf("%s: %zu files\n", dir, files.size());
        } else {
            return usage();
        }
    }
    return series > 0 ? 0 : usage();
}
