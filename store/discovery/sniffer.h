#pragma once
// LAN discovery of other installations: listens on UDP port 12389, answers pings, reports
// installations it hears from as 2017, and sweeps the local subnets with pings.

#include "discovery/udpComm.h"
#include "json/UIJson.h"

#include <atomic>
#include <string>
#include <thread>

namespace NSUI {

/// A process-wide singleton, created on the main thread at launch. Its threads only send
/// datagrams and post notifications; they never touch the engine.
class sniffer : public udpComm, public UIJson {
public:
    /// Creates the singleton on first use and, unless the network is IPv6, starts its
    /// receive loop.
    static sniffer* getInstance();
    /// The singleton, or null when it was never created (or already shut down).
    static sniffer* peekInstance();
    /// Asks the receive loop and a running sweep to stop, waits for both in 5 ms steps up to
    /// maxWaitMs, then deletes the singleton. No singleton: returns at once. Threads that did
    /// not end in time keep the object (it is leaked, not freed under them); false then.
    static bool shutdownInstance(unsigned maxWaitMs = 2000);
    /// The port the next singleton listens and sends on (tests choose a free one).
    static void setDefaultPort(int port);
    /// The local address the next singleton listens and sends on; empty (the default) for
    /// every local address. Several installations on one machine each take an address.
    static void setDefaultBindAddress(const std::string& address);

    /// Reads whether a user is signed in ("app_logined", "1" or "0") and the user's id.
    using LoginStateReader = void (*)(std::string& logined, std::string& userId);
    /// The account lives above this library: the application installs its reader here.
    /// Without one, datagrams go out as from a user who is not signed in.
    static void setLoginStateReader(LoginStateReader reader);

    ~sniffer() override;

    /// Starts one ping sweep on its own thread unless one is running, discovery is stopping or
    /// the network is IPv6. Called on the main thread.
    void startPingSweep();
    bool isPingSweeping() const { return _sweeping; }

    /// Answers a ping with a response to the datagram's source address and posts 2017 for
    /// every other installation, naming that source as its address: the address the text
    /// claims is never answered, reported or stored.
    void onReceive(const char* text, int length) override;

    static constexpr int kDefaultPort = 12389;
    static constexpr int kBufferSize = 1024;
    static constexpr unsigned kDiscoveredId = 2017;

private:
    sniffer(int port, const std::string& bindAddress, const std::string& appIdentifier);

    /// The discovery datagram of this host with the given command.
    std::string buildMessage(const std::string& command, const std::string& firstAddress,
                             const std::string& hostName) const;
    void pingSweep();

    const std::string _appIdentifier;
    std::atomic<bool> _sweeping{false};
    std::thread _sweepThread;
};

} // namespace NSUI
