#include "db/StorePaths.h"

#include "cocos2d.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace StorePaths {

namespace {

// Splits at "/" after dropping trailing ones; false for an unusable component.
bool components(const std::string& relative, std::vector<std::string>& parts)
{
    std::string path = relative;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    if (path.empty() || path.front() == '/')
        return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        for (unsigned char c : part)
            if (c < 0x20 || c == 0x7F || c == '\\')
                return false;
        parts.push_back(part);
        start = end + 1;
    }
    return true;
}

} // namespace

bool parseRowId(const std::string& text, long long& id)
{
    const char* begin = text.c_str();
    while (*begin == ' ')
        ++begin;
    if (*begin < '0' || *begin > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    long long value = strtoll(begin, &end, 10);
    while (*end == ' ')
        ++end;
    if (errno != 0 || *end != 0 || value <= 0)
        return false;
    id = value;
    return true;
}

bool isSeriesPath(const std::string& relative)
{
    std::vector<std::string> parts;
    return components(relative, parts) && parts.size() >= 3;
}

std::vector<std::string> foldersAboveSeries(const std::string& relative)
{
    std::vector<std::string> parts;
    if (!components(relative, parts) || parts.size() < 3)
        return {};
    std::vector<std::string> folders;
    for (size_t keep = parts.size() - 1; keep + 2 >= parts.size(); --keep) {
        std::string folder;
        for (size_t i = 0; i < keep; ++i)
            folder += parts[i] + "/";
        folders.push_back(folder);
    }
    return folders;
}

namespace {

// root + relative once links are resolved, when it lies strictly below the root; false, with a
// log line, otherwise.
bool targetInside(const std::string& root, const std::string& relative, fs::path& target)
{
    std::vector<std::string> parts;
    if (root.empty() || !components(relative, parts)) {
        cocos2d::log("store: refusing to remove folder '%s' below '%s'", relative.c_str(), root.c_str());
        return false;
    }
    std::error_code ec;
    fs::path base = fs::weakly_canonical(fs::path(root), ec);
    if (ec)
        return false;
    target = fs::weakly_canonical(fs::path(root) / relative, ec);
    if (ec)
        return false;
    auto b = base.begin(), t = target.begin();
    for (; b != base.end() && !b->empty(); ++b, ++t)
        if (t == target.end() || *b != *t)
            break;
    if ((b != base.end() && !b->empty()) || t == target.end() || t->empty()) {
        cocos2d::log("store: folder '%s' lies outside the store root", relative.c_str());
        return false;
    }
    return true;
}

// Applies `change` to root + relative when that folder lies inside root; true when it was done
// or there was nothing there, false (with a log line naming `what`) when it failed.
template <typename Change>
bool changeFolderInside(const std::string& root, const std::string& relative, const char* what, Change change)
{
    fs::path target;
    if (!targetInside(root, relative, target))
        return false;
    std::error_code ec;
    if (!fs::exists(target, ec))
        return true;
    change(target, ec);
    if (ec) {
        cocos2d::log("store: cannot %s '%s': %s", what, target.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

} // namespace

bool removeFolderInside(const std::string& root, const std::string& relative)
{
    return changeFolderInside(root, relative, "remove",
                              [](const fs::path& target, std::error_code& ec) { fs::remove_all(target, ec); });
}

bool moveFolderInside(const std::string& root, const std::string& relative, const std::string& aside, bool& moved)
{
    moved = false;
    return changeFolderInside(root, relative, "move aside", [&](const fs::path& target, std::error_code& ec) {
        fs::rename(target, aside, ec);
        moved = !ec;
    });
}

bool removeEmptyFolderInside(const std::string& root, const std::string& relative)
{
    fs::path target;
    if (!targetInside(root, relative, target))
        return false;
    std::error_code ec;
    if (!fs::is_directory(target, ec))
        return !fs::exists(target, ec);
    if (!fs::is_empty(target, ec) || ec)
        return false;
    fs::remove(target, ec);
    return !ec;
}

} // namespace StorePaths
