#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qptest {

TempDir::TempDir() {
    std::string templ = (fs::temp_directory_path() / "qptest-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    _path = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(_path, ec);
}

std::string TempDir::file(const std::string& name) const { return (fs::path(_path) / name).string(); }

std::string pydicomDir() { return QP_PYDICOM_DIR; }
std::string sourceDir() { return QP_SOURCE_DIR; }
std::string binaryDir() { return QP_BINARY_DIR; }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace qptest
