// Packing: zipMain and zipFolder over minizip's zip API.

#include "zip/ZipTool.h"

#include "base/ccLog.h"
#include "platform/FileUtils.h"
#include "util/FileHelpers.h"
#include "zip/ZipProgress.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <vector>
#include <zip.h>
#include <zlib.h>

std::atomic<int> zipCancelRequested {0};

namespace {

constexpr size_t kCopyBlock = 16384;
// Bit 11 of the general-purpose flags: the stored name is UTF-8.
constexpr unsigned long kUtf8NameFlag = 1u << 11;

// The cancel flag is shared, so packs run one after the other.
std::mutex& packMutex()
{
    static std::mutex m;
    return m;
}

bool isOptionArgument(const char* arg)
{
    return (arg[0] == '-' || arg[0] == '/' || arg[0] == '\\') && arg[1] != '\0' && arg[2] == '\0';
}

void fileDate(const char* path, zip_fileinfo& info)
{
    std::memset(&info, 0, sizeof info);
    struct stat st {};
    if (stat(path, &st) != 0)
        return;
    std::tm local {};
    const std::time_t when = st.st_mtime;
    if (!localtime_r(&when, &local))
        return;
    info.tmz_date.tm_sec = static_cast<unsigned>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<unsigned>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<unsigned>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<unsigned>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<unsigned>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<unsigned>(local.tm_year + 1900);
}

// The name stored for a file: its path below the base folder. Empty when the file does
// not lie below the base folder.
std::string storedName(const std::string& path, const std::string& base)
{
    if (base.empty()) {
        size_t start = path.find_first_not_of('/');
        return start == std::string::npos ? std::string() : path.substr(start);
    }
    if (path.size() <= base.size() || path.compare(0, base.size(), base) != 0)
        return std::string();
    size_t start = base.size();
    if (base.back() != '/' && base.back() != '\\') {
        if (path[start] != '/' && path[start] != '\\')
            return std::string();
        ++start;
    }
    return path.substr(start);
}

struct PackOptions {
    int level = Z_DEFAULT_COMPRESSION;
    bool append = false;
    const char* password = nullptr;
    int archiveArg = 0;
};

PackOptions parsePackOptions(int argc, char** argv)
{
    PackOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] != '-') {
            if (options.archiveArg == 0)
                options.archiveArg = i;
            continue;
        }
        if (options.archiveArg != 0)
            continue; // options after the archive belong to the file list's rules
        for (const char* p = arg + 1; *p; ++p) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
            if (c >= '0' && c <= '9')
                options.level = c - '0';
            else if (c == 'o')
                options.append = false;
            else if (c == 'a')
                options.append = true;
            else if (c == 'p' && i + 1 < argc)
                options.password = argv[++i];
        }
    }
    return options;
}

// Adds one file; returns the zip library's result for it.
int addFile(zipFile archive, const std::string& path, const std::string& name, int level,
            const char* password, char* buffer)
{
    zip_fileinfo info;
    fileDate(path.c_str(), info);
    unsigned long crc = 0;
    if (password)
        zipFileCrc(path.c_str(), buffer, kCopyBlock, &crc); // traditional encryption needs it
    struct stat st {};
    const bool large = stat(path.c_str(), &st) == 0 && st.st_size >= 0xFFFFFFFFLL;
    int err = zipOpenNewFileInZip4_64(archive, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                      level != 0 ? Z_DEFLATED : 0, level, 0, -MAX_WBITS,
                                      DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, password, crc, 0,
                                      kUtf8NameFlag, large ? 1 : 0);
    if (err != ZIP_OK) {
        cocos2d::log("zip: cannot add %s (%d)", name.c_str(), err);
        return err;
    }
    const char last = name.back();
    if (last != '/' && last != '\\') {
        FILE* in = std::fopen(path.c_str(), "rb");
        if (!in) {
            // The entry stays, empty; the run reports the failure.
            cocos2d::log("zip: cannot read %s", path.c_str());
            err = ZIP_ERRNO;
        } else {
            size_t got;
            while (err == ZIP_OK && (got = std::fread(buffer, 1, kCopyBlock, in)) > 0)
                err = zipWriteInFileInZip(archive, buffer, static_cast<unsigned>(got));
            if (err == ZIP_OK && std::ferror(in))
                err = ZIP_ERRNO;
            std::fclose(in);
        }
    }
    const int closeErr = zipCloseFileInZip(archive);
    return err != ZIP_OK ? err : closeErr;
}

} // namespace

int zipFileCrc(const char* path, void* buffer, unsigned size, unsigned long* crc)
{
    unsigned long value = crc32(0L, Z_NULL, 0);
    FILE* in = path ? std::fopen(path, "rb") : nullptr;
    if (!in || !buffer || size == 0) {
        if (in)
            std::fclose(in);
        if (crc)
            *crc = 0;
        return -1;
    }
    size_t got;
    while ((got = std::fread(buffer, 1, size, in)) > 0)
        value = crc32(value, static_cast<const Bytef*>(buffer), static_cast<uInt>(got));
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (crc)
        *crc = failed ? 0 : value;
    return failed ? -1 : 0;
}

int zipMain(int argc, char** argv)
{
    if (argc == 1)
        return 0;
    if (argc < 1 || !argv)
        return 1;
    std::lock_guard<std::mutex> lock(packMutex());
    zipCancelRequested = 0;

    const PackOptions options = parsePackOptions(argc, argv);
    if (options.archiveArg == 0)
        return 0;

    std::string archivePath = argv[options.archiveArg];
    const size_t slash = archivePath.find_last_of('/');
    if (archivePath.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos)
        archivePath += ".zip";

    const std::string base = options.archiveArg + 1 < argc ? argv[options.archiveArg + 1] : "";
    std::vector<std::string> files;
    for (int i = options.archiveArg + 2; i < argc; ++i) {
        if (!isOptionArgument(argv[i]))
            files.push_back(argv[i]);
    }

    if (options.password) {
        // Debian's minizip encrypts with a CRC table of the wrong width on 64-bit machines,
        // giving archives no reader can decrypt; refuse rather than write one.
        cocos2d::log("zip: password-protected archives are not supported");
        return ZIP_PARAMERROR;
    }

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBlock]);
    if (!buffer)
        return ZIP_INTERNALERROR;

    struct stat st {};
    const bool exists = stat(archivePath.c_str(), &st) == 0;
    zipFile archive = zipOpen64(archivePath.c_str(),
                                options.append && exists ? APPEND_STATUS_ADDINZIP
                                                         : APPEND_STATUS_CREATE);
    if (!archive) {
        cocos2d::log("zip: cannot open %s", archivePath.c_str());
        return ZIP_ERRNO;
    }

    int result = ZIP_OK;
    const size_t n = files.size();
    for (size_t i = 0; i < n; ++i) {
        if (zipCancelRequested.load() > 0) {
            result = kZipCancelled;
            break;
        }
        NSUI::postZipProgress(static_cast<int>(i * 100 / n));
        const std::string name = storedName(files[i], base);
        if (name.empty() || name.size() > 0xFFFF) {
            cocos2d::log("zip: %s is not below %s, skipped", files[i].c_str(), base.c_str());
            result = ZIP_PARAMERROR;
            continue;
        }
        const int err = addFile(archive, files[i], name, options.level, options.password,
                                buffer.get());
        if (err != ZIP_OK)
            result = err;
    }

    const int closeErr = zipClose(archive, nullptr);
    if (result == ZIP_OK && closeErr != ZIP_OK)
        result = closeErr;
    return result;
}

bool zipFolder(std::string archive, std::string folder, std::string password)
{
    const size_t slash = archive.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (!cocos2d::FileUtils::getInstance()->createDirectory(archive.substr(0, slash))) {
            cocos2d::log("zipFolder: cannot create the folder of %s", archive.c_str());
            return false;
        }
    }

    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::vector<std::string> files;
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        listFiles(folder, files, true, true);
    else
        files.push_back(folder);

    // Stored names begin with the folder's own name.
    const size_t cut = folder.find_last_of('/');
    const std::string base = cut == std::string::npos ? std::string() : folder.substr(0, cut);

    std::vector<std::string> args = {".", "-o", "-9"};
    if (!password.empty()) {
        args.push_back("-p");
        args.push_back(password);
    }
    args.push_back(archive);
    args.push_back(base);
    args.insert(args.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    return zipMain(static_cast<int>(args.size()), argv.data()) == 0;
}
