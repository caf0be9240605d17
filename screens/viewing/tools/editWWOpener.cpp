#include "tools/editWWOpener.h"

#include "AppConfig.h"
#include "panel/ModalWindow.h"
#include "tools/editWW.h"
#include "tools/editWWScene.h"

using namespace cocos2d;

editWW* editWWOpener::open(Node* parent)
{
    if (!parent || parent->getChildByName(editWW::kWindowName))
        return nullptr;
    // The phone layout pushes the editor as a scene of its own.
    const bool ownScene = AppConfig::getInstance()->phoneLayout;
    Node* window = ownScene ? editWW::createScene() : editWW::create();
    editWW* editor =
        editWW::fromWindow(ownScene && window ? window->getChildByTag(editWWScene::kLayoutTag) : window);
    if (!editor)
        return nullptr;
    ModalWindow::show(parent, window, 0);
    reset();
    editor->retain();
    _editor = editor;
    return editor;
}

bool editWWOpener::accept(Ref* sender)
{
    if (!_editor || sender != _editor)
        return false;
    reset();
    return true;
}

void editWWOpener::reset()
{
    if (_editor)
        _editor->release();
    _editor = nullptr;
}
