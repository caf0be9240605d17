// The toolkit's generated pictures: each is found under its "UIRes/..." name once the build
// folder is a search path, reads as an RGBA PNG and becomes a texture; their shapes hold what
// the widgets assume (caret height, button cap insets, a spinner centred on its turn); and the
// widgets show them instead of their plain stand-ins.

#include "WidgetsFixture.h"

#include <filesystem>
#include <list>
#include <string>
#include <vector>

#include "2d/Sprite.h"
#include "base/PlainSprite.h"
#include "picture/NSSpriteView.h"
#include "renderer/TextureCache.h"
#include "ui/ImageView.h"

using namespace cocos2d;
using namespace NSUI;

namespace {

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

std::ostream& operator<<(std::ostream& out, const Rgba& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

// Every name the toolkit and the screens ask for.
const std::vector<std::string> kNames = {"white",  "white22",  "black22",   "greyHigh", "cursorBlack",
                                         "cursor", "rotation", "noPicture", "blueBtn"};

class UiPictures : public qptest::WidgetsFixture {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(QP_BINARY_DIR) + "/tools/uires"))
            GTEST_SKIP() << "the picture generator is not part of this build";
        WidgetsFixture::SetUp();
        savedPaths = FileUtils::getInstance()->getOriginalSearchPaths();
        FileUtils::getInstance()->addSearchPath(QP_BINARY_DIR, true);
        Image::setPNGPremultipliedAlphaEnabled(false);
    }
    void TearDown() override {
        if (!director)
            return; // skipped before the fixture was set up
        Image::setPNGPremultipliedAlphaEnabled(true);
        FileUtils::getInstance()->setSearchPaths(savedPaths);
        WidgetsFixture::TearDown();
    }

    // The picture read with straight alpha (empty when it cannot be read, failing the test);
    // a copy, so frames that drain the autorelease pool leave it alone.
    struct Pixels {
        int width = 0, height = 0;
        bool alpha = false;
        Image::Format format = Image::Format::UNKNOWN;
        std::vector<unsigned char> data;
        int getWidth() const { return width; }
        int getHeight() const { return height; }
    };
    Pixels* load(const std::string& name) {
        std::string path = FileUtils::getInstance()->fullPathForFilename("UIRes/" + name + ".png");
        EXPECT_FALSE(path.empty()) << name;
        Image image;
        EXPECT_TRUE(image.initWithImageFile(path)) << name;
        loaded.emplace_back();
        Pixels& p = loaded.back();
        if (image.getData() && image.hasAlpha()) {
            p.width = image.getWidth();
            p.height = image.getHeight();
            p.alpha = image.hasAlpha();
            p.format = image.getFileType();
            p.data.assign(image.getData(), image.getData() + image.getDataLen());
        }
        return &p;
    }
    static Rgba at(const Pixels* image, int x, int y) {
        const unsigned char* p = image->data.data() + (static_cast<size_t>(y) * image->width + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    std::list<Pixels> loaded;

    std::vector<std::string> savedPaths;
};

TEST_F(UiPictures, EveryNameReadsAsAnRgbaPngAndATexture) {
    for (const std::string& name : kNames) {
        SCOPED_TRACE(name);
        Pixels* image = load(name);
        ASSERT_GT(image->getWidth(), 0);
        EXPECT_EQ(Image::Format::PNG, image->format);
        EXPECT_TRUE(image->alpha);
        Texture2D* texture = director->getTextureCache()->addImage("UIRes/" + name + ".png");
        ASSERT_NE(nullptr, texture);
        EXPECT_EQ(image->getWidth(), texture->getPixelsWide());
        EXPECT_EQ(image->getHeight(), texture->getPixelsHigh());
    }
}

TEST_F(UiPictures, FillsAndCaretsAreUniformAndSizedAsTheWidgetsScaleThem) {
    struct Fill {
        const char* name;
        Rgba color;
    };
    for (const Fill& fill : {Fill{"white", {255, 255, 255, 255}}, Fill{"white22", {255, 255, 255, 255}},
                             Fill{"black22", {0, 0, 0, 255}}, Fill{"cursorBlack", {0, 0, 0, 255}},
                             Fill{"cursor", {255, 255, 255, 255}}}) {
        SCOPED_TRACE(fill.name);
        Pixels* image = load(fill.name);
        for (int y = 0; y < image->getHeight(); ++y)
            for (int x = 0; x < image->getWidth(); ++x)
                ASSERT_EQ(fill.color, at(image, x, y)) << x << "," << y;
    }
    // The text field scales its caret by font size / 20: the caret is 20 high and thin.
    for (const char* caret : {"cursorBlack", "cursor"}) {
        Pixels* image = load(caret);
        EXPECT_EQ(20, image->getHeight()) << caret;
        EXPECT_LE(image->getWidth(), 3) << caret;
    }
    // Menu rows: a dark grey that is neither invisible nor fully opaque.
    Rgba grey = at(load("greyHigh"), 1, 1);
    EXPECT_EQ(grey.r, grey.g);
    EXPECT_LT(grey.r, 128);
    EXPECT_GT(grey.a, 128);
    EXPECT_LT(grey.a, 255);
}

TEST_F(UiPictures, ButtonCornersStayInsideItsCapInsets) {
    // Screens stretch the button with insets (5, 5, 20, 20): the rounded corners must stay in
    // the 5-pixel caps, else the stretched middle smears a corner's edge across the button.
    Pixels* image = load("blueBtn");
    ASSERT_GE(image->getWidth(), 30);
    ASSERT_GE(image->getHeight(), 30);
    EXPECT_LT(at(image, 0, 0).a, 128);
    const int right = image->getWidth() - 5, bottom = image->getHeight() - 5;
    Rgba middle = at(image, 15, 15);
    EXPECT_EQ(255, middle.a);
    EXPECT_GT(middle.b, middle.r);
    for (int y = 0; y < image->getHeight(); ++y)
        for (int x = 5; x < right; ++x)
            ASSERT_EQ(middle, at(image, x, y)) << x << "," << y;
    for (int y = 5; y < bottom; ++y)
        for (int x = 0; x < image->getWidth(); ++x)
            ASSERT_EQ(middle, at(image, x, y)) << x << "," << y;
}

TEST_F(UiPictures, SpinnerAndPlaceholderDrawSomethingAroundTheirCentres) {
    // The spinner turns about its middle: a square, clear at the centre and in the corners,
    // with its ring drawn all round (so no quarter is empty while it turns).
    Pixels* spinner = load("rotation");
    const int n = spinner->getWidth();
    ASSERT_EQ(n, spinner->getHeight());
    EXPECT_EQ(0, at(spinner, n / 2, n / 2).a);
    for (int corner : {0, n - 1}) {
        EXPECT_EQ(0, at(spinner, corner, 0).a);
        EXPECT_EQ(0, at(spinner, corner, n - 1).a);
    }
    int quarters[4] = {0, 0, 0, 0};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (at(spinner, x, y).a > 0)
                ++quarters[(x < n / 2 ? 0 : 1) + (y < n / 2 ? 0 : 2)];
    for (int q : quarters)
        EXPECT_GT(q, n);

    Pixels* placeholder = load("noPicture");
    const int w = placeholder->getWidth(), h = placeholder->getHeight();
    EXPECT_EQ(255, at(placeholder, w / 2, h / 2).a);
    EXPECT_EQ(0, at(placeholder, 0, 0).a);
}

TEST_F(UiPictures, WidgetsShowThePicturesInsteadOfPlainStandIns) {
    for (const char* name :
         {"UIRes/white.png", "UIRes/greyHigh.png", "UIRes/rotation.png", "UIRes/cursorBlack.png"}) {
        Sprite* sprite = createSpriteOrPlain(name, Size(3, 7), Color3B::RED);
        ASSERT_NE(nullptr, sprite->getTexture()) << name;
        EXPECT_EQ(FileUtils::getInstance()->fullPathForFilename(name), sprite->getTexture()->getPath())
            << name;
        EXPECT_EQ(Color3B::WHITE, sprite->getColor()) << name;
    }

    // A missing picture shows the placeholder at its own size.
    NSSpriteView* view = NSSpriteView::create();
    view->setContentSize(Size(400, 300));
    scene->addChild(view);
    view->setImage("UIRes/no-such-picture.png");
    view->onEnterTransitionDidFinish();
    Pixels* placeholder = load("noPicture");
    ui::ImageView* image = view->getImageView();
    ASSERT_TRUE(frameUntil([&] { return image->getTextureFile() == NSSpriteView::kNoPicture; }));
    EXPECT_EQ(Size(placeholder->getWidth(), placeholder->getHeight()), image->getVirtualRendererSize());
}

} // namespace
