#include "tools/editWWOpener.h"

#include "tools/editWW.h"

using namespace cocos2d;

editWW* editWWOpener::open(Node* parent)
{
    if (!parent || parent->getChildByName(editWW::kWindowName))
        return nullptr;
    Node* window = editWW::create();
    editWW* editor = editWW::fromWindow(window);
    if (!editor)
        return nullptr;
    parent->addChild(window);
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
