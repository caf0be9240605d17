// The loopback test service as a program, for demos and manual checks:
//   testserver [--port N] [--account NICK:PASSWORD[:MAIL]]... [--latest-version V]
//              [--fault PATH:KIND]... [--hot-update DIR]
// KIND is status=CODE, delay=MS, drop, reply-status=TEXT, no-status, wrap (the Base64 reply
// in lines of 76 characters), size=BYTES (that many filler bytes instead of the reply) or
// endless=MS (the reply one byte every MS milliseconds, for ever); a fault given here applies
// to every request of its path. It prints the base address and serves until
// interrupted. Only 127.0.0.1 is ever listened on. --hot-update serves the files below DIR as
// the hot-update set: the manifest lists each with its md5, under the latest version.

#include "TestServer.h"
#include "extension/AssetFiles.h"
#include "util/FileHelpers.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: testserver [--port N] [--account NICK:PASSWORD[:MAIL]]... [--latest-version V]\n"
                 "                  [--fault PATH:status=CODE|delay=MS|drop|reply-status=TEXT|no-status|\n"
                 "                           wrap|size=BYTES|endless=MS]...\n"
                 "                  [--hot-update DIR]\n");
}

bool parseFault(const std::string& text, std::string& path, testserver::Fault& fault) {
    size_t colon = text.find(':');
    if (colon == std::string::npos || text[0] != '/')
        return false;
    path = text.substr(0, colon);
    std::string kind = text.substr(colon + 1);
    std::string value = kind.find('=') == std::string::npos ? "" : kind.substr(kind.find('=') + 1);
    kind = kind.substr(0, kind.find('='));
    fault.times = -1;
    if (kind == "status")
        fault.httpStatus = std::atoi(value.c_str());
    else if (kind == "delay")
        fault.delayMs = std::atoi(value.c_str());
    else if (kind == "drop")
        fault.drop = true;
    else if (kind == "reply-status")
        fault.replyStatus = value;
    else if (kind == "no-status")
        fault.omitStatus = true;
    else if (kind == "wrap")
        fault.wrapLines = true;
    else if (kind == "size")
        fault.bodyBytes = std::strtoull(value.c_str(), nullptr, 10);
    else if (kind == "endless")
        fault.endlessMs = std::atoi(value.c_str());
    else
        return false;
    return true;
}

// Serves every file below the folder and a manifest that lists them.
void serveHotUpdate(testserver::TestServer& server, std::string folder, const std::string& version) {
    if (folder.back() != '/')
        folder += "/";
    std::vector<std::string> files;
    listFiles(folder, files, true, true);
    std::string assets;
    for (const auto& file : files) {
        std::string path = file.substr(folder.size());
        server.setAsset(path, cocos2d::extension::AssetFiles::readFile(file));
        assets += (assets.empty() ? "\"" : ",\"") + path + "\":{\"md5\":\"" +
                  cocos2d::extension::AssetFiles::md5OfFile(file) + "\"}";
    }
    server.setManifest("{\"version\":\"" + version + "\",\"packageUrl\":\"" + server.baseURL() +
                       testserver::TestServer::kAssetPath + "\",\"assets\":{" + assets + "}}");
}

} // namespace

int main(int argc, char** argv) {
    testserver::TestServer server;
    int port = 8080;
    bool accountGiven = false;
    std::string hotUpdate;
    std::string latestVersion = "1.4";
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--help" || option == "-h") {
            usage();
            return 0;
        }
        if (!value) {
            usage();
            return 2;
        }
        ++i;
        if (option == "--port") {
            port = std::atoi(value);
        } else if (option == "--account") {
            std::string text = value;
            size_t first = text.find(':');
            size_t second = first == std::string::npos ? first : text.find(':', first + 1);
            if (first == std::string::npos) {
                usage();
                return 2;
            }
            server.addAccount(text.substr(0, first), text.substr(first + 1, second - first - 1),
                              second == std::string::npos ? "" : text.substr(second + 1));
            accountGiven = true;
        } else if (option == "--latest-version") {
            server.setLatestVersion(value);
            latestVersion = value;
        } else if (option == "--hot-update") {
            hotUpdate = value;
        } else if (option == "--fault") {
            std::string path;
            testserver::Fault fault;
            if (!parseFault(value, path, fault)) {
                usage();
                return 2;
            }
            server.addFault(path, fault);
        } else {
            usage();
            return 2;
        }
    }
    if (!accountGiven)
        server.addAccount("demo", "demo1234", "demo@example.org");

    // The signals are taken by sigwait below, not by a handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    if (port < 0 || port > 65535 || !server.start(port)) {
        std::fprintf(stderr, "testserver: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    if (!hotUpdate.empty())
        serveHotUpdate(server, hotUpdate, latestVersion);
    server.setVerbose(true);
    std::printf("%s\n", server.baseURL().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    server.stop();
    return 0;
}
