// Pictures read and written through libpng and libjpeg, and the texture cache's loading
// (headless: textures keep their size without GL).

#include <gtest/gtest.h>

#include <thread>

#include "cocos2d.h"
#include "support/TestSupport.h"

using namespace cocos2d;

namespace {

Image* makeImage(int w, int h, bool alpha)
{
    std::vector<unsigned char> px(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &px[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = static_cast<unsigned char>(x * 255 / (w - 1));
            p[1] = static_cast<unsigned char>(y * 255 / (h - 1));
            p[2] = 128;
            p[3] = alpha ? static_cast<unsigned char>(x % 2 ? 128 : 255) : 255;
        }
    }
    auto* img = new Image();
    img->initWithRawData(px.data(), static_cast<ssize_t>(px.size()), w, h, 8);
    return img;
}

} // namespace

TEST(Pictures, PngKeepsPixelsAndAlpha)
{
    qptest::TempDir dir;
    Image* src = makeImage(7, 5, true);
    ASSERT_TRUE(src->saveToFile(dir.file("a.png"), false));
    Image::setPNGPremultipliedAlphaEnabled(false);
    Image straight;
    ASSERT_TRUE(straight.initWithImageFile(dir.file("a.png")));
    EXPECT_EQ(Image::Format::PNG, straight.getFileType());
    ASSERT_EQ(7, straight.getWidth());
    ASSERT_TRUE(straight.hasAlpha());
    EXPECT_EQ(0, memcmp(src->getData(), straight.getData(), static_cast<size_t>(src->getDataLen())));

    // Premultiplied on reading (the default), and written back with straight colours.
    Image::setPNGPremultipliedAlphaEnabled(true);
    Image pre;
    ASSERT_TRUE(pre.initWithImageFile(dir.file("a.png")));
    EXPECT_TRUE(pre.hasPremultipliedAlpha());
    const unsigned char* p = pre.getData() + 4; // x = 1: alpha 128
    EXPECT_EQ(128, p[3]);
    EXPECT_NEAR(src->getData()[4] * 128 / 255, p[0], 1);
    ASSERT_TRUE(pre.saveToFile(dir.file("b.png"), false));
    Image::setPNGPremultipliedAlphaEnabled(false);
    Image again;
    ASSERT_TRUE(again.initWithImageFile(dir.file("b.png")));
    EXPECT_NEAR(src->getData()[4], again.getData()[4], 2);
    Image::setPNGPremultipliedAlphaEnabled(true);

    // isToRGB drops the alpha channel.
    ASSERT_TRUE(src->saveToFile(dir.file("rgb.png"), true));
    Image rgb;
    ASSERT_TRUE(rgb.initWithImageFile(dir.file("rgb.png")));
    EXPECT_FALSE(rgb.hasAlpha());
    src->release();
}

TEST(Pictures, JpegIsCloseAndOpaque)
{
    qptest::TempDir dir;
    Image* src = makeImage(32, 16, false);
    ASSERT_TRUE(src->saveToFile(dir.file("a.jpg")));
    Image back;
    ASSERT_TRUE(back.initWithImageFile(dir.file("a.jpg")));
    EXPECT_EQ(Image::Format::JPG, back.getFileType());
    EXPECT_FALSE(back.hasAlpha());
    ASSERT_EQ(32, back.getWidth());
    ASSERT_EQ(16, back.getHeight());
    // Top-right corner: x = 31 (red 255), y = 0 (green 0).
    const unsigned char* p = back.getData() + 31 * 3;
    EXPECT_NEAR(255, p[0], 12);
    EXPECT_NEAR(0, p[1], 12);
    EXPECT_NEAR(128, p[2], 12);
    src->release();
}

TEST(Pictures, BadInputIsRefusedWithoutPartialFiles)
{
    qptest::TempDir dir;
    Image img;
    EXPECT_FALSE(img.initWithImageFile(dir.file("missing.png")));
    ASSERT_TRUE(qptest::writeFile(dir.file("junk.png"), "not a picture at all"));
    EXPECT_FALSE(img.initWithImageFile(dir.file("junk.png")));
    // A PNG cut short after its header.
    Image* src = makeImage(64, 64, false);
    ASSERT_TRUE(src->saveToFile(dir.file("full.png")));
    std::string bytes = qptest::readFile(dir.file("full.png"));
    ASSERT_TRUE(qptest::writeFile(dir.file("cut.png"), bytes.substr(0, 60)));
    EXPECT_FALSE(img.initWithImageFile(dir.file("cut.png")));
    std::string jpg;
    ASSERT_TRUE(src->saveToFile(dir.file("full.jpg")));
    jpg = qptest::readFile(dir.file("full.jpg"));
    ASSERT_TRUE(qptest::writeFile(dir.file("cut.jpg"), jpg.substr(0, 40)));
    EXPECT_FALSE(img.initWithImageFile(dir.file("cut.jpg")));
    // Unknown extension or unwritable place: false and no file.
    EXPECT_FALSE(src->saveToFile(dir.file("x.bmp")));
    EXPECT_FALSE(src->saveToFile(dir.file("no/such/dir/x.png")));
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(dir.file("no/such/dir/x.png.part")));
    // Raw data shorter than its size says.
    unsigned char few[8] = {0};
    EXPECT_FALSE(img.initWithRawData(few, 8, 4, 4, 8));
    src->release();
}

TEST(TextureLoading, AsyncCallbacksRunOnTheMainThreadAlsoOnFailure)
{
    qptest::TempDir dir;
    Image* src = makeImage(8, 4, true);
    ASSERT_TRUE(src->saveToFile(dir.file("ok.png"), false));
    src->release();
    ASSERT_TRUE(qptest::writeFile(dir.file("bad.png"), "garbage"));

    Director* d = Director::getInstance();
    TextureCache* cache = d->getTextureCache();
    std::thread::id mainId = std::this_thread::get_id();
    int good = 0, failed = 0, offMain = 0, unbound = 0;
    Texture2D* got = nullptr;
    auto check = [&] {
        if (std::this_thread::get_id() != mainId) ++offMain;
    };
    cache->addImageAsync(dir.file("ok.png"), [&](Texture2D* t) {
        check();
        got = t;
        if (t) ++good;
    });
    cache->addImageAsync(dir.file("bad.png"), [&](Texture2D* t) {
        check();
        if (!t) ++failed;
    });
    cache->addImageAsync(dir.file("missing.png"), [&](Texture2D* t) {
        check();
        if (!t) ++failed;
    });
    cache->addImageAsync(dir.file("ok.png"), [&](Texture2D*) { ++unbound; }, "screen-gone");
    cache->unbindImageAsync("screen-gone");
    EXPECT_EQ(0, good + failed); // never at once
    for (int i = 0; i < 5000 && good + failed < 3; ++i) { // up to 10 s on a busy machine
        d->mainLoop(1.0f / 60);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (int i = 0; i < 5; ++i) d->mainLoop(1.0f / 60);
    EXPECT_EQ(1, good);
    EXPECT_EQ(2, failed);
    EXPECT_EQ(0, offMain);
    EXPECT_EQ(0, unbound);
    ASSERT_NE(nullptr, got);
    EXPECT_EQ(8, got->getPixelsWide());
    EXPECT_TRUE(got->hasPremultipliedAlpha());
    EXPECT_EQ(got, cache->getTextureForKey(dir.file("ok.png")));
    EXPECT_EQ(got, cache->addImage(dir.file("ok.png"))); // cached
    cache->removeTextureForKey(dir.file("ok.png"));
    EXPECT_EQ(nullptr, cache->getTextureForKey(dir.file("ok.png")));
    EXPECT_EQ(nullptr, cache->addImage(dir.file("bad.png")));
}

TEST(TextureLoading, QuittingDropsPendingWorkSafely)
{
    qptest::TempDir dir;
    Image* src = makeImage(64, 64, false);
    ASSERT_TRUE(src->saveToFile(dir.file("p.png")));
    src->release();
    auto* cache = new TextureCache();
    int calls = 0;
    for (int i = 0; i < 20; ++i) {
        cache->addImageAsync(dir.file("p.png"), [&](Texture2D*) { ++calls; });
    }
    cache->release(); // joins the loader and withdraws its deliveries
    for (int i = 0; i < 5; ++i) Director::getInstance()->mainLoop(1.0f / 60);
    EXPECT_EQ(0, calls);
}

TEST(TextureHeadless, TexturesKeepTheirSizeWithoutGL)
{
    ASSERT_FALSE(GL::isContextReady());
    unsigned char px[12] = {0};
    Texture2D tex;
    EXPECT_TRUE(tex.initWithData(px, 12, Texture2D::PixelFormat::RGB888, 2, 2, Size(2, 2)));
    EXPECT_EQ(0u, tex.getName());
    EXPECT_EQ(2, tex.getPixelsHigh());
    EXPECT_EQ(nullptr, GLProgram::createWithByteArrays("void main(){}", "void main(){}"));
}
