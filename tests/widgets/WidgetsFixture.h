#pragma once
// The engine's scene fixture plus what the widgets leave behind: the notification centre, the
// busy overlay and the input-method attachment are reset between tests.

#include "engine/SceneFixture.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "notify/NSNotificationCenter.h"
#include "overlay/NSActivity.h"
#include "platform/Image.h"
#include "support/TestSupport.h"

namespace qptest {

class WidgetsFixture : public SceneFixture {
protected:
    void TearDown() override {
        NSUI::NSActivity::hide();
        SceneFixture::TearDown();
        NSUI::NSNotificationCenter::destroyInstance();
    }

    /// A solid picture of the given size written as PNG; returns its path.
    static std::string writePng(const TempDir& dir, const std::string& name, int w, int h) {
        std::vector<unsigned char> px(static_cast<size_t>(w * h * 4), 200);
        cocos2d::Image image;
        image.initWithRawData(px.data(), static_cast<ssize_t>(px.size()), w, h, 8);
        std::string path = dir.file(name);
        image.saveToFile(path, false);
        return path;
    }

    /// Runs frames until pred holds or the seconds are spent; the texture loader is real.
    template <class Pred> bool frameUntil(Pred pred, float seconds = 5.0f) {
        for (float t = 0.0f; t < seconds; t += 0.02f) {
            if (pred())
                return true;
            input->frame(0.02f);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return pred();
    }
};

} // namespace qptest
