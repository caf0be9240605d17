#include "http/ParentPath.h"

namespace NSUI {

std::string getParentPath(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '/')
        trimmed.pop_back();
    size_t separator = trimmed.find_last_of("/\\");
    if (separator == std::string::npos)
        return std::string();
    return trimmed.substr(0, separator);
}

} // namespace NSUI
