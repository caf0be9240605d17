// Filling the file record and placing files in the store.

#include "dcmFileRecord.h"

#include "dcmCallbacks.h"
#include "dcmServer.h"
#include "detail/DicomFile.h"
#include "detail/PathSafety.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dcmSDK {

namespace {
std::string tagOr(const DicomFile& f, uint16_t g, uint16_t e, const char* fallback)
{
    std::string v;
    f.getString(g, e, v);
    return v.empty() && fallback ? std::string(fallback) : v;
}

std::string baseName(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isInside(const fs::path& child, const fs::path& root)
{
    std::error_code ec;
    fs::path c = fs::weakly_canonical(child, ec);
    if (ec)
        return false;
    fs::path r = fs::weakly_canonical(root, ec);
    if (ec)
        return false;
    auto ci = c.begin();
    for (auto ri = r.begin(); ri != r.end(); ++ri, ++ci) {
        if (ri->empty())
            continue; // trailing separator of the root
        if (ci == c.end() || *ci != *ri)
            return false;
    }
    return true;
}

// Copies a file over a new scratch file of the store; its path, or empty (with a log line)
// when the copy failed, which then leaves nothing behind.
std::string copyToScratch(const std::string& from, const std::string& root)
{
    const std::string scratch = newStoreScratchPath(root, "place");
    std::error_code ec;
    if (scratch.empty())
        ec = std::make_error_code(std::errc::io_error);
    else
        fs::copy_file(from, scratch, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        return scratch;
    if (!scratch.empty())
        fs::remove(scratch, ec);
    dcmLog("store: copying %s into the store failed", from.c_str());
    return std::string();
}

// Creates the entry only when nothing has its name (both calls fail with EEXIST then). A file
// is opened for reading only: its writer opens it again, and a watcher of written files sees
// only that.
bool createExclusively(const std::string& path, bool folder)
{
    if (folder)
        return mkdir(path.c_str(), 0777) == 0;
    const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// The count in a name starts at 1 in each process, so an earlier run with the same process
// id (a restarted container) may have left a file or folder under it: each name is created
// before it is handed out, and a taken one skipped. An interrupted run leaves a few; a
// thousand taken in a row mean that something else fills the folder.
std::string newScratchEntry(const std::string& root, const std::string& label, bool folder)
{
    static std::atomic<unsigned long> counter{0};
    const int kTries = 1000;
    const std::string scratch = storeScratchFolder(root);
    std::error_code ec;
    fs::create_directories(scratch, ec);
    if (ec) {
        dcmLog("store: cannot create %s: %s", scratch.c_str(), ec.message().c_str());
        return std::string();
    }
    const std::string stem = scratch + label + "-" + std::to_string(static_cast<long>(getpid())) + "-";
    for (int tried = 0; tried < kTries; ++tried) {
        const std::string path = stem + std::to_string(++counter) + ".part";
        if (createExclusively(path, folder))
            return path;
        if (errno != EEXIST) {
            const std::string why = std::generic_category().message(errno);
            dcmLog("store: cannot create %s: %s", path.c_str(), why.c_str());
            return std::string();
        }
    }
    dcmLog("store: %d names for %s in %s are taken", kTries, label.c_str(), scratch.c_str());
    return std::string();
}

// The series folder the receiver files a record's file in, relative to the store root.
std::string seriesFolderOf(const DCM_MESSAGE& msg)
{
    char folder[1024];
    dcmServer::getDicomFolder(msg.patientName, msg.patientID, msg.studyInstanceUID, msg.seriesInstanceUID, folder);
    return folder;
}
} // namespace

std::mutex& storeFolderLock()
{
    static std::mutex lock;
    return lock;
}

std::string storeScratchFolder(const std::string& root)
{
    return root + ".incoming/";
}

std::string newStoreScratchPath(const std::string& root, const std::string& label)
{
    return newScratchEntry(root, label, false);
}

std::string newStoreScratchFolder(const std::string& root, const std::string& label)
{
    return newScratchEntry(root, label, true);
}

bool fillDcmMessage(const std::string& path, DCM_MESSAGE& msg)
{
    memset(&msg, 0, sizeof msg);
    DicomFile f;
    if (!f.load(path))
        return false;
    copyToSlot(msg.modality, sizeof msg.modality, tagOr(f, 0x0008, 0x0060, nullptr));
    copyToSlot(msg.studyInstanceUID, sizeof msg.studyInstanceUID, tagOr(f, 0x0020, 0x000D, "unknownStudy"));
    copyToSlot(msg.studyID, sizeof msg.studyID, tagOr(f, 0x0020, 0x0010, nullptr));
    copyToSlot(msg.studyDate, sizeof msg.studyDate, tagOr(f, 0x0008, 0x0020, nullptr));
    copyToSlot(msg.studyTime, sizeof msg.studyTime, tagOr(f, 0x0008, 0x0030, nullptr).substr(0, 6));
    copyToSlot(msg.seriesInstanceUID, sizeof msg.seriesInstanceUID, tagOr(f, 0x0020, 0x000E, "unknownSeries"));
    copyToSlot(msg.seriesDate, sizeof msg.seriesDate, tagOr(f, 0x0008, 0x0021, nullptr));
    copyToSlot(msg.seriesTime, sizeof msg.seriesTime, tagOr(f, 0x0008, 0x0031, nullptr).substr(0, 6));
    copyToSlot(msg.studyDescription, sizeof msg.studyDescription, tagOr(f, 0x0008, 0x1030, nullptr));
    copyToSlot(msg.seriesDescription, sizeof msg.seriesDescription, tagOr(f, 0x0008, 0x103E, nullptr));
    copyToSlot(msg.sopInstanceUID, sizeof msg.sopInstanceUID, tagOr(f, 0x0008, 0x0018, "unknownImageUID"));
    copyToSlot(msg.patientName, sizeof msg.patientName, tagOr(f, 0x0010, 0x0010, "ANONYMOUS"));
    copyToSlot(msg.patientID, sizeof msg.patientID, tagOr(f, 0x0010, 0x0020, "EmptyID"));
    copyToSlot(msg.birthDate, sizeof msg.birthDate, tagOr(f, 0x0010, 0x0030, nullptr));
    std::string sex = tagOr(f, 0x0010, 0x0040, nullptr);
    copyToSlot(msg.sex, sizeof msg.sex, (!sex.empty() && (sex[0] == 'F' || sex[0] == 'M')) ? sex.substr(0, 1) : "U");
    copyToSlot(msg.instanceNumber, sizeof msg.instanceNumber, tagOr(f, 0x0020, 0x0013, "0"));
    return true;
}

void setDcmMessageLocation(DCM_MESSAGE& msg, const std::string& fileName, const std::string& folder)
{
    copyToSlot(msg.fileName, sizeof msg.fileName, fileName);
    std::string dir = folder;
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    // A folder that does not fit is refused rather than cut: a cut one names another folder.
    if (dir.size() >= sizeof msg.folder) {
        dcmLog("store: series folder longer than %zu bytes", sizeof msg.folder - 1);
        dir.clear();
    }
    copyToSlot(msg.folder, sizeof msg.folder, dir);
}

std::string dcmStoreFileName(const DCM_MESSAGE& msg, const std::string& sourceName)
{
    // The slot holds "unknownImageUID" when the file has no SOP instance UID of its own.
    std::string uid(msg.sopInstanceUID, strnlen(msg.sopInstanceUID, sizeof msg.sopInstanceUID));
    const std::string& name = (!uid.empty() && uid != "unknownImageUID") ? uid : sourceName;
    return escapePathComponent(name, 200, true);
}

bool placeFileInStore(const std::string& sourcePath, const std::string& root, bool move, DCM_MESSAGE& msg)
{
    if (root.empty()) {
        dcmLog("store: no store root for %s", sourcePath.c_str());
        return false;
    }
    if (!fillDcmMessage(sourcePath, msg))
        return false;
    const std::string folder = seriesFolderOf(msg);
    std::string rootDir = root.back() == '/' ? root : root + "/";
    std::string fileName = dcmStoreFileName(msg, baseName(sourcePath));
    fs::path destDir = rootDir + folder + "/";
    fs::path dest = destDir / fileName;
    // Only the check of the destination and the rename into it happen under the folder lock:
    // from there to the file's arrival no folder of the store goes (resolving a path whose
    // folders vanish meanwhile fails, and a file moved into a going folder would go with it
    // after its peer was told it was stored). Empty `from`: the file is in place already.
    // Sets `refused` when the destination is not to be written, so that no other way is tried.
    bool refused = false;
    auto putInPlace = [&](const std::string& from) {
        std::lock_guard<std::mutex> placing(storeFolderLock());
        std::error_code ec;
        if (!isInside(dest, rootDir)) {
            dcmLog("store: %s would leave the store root", dest.c_str());
            refused = true;
            return std::make_error_code(std::errc::operation_not_permitted);
        }
        fs::create_directories(destDir, ec);
        if (ec) {
            dcmLog("store: cannot create %s: %s", destDir.c_str(), ec.message().c_str());
            refused = true;
            return ec;
        }
        if (from.empty())
            return fs::is_regular_file(dest, ec) ? std::error_code()
                                                 : std::make_error_code(std::errc::no_such_file_or_directory);
        fs::rename(from, dest, ec);
        return ec;
    };
    // Importing a file that is already in its place must not truncate it.
    std::error_code ec;
    const bool same = fs::equivalent(sourcePath, dest, ec);
    std::string scratch;
    if (same) {
        ec = putInPlace(std::string());
    } else if (move) {
        ec = putInPlace(sourcePath);
        // A source that cannot be renamed (another file system) is copied first, outside the lock.
        if (ec && !refused)
            ec = (scratch = copyToScratch(sourcePath, rootDir)).empty() ? std::make_error_code(std::errc::io_error)
                                                                       : putInPlace(scratch);
    } else {
        scratch = copyToScratch(sourcePath, rootDir);
        ec = scratch.empty() ? std::make_error_code(std::errc::io_error) : putInPlace(scratch);
    }
    if (ec) {
        if (!refused)
            dcmLog("store: cannot place %s as %s: %s", sourcePath.c_str(), dest.c_str(), ec.message().c_str());
        if (!scratch.empty())
            fs::remove(scratch, ec);
        return false;
    }
    if (move && !scratch.empty())
        fs::remove(sourcePath, ec);
    setDcmMessageLocation(msg, fileName, folder + "/");
    return msg.folder[0] != 0;
}

bool readStoredFileRecord(const std::string& root, const std::string& folder, const std::string& name,
                          DCM_MESSAGE& msg)
{
    const std::string path = root + folder + "/" + name;
    if (!fillDcmMessage(path, msg)) {
        dcmLog("store: %s is not a DICOM file the store can index; left as it is", path.c_str());
        return false;
    }
    if (seriesFolderOf(msg) != folder || dcmStoreFileName(msg, name) != name) {
        dcmLog("store: %s does not lie where its tags place it; left as it is", path.c_str());
        return false;
    }
    setDcmMessageLocation(msg, name, folder + "/");
    return msg.folder[0] != 0;
}

} // namespace dcmSDK
