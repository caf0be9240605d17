#include "extension/AssetFiles.h"

#include "extension/Manifest.h"

#include <minizip/unzip.h>
#include <openssl/evp.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>
#include <vector>

namespace cocos2d {
namespace extension {

namespace {

namespace fs = std::filesystem;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

struct ZipCloser {
    void operator()(void* zip) const { unzClose(zip); }
};
using Zip = std::unique_ptr<void, ZipCloser>;

std::string tooLarge(long long maxBytes) {
    return "the archive unpacks to more than " + std::to_string(maxBytes) + " bytes";
}

// Names of every entry, or false at the first one that could leave the folder, or when the
// sizes the archive states add up to more than maxBytes.
bool listEntries(unzFile zip, long long maxBytes, std::vector<std::string>& names, std::string& error) {
    unsigned long long stated = 0;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        unz_file_info info;
        char name[1024];
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.size_filename >= sizeof(name)) {
            error = "unreadable archive entry";
            return false;
        }
        std::string entry(name, info.size_filename);
        if (!Manifest::isRelativePathSafe(entry)) {
            error = "unsafe archive entry \"" + entry + "\"";
            return false;
        }
        names.push_back(entry);
        stated += info.uncompressed_size;
        if (stated > static_cast<unsigned long long>(maxBytes)) {
            error = tooLarge(maxBytes);
            return false;
        }
    }
    return true;
}

// Unpacks the current entry, counting its bytes against budget: the sizes an archive states
// may lie, so what is really written is what counts.
bool extractCurrent(unzFile zip, const std::string& target, long long& budget, bool& overBudget) {
    if (!AssetFiles::createParentFolders(target) || unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    File out(std::fopen(target.c_str(), "wb"));
    bool done = out != nullptr;
    char buffer[64 * 1024];
    int read = 0;
    while (done && (read = unzReadCurrentFile(zip, buffer, sizeof(buffer))) > 0) {
        if (read > budget) {
            overBudget = true;
            done = false;
            break;
        }
        budget -= read;
        done = std::fwrite(buffer, 1, static_cast<size_t>(read), out.get()) == static_cast<size_t>(read);
    }
    done = done && read == 0;
    // A bad CRC shows only when the entry is closed.
    done = unzCloseCurrentFile(zip) == UNZ_OK && done;
    if (out && std::fclose(out.release()) != 0)
        done = false;
    return done;
}

// Unpacks every entry below folder, within maxBytes in all; false with a reason.
bool unpackEntries(unzFile zip, const std::vector<std::string>& names, const std::string& folder,
                   long long maxBytes, std::string& error) {
    long long budget = maxBytes;
    size_t index = 0;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK && index < names.size();
         rc = unzGoToNextFile(zip), ++index) {
        const std::string& name = names[index];
        std::string target = folder + name;
        if (name.back() == '/') {
            std::error_code ec;
            fs::create_directories(target, ec);
            if (ec) {
                error = "cannot create " + target;
                return false;
            }
        } else {
            bool overBudget = false;
            if (!extractCurrent(zip, target, budget, overBudget)) {
                error = overBudget ? tooLarge(maxBytes) : "cannot unpack \"" + name + "\"";
                return false;
            }
        }
    }
    return true;
}

// The folder beside folder (which ends with "/") named as it with the suffix added.
std::string besideFolder(const std::string& folder, const char* suffix) {
    std::string beside = folder;
    while (!beside.empty() && beside.back() == '/')
        beside.pop_back();
    return beside + suffix;
}

// What moving the entries in has changed in the folder, in order, so that it can be undone.
struct MoveJournal {
    struct Entry {
        std::string name;
        bool replaced; // the file it replaced waits in the aside folder
    };
    std::vector<Entry> entries;
    std::vector<fs::path> folders; // created, each after the one above it
};

// Creates the folder and those above it that are missing, noting each one created.
bool createFolders(const fs::path& path, MoveJournal& journal) {
    std::error_code ec;
    if (path.empty() || fs::is_directory(path, ec))
        return true;
    if (!createFolders(path.parent_path(), journal))
        return false;
    if (fs::create_directory(path, ec))
        journal.folders.push_back(path);
    return !ec;
}

// Moves one unpacked file over its target; a file there is moved aside first.
bool moveFileIn(const std::string& name, const std::string& staging, const std::string& folder,
                const std::string& aside, MoveJournal& journal) {
    const std::string target = folder + name;
    if (!createFolders(fs::path(target).parent_path(), journal))
        return false;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    // A file does not take the place of a folder, not even an empty one. A missing target
    // (a new file) comes with an error code too.
    if ((ec && status.type() != fs::file_type::not_found) || fs::is_directory(status))
        return false;
    const bool replaces = fs::exists(status);
    if (replaces) {
        if (!AssetFiles::createParentFolders(aside + name))
            return false;
        fs::rename(target, aside + name, ec);
        if (ec)
            return false;
        journal.entries.push_back({name, true});
    }
    fs::rename(staging + name, target, ec);
    if (ec)
        return false;
    if (!replaces)
        journal.entries.push_back({name, false});
    return true;
}

// Undoes the moves, last first: the entries moved in go, the files they replaced come back
// and the folders created go. False when something could not be put back.
bool rollBack(const MoveJournal& journal, const std::string& folder, const std::string& aside) {
    bool whole = true;
    std::error_code ec;
    for (auto entry = journal.entries.rbegin(); entry != journal.entries.rend(); ++entry) {
        const std::string target = folder + entry->name;
        if (entry->replaced)
            fs::rename(aside + entry->name, target, ec);
        else
            fs::remove(target, ec);
        whole = whole && !ec;
    }
    for (auto created = journal.folders.rbegin(); created != journal.folders.rend(); ++created) {
        fs::remove(*created, ec);
        whole = whole && !ec;
    }
    return whole;
}

// True when nothing but folders lies below folder (links are not followed).
bool holdsOnlyFolders(const std::string& folder) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (!fs::is_directory(it->symlink_status(ec)))
            return false;
    return !ec;
}

// True when no file waits in the aside folder (one holding only folders is removed). What an
// earlier update left there may be the only copies of the files it replaced (its undoing
// failed, or it was cut off), so no update goes on over them: false, with a reason naming the
// folder.
bool asideFolderClear(const std::string& aside, std::string& error) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(aside, ec);
    if (status.type() == fs::file_type::not_found)
        return true;
    if (fs::is_directory(status) && holdsOnlyFolders(aside)) {
        fs::remove_all(aside, ec);
        if (!ec)
            return true;
    }
    error = "files an earlier update replaced are still in " + aside + "; put them back or remove them first";
    return false;
}

// Moves the unpacked entries from staging into folder, over the files they replace, or,
// when one cannot be moved in, puts back what was moved before it.
bool moveEntries(const std::vector<std::string>& names, const std::string& staging, const std::string& folder,
                 const std::string& aside, std::string& error) {
    if (!asideFolderClear(aside, error))
        return false;
    std::error_code ec;
    MoveJournal journal;
    std::set<std::string> moved;
    for (const std::string& name : names) {
        bool done = true;
        if (name.back() == '/')
            done = createFolders(fs::path(folder + name.substr(0, name.size() - 1)), journal);
        else if (!moved.insert(name).second)
            continue; // named twice: unpacked once, the later copy over the earlier
        else
            done = moveFileIn(name, staging, folder, aside, journal);
        if (!done) {
            error = "cannot move \"" + name + "\" into place";
            if (rollBack(journal, folder, aside))
                fs::remove_all(aside, ec);
            else // the replaced files left aside may be the only copies: they stay
                error += "; the folder could not be put back whole, the replaced files are in " + aside;
            return false;
        }
    }
    fs::remove_all(aside, ec);
    return true;
}

} // namespace

std::string AssetFiles::md5OfFile(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return "";
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1)
        return "";
    char buffer[64 * 1024];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0)
        EVP_DigestUpdate(context.get(), buffer, read);
    if (std::ferror(file.get()))
        return "";
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
        return "";
    static const char* const kHex = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

bool AssetFiles::unzip(const std::string& zipPath, const std::string& folder, std::string& error,
                       long long maxBytes) {
    Zip zip(unzOpen64(zipPath.c_str()));
    if (!zip) {
        error = "not a zip archive";
        return false;
    }
    std::vector<std::string> names;
    if (!listEntries(zip.get(), maxBytes, names, error))
        return false;
    // Unpacked beside the folder and moved in only once every entry is whole, so an archive
    // that fails part-way (past the limit, damaged) leaves the folder as it was. Replaced
    // files go beside it too, so that they move aside within one file system; they are
    // checked for before the unpacking as well, which they would make wasted work.
    const std::string staging = besideFolder(folder, ".unpacking/");
    const std::string aside = besideFolder(folder, ".replaced/");
    if (!asideFolderClear(aside, error))
        return false;
    std::error_code ec;
    fs::remove_all(staging, ec);
    bool done = unpackEntries(zip.get(), names, staging, maxBytes, error) &&
                moveEntries(names, staging, folder, aside, error);
    fs::remove_all(staging, ec);
    return done;
}

std::string AssetFiles::readFile(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    std::string text;
    char buffer[64 * 1024];
    size_t read = 0;
    while (file && (read = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0)
        text.append(buffer, read);
    return text;
}

bool AssetFiles::writeFileAtomically(const std::string& path, const std::string& text) {
    if (!createParentFolders(path))
        return false;
    std::string temporary = path + ".tmp";
    File out(std::fopen(temporary.c_str(), "wb"));
    bool done = out && std::fwrite(text.data(), 1, text.size(), out.get()) == text.size();
    if (out && std::fclose(out.release()) != 0)
        done = false;
    if (done)
        done = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!done)
        std::remove(temporary.c_str());
    return done;
}

bool AssetFiles::createParentFolders(const std::string& path) {
    fs::path parent = fs::path(path).parent_path();
    std::error_code ec;
    if (parent.empty() || fs::is_directory(parent, ec))
        return true;
    fs::create_directories(parent, ec);
    return !ec;
}

} // namespace extension
} // namespace cocos2d
