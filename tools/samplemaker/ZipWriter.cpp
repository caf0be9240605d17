#include "ZipWriter.h"

#include <minizip/zip.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace samplemaker {

ZipWriter::~ZipWriter() { close(); }

bool ZipWriter::open(const std::string& path)
{
    close();
    _zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!_zip)
        fprintf(stderr, "samplemaker: cannot create %s\n", path.c_str());
    return _zip != nullptr;
}

bool ZipWriter::add(const std::string& file, const std::string& entry)
{
    if (!_zip)
        return false;
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        return false;
    zip_fileinfo info;
    memset(&info, 0, sizeof info);
    // A fixed time keeps the archive the same from build to build.
    info.tmz_date.tm_year = 2024;
    info.tmz_date.tm_mon = 0;
    info.tmz_date.tm_mday = 2;
    info.tmz_date.tm_hour = 10;
    zipFile z = static_cast<zipFile>(_zip);
    if (zipOpenNewFileInZip64(z, entry.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, bytes.size() >= 0xFFFFFFFFu) != ZIP_OK)
        return false;
    bool ok = bytes.empty() || zipWriteInFileInZip(z, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK;
    return zipCloseFileInZip(z) == ZIP_OK && ok;
}

bool ZipWriter::close()
{
    if (!_zip)
        return true;
    bool ok = zipClose(static_cast<zipFile>(_zip), nullptr) == ZIP_OK;
    _zip = nullptr;
    return ok;
}

} // namespace samplemaker
