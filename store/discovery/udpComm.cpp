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

udpComm::udpComm(int port, int bufferSize) : _port(port), _bufferSize(bufferSize < 2 ? 2 : bufferSize) {}

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
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(static_cast<uint16_t>(_port));
    if (bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        cocos2d::log("udpComm: cannot bind port %d: %s", _port, strerror(errno));
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
        ssize_t got = recvfrom(sock, buffer.data(), buffer.size(), 0, nullptr, nullptr);
        if (got <= 0)
            continue;
        // Only the bytes received are decoded: a full buffer has no terminating zero.
        std::string text = cocos2d::safeBase64DecodeString(buffer.data(), static_cast<unsigned>(got));
        if (!text.empty())
            onReceive(text.c_str(), static_cast<int>(text.size()));
    }
    close(sock);
    _boundPort = 0;
    _running = false;
}

int udpComm::sendTo(const char* ip, const char* text) {
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_port = htons(static_cast<uint16_t>(_port));
    if (!ip || inet_pton(AF_INET, ip, &dest.sin_addr) != 1)
        return -2;
    std::string encoded = cocos2d::safeBase64Encode(text ? std::string(text) : std::string());
    if (static_cast<int>(encoded.size()) > _bufferSize - 1)
        return -4;
    std::lock_guard<std::mutex> lock(_sendMutex);
    if (_sendSocket < 0) {
        _sendSocket = socket(AF_INET, SOCK_DGRAM, 0);
        if (_sendSocket < 0) {
            cocos2d::log("udpComm: cannot create the sending socket: %s", strerror(errno));
            return -1;
        }
    }
    for (int i = 0; i < 2; ++i)
        sendto(_sendSocket, encoded.data(), encoded.size(), 0, reinterpret_cast<sockaddr*>(&dest),
               sizeof(dest));
    return 0;
}

} // namespace NSUI
