#pragma once
// Packing folders into zip archives and unpacking archives into folders, in process,
// through two command-line style entry points and their wrappers.

#include <atomic>
#include <string>

/// Setting this to 1 from any thread stops a running pack before its next file.
/// zipMain clears it when it starts.
extern std::atomic<int> zipCancelRequested;
/// The same flag under the name some callers use.
inline std::atomic<int>& zipCancelFlag = zipCancelRequested;

/// Result of zipMain when cancelled.
constexpr int kZipCancelled = -1000;
/// Result of unzipMain for an archive holding an entry that would land outside the target
/// (absolute name, drive prefix, ".." component or a link); nothing is extracted.
constexpr int kUnzipUnsafeEntry = -1004;

/// Packs every file below `folder` into a new archive; stored names begin with the
/// folder's own name. Posts 1001 with the percent done before each file. True on success.
bool zipFolder(std::string archive, std::string folder, std::string password);
/// Extracts every entry into `folder`, replacing existing files. True on success.
bool unzipFile(std::string archive, std::string folder, std::string password);

/// zip [-0..-9] [-o|-a] [-p password] archive base-folder files...
/// 0 on success, kZipCancelled, -104 without a copy buffer, else a zip library code.
int zipMain(int argc, char** argv);
/// unzip [-e] [-o] [-x] [-p password] archive [entry] [-d folder]
/// 0 on success, 1 no archive, 2 entry not found, kUnzipUnsafeEntry, else an error code.
int unzipMain(int argc, char** argv);
/// CRC-32 of a file; 0 on success, -1 when it cannot be read (crc is then 0).
int zipFileCrc(const char* path, void* buffer, unsigned size, unsigned long* crc);
