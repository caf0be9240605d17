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

inline std::string pydicomFile(const std::string& name) { return qptest::pydicomDir() + "/" + name; }

inline std::string charsetFile(const std::string& name)
{
    return qptest::pydicomDir() + "/../charset_files/" + name;
}

} // namespace readtest
