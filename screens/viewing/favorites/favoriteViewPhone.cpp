#include "favorites/favoriteViewPhone.h"

#include "isViewerMulti.h"
#include "panel/TitledScene.h"

#include <filesystem>
#include <new>

using namespace cocos2d;

Scene* favoriteViewPhone::create()
{
    TitledScene* scene = TitledScene::create("");
    auto* view = new (std::nothrow) favoriteViewPhone();
    if (!scene || !view || !view->init()) {
        delete view;
        return nullptr;
    }
    view->autorelease();
    view->setTag(kViewTag);
    scene->addContent(view, nullptr);
    view->setupToolBar();
    return scene;
}

favoriteViewPhone* favoriteViewPhone::of(Scene* scene)
{
    auto* titled = dynamic_cast<TitledScene*>(scene);
    return titled ? dynamic_cast<favoriteViewPhone*>(titled->getLayout()->getChildByTag(kViewTag)) : nullptr;
}

void favoriteViewPhone::loadFile(const std::string& path)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return;
    favoriteView::loadFile(path);
    if (getFilePath().empty()) {
        // Not an image: no message on the phone.
        showMessage("");
        return;
    }
    if (getMultiView() && getMultiView()->isVisible())
        getMultiView()->sendMessageNoData(kHideBrowserId, nullptr);
}
