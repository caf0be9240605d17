#pragma once
// Helpers of the DICOM reading tests: asking Debian's pydicom for the expected answers.

#include "support/TestSupport.h"

#include <cstdio>
#include <string>

namespace readtest {

/// Runs a Python script with Debian's interpreter (which sees pydicom and numpy) and
/// returns what it printed; empty when it failed.
inline std::string runPython(const std::string& script)
{
    qptest::TempDir dir;
    const std::string path = dir.file("script.py");
    if (!qptest::writeFile(path, script))
        return std::string();
    FILE* p = popen(("/usr/bin/python3 " + path + " 2>/dev/null").c_str(), "r");
    if (!p)
        return std::string();
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    return pclose(p) == 0 ? out : std::string();
}

/// Writes a small DICOM file with pydicom: `body` is Python that fills the Dataset `ds`
/// (file meta, explicit little endian and an SC SOP class are set up already). True on success.
inline bool makeDicom(const std::string& path, const std::string& body)
{
    std::string script = R"(
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.sequence import Sequence
from pydicom.uid import ExplicitVRLittleEndian, generate_uid
ds = Dataset()
ds.file_meta = FileMetaDataset()
ds.file_meta.TransferSyntaxUID = ExplicitVRLittleEndian
ds.file_meta.MediaStorageSOPClassUID = '1.2.840.10008.5.1.4.1.1.7'
ds.file_meta.MediaStorageSOPInstanceUID = generate_uid()
ds.is_little_endian = True
ds.is_implicit_VR = False
ds.SOPClassUID = '1.2.840.10008.5.1.4.1.1.7'
)" + body + R"(
ds.save_as(r')" + path + R"(', write_like_original=False)
print('ok')
)";
    return runPython(script) == "ok\n";
}

inline std::string pydicomFile(const std::string& name) { return qptest::pydicomDir() + "/" + name; }

inline std::string charsetFile(const std::string& name)
{
    return qptest::pydicomDir() + "/../charset_files/" + name;
}

} // namespace readtest
