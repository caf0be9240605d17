// The program's entry: the application object, the engine's loop, and a path given on the
// command line handed over as an opened path.

#include "AppDelegate.h"
#include "SystemServices.h"

#include <cstdlib>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    // A resource folder of its own (QP_RESOURCE_ROOT) wins over the one built in.
    const char* root = std::getenv("QP_RESOURCE_ROOT");
    cocos2d::FileUtils::getInstance()->setDefaultResourceRootPath(
        root && *root ? root : SystemServices::resourceRoot());
    AppServices::setCurrent(std::make_shared<SystemServices>());

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
        result = cocos2d::Application::getInstance()->run();
        // The scenes go now, while the engine is still whole; their observers find the
        // notification centre already shut down.
        cocos2d::Director::getInstance()->reset();
    }
    AppServices::setCurrent(nullptr);
    return result;
}
