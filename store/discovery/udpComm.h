#pragma once
// A UDP endpoint on one port: a receive loop on its own thread that hands each decoded
// datagram to onReceive, and sends of Base64 texts to a host of the local network.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace NSUI {

/// The receive loop polls its stop request between datagrams (its socket gives up waiting
/// after 20 ms), so stopping never waits for traffic. Flags are atomic: the loop's thread
/// writes the running flag, the owner's thread reads it.
class udpComm {
public:
    /// bindAddress: the local IPv4 address both sockets use; empty for every local address
    /// (the receive socket) and the system's choice (the sending socket).
    udpComm(int port, int bufferSize, const std::string& bindAddress = std::string());
    /// Stops the loop and joins it; closes the sending socket. A subclass whose onReceive
    /// uses its own members stops the loop in its own destructor first.
    virtual ~udpComm();
    /// Called on the receive thread with each datagram's decoded text. Datagrams that do not
    /// fit the buffer with room for a terminator, or are not Base64, never get here.
    virtual void onReceive(const char* text, int length);

    /// Starts the receive loop on its own thread unless it is running.
    void startReceive();
    /// Sends the Base64 text of `text` twice to ip at this endpoint's port: 0 sent, -1 no
    /// sending socket, -2 not an IPv4 address, -4 the encoded text does not fit the buffer.
    int sendTo(const char* ip, const char* text);

    void requestStop() { _stop = true; }
    bool isStopRequested() const { return _stop; }
    bool isReceiving() const { return _running; }
    /// The port actually bound (the configured one, or the system's choice for port 0);
    /// 0 before the loop has bound its socket.
    int getBoundPort() const { return _boundPort; }
    int getPort() const { return _port; }

    static constexpr int kReceiveTimeoutMs = 20;

protected:
    /// Waits in 5 ms steps until `done` holds or maxWaitMs has passed; true when it held.
    static bool waitUntil(const std::function<bool()>& done, unsigned maxWaitMs);
    /// Joins a finished thread, or detaches one that is still running.
    static void reap(std::thread& thread, bool finished);
    /// Ends the receive loop; true when it ended within the wait. When it did not, the
    /// thread is left running and the object must not be destroyed.
    bool stopReceive(unsigned maxWaitMs);
    /// The source address of the datagram onReceive is handling; read it only there.
    const std::string& senderAddress() const { return _sender; }

    const int _port;
    const int _bufferSize;
    const std::string _bindAddress;

private:
    void receiveLoop();
    /// A new sending socket, bound to the endpoint's address when it has one; -1 on failure.
    int openSendSocket() const;

    std::atomic<bool> _stop{false};
    std::atomic<bool> _running{false};
    std::atomic<int> _boundPort{0};
    std::thread _receiveThread;
    std::string _sender; // written and read on the receive thread only
    std::mutex _sendMutex;
    int _sendSocket = -1;
};

} // namespace NSUI
