#include "viewer/imageViewerPC.h"

#include "scroll/UIScrollViewBase.h"
#include "ui/CocosGUI.h"

// The pop-up menus, the quick tool bar, the window editor and the radial tool menu of the
// screen. Until they are built the screen only hides menus that exist.

using namespace cocos2d;

namespace {
void showMenu(Node* parent, const char* name, bool show)
{
    Node* menu = parent ? parent->getChildByNameDeep(name) : nullptr;
    if (menu && !show)
        menu->setVisible(false);
}
} // namespace

void imageViewerPC::showWindowMenu(bool show)
{
    showMenu(toolPanel, "windowLevelMenu", show);
}

void imageViewerPC::showClutMenu(bool show)
{
    showMenu(toolPanel, "clutMenu", show);
}

void imageViewerPC::showOpacityMenu(bool show)
{
    showMenu(toolPanel, "opacityMenu", show);
}

void imageViewerPC::showCaptureMenu(bool show)
{
    showMenu(toolPanel, "captureMenu", show);
}

void imageViewerPC::showDicomMenu(bool show)
{
    showMenu(this, "dcmMenu", show);
}

void imageViewerPC::placeMenu(Node*, Node*) {}

void imageViewerPC::buildWindowPresets()
{
    if (!seriesFolder.empty())
        windowPresets.clear();
}

toolDisk* imageViewerPC::getToolDisk()
{
    return nullptr;
}

void imageViewerPC::onToolDiskButton(const std::string&) {}

void imageViewerPC::hideToolDisk() {}

bool imageViewerPC::onToolNotification(unsigned int, NSUI::NSNotificationData*)
{
    return false;
}
