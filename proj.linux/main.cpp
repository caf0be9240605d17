// The program's entry: the application object, the engine's loop, and a path given on the
// command line handed over as an opened path.

#include "AppDelegate.h"
#include "CloseOnSignal.h"
#include "DeclaredNetwork.h"
#include "discovery/sniffer.h"
#include "notify/NSNotificationCenter.h"
#include "SystemServices.h"

#include <GLFW/glfw3.h>

#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <memory>
#include <string>

namespace {

// Keeps every library loaded now mapped to the end of the process. Closing the window system's
// connection unloads the GL driver, and what the driver never freed would then be reported by
// leak checkers against addresses that no longer name a library.
void pinLoadedLibraries() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0])
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // A resource folder of its own (QP_RESOURCE_ROOT) wins over the one built in.
    const char* root = std::getenv("QP_RESOURCE_ROOT");
    cocos2d::FileUtils::getInstance()->setDefaultResourceRootPath(
        root && *root ? root : SystemServices::resourceRoot());
    AppServices::setCurrent(std::make_shared<SystemServices>());
    // Several installations can share one machine (as the tests run them): each takes an
    // address of a declared network, and they may use a discovery port of their own.
    const char* network = std::getenv("QP_LOCAL_NETWORK");
    if (network && *network)
        DeclaredNetwork::install(network);
    const char* discoveryPort = std::getenv("QP_DISCOVERY_PORT");
    if (discoveryPort && std::atoi(discoveryPort) > 0 && std::atoi(discoveryPort) < 65536)
        NSUI::sniffer::setDefaultPort(std::atoi(discoveryPort));

    int result = 0;
    {
        AppDelegate app;
        cocos2d::Ref::enableCheckMemory();
        if (argc > 1 && argv[1][0]) {
            // Handed over on the first frame, once the launch has made the patient list.
            std::string path = argv[1];
            cocos2d::Director::getInstance()->getScheduler()->performFunctionInCocosThread(
                [path] { cocos2d::Application::getInstance()->applicationOpenPath(path.c_str()); });
        }
        // SIGTERM and SIGINT close the window as the user would.
        CloseOnSignal::install();
        result = cocos2d::Application::getInstance()->run();
        // The scenes go now, while the engine is still whole; their observers find the
        // notification centre already shut down. Then the director with its textures (the GL
        // context is still current) and the window; then the window system's connection, and
        // with it the GL driver's render threads: nothing runs on when the program returns.
        cocos2d::Director::getInstance()->reset();
        cocos2d::Director::destroyInstance();
        pinLoadedLibraries();
        glfwTerminate();
    }
    AppServices::setCurrent(nullptr);
    NSUI::NSNotificationCenter::releaseAfterShutdown();
    return result;
}
