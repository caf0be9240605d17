#include "WorkstationRun.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sched.h>
#include <sys/wait.h>

namespace acceptance {

WorkstationRun::WorkstationRun(const XSession& screen, const std::string& home)
    : _screen(screen), _home(home), _writable(home + "/writable/") {}

WorkstationRun::~WorkstationRun() {
    if (_pid > 0) {
        int status = 0;
        qptest::stopProgram(_pid, status);
    }
}

bool WorkstationRun::start() {
    const std::string program = qptest::binaryDir() + "/proj.linux/workstation";
    std::vector<std::string> env = {
        "DISPLAY=" + _screen.name(),
        "HOME=" + _home,
        "QP_WRITABLE_PATH=" + _writable,
        // One address of a small network on loopback: the send screen offers its typed row
        // and the discovery sweep stays within eight addresses.
        "QP_LOCAL_NETWORK=127.0.0.2/255.255.255.248",
    };
    _exitCode = -1;
    _pid = qptest::startProgram(program, env, _home + "/program.log");
    if (_pid <= 0)
        return false;
    return poll([this] { return (_window = _screen.findWindow(kWindowTitle)) != 0; });
}

std::string WorkstationRun::log() const {
    return qptest::readFile(_home + "/program.log");
}

std::vector<pid_t> WorkstationRun::children() const {
    std::vector<pid_t> alive;
    std::vector<pid_t> known = _children;
    if (_pid > 0) {
        // Every thread's direct children.
        const std::string tasks = "/proc/" + std::to_string(_pid) + "/task";
        if (DIR* dir = opendir(tasks.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::ifstream in(tasks + "/" + entry->d_name + "/children");
                pid_t child = 0;
                while (in >> child)
                    known.push_back(child);
            }
            closedir(dir);
        }
    }
    for (pid_t child : known)
        if (kill(child, 0) == 0)
            alive.push_back(child);
    return alive;
}

bool WorkstationRun::close() {
    if (_pid <= 0)
        return false;
    _children = children();
    _screen.requestClose(_window);
    int status = 0;
    pid_t ended = 0;
    poll([&] { return (ended = waitpid(_pid, &status, WNOHANG)) != 0; }, 600);
    if (ended != _pid)
        return false;
    _pid = 0;
    _exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

std::string WorkstationRun::query(const std::string& sql) const {
    const std::string command = "sqlite3 -readonly '" + storeFile() + "' \"" + sql + "\" 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

int WorkstationRun::count(const std::string& table) const {
    const std::string n = query("select count(*) from " + table);
    return n.empty() ? -1 : std::atoi(n.c_str());
}

bool enterPrivateNetwork() {
    if (!std::getenv("QP_ISOLATED") || unshare(CLONE_NEWNET) != 0)
        return false;
    return std::system("ip link set lo up") == 0;
}

} // namespace acceptance
