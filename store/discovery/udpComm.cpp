#include "discovery/udpComm.h"

#include "cocos2d.h"
#include "util/TimeUtils.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace NSUI {

namespace {

/// An IPv4 socket address; an empty text is every local address. False for a text that is
/// not a dotted IPv4 address.
bool makeAddress(const std::string& ip, int port, sockaddr_in& out) {
    out = sockaddr_in{};
    out.sin_family = AF_INET;
    out.sin_port = htons(static_cast<uint16_t>(port));
    if (ip.empty()) {
        out.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    return inet_pton(AF_INET, ip.c_str(), &out.sin_addr) == 1;
}

} // namespace

udpComm::udpComm(int port, int bufferSize, const std::string& bindAddress)
    : _port(port), _bufferSize(bufferSize < 2 ? 2 : bufferSize), _bindAddress(bindAddress) {}

udpComm::~udpComm() {
    // The loop polls the request every 20 ms, so this join is short.
    _stop = true;
    if (_receiveThread.joinable())
        _receiveThread.join();
    std::lock_guard<std::mutex> lock(_sendMutex);
    if (_sendSocket >= 0) {
        close(_sendSocket);
        _sendSocket = -1;
    }
}

void udpComm::onReceive(const char*, int) {}

bool udpComm::waitUntil(const std::function<bool()>& done, unsigned maxWaitMs) {
    for (unsigned waited = 0; !done(); waited += 5) {
        if (waited >= maxWaitMs)
            return false;
        sleepFor(0, 5000000);
    }
    return true;
}

void udpComm::reap(std::thread& thread, bool finished) {
    if (!thread.joinable())
        return;
    if (finished) {
        thread.join();
    } else {
        // Joining would hang the caller; the owner must then keep the object alive.
        thread.detach();
    }
}

void udpComm::startReceive() {
    if (_running)
        return;
    reap(_receiveThread, true);
    _stop = false;
    _running = true;
    _receiveThread = std::thread(&udpComm::receiveLoop, this);
}

bool udpComm::stopReceive(unsigned maxWaitMs) {
    _stop = true;
    bool ended = waitUntil([this] { return !_running; }, maxWaitMs);
    reap(_receiveThread, ended);
    return ended;
}

void udpComm::receiveLoop() {
    int sock = socket(AF_INET, SOCK_DGRAM, 0);
    if (sock < 0) {
        cocos2d::log("udpComm: cannot create the receive socket: %s", strerror(errno));
        _running = false;
        return;
    }
    sockaddr_in addr{};
    if (!makeAddress(_bindAddress, _port, addr) ||
        bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        cocos2d::log("udpComm: cannot bind %s port %d: %s", _bindAddress.empty() ? "*" : _bindAddress.c_str(),
                     _port, strerror(errno));
        close(sock);
        _running = false;
        return;
    }
    socklen_t len = sizeof(addr);
    if (getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        _boundPort = ntohs(addr.sin_port);
    // The time-out is what lets the loop see a stop request while the network is quiet.
    timeval timeout{0, kReceiveTimeoutMs * 1000};
    setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));

    std::vector<char> buffer(static_cast<size_t>(_bufferSize));
    while (!_stop) {
        std::fill(buffer.begin(), buffer.end(), 0);
        sockaddr_in from{};
        socklen_t fromLength = sizeof(from);
        // MSG_TRUNC reports a datagram's whole length, so a cut one is seen and dropped.
        ssize_t got = recvfrom(sock, buffer.data(), buffer.size(), MSG_TRUNC, reinterpret_cast<sockaddr*>(&from),
                               &fromLength);
        // A sender never sends more than the buffer less its terminator.
        if (got <= 0 || got >= _bufferSize || from.sin_family != AF_INET)
            continue;
        std::string text = cocos2d::safeBase64DecodeString(buffer.data(), static_cast<unsigned>(got));
        if (text.empty())
            continue;
        char sender[INET_ADDRSTRLEN] = {0};
        inet_ntop(AF_INET, &from.sin_addr, sender, sizeof(sender));
        _sender = sender;
        onReceive(text.c_str(), static_cast<int>(text.size()));
    }
    close(sock);
    _boundPort = 0;
    _running = false;
}

int udpComm::sendTo(const char* ip, const char* text) {
    sockaddr_in dest{};
    if (!ip || !*ip || !makeAddress(ip, _port, dest))
        return -2;
    std::string encoded = cocos2d::safeBase64Encode(text ? std::string(text) : std::string());
    if (static_cast<int>(encoded.size()) > _bufferSize - 1)
        return -4;
    std::lock_guard<std::mutex> lock(_sendMutex);
    if (_sendSocket < 0 && (_sendSocket = openSendSocket()) < 0)
        return -1;
    for (int i = 0; i < 2; ++i)
        sendto(_sendSocket, encoded.data(), encoded.size(), 0, reinterpret_cast<sockaddr*>(&dest),
               sizeof(dest));
    return 0;
}

int udpComm::openSendSocket() const {
    int sock = socket(AF_INET, SOCK_DGRAM, 0);
    if (sock < 0) {
        cocos2d::log("udpComm: cannot create the sending socket: %s", strerror(errno));
        return -1;
    }
    // With an address of its own, datagrams leave from it, so that replies come back to it.
    sockaddr_in local{};
    if (!_bindAddress.empty() && (!makeAddress(_bindAddress, 0, local) ||
                                  bind(sock, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0)) {
        cocos2d::log("udpComm: cannot send from %s: %s", _bindAddress.c_str(), strerror(errno));
        close(sock);
        return -1;
    }
    return sock;
}

} // namespace NSUI
