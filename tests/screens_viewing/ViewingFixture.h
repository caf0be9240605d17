#pragma once
// The viewing screen's test ground: the browse screens' store and scene, series written by the
// sample-data maker straight into the store's folder, and the screen opened as the study list
// opens it.

#include "../screens_browse/BrowseFixture.h"

#include "SeriesWriter.h"
#include "isViewerMulti.h"
#include "notify/NSNotificationData.h"
#include "scroll/UIScrollViewBase.h"
#include "ui/CocosGUI.h"
#include "viewer/imageViewerPC.h"

namespace viewingtest {

class ViewingFixture : public browsetest::BrowseFixture {
protected:
    void SetUp() override {
        browsetest::BrowseFixture::SetUp();
        // The image shaders and colour tables.
        cocos2d::FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/imageSDK");
        cocos2d::FileUtils::getInstance()->addSearchPath(qptest::sourceDir());
    }

    /// Writes a series below the store root; returns its folder relative to the root.
    std::string writeSeries(const std::string& folder, samplemaker::SeriesPlan plan) {
        std::vector<std::string> files;
        EXPECT_TRUE(samplemaker::SeriesWriter::write(plan, db->getRoot() + folder, files));
        return folder;
    }
    static samplemaker::SeriesPlan ct(int slices, int width = 64, int height = 64) {
        samplemaker::SeriesPlan plan;
        plan.width = width;
        plan.height = height;
        plan.slices = slices;
        return plan;
    }

    /// Pushes the screen for the folder and runs frames until the load result has arrived.
    imageViewerPC* open(const std::string& folder) {
        cocos2d::Scene* next = imageViewerPC::createScene(folder);
        imageViewerPC* opened = nullptr;
        for (cocos2d::Node* child : next->getChildren())
            if (auto* screen = dynamic_cast<imageViewerPC*>(child))
                opened = screen;
        director->pushScene(next);
        frameUntil([&] { return opened->getLoadResult() != 0; });
        loadResult = opened->getLoadResult();
        frame();
        return opened;
    }

    /// The slider of the current tool panel.
    static cocos2d::ui::Slider* slider(imageViewerPC* screen) {
        return dynamic_cast<cocos2d::ui::Slider*>(screen->getToolPanel()->getChildByNameDeep("sliderSlice"));
    }
    /// Moves the slider as a drag does: the percentage changes and the listener is told.
    static void slide(imageViewerPC* screen, int percent) {
        cocos2d::ui::Slider* s = slider(screen);
        s->setPercent(percent);
        screen->onSliderEvent(s, cocos2d::ui::Slider::EventType::ON_PERCENTAGE_CHANGED);
    }
    static int keySlice(imageViewerPC* screen) {
        isImageSDK::SliceIndex index;
        return screen->getMultiView()->getSliceIndex(index) ? index.index : -1;
    }

    int loadResult = 0; ///< 0 while waiting, 1 loaded, -1 failed
};

} // namespace viewingtest
