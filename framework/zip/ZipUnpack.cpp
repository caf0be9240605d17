// Unpacking: unzipMain and unzipFile over minizip's unzip API, refusing archives whose
// entries would land outside the target folder.

#include "zip/ZipTool.h"

#include "base/ccLog.h"
#include "platform/FileUtils.h"
#include "zip/ZipEntryName.h"

#include <cctype>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>
#include <vector>

namespace {

constexpr size_t kExtractBlock = 8192;
constexpr size_t kArchiveNameLimit = 255;
constexpr int kEntryInfoFailed = -1000;
constexpr int kNoBuffer = -1001;
constexpr int kCannotCreate = -1002;
constexpr int kShortWrite = -1003;
constexpr int kNextEntryFailed = -109;

struct UnpackOptions {
    const char* archive = nullptr;
    const char* entry = nullptr;
    const char* target = nullptr;
    const char* password = nullptr;
    bool withoutPath = false;
};

UnpackOptions parseUnpackOptions(int argc, char** argv)
{
    UnpackOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '-') {
            for (const char* p = arg + 1; *p; ++p) {
                const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
                if (c == 'e')
                    options.withoutPath = true;
                else if (c == 'd' && i + 1 < argc)
                    options.target = argv[++i];
                else if (c == 'p' && i + 1 < argc)
                    options.password = argv[++i];
                // "o" (overwrite) is how every file is written anyway; other letters mean nothing.
            }
        } else if (!options.archive) {
            options.archive = arg;
        } else if (!options.target && !options.entry) {
            options.entry = arg;
        }
    }
    return options;
}

bool currentEntry(unzFile archive, unz_file_info64& info, std::string& name)
{
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    std::vector<char> buffer(info.size_filename + 1, '\0');
    if (unzGetCurrentFileInfo64(archive, &info, buffer.data(), buffer.size(), nullptr, 0, nullptr,
                                0) != UNZ_OK)
        return false;
    name.assign(buffer.data(), info.size_filename);
    return true;
}

bool isLinkEntry(const unz_file_info64& info)
{
    const unsigned long host = info.version >> 8;
    const unsigned long mode = (info.external_fa >> 16) & 0170000;
    return host == 3 && mode == 0120000; // made on Unix, mode of a symbolic link
}

bool isFolderName(const std::string& name)
{
    return name.empty() || name.back() == '/' || name.back() == '\\';
}

// Checks every entry before anything is written; collects the names when asked to.
int scanEntries(unzFile archive, std::vector<std::string>* names)
{
    int err = unzGoToFirstFile(archive);
    while (err == UNZ_OK) {
        unz_file_info64 info;
        std::string name;
        if (!currentEntry(archive, info, name))
            return kEntryInfoFailed;
        if (!NSUI::isSafeZipEntryName(name) || isLinkEntry(info)) {
            cocos2d::log("unzip: unsafe entry \"%s\", archive refused", name.c_str());
            return kUnzipUnsafeEntry;
        }
        if (names)
            names->push_back(NSUI::normalizedZipEntryName(name));
        err = unzGoToNextFile(archive);
    }
    return err == UNZ_END_OF_LIST_OF_FILE ? 0 : kNextEntryFailed;
}

void setFileTime(const std::string& path, const tm_unz& date)
{
    std::tm local {};
    local.tm_sec = static_cast<int>(date.tm_sec);
    local.tm_min = static_cast<int>(date.tm_min);
    local.tm_hour = static_cast<int>(date.tm_hour);
    local.tm_mday = static_cast<int>(date.tm_mday);
    local.tm_mon = static_cast<int>(date.tm_mon);
    local.tm_year = static_cast<int>(date.tm_year) - 1900;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    if (when == static_cast<std::time_t>(-1))
        return;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT; // keep the last access
    times[1].tv_sec = when;
    times[1].tv_nsec = 0;
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

bool makeParentFolders(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return true;
    return cocos2d::FileUtils::getInstance()->createDirectory(path.substr(0, slash));
}

int extractCurrentFile(unzFile archive, const std::string& prefix, bool withoutPath,
                       const char* password)
{
    unz_file_info64 info;
    std::string rawName;
    if (!currentEntry(archive, info, rawName))
        return kEntryInfoFailed;
    const std::string name = NSUI::normalizedZipEntryName(rawName);
    if (!NSUI::isSafeZipEntryName(name) || isLinkEntry(info))
        return kUnzipUnsafeEntry;
    if (isFolderName(name)) {
        if (!withoutPath && !name.empty())
            cocos2d::FileUtils::getInstance()->createDirectory(prefix + name);
        return 0;
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kExtractBlock]);
    if (!buffer)
        return kNoBuffer;

    const size_t slash = name.find_last_of('/');
    const std::string out = prefix + (withoutPath && slash != std::string::npos ? name.substr(slash + 1) : name);

    // Bit 0 of the flags: traditional encryption. A password is handed on only then.
    const bool encrypted = (info.flag & 1) != 0;
    if (encrypted && !password) {
        cocos2d::log("unzip: entry %s needs a password", name.c_str());
        return UNZ_PARAMERROR;
    }
    int err = unzOpenCurrentFilePassword(archive, encrypted ? password : nullptr);
    if (err != UNZ_OK) {
        // Debian's minizip is built without decryption; encrypted entries end here.
        cocos2d::log("unzip: cannot open entry %s (%d)", name.c_str(), err);
        return err;
    }
    makeParentFolders(out);
    // Never write through a link that happens to sit where the file goes.
    struct stat st {};
    if (lstat(out.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        unlink(out.c_str());
    const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        cocos2d::log("unzip: cannot create %s", out.c_str());
        unzCloseCurrentFile(archive);
        return kCannotCreate;
    }
    for (;;) {
        const int got = unzReadCurrentFile(archive, buffer.get(), kExtractBlock);
        if (got < 0) {
            err = got;
            break;
        }
        if (got == 0)
            break;
        if (write(fd, buffer.get(), static_cast<size_t>(got)) != got) {
            err = kShortWrite;
            break;
        }
    }
    if (close(fd) != 0 && err == UNZ_OK)
        err = kShortWrite;
    const int closeErr = unzCloseCurrentFile(archive); // reports a CRC mismatch
    if (err == UNZ_OK)
        err = closeErr;
    if (err != UNZ_OK) {
        // A half-written or corrupt file would pass for a good one later.
        cocos2d::log("unzip: %s failed (%d)", name.c_str(), err);
        unlink(out.c_str());
        return err;
    }
    setFileTime(out, info.tmu_date);
    return 0;
}

int extractAll(unzFile archive, const std::string& prefix, bool withoutPath, const char* password)
{
    int err = unzGoToFirstFile(archive);
    while (err == UNZ_OK) {
        const int result = extractCurrentFile(archive, prefix, withoutPath, password);
        if (result != 0)
            return result;
        err = unzGoToNextFile(archive);
    }
    return err == UNZ_END_OF_LIST_OF_FILE ? 0 : kNextEntryFailed;
}

unzFile openArchive(const char* name)
{
    std::string path = std::string(name).substr(0, kArchiveNameLimit);
    unzFile archive = unzOpen64(path.c_str());
    if (!archive)
        archive = unzOpen64((path + ".zip").c_str());
    return archive;
}

} // namespace

int unzipMain(int argc, char** argv)
{
    if (argc == 1)
        return 0;
    if (argc < 1 || !argv)
        return 1;
    const UnpackOptions options = parseUnpackOptions(argc, argv);
    if (!options.archive)
        return 1;
    unzFile archive = openArchive(options.archive);
    if (!archive)
        return 1;

    std::string prefix = options.target ? options.target : "";
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';

    int result = scanEntries(archive, nullptr);
    if (result == 0) {
        if (options.entry) {
            if (unzLocateFile(archive, options.entry, 1) != UNZ_OK)
                result = 2;
            else
                result = extractCurrentFile(archive, prefix, options.withoutPath, options.password);
        } else {
            result = extractAll(archive, prefix, options.withoutPath, options.password);
        }
    }
    unzClose(archive);
    return result;
}

bool unzipFile(std::string archive, std::string folder, std::string password)
{
    if (folder.empty()) {
        cocos2d::log("unzip: no target folder for %s", archive.c_str());
        return false;
    }
    if (folder.back() != '/')
        folder += '/';

    unzFile handle = openArchive(archive.c_str());
    if (handle) {
        std::vector<std::string> names;
        const int scanned = scanEntries(handle, &names);
        unzClose(handle);
        if (scanned != 0) {
            cocos2d::log("unzip result:%i", scanned);
            return false;
        }
        for (const auto& name : names) {
            const std::string dir = isFolderName(name) ? name : name.substr(0, name.find_last_of('/') + 1);
            if (!dir.empty())
                cocos2d::FileUtils::getInstance()->createDirectory(folder + dir);
        }
    }

    std::vector<std::string> args = {".", "-x", "-o"};
    if (!password.empty()) {
        args.push_back("-p");
        args.push_back(password);
    }
    args.push_back(archive);
    args.push_back("-d");
    args.push_back(folder);
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    const int result = unzipMain(static_cast<int>(args.size()), argv.data());
    cocos2d::log("unzip result:%i", result);
    return result == 0;
}
