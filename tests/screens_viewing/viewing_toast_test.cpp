// A toast over the viewing screen drawn under a virtual display: its panel lies over the
// views, which draw with cameras of their own, and over the tool panel alike. The frame is
// written to <build>/toast_viewing.png for a look.

#include "ViewingFixture.h"
#include "support/GLWindowFixture.h"
#include "widgets/ToastProbe.h"

#include "AppConfig.h"
#include "lang/UILocalConfig.h"

using namespace cocos2d;
using viewingtest::ViewingFixture;

namespace {

class ViewingToast : public ViewingFixture {};

} // namespace

TEST_F(ViewingToast, LiesOverTheViewsAndTheToolPanel) {
    qptest::ScreenWindow window("toast", 1280, 800);
    if (!window)
        GTEST_SKIP() << "no display for a GL window";
    AppConfig::getInstance()->setWinSize(Size(1280, 800));
    imageViewerPC* screen = open(writeSeries("ct1/", ct(1, 256, 256)));
    ASSERT_EQ(1, loadResult);
    ASSERT_NE(nullptr, screen->getMultiView());
    frame();

    screen->showMessageBox(NSUI::UILocalConfig::getLanguageString("failed_loadSeries"), 1.5f);
    Scene* scene = director->getRunningScene();
    EXPECT_TRUE(qptest::ToastProbe().liesOnTop(
        scene, [this] { frame(); }, std::string(QP_BINARY_DIR) + "/toast_viewing.png"));
    director->popScene();
    frame();
}
