// The sample layout with every widget kind, drawn under Xvfb and read back by pixel probes:
// backgrounds, clipping, nine-patch pictures, slider parts, check box cross, a vertical
// layout and a pressed button. The frame is also written to build/ui_sample.png.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "support/GLWindowFixture.h"
#include "support/PixelProbe.h"
#include "cocos2d.h"
#include "support/TestSupport.h"

using namespace cocos2d;
using qptest::isColour;
using qptest::Px;
using qptest::readPixel;

namespace {

const int kW = 320;
const int kH = 240;

// A picture of one colour; border > 0 leaves a transparent frame of that width.
void writePicture(const std::string& path, int w, int h, unsigned char r, unsigned char g, unsigned char b,
                  int border = 0) {
    std::vector<unsigned char> px(static_cast<size_t>(w * h * 4), 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &px[static_cast<size_t>(y * w + x) * 4];
            bool inside = x >= border && y >= border && x < w - border && y < h - border;
            p[0] = r;
            p[1] = g;
            p[2] = b;
            p[3] = inside ? 255 : 0;
        }
    }
    Image img;
    img.initWithRawData(px.data(), static_cast<ssize_t>(px.size()), w, h, 8);
    img.saveToFile(path, false);
}

using UiRenderTest = qptest::GLWindowFixture<kW, kH>;

} // namespace

TEST_F(UiRenderTest, SampleLayoutWithEveryWidgetKind) {
    qptest::TempDir dir;
    FileUtils* files = FileUtils::getInstance();
    files->createDirectory(dir.file("uisample"));
    writePicture(dir.file("uisample/green.png"), 20, 20, 0, 255, 0);
    writePicture(dir.file("uisample/red.png"), 60, 30, 255, 0, 0);
    writePicture(dir.file("uisample/yellow.png"), 8, 8, 255, 255, 0);
    writePicture(dir.file("uisample/grey.png"), 180, 10, 128, 128, 128);
    writePicture(dir.file("uisample/blue.png"), 16, 16, 0, 0, 255);
    writePicture(dir.file("uisample/white.png"), 24, 24, 255, 255, 255);
    writePicture(dir.file("uisample/cross.png"), 24, 24, 0, 0, 0, 6);
    writePicture(dir.file("uisample/magenta.png"), 10, 10, 255, 0, 255);
    files->addSearchPath(dir.path(), true);
    files->addSearchPath(std::string(QP_SOURCE_DIR) + "/tests/engine/layouts", true);

    Node* root = CSLoader::createNode("uiSample.csb");
    ASSERT_NE(nullptr, root) << CSLoader::getInstance()->getLastError();
    scene->addChild(root);
    frame();
    frame();

    EXPECT_TRUE(isColour(readPixel(200, 170), 40, 40, 120)); // root background
    // Gradient from red at the top to blue at the bottom.
    Px top = readPixel(50, 57), bottom = readPixel(50, 2);
    EXPECT_GT(top.r, 200);
    EXPECT_LT(top.b, 50);
    EXPECT_GT(bottom.b, 200);
    EXPECT_LT(bottom.r, 50);
    // The clipping panel keeps its big green picture inside 110..170 x 0..60.
    EXPECT_TRUE(isColour(readPixel(115, 5), 0, 255, 0));
    EXPECT_TRUE(isColour(readPixel(175, 50), 40, 40, 120));
    EXPECT_TRUE(isColour(readPixel(140, 70), 40, 40, 120));
    EXPECT_TRUE(isColour(readPixel(230, 20), 255, 0, 0));   // button, normal picture
    EXPECT_TRUE(isColour(readPixel(20, 100), 255, 255, 0)); // nine-patch picture stretched to 50 x 50
    EXPECT_TRUE(isColour(readPixel(62, 142), 255, 255, 0));
    // Slider at 50 %: progress on the left half, bar on the right, ball in the middle.
    EXPECT_TRUE(isColour(readPixel(130, 100), 0, 255, 0));
    EXPECT_TRUE(isColour(readPixel(270, 100), 128, 128, 128));
    EXPECT_TRUE(isColour(readPixel(200, 100), 0, 0, 255));
    // Check box: white box with the black cross inside.
    EXPECT_TRUE(isColour(readPixel(270, 120), 255, 255, 255));
    EXPECT_TRUE(isColour(readPixel(280, 130), 0, 0, 0));
    EXPECT_TRUE(isColour(readPixel(300, 220), 255, 0, 255)); // sprite
    // Vertical layout: two half-size rows under 4-point margins, a gap between them.
    EXPECT_TRUE(isColour(readPixel(15, 230), 255, 255, 255));
    EXPECT_TRUE(isColour(readPixel(15, 214), 255, 255, 255));
    EXPECT_TRUE(isColour(readPixel(15, 222), 40, 40, 120));
    EXPECT_TRUE(isColour(readPixel(25, 230), 40, 40, 120));
    // The caption's white letters somewhere in its line.
    int white = 0;
    for (int x = 120; x < 200; ++x) {
        for (int y = 200; y < 220; ++y) {
            Px p = readPixel(x, y);
            white += p.r > 200 && p.g > 200 && p.b > 200;
        }
    }
    EXPECT_GT(white, 20);

    std::string shot = std::string(QP_BINARY_DIR) + "/ui_sample.png";
    bool written = false;
    utils::captureScreen([&](bool ok, const std::string&) { written = ok; }, shot);
    framesUntil([&] { return written; });
    EXPECT_TRUE(written);

    // Pressing the button shows its pressed picture, zoomed.
    InputInjector::getInstance()->touchBegan(0, Vec2(250, 30));
    frame();
    EXPECT_TRUE(isColour(readPixel(230, 20), 0, 255, 0));
    EXPECT_TRUE(isColour(readPixel(218, 30), 0, 255, 0)); // beyond the normal edge at 220
    InputInjector::getInstance()->touchEnded(0, Vec2(250, 30));
    frame();
    EXPECT_TRUE(isColour(readPixel(230, 20), 255, 0, 0));
    EXPECT_TRUE(isColour(readPixel(218, 30), 40, 40, 120));
}
