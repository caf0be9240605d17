#pragma once
// Whole-file reading and writing, copying of files and folders, directory listings and
// file times. Paths are UTF-8 with "/" as the separator.

#include <string>
#include <vector>

/// Largest file readFileData accepts: sizes are ints, so 2 GiB and more are refused.
constexpr long long kReadFileLimit = 0x7FFFFFFFLL - 16;

/// The whole file (found through the engine's search paths) in a new[] array with ten spare
/// zero bytes after it; text mode stops at the first NUL and terminates the text. Null and
/// size 0 for a missing, empty or too large file. The caller frees it with delete[].
char* readFileData(const char* path, int& size, bool binary);
/// Creates the missing folders of the path, then writes the bytes; true only when the whole
/// write and the close succeeded.
bool writeBufferToFile(const char* path, const void* data, int size);
bool writeStringToFile(const char* path, std::string text);
/// Copies one file (any size, empty ones too), creating the target's folders.
bool copyFile(std::string from, std::string to);
/// Copies every file below `from` to the same place below `to`.
bool copyDirectory(std::string from, std::string to);

/// Appends the regular files of `dir` (bare names or dir + "/" + name), descending into
/// sub-folders whose names do not begin with "." when `recursive`. Folder links are not
/// followed, so a link back up the tree cannot loop.
void listFiles(std::string dir, std::vector<std::string>& out, bool recursive, bool withPath);
/// The path less its trailing "/"s ("/" itself stays).
std::string withoutTrailingSlash(std::string dir);
/// Appends the sub-folders of `dir` not beginning with ".": names, or with `withPath`
/// dir + "/" + name.
void listSubDirectories(std::string dir, std::vector<std::string>& out, bool withPath = false);

/// "%i.%i.%i %i:%i:%i" of the file's creation time (its last change when the file system
/// keeps none) in UTC; "" for an empty path; the current local time text when unknown.
std::string getFileCreateTime(std::string path);

/// The platform's folder and mail hooks: nothing to give on this platform.
std::string getPlatformPath();
std::string getPlatformPath(const std::string& subject, const std::string& body,
                            const std::string& extra);
