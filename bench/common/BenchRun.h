#pragma once
// What every network benchmark does at its start: refuse to run outside the private network
// namespace, read its numeric arguments and make its scratch folder under /tmp.

#include "net/LoopbackGuard.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

namespace benchcommon {

/// True inside the private network namespace (scripts/run-isolated), with every connection held
/// to loopback; otherwise says how to run the program and returns false.
inline bool runsIsolated(const char* name, const char* argv0)
{
    const char* isolated = std::getenv("QP_ISOLATED");
    if (!isolated || std::string(isolated) != "1") {
        std::fprintf(stderr, "%s opens network ports: run it as scripts/run-isolated %s\n", name, argv0);
        return false;
    }
    dcmSDK::LoopbackGuard::setEnforced(true);
    return true;
}

/// The number in argv[index], at least `least`; `fallback` when it was not given.
inline int intArg(int argc, char** argv, int index, int fallback, int least = 1)
{
    return argc > index ? std::max(least, std::atoi(argv[index])) : fallback;
}

/// A new, empty folder /tmp/<name>-XXXXXX; empty on failure.
inline std::string makeWorkFolder(const std::string& name)
{
    std::string templ = "/tmp/" + name + "-XXXXXX";
    return mkdtemp(&templ[0]) ? templ : std::string();
}

/// Empties the folder, making it when missing.
inline void freshFolder(const std::string& path)
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    std::filesystem::create_directories(path, ec);
}

} // namespace benchcommon
