#pragma once
// Small helpers every test suite shares: temporary folders and the locations of test data.

#include <string>
#include <sys/types.h>
#include <vector>

namespace qptest {

/// A fresh, empty folder that is removed with everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return _path; }
    /// path() joined with a relative name.
    std::string file(const std::string& name) const;

private:
    std::string _path;
};

/// Folder of Debian's pydicom test files (real DICOM files read in place).
std::string pydicomDir();
/// The source tree and the build tree of this project.
std::string sourceDir();
std::string binaryDir();

/// Whole file as bytes; empty when it cannot be read.
std::string readFile(const std::string& path);
/// Writes bytes to a file, creating nothing but the file; false on failure.
bool writeFile(const std::string& path, const std::string& bytes);

/// The workstation program of this build, or "" when it is not built or there is no display.
std::string workstationProgram();
/// Starts a program with this process's environment, entries of `env` ("NAME=value")
/// replacing those of the same name, its output and errors written to logPath. 0 on failure.
pid_t startProgram(const std::string& program, const std::vector<std::string>& env, const std::string& logPath);
/// Sends SIGTERM and waits up to maxSeconds for the program to end; status as waitpid gives
/// it. False when it did not end (it is killed then).
bool stopProgram(pid_t pid, int& status, int maxSeconds = 30);

} // namespace qptest
