// Figures of the draw node and the line node, drawn under Xvfb by a render window's camera and
// read back: stipple, widths, point sizes, closed outlines, refills after clear.

#include <gtest/gtest.h>

#include "display_render_support.h"
#include "imaging/display/draw/isDrawNode.h"
#include "imaging/display/draw/isNodeLine.h"

using namespace isImageSDK;
using cocos2d::Color4F;
using cocos2d::Vec3;

namespace {

class DrawTest : public displaytest::RenderFixture {
protected:
    template <typename Node> Node* add() {
        Node* node = Node::create();
        node->setCameraMask(2);
        scene->addChild(node);
        return node;
    }
    static bool lit(const std::vector<unsigned char>& px, int x, int y) { return at(px, x, y)[0] > 128; }
    static int litInBox(const std::vector<unsigned char>& px, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x)
                n += lit(px, x, y) ? 1 : 0;
        }
        return n;
    }
};

const Color4F kWhite(1, 1, 1, 1);

} // namespace

TEST_F(DrawTest, DottedAndWideLines) {
    auto* dotted = add<isDrawNode>();
    dotted->setDotted(true);
    dotted->setLineWidth(1);
    dotted->addLine(Vec3(10, 20.5f, 0), Vec3(210, 20.5f, 0), kWhite);
    auto* wide = add<isDrawNode>();
    EXPECT_EQ(4, wide->getLineWidth());
    wide->addLine(Vec3(10, 60, 0), Vec3(210, 60, 0), kWhite);
    frames();
    auto px = readAll();

    // Stipple factor 2, pattern 0x5555: runs of two lit and two dark pixels.
    int litCount = 0, runs = 0;
    for (int x = 20; x < 200; ++x) {
        litCount += lit(px, x, 20) ? 1 : 0;
        if (lit(px, x, 20) != lit(px, x - 1, 20))
            ++runs;
    }
    EXPECT_NEAR(90, litCount, 2);
    EXPECT_NEAR(90, runs, 2);
    EXPECT_EQ(0, litInBox(px, 20, 22, 200, 24)) << "a one-pixel line stays on its row";

    // Width 4 covers four rows.
    int rows = 0;
    for (int y = 52; y < 68; ++y)
        rows += lit(px, 100, y) ? 1 : 0;
    EXPECT_EQ(4, rows);
    EXPECT_EQ(180, litInBox(px, 20, 60, 199, 60));

    // Dotted stays a property of the node; clear resets the width only.
    dotted->clear();
    EXPECT_TRUE(dotted->isDotted());
    EXPECT_EQ(4, dotted->getLineWidth());
}

TEST_F(DrawTest, PointSizesAndOutlines) {
    auto* node = add<isDrawNode>();
    node->addPoint(Vec3(60, 80, 0), 8, kWhite);
    node->addPoint(Vec3(100.5f, 80.5f, 0), 3, kWhite);
    const Vec3 triangle[3] = {Vec3(150.5f, 20.5f, 0), Vec3(250.5f, 20.5f, 0), Vec3(150.5f, 120.5f, 0)};
    node->setLineWidth(1);
    node->addPolygon(triangle, 3, kWhite);
    EXPECT_EQ(6, node->getLineVertexCount());
    // A polygon of fewer than two points draws nothing.
    node->addPolygon(triangle, 1, kWhite);
    node->addPolygon(triangle, 0, kWhite);
    node->addPolygon(triangle, -4, kWhite);
    node->addPolygon(nullptr, 3, kWhite);
    EXPECT_EQ(6, node->getLineVertexCount());
    frames();
    auto px = readAll();
    EXPECT_EQ(64, litInBox(px, 50, 70, 70, 90));
    EXPECT_EQ(9, litInBox(px, 95, 75, 105, 85));
    // The closing edge (third point back to the first) is drawn; the inside is not.
    EXPECT_TRUE(lit(px, 150, 70));
    EXPECT_TRUE(lit(px, 200, 20));
    EXPECT_FALSE(lit(px, 170, 50));

    // Cleared and refilled elsewhere: the old figure is gone, the new one is uploaded.
    node->clear();
    node->addPoint(Vec3(30, 30, 0), 4, kWhite);
    frames();
    px = readAll();
    EXPECT_EQ(0, litInBox(px, 50, 70, 70, 90));
    EXPECT_EQ(0, litInBox(px, 140, 10, 260, 130));
    EXPECT_EQ(16, litInBox(px, 25, 25, 35, 35));
}

TEST_F(DrawTest, EllipsesAndGrowingArrays) {
    auto* node = add<isDrawNode>();
    node->setLineWidth(1);
    node->addEllipse(Vec3(70, 70, 0), Vec3(1, 0, 0), Vec3(0, 1, 0), 40, 0, 1.0f, 0.5f, kWhite);

    // Hundreds of segments grow the array; every one reaches the screen.
    for (int i = 0; i < 300; ++i)
        node->addLine(Vec3(150.5f + i % 100, 10, 0), Vec3(150.5f + i % 100, 130, 0), kWhite);
    frames();
    auto px = readAll();
    EXPECT_GT(litInBox(px, 108, 68, 111, 72), 0); // right end of the ellipse
    EXPECT_GT(litInBox(px, 68, 88, 72, 91), 0);   // top, at half height
    EXPECT_EQ(0, litInBox(px, 60, 94, 80, 110));
    EXPECT_EQ(0, litInBox(px, 60, 60, 80, 80)); // inside
    EXPECT_EQ(100 * 5, litInBox(px, 150, 60, 249, 64));
}

TEST_F(DrawTest, LineNodeDrawsItsSegmentsInOneCall) {
    auto* empty = add<isNodeLine>();
    (void)empty;
    auto* shapes = add<isDrawNode>();
    (void)shapes;
    cocos2d::Renderer* renderer = cocos2d::Director::getInstance()->getRenderer();
    frames(1);
    EXPECT_EQ(0, renderer->getDrawnBatches()) << "nodes without vertices queue no commands";

    auto* lines = add<isNodeLine>();
    EXPECT_FALSE(lines->hasCameraFlag(1));
    lines->setLineWidth(1);
    lines->addLine(Vec3(10, 30.5f, 0), Vec3(100, 30.5f, 0), Color4F(1, 0, 0, 1));
    lines->addLine(Vec3(40.5f, 10, 0), Vec3(40.5f, 100, 0), Color4F(0, 0, 1, 1));
    frames(1);
    EXPECT_EQ(1, renderer->getDrawnBatches());
    auto px = readAll();
    EXPECT_GT(at(px, 70, 30)[0], 200);
    EXPECT_LT(at(px, 70, 30)[2], 30);
    EXPECT_GT(at(px, 40, 70)[2], 200);
    EXPECT_LT(at(px, 70, 33)[0], 30);

    lines->clear();
    frames(1);
    EXPECT_EQ(0, renderer->getDrawnBatches());
    px = readAll();
    EXPECT_LT(at(px, 70, 30)[0], 30);
}
