#include "platform/FileUtils.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/ccLog.h"
#include "platform/PlistParser.h"

namespace cocos2d {

namespace {

FileUtils* g_fileUtils = nullptr;
std::mutex g_fileUtilsMutex;
const off_t kMaxWholeFileBytes = off_t(2) * 1024 * 1024 * 1024;

const char kProgramName[] = "dicom-workstation";

std::string withSlash(std::string path)
{
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path;
}

bool statPath(const std::string& path, struct stat& st)
{
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return ::remove(path);
}

} // namespace

FileUtils* FileUtils::getInstance()
{
    std::lock_guard<std::mutex> lock(g_fileUtilsMutex);
    if (!g_fileUtils) {
        g_fileUtils = new FileUtils();
    }
    return g_fileUtils;
}

void FileUtils::destroyInstance()
{
    std::lock_guard<std::mutex> lock(g_fileUtilsMutex);
    delete g_fileUtils;
    g_fileUtils = nullptr;
}

FileUtils::FileUtils()
{
    char cwd[4096];
    if (getcwd(cwd, sizeof(cwd))) {
        _defaultResRootPath = withSlash(cwd);
    }
    _resolutionsOrder.push_back("");
    rebuildSearchPathsLocked();
}

FileUtils::~FileUtils() {}

void FileUtils::purgeCachedEntries()
{
    std::lock_guard<std::mutex> lock(_mutex);
    _fullPathCache.clear();
}

std::string FileUtils::normalizeFolder(const std::string& path) const
{
    if (path.empty()) {
        return _defaultResRootPath;
    }
    std::string full = isAbsolutePath(path) ? path : _defaultResRootPath + path;
    return withSlash(full);
}

void FileUtils::rebuildSearchPathsLocked()
{
    _searchPaths.clear();
    for (const auto& p : _originalSearchPaths) {
        std::string folder = normalizeFolder(p);
        if (std::find(_searchPaths.begin(), _searchPaths.end(), folder) == _searchPaths.end()) {
            _searchPaths.push_back(folder);
        }
    }
    if (!_defaultResRootPath.empty() &&
        std::find(_searchPaths.begin(), _searchPaths.end(), _defaultResRootPath) == _searchPaths.end()) {
        _searchPaths.push_back(_defaultResRootPath);
    }
    _fullPathCache.clear();
}

void FileUtils::setSearchPaths(const std::vector<std::string>& searchPaths)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _originalSearchPaths = searchPaths;
    rebuildSearchPathsLocked();
}

std::vector<std::string> FileUtils::getSearchPaths() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _searchPaths;
}

std::vector<std::string> FileUtils::getOriginalSearchPaths() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _originalSearchPaths;
}

void FileUtils::addSearchPath(const std::string& path, bool front)
{
    std::lock_guard<std::mutex> lock(_mutex);
    if (front) {
        _originalSearchPaths.insert(_originalSearchPaths.begin(), path);
    } else {
        _originalSearchPaths.push_back(path);
    }
    rebuildSearchPathsLocked();
}

void FileUtils::setSearchResolutionsOrder(const std::vector<std::string>& orders)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _resolutionsOrder.clear();
    for (const auto& o : orders) {
        _resolutionsOrder.push_back(o.empty() ? o : withSlash(o));
    }
    if (std::find(_resolutionsOrder.begin(), _resolutionsOrder.end(), "") == _resolutionsOrder.end()) {
        _resolutionsOrder.push_back("");
    }
    _fullPathCache.clear();
}

void FileUtils::addSearchResolutionsOrder(const std::string& order, bool front)
{
    std::lock_guard<std::mutex> lock(_mutex);
    std::string o = order.empty() ? order : withSlash(order);
    if (front) {
        _resolutionsOrder.insert(_resolutionsOrder.begin(), o);
    } else {
        _resolutionsOrder.push_back(o);
    }
    _fullPathCache.clear();
}

std::vector<std::string> FileUtils::getSearchResolutionsOrder() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _resolutionsOrder;
}

void FileUtils::setDefaultResourceRootPath(const std::string& path)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _defaultResRootPath = withSlash(path);
    rebuildSearchPathsLocked();
}

std::string FileUtils::getDefaultResourceRootPath() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _defaultResRootPath;
}

bool FileUtils::isAbsolutePath(const std::string& path) const
{
    return !path.empty() && path[0] == '/';
}

std::string FileUtils::fullPathForFilename(const std::string& filename) const
{
    if (filename.empty()) {
        return std::string();
    }
    struct stat st;
    if (isAbsolutePath(filename)) {
        return statPath(filename, st) ? filename : std::string();
    }
    std::lock_guard<std::mutex> lock(_mutex);
    auto cached = _fullPathCache.find(filename);
    if (cached != _fullPathCache.end()) {
        if (statPath(cached->second, st)) {
            return cached->second;
        }
        _fullPathCache.erase(cached);
    }
    for (const auto& searchPath : _searchPaths) {
        for (const auto& order : _resolutionsOrder) {
            std::string candidate = searchPath + order + filename;
            if (statPath(candidate, st)) {
                _fullPathCache[filename] = candidate;
                return candidate;
            }
        }
    }
    log("FileUtils: no file '%s' on the search paths", filename.c_str());
    return std::string();
}

std::string FileUtils::getWritablePath() const
{
    std::string path;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        path = _writablePath;
    }
    if (path.empty()) {
        const char* over = getenv("QP_WRITABLE_PATH");
        const char* xdg = getenv("XDG_DATA_HOME");
        const char* home = getenv("HOME");
        if (over && *over) {
            path = withSlash(over);
        } else if (xdg && xdg[0] == '/') {
            path = withSlash(xdg) + kProgramName + "/";
        } else if (home && *home) {
            path = withSlash(home) + ".local/share/" + kProgramName + "/";
        } else {
            path = std::string("/tmp/") + kProgramName + "/";
        }
    }
    if (!isDirectoryExist(path) && !const_cast<FileUtils*>(this)->createDirectory(path)) {
        log("FileUtils: cannot create the writable folder %s", path.c_str());
    }
    return path;
}

void FileUtils::setWritablePath(const std::string& path)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _writablePath = withSlash(path);
}

bool FileUtils::isFileExist(const std::string& filename) const
{
    if (filename.empty()) {
        return false;
    }
    struct stat st;
    if (isAbsolutePath(filename)) {
        return statPath(filename, st) && S_ISREG(st.st_mode);
    }
    std::vector<std::string> paths = getSearchPaths();
    std::vector<std::string> orders = getSearchResolutionsOrder();
    for (const auto& searchPath : paths) {
        for (const auto& order : orders) {
            if (statPath(searchPath + order + filename, st) && S_ISREG(st.st_mode)) {
                return true;
            }
        }
    }
    return false;
}

bool FileUtils::isDirectoryExist(const std::string& dirPath) const
{
    struct stat st;
    if (isAbsolutePath(dirPath)) {
        return statPath(dirPath, st) && S_ISDIR(st.st_mode);
    }
    for (const auto& searchPath : getSearchPaths()) {
        if (statPath(searchPath + dirPath, st) && S_ISDIR(st.st_mode)) {
            return true;
        }
    }
    return false;
}

bool FileUtils::createDirectory(const std::string& dirPath)
{
    if (dirPath.empty()) {
        return false;
    }
    std::string path;
    size_t pos = 0;
    while (pos != std::string::npos) {
        size_t next = dirPath.find('/', pos + 1);
        path = dirPath.substr(0, next);
        pos = next;
        if (path.empty() || path == "/") {
            continue;
        }
        if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            log("FileUtils: cannot create folder %s: %s", path.c_str(), strerror(errno));
            return false;
        }
    }
    struct stat st;
    if (!statPath(dirPath, st) || !S_ISDIR(st.st_mode)) {
        log("FileUtils: %s exists and is not a folder", dirPath.c_str());
        return false;
    }
    return true;
}

bool FileUtils::removeDirectory(const std::string& dirPath)
{
    struct stat st;
    if (dirPath.empty() || ::lstat(dirPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    // Depth first, without following links: a link to a folder is removed, not emptied.
    if (nftw(dirPath.c_str(), removeEntry, 32, FTW_DEPTH | FTW_PHYS) != 0) {
        log("FileUtils: cannot remove folder %s: %s", dirPath.c_str(), strerror(errno));
        return false;
    }
    return true;
}

bool FileUtils::removeFile(const std::string& filepath)
{
    if (::unlink(filepath.c_str()) != 0) {
        log("FileUtils: cannot remove %s: %s", filepath.c_str(), strerror(errno));
        return false;
    }
    return true;
}

bool FileUtils::renameFile(const std::string& path, const std::string& oldname, const std::string& name)
{
    std::string folder = withSlash(path);
    return renameFile(folder + oldname, folder + name);
}

bool FileUtils::renameFile(const std::string& oldfullpath, const std::string& newfullpath)
{
    if (::rename(oldfullpath.c_str(), newfullpath.c_str()) != 0) {
        log("FileUtils: cannot rename %s to %s: %s", oldfullpath.c_str(), newfullpath.c_str(), strerror(errno));
        return false;
    }
    return true;
}

long FileUtils::getFileSize(const std::string& filepath) const
{
    std::string full = isAbsolutePath(filepath) ? filepath : fullPathForFilename(filepath);
    struct stat st;
    if (!statPath(full, st)) {
        return -1;
    }
    return static_cast<long>(st.st_size);
}

std::string FileUtils::getFileExtension(const std::string& filePath) const
{
    size_t slash = filePath.find_last_of('/');
    size_t dot = filePath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return std::string();
    }
    std::string ext = filePath.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return ext;
}

std::vector<std::string> FileUtils::listFiles(const std::string& dirPath) const
{
    std::vector<std::string> files;
    std::string folder = withSlash(isAbsolutePath(dirPath) ? dirPath : fullPathForFilename(dirPath));
    DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
    if (!dir) {
        return files;
    }
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        std::string full = folder + name;
        struct stat st;
        if (::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            full += '/';
        }
        files.push_back(full);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

bool FileUtils::readWholeFile(const std::string& fullPath, std::string& out) const
{
    out.clear();
    FILE* f = fopen(fullPath.c_str(), "rb");
    if (!f) {
        log("FileUtils: cannot open %s: %s", fullPath.c_str(), strerror(errno));
        return false;
    }
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        log("FileUtils: %s is not a regular file", fullPath.c_str());
        fclose(f);
        return false;
    }
    // Whole-file reads are for resources, pictures and settings; a file this large is a
    // wrong path, and allocating for it would abort the program.
    if (st.st_size >= kMaxWholeFileBytes) {
        log("FileUtils: %s is too large to read at once (%lld bytes)", fullPath.c_str(),
            static_cast<long long>(st.st_size));
        fclose(f);
        return false;
    }
    out.resize(static_cast<size_t>(st.st_size));
    size_t got = out.empty() ? 0 : fread(&out[0], 1, out.size(), f);
    bool ok = got == out.size() && !ferror(f);
    fclose(f);
    if (!ok) {
        log("FileUtils: cannot read %s", fullPath.c_str());
        out.clear();
    }
    return ok;
}

Data FileUtils::getDataFromFile(const std::string& filename) const
{
    Data data;
    std::string full = fullPathForFilename(filename);
    std::string bytes;
    if (!full.empty() && readWholeFile(full, bytes)) {
        data.copy(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<ssize_t>(bytes.size()));
    }
    return data;
}

std::string FileUtils::getStringFromFile(const std::string& filename) const
{
    std::string full = fullPathForFilename(filename);
    std::string bytes;
    if (!full.empty()) {
        readWholeFile(full, bytes);
    }
    return bytes;
}

bool FileUtils::writeBytes(const char* bytes, size_t size, const std::string& fullPath)
{
    FILE* f = fopen(fullPath.c_str(), "wb");
    if (!f) {
        log("FileUtils: cannot write %s: %s", fullPath.c_str(), strerror(errno));
        return false;
    }
    bool ok = size == 0 || fwrite(bytes, 1, size, f) == size;
    // A full disk may only show when the buffers are flushed at close.
    if (fclose(f) != 0) {
        ok = false;
    }
    if (!ok) {
        log("FileUtils: writing %s failed", fullPath.c_str());
    }
    return ok;
}

bool FileUtils::writeStringToFile(const std::string& dataStr, const std::string& fullPath)
{
    return writeBytes(dataStr.data(), dataStr.size(), fullPath);
}

bool FileUtils::writeDataToFile(const Data& data, const std::string& fullPath)
{
    return writeBytes(reinterpret_cast<const char*>(data.getBytes()), data.isNull() ? 0 : static_cast<size_t>(data.getSize()),
                      fullPath);
}

bool FileUtils::writeFileAtomically(const std::string& bytes, const std::string& fullPath)
{
    static std::atomic<unsigned int> counter{0};
    std::string temp = fullPath + ".tmp" + std::to_string(getpid()) + "." + std::to_string(counter.fetch_add(1));
    if (!writeBytes(bytes.data(), bytes.size(), temp)) {
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), fullPath.c_str()) != 0) {
        log("FileUtils: cannot replace %s: %s", fullPath.c_str(), strerror(errno));
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

ValueMap FileUtils::getValueMapFromFile(const std::string& filename) const
{
    std::string text = getStringFromFile(filename);
    Value root;
    if (text.empty() || !PlistParser::parse(text.data(), text.size(), root, filename) ||
        root.getType() != Value::Type::MAP) {
        return ValueMap();
    }
    return std::move(root.asValueMap());
}

ValueMap FileUtils::getValueMapFromData(const char* filedata, int filesize) const
{
    Value root;
    if (!filedata || filesize <= 0 || !PlistParser::parse(filedata, static_cast<size_t>(filesize), root, "data") ||
        root.getType() != Value::Type::MAP) {
        return ValueMap();
    }
    return std::move(root.asValueMap());
}

ValueVector FileUtils::getValueVectorFromFile(const std::string& filename) const
{
    std::string text = getStringFromFile(filename);
    Value root;
    if (text.empty() || !PlistParser::parse(text.data(), text.size(), root, filename) ||
        root.getType() != Value::Type::VECTOR) {
        return ValueVector();
    }
    return std::move(root.asValueVector());
}

bool FileUtils::writeValueMapToFile(const ValueMap& dict, const std::string& fullPath)
{
    return writeStringToFile(PlistParser::serialize(Value(dict)), fullPath);
}

bool FileUtils::writeValueVectorToFile(const ValueVector& vecData, const std::string& fullPath)
{
    return writeStringToFile(PlistParser::serialize(Value(vecData)), fullPath);
}

} // namespace cocos2d
