#pragma once
// One run of the real workstation program on a private display, with a fresh writable
// folder, seen from outside: its window, its log, its child processes and its study store.

#include "XSession.h"

#include "tests/support/TestSupport.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace acceptance {

class WorkstationRun {
public:
    static constexpr const char* kWindowTitle = "DICOM Workstation";

    /// Nothing starts yet; `home` holds the writable folder and the log.
    WorkstationRun(const XSession& screen, const std::string& home);
    ~WorkstationRun();

    /// Starts the program and waits for its window.
    bool start();
    unsigned long window() const { return _window; }
    pid_t pid() const { return _pid; }
    std::string log() const;

    /// Closes the window as a user would and waits for the program to end; false when it
    /// did not end. exitCode() then tells how it ended (-1 for a signal).
    bool close();
    int exitCode() const { return _exitCode; }
    /// Processes the program started that are still alive.
    std::vector<pid_t> children() const;

    std::string storeFile() const { return _writable + "qp/dicom/dicomDB"; }
    std::string storeFolder() const { return _writable + "qp/dicom/"; }
    /// One value (the first column of the first row) the sqlite3 command gives for `sql`.
    std::string query(const std::string& sql) const;
    int count(const std::string& table) const;

private:
    const XSession& _screen;
    std::string _home;
    std::string _writable;
    pid_t _pid = 0;
    unsigned long _window = 0;
    int _exitCode = -1;
    std::vector<pid_t> _children;
};

/// Moves this test process into a network namespace of its own with only loopback up, so
/// the program's fixed receiver port and discovery traffic meet no other test. False when
/// that is not allowed (the tests run outside scripts/run-isolated).
bool enterPrivateNetwork();

} // namespace acceptance
