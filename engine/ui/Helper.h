#pragma once
// Tree-wide UI operations: re-applying percent layouts after a resize and finding widgets.

#include <string>

namespace cocos2d {

class Node;

namespace ui {

class Widget;

class Helper {
public:
    /// Re-applies the layout component of every node below root, parents before children,
    /// and arranges every layout on the way, so a loaded tree follows a new root size.
    static void doLayout(Node* rootNode);
    /// The first widget of that name or tag in root's subtree (root included), or null.
    static Widget* seekWidgetByName(Widget* root, const std::string& name);
    static Widget* seekWidgetByTag(Widget* root, int tag);
};

} // namespace ui
} // namespace cocos2d
