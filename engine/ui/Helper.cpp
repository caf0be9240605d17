#include "ui/Helper.h"

#include "ui/Layout.h"
#include "ui/LayoutComponent.h"

namespace cocos2d {
namespace ui {

void Helper::doLayout(Node* rootNode) {
    if (!rootNode)
        return;
    for (Node* child : rootNode->getChildren()) {
        if (auto* widget = dynamic_cast<Widget*>(child)) {
            if (LayoutComponent* component = widget->getLayoutComponent())
                component->refreshLayout();
            else
                widget->updateSizeAndPosition(rootNode->getContentSize());
        }
    }
    if (auto* layout = dynamic_cast<Layout*>(rootNode))
        layout->forceDoLayout();
    for (Node* child : rootNode->getChildren())
        doLayout(child);
}

Widget* Helper::seekWidgetByName(Widget* root, const std::string& name) {
    if (!root)
        return nullptr;
    if (root->getName() == name)
        return root;
    for (Node* child : root->getChildren()) {
        if (Widget* found = seekWidgetByName(dynamic_cast<Widget*>(child), name))
            return found;
    }
    return nullptr;
}

Widget* Helper::seekWidgetByTag(Widget* root, int tag) {
    if (!root)
        return nullptr;
    if (root->getTag() == tag)
        return root;
    for (Node* child : root->getChildren()) {
        if (Widget* found = seekWidgetByTag(dynamic_cast<Widget*>(child), tag))
            return found;
    }
    return nullptr;
}

} // namespace ui
} // namespace cocos2d
