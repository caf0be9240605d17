#include "platform/FileChooser.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>
#include <vector>

#include "base/Director.h"
#include "base/Scheduler.h"
#include "base/ccLog.h"
#include "ui/FileBrowser.h"

extern char** environ;

namespace cocos2d {

namespace {

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

// Runs the program with its arguments (no shell, so names are never interpreted) and returns
// what it printed; exit code in status.
std::string runAndRead(const std::string& program, const std::vector<std::string>& args, int* status) {
    int pipeFds[2];
    *status = -1;
    // Close-on-exec, so that programs other threads start meanwhile do not keep the write end
    // open (the read below would then never see the end); dup2 clears the flag for the child.
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string out;
    if (rc == 0) {
        char buf[4096];
        ssize_t n;
        while ((n = read(pipeFds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
            if (n > 0)
                out.append(buf, static_cast<size_t>(n));
        }
        int wstatus = 0;
        pid_t waited;
        while ((waited = waitpid(pid, &wstatus, 0)) < 0 && errno == EINTR) {
        }
        if (waited == pid && WIFEXITED(wstatus))
            *status = WEXITSTATUS(wstatus);
    }
    close(pipeFds[0]);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

} // namespace

FileChooser* FileChooser::getInstance() {
    static FileChooser* instance = new FileChooser();
    return instance;
}

bool FileChooser::hasDesktopDialog() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    bool screen = (display && *display) || (wayland && *wayland);
    return screen && !findProgram("zenity").empty();
}

void FileChooser::chooseFile(const std::string& title, const std::string& startFolder, const Callback& done) {
    if (_open) {
        if (done)
            done(std::string());
        return;
    }
    _open = true;
    Callback finish = [this, done](const std::string& path) {
        _open = false;
        if (done)
            done(path);
    };
    const std::string start = startFolder.empty() ? homeFolder() : startFolder;
    if (_provider)
        _provider(title, start, finish);
    else if (hasDesktopDialog())
        runDesktopDialog(title, start, finish);
    else
        runInWindowBrowser(title, start, finish);
}

void FileChooser::runDesktopDialog(const std::string& title, const std::string& startFolder,
                                   const Callback& done) {
    const std::string program = findProgram("zenity");
    std::string start = startFolder;
    if (!start.empty() && start.back() != '/')
        start += '/';
    std::vector<std::string> args = {"--file-selection", "--title=" + title, "--filename=" + start};
    Scheduler* scheduler = Director::getInstance()->getScheduler();
    // The dialog runs on its own thread; the frame loop goes on meanwhile.
    std::thread([program, args, scheduler, done] {
        int status = -1;
        std::string path = runAndRead(program, args, &status);
        if (status != 0) {
            if (status != 1) // 1 is the user's cancel
                log("FileChooser: the desktop dialog failed (status %d)", status);
            path.clear();
        }
        scheduler->performFunctionInCocosThread([done, path] { done(path); });
    }).detach();
}

void FileChooser::runInWindowBrowser(const std::string& title, const std::string& startFolder,
                                     const Callback& done) {
    if (!ui::FileBrowser::show(title, startFolder, done)) {
        log("FileChooser: no scene to show a folder browser on");
        Director::getInstance()->getScheduler()->performFunctionInCocosThread(
            [done] { done(std::string()); });
    }
}

} // namespace cocos2d
