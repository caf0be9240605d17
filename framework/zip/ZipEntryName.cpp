#include "zip/ZipEntryName.h"

#include <cctype>

namespace NSUI {

bool isSafeZipEntryName(const std::string& name)
{
    if (name.find('\0') != std::string::npos)
        return false;
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        return false;
    if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':')
        return false;
    size_t begin = 0;
    while (begin <= name.size()) {
        size_t end = name.find_first_of("/\\", begin);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(begin, end - begin, "..") == 0)
            return false;
        begin = end + 1;
    }
    return true;
}

std::string normalizedZipEntryName(const std::string& name)
{
    std::string out = name;
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    return out;
}

} // namespace NSUI
