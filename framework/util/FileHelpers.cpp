#include "util/FileHelpers.h"

#include "base/ccLog.h"
#include "platform/FileUtils.h"
#include "util/StringUtils.h"
#include "util/TimeUtils.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Where a path names a resource, the engine's search paths find it; other paths stay.
std::string resolveReadPath(const char* path)
{
    std::string full = cocos2d::FileUtils::getInstance()->fullPathForFilename(path);
    return full.empty() ? std::string(path) : full;
}

bool makeParentDirectories(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ||
           cocos2d::FileUtils::getInstance()->createDirectory(path.substr(0, slash));
}

struct FileCloser {
    void operator()(FILE* f) const
    {
        if (f)
            std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// fclose reports the last buffered write; its failure is a failed write.
bool closeChecked(FilePtr& file)
{
    return std::fclose(file.release()) == 0;
}

} // namespace

char* readFileData(const char* path, int& size, bool binary)
{
    size = 0;
    if (!path || !*path)
        return nullptr;
    const std::string full = resolveReadPath(path);
    FilePtr file(std::fopen(full.c_str(), "rb"));
    if (!file)
        return nullptr;
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return nullptr;
    if (info.st_size > kReadFileLimit) {
        cocos2d::log("readFileData: %s is too large (%lld bytes)", full.c_str(),
                     static_cast<long long>(info.st_size));
        return nullptr;
    }
    const size_t length = static_cast<size_t>(info.st_size);
    char* buffer = new (std::nothrow) char[length + 10];
    if (!buffer)
        return nullptr;
    const size_t got = std::fread(buffer, 1, length, file.get());
    std::memset(buffer + got, 0, length + 10 - got);
    if (got == 0) {
        delete[] buffer;
        return nullptr;
    }
    if (binary) {
        size = static_cast<int>(got);
        return buffer;
    }
    const size_t textLength = std::strlen(buffer);
    if (textLength == 0) {
        delete[] buffer;
        return nullptr;
    }
    size = static_cast<int>(textLength);
    return buffer;
}

bool writeBufferToFile(const char* path, const void* data, int size)
{
    if (!path || !*path || size < 0 || (size > 0 && !data))
        return false;
    const std::string target = path;
    if (!makeParentDirectories(target)) {
        cocos2d::log("writeBufferToFile: cannot create the folder of %s", path);
        return false;
    }
    FilePtr file(std::fopen(path, "wb+"));
    if (!file)
        return false;
    const size_t written = size > 0 ? std::fwrite(data, 1, static_cast<size_t>(size), file.get()) : 0;
    const bool closed = closeChecked(file);
    if (written != static_cast<size_t>(size) || !closed) {
        cocos2d::log("writeBufferToFile: faild, size=%i,writeSize=%i", size, static_cast<int>(written));
        return false;
    }
    return true;
}

bool writeStringToFile(const char* path, std::string text)
{
    return writeBufferToFile(path, text.data(), static_cast<int>(text.size()));
}

bool copyFile(std::string from, std::string to)
{
    if (from == to)
        return true;
    FilePtr in(std::fopen(resolveReadPath(from.c_str()).c_str(), "rb"));
    struct stat source {};
    if (!in || fstat(fileno(in.get()), &source) != 0 || !S_ISREG(source.st_mode))
        return false;
    // Two spellings of one file: opening the target for writing would empty the source.
    struct stat target {};
    if (stat(to.c_str(), &target) == 0 && target.st_dev == source.st_dev &&
        target.st_ino == source.st_ino)
        return true;
    if (!makeParentDirectories(to)) {
        cocos2d::log("copy file: faild");
        return false;
    }
    FilePtr out(std::fopen(to.c_str(), "wb"));
    if (!out) {
        cocos2d::log("copy file: faild");
        return false;
    }
    std::unique_ptr<char[]> block(new char[65536]);
    bool ok = true;
    size_t got;
    while ((got = std::fread(block.get(), 1, 65536, in.get())) > 0) {
        if (std::fwrite(block.get(), 1, got, out.get()) != got) {
            ok = false;
            break;
        }
    }
    ok = ok && !std::ferror(in.get());
    ok = closeChecked(out) && ok;
    if (!ok)
        cocos2d::log("copy file: faild");
    return ok;
}

bool copyDirectory(std::string from, std::string to)
{
    if (from == to)
        return true;
    if (from.empty() || from.back() != '/')
        from += "/";
    if (to.empty() || to.back() != '/')
        to += "/";
    std::vector<std::string> files;
    listFiles(from, files, true, true);
    for (const auto& file : files) {
        if (file.compare(0, from.size(), from) != 0)
            continue;
        if (!copyFile(file, to + file.substr(from.size())))
            return false;
    }
    return true;
}

namespace {

enum class EntryKind { Other, File, Directory };

// Folders count only when they are real folders; files may be links to regular files.
EntryKind kindOf(const std::string& path)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return EntryKind::Other;
    if (S_ISDIR(info.st_mode))
        return EntryKind::Directory;
    if (S_ISLNK(info.st_mode) && stat(path.c_str(), &info) != 0)
        return EntryKind::Other;
    return S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}

void listInto(const std::string& dir, std::vector<std::string>& out, bool recursive, bool withPath)
{
    DIR* handle = opendir(dir.c_str());
    if (!handle)
        return;
    while (dirent* entry = readdir(handle)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string full = dir + "/" + name;
        switch (kindOf(full)) {
        case EntryKind::File:
            out.push_back(withPath ? full : name);
            break;
        case EntryKind::Directory:
            if (recursive && name[0] != '.')
                listInto(full, out, recursive, withPath);
            break;
        case EntryKind::Other:
            break;
        }
    }
    closedir(handle);
}

} // namespace

std::string withoutTrailingSlash(std::string dir)
{
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

void listFiles(std::string dir, std::vector<std::string>& out, bool recursive, bool withPath)
{
    if (dir.empty())
        return;
    listInto(withoutTrailingSlash(dir), out, recursive, withPath);
}

void listSubDirectories(std::string dir, std::vector<std::string>& out, bool withPath)
{
    if (dir.empty())
        return;
    dir = withoutTrailingSlash(dir);
    DIR* handle = opendir(dir.c_str());
    if (!handle)
        return;
    while (dirent* entry = readdir(handle)) {
        const std::string name = entry->d_name;
        if (name[0] == '.')
            continue;
        const std::string full = dir + "/" + name;
        if (kindOf(full) == EntryKind::Directory)
            out.push_back(withPath ? full : name);
    }
    closedir(handle);
}

std::string getFileCreateTime(std::string path)
{
    if (path.empty())
        return std::string();
    struct statx info {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_CTIME, &info) != 0)
        return getCurrentTimeString();
    const std::time_t when = (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec
                                                           : info.stx_ctime.tv_sec;
    std::tm utc {};
    if (!gmtime_r(&when, &utc))
        return getCurrentTimeString();
    return formatString("%i.%i.%i %i:%i:%i", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                        utc.tm_hour, utc.tm_min, utc.tm_sec);
}

std::string getPlatformPath()
{
    return std::string();
}

std::string getPlatformPath(const std::string&, const std::string&, const std::string&)
{
    return std::string();
}
