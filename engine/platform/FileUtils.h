#pragma once
// Finds resources along the search paths and reads, writes and manages files and folders.
// Safe to use from any thread.

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Data.h"
#include "base/Value.h"

namespace cocos2d {

class FileUtils {
public:
    static FileUtils* getInstance();
    static void destroyInstance();
    virtual ~FileUtils();

    /// Forgets the cached resolutions of file names.
    void purgeCachedEntries();

    /// Relative folders are taken from the resource root; the root itself is always searched last.
    void setSearchPaths(const std::vector<std::string>& searchPaths);
    std::vector<std::string> getSearchPaths() const;
    std::vector<std::string> getOriginalSearchPaths() const;
    void addSearchPath(const std::string& path, bool front = false);
    /// Subfolders tried, in order, inside each search path ("" is the search path itself).
    void setSearchResolutionsOrder(const std::vector<std::string>& orders);
    void addSearchResolutionsOrder(const std::string& order, bool front = false);
    std::vector<std::string> getSearchResolutionsOrder() const;
    /// The folder relative search paths hang from (the working folder at start).
    void setDefaultResourceRootPath(const std::string& path);
    std::string getDefaultResourceRootPath() const;

    /// The first existing file among every search path × resolution order; an absolute name is
    /// returned when it exists. "" (with one log line) when nothing is found.
    std::string fullPathForFilename(const std::string& filename) const;

    /// The per-user folder for data the program writes, ending in '/'; created when missing.
    /// QP_WRITABLE_PATH overrides it, then $XDG_DATA_HOME/dicom-workstation/, then
    /// ~/.local/share/dicom-workstation/.
    std::string getWritablePath() const;
    /// Fixes the writable path (empty: back to the environment's).
    void setWritablePath(const std::string& path);

    bool isAbsolutePath(const std::string& path) const;
    /// Resolves relative names along the search paths; true for regular files only.
    bool isFileExist(const std::string& filename) const;
    bool isDirectoryExist(const std::string& dirPath) const;
    /// Creates the folder and any missing parents.
    bool createDirectory(const std::string& dirPath);
    /// Removes the folder with everything in it; symbolic links are removed, never followed.
    bool removeDirectory(const std::string& dirPath);
    bool removeFile(const std::string& filepath);
    bool renameFile(const std::string& path, const std::string& oldname, const std::string& name);
    bool renameFile(const std::string& oldfullpath, const std::string& newfullpath);
    /// Size in bytes, or -1 when the file does not exist.
    long getFileSize(const std::string& filepath) const;
    /// Lower-case extension with its dot (".png"), or "".
    std::string getFileExtension(const std::string& filePath) const;
    /// Entries of a folder as full paths, folders ending in '/'.
    std::vector<std::string> listFiles(const std::string& dirPath) const;

    /// Whole file; empty when it cannot be read (one log line).
    Data getDataFromFile(const std::string& filename) const;
    std::string getStringFromFile(const std::string& filename) const;

    /// The write and the close must both succeed for true.
    bool writeStringToFile(const std::string& dataStr, const std::string& fullPath);
    bool writeDataToFile(const Data& data, const std::string& fullPath);
    /// Writes a temporary file beside the target and renames it over the target, so readers
    /// see either the old or the new contents.
    bool writeFileAtomically(const std::string& bytes, const std::string& fullPath);

    /// XML property lists; an empty map or list when the file is missing or malformed.
    ValueMap getValueMapFromFile(const std::string& filename) const;
    ValueMap getValueMapFromData(const char* filedata, int filesize) const;
    ValueVector getValueVectorFromFile(const std::string& filename) const;
    bool writeValueMapToFile(const ValueMap& dict, const std::string& fullPath);
    bool writeValueVectorToFile(const ValueVector& vecData, const std::string& fullPath);
    bool writeToFile(const ValueMap& dict, const std::string& fullPath) { return writeValueMapToFile(dict, fullPath); }

protected:
    FileUtils();

    bool readWholeFile(const std::string& fullPath, std::string& out) const;
    bool writeBytes(const char* bytes, size_t size, const std::string& fullPath);
    std::string normalizeFolder(const std::string& path) const;
    void rebuildSearchPathsLocked();

    mutable std::mutex _mutex;
    std::vector<std::string> _originalSearchPaths;
    std::vector<std::string> _searchPaths;
    std::vector<std::string> _resolutionsOrder;
    std::string _defaultResRootPath;
    std::string _writablePath;
    mutable std::unordered_map<std::string, std::string> _fullPathCache;
};

} // namespace cocos2d
