#pragma once
// How the desktop layout shows a modal panel: inside a window that swallows every touch
// under it, the panel's layout hanging from the middle of the window's top edge.

#include "cocos2d.h"

class ModalWindow {
public:
    /// A new touch-swallowing window (autoreleased) holding the panel, with the layout root
    /// anchored at its middle-top at half the window's width and its full height. Null when
    /// the window cannot be made. A layout larger than the window is scaled down to fit it.
    static cocos2d::Node* wrap(cocos2d::Node* panel, cocos2d::Node* layoutRoot);
    /// Removes the panel's window when it sits in one, else the panel itself.
    static void close(cocos2d::Node* panel);
    /// Shows what a panel's builder made: a window goes on the opener at the z order, a
    /// scene of its own (the phone layout's form) is pushed. Nothing for null.
    static void show(cocos2d::Node* opener, cocos2d::Node* made, int zOrder);
};
