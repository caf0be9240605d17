#include "support/TestSupport.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;

namespace qptest {

TempDir::TempDir() {
    std::string templ = (fs::temp_directory_path() / "qptest-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    _path = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(_path, ec);
}

std::string TempDir::file(const std::string& name) const { return (fs::path(_path) / name).string(); }

std::string pydicomDir() { return QP_PYDICOM_DIR; }
std::string sourceDir() { return QP_SOURCE_DIR; }
std::string binaryDir() { return QP_BINARY_DIR; }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string workstationProgram() {
    const std::string program = binaryDir() + "/proj.linux/workstation";
    if (::access(program.c_str(), X_OK) != 0 || !std::getenv("DISPLAY")) return {};
    return program;
}

pid_t startProgram(const std::string& program, const std::vector<std::string>& env, const std::string& logPath) {
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        bool replaced = false;
        for (const std::string& own : env)
            replaced = replaced || entry.compare(0, own.find('=') + 1, own, 0, own.find('=') + 1) == 0;
        if (!replaced) entries.push_back(entry);
    }
    entries.insert(entries.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (std::string& e : entries) envp.push_back(&e[0]);
    envp.push_back(nullptr);
    std::string arg0 = program;
    char* argv[] = {&arg0[0], nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

bool stopProgram(pid_t pid, int& status, int maxSeconds) {
    if (kill(pid, SIGTERM) != 0) return false;
    pid_t ended = 0;
    for (int i = 0; i < maxSeconds * 20 && ended == 0; ++i) {
        ended = waitpid(pid, &status, WNOHANG);
        if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (ended != 0) return true;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
}

} // namespace qptest
