#pragma once
// What a screen keeps of the window editor it opened, so that it applies the values of that
// editor only and not those of an editor another screen opened.

#include "cocos2d.h"

class editWW;

class editWWOpener {
public:
    editWWOpener() = default;
    editWWOpener(const editWWOpener&) = delete;
    editWWOpener& operator=(const editWWOpener&) = delete;
    ~editWWOpener() { reset(); }

    /// Opens an editor over parent unless parent already shows one; the editor is held until
    /// its values arrive or reset. Returns the new editor, or null.
    editWW* open(cocos2d::Node* parent);
    /// True, once, when sender is the editor this opener opened; the editor is let go then.
    bool accept(cocos2d::Ref* sender);
    void reset();
    editWW* current() const { return _editor; }

private:
    // Retained: while a post from it may still be on its way the address cannot be reused by
    // an editor someone else opened.
    editWW* _editor = nullptr;
};
