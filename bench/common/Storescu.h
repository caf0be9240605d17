#pragma once
// DCMTK's storescu and storescp as the benchmarks' peers and yardstick: command lines, a storescp
// on a free port, and the time of one transfer to it.

#include "net_harness.h"

#include "bench/common/BenchRun.h"
#include "bench/common/BenchTiming.h"

#include <memory>
#include <string>
#include <vector>

namespace benchcommon {

using Env = std::vector<std::string>;

/// storescu to 127.0.0.1:port with only the presentation contexts its files need (-R), the
/// given options, then the files or folders to send.
inline std::vector<std::string> storescuArgs(int port, const std::vector<std::string>& options,
                                             const std::vector<std::string>& inputs)
{
    std::vector<std::string> args = {"storescu", "-R"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("127.0.0.1");
    args.push_back(std::to_string(port));
    args.insert(args.end(), inputs.begin(), inputs.end());
    return args;
}

/// DCMTK's storescp on a free loopback port, writing into work/storescp (emptied first); it
/// answers each file once written. Stopped when dropped.
class Storescp {
public:
    explicit Storescp(const std::string& work, const Env& env = nettest::currentEnvironment())
        : _port(nettest::freePort())
    {
        const std::string out = work + "/storescp";
        freshFolder(out);
        _process.reset(new nettest::Process({"storescp", "-od", out, std::to_string(_port)}, work + "/storescp.log", env));
        _listening = nettest::waitForListener(_port);
    }
    int port() const { return _port; }
    bool listening() const { return _listening; }

private:
    const int _port;
    std::unique_ptr<nettest::Process> _process;
    bool _listening = false;
};

/// Seconds from storescu's start to its exit, sending the inputs with those options to a
/// storescp of its own; both run with env. -1 on failure.
inline double timeStorescp(const std::string& work, const std::vector<std::string>& options,
                           const std::vector<std::string>& inputs, const Env& env = nettest::currentEnvironment())
{
    Storescp scp(work, env);
    if (!scp.listening())
        return -1;
    const auto t0 = Clock::now();
    nettest::Process scu(storescuArgs(scp.port(), options, inputs), work + "/storescu.log", env);
    if (scu.wait(600) != 0)
        return -1;
    return secondsSince(t0);
}

} // namespace benchcommon
