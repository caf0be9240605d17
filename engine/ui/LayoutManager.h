#pragma once
// Places the child widgets of a layout according to its layout type (see Layout::Type).

namespace cocos2d {
namespace ui {

class Layout;

class LayoutManager {
public:
    static void arrange(Layout* layout);

private:
    static void arrangeLinear(Layout* layout, bool vertical);
    static void arrangeRelative(Layout* layout, int rowMode);
};

} // namespace ui
} // namespace cocos2d
