// The window, programs, textures, render queues, scissors and capture, drawn under Xvfb with
// Mesa and read back.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "base/ccUtils.h"
#include "cocos2d.h"
#include "platform/GLViewImpl.h"
#include "platform/Image.h"
#include "renderer/CustomCommand.h"
#include "renderer/GLProgramCache.h"
#include "renderer/GLProgramState.h"
#include "renderer/Renderer.h"
#include "renderer/Texture2D.h"
#include "renderer/TrianglesCommand.h"
#include "renderer/ccGLStateCache.h"
#include "support/TestSupport.h"

using namespace cocos2d;

namespace {

const int kW = 160;
const int kH = 120;

struct Pixel {
    int r, g, b;
};

Pixel readPixel(int x, int y)
{
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

::testing::AssertionResult near(Pixel got, int r, int g, int b, int tolerance = 3)
{
    if (std::abs(got.r - r) <= tolerance && std::abs(got.g - g) <= tolerance && std::abs(got.b - b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << got.r << "," << got.g << "," << got.b << ") expected (" << r
                                         << "," << g << "," << b << ")";
}

// One window for the whole program: GL state is per context, and windows are slow to make.
class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        view = GLViewImpl::createWithRect("render test", Rect(0, 0, kW, kH));
        if (view) {
            view->retain();
            Director::getInstance()->setOpenGLView(view);
            Director::getInstance()->setProjection(Director::Projection::_2D);
        }
    }
    static void TearDownTestSuite()
    {
        Director::getInstance()->reset();
        if (white) white->release();
        white = nullptr;
    }
    void SetUp() override
    {
        if (!view) GTEST_SKIP() << "no display for a GL window";
        renderer()->clean();
        Director::getInstance()->setClearColor(Color4F(0, 0, 0, 1));
        renderer()->clear();
    }
    Renderer* renderer() { return Director::getInstance()->getRenderer(); }

    // Two triangles covering (x, y, w, h) in points, coloured, drawn untextured through a
    // 1x1 white texture.
    void quad(TrianglesCommand& cmd, V3F_C4B_T2F* verts, unsigned short* idx, float x, float y, float w, float h,
              Color4B c, float z = 0, uint32_t flags = 0)
    {
        if (!white) {
            unsigned char px[4] = {255, 255, 255, 255};
            white = new Texture2D();
            white->initWithData(px, 4, Texture2D::PixelFormat::RGBA8888, 1, 1, Size(1, 1));
        }
        float xs[4] = {x, x, x + w, x + w}, ys[4] = {y + h, y, y + h, y};
        for (int i = 0; i < 4; ++i) {
            verts[i].vertices = Vec3(xs[i], ys[i], 0);
            verts[i].colors = c;
            verts[i].texCoords = Tex2F(0.5f, 0.5f);
        }
        unsigned short order[6] = {0, 1, 2, 3, 2, 1};
        std::copy(order, order + 6, idx);
        TrianglesCommand::Triangles t;
        t.verts = verts;
        t.vertCount = 4;
        t.indices = idx;
        t.indexCount = 6;
        Mat4 mv;
        mv.translate(0, 0, z);
        cmd.init(z, white->getName(),
                 GLProgramState::getOrCreateWithGLProgramName(GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR_NO_MVP),
                 BlendFunc::DISABLE, t, Mat4::IDENTITY, flags);
    }

    static GLViewImpl* view;
    static Texture2D* white;
};

GLViewImpl* GLTest::view = nullptr;
Texture2D* GLTest::white = nullptr;

} // namespace

TEST_F(GLTest, WindowGivesContextAndDesignSize)
{
    EXPECT_TRUE(GL::isContextReady());
    EXPECT_EQ(Size(kW, kH), view->getFrameSize());
    EXPECT_EQ(Size(kW, kH), Director::getInstance()->getWinSize());
    EXPECT_GE(Configuration::getInstance()->getMaxTextureSize(), 1024);
    EXPECT_FALSE(Configuration::getInstance()->getInfo().empty());

    // The fixed-height policy keeps the design height and follows the window's width.
    view->setDesignResolutionSize(100, 60, ResolutionPolicy::FIXED_HEIGHT);
    EXPECT_FLOAT_EQ(2.0f, view->getScaleY());
    EXPECT_FLOAT_EQ(2.0f, view->getScaleX());
    EXPECT_EQ(Size(80, 60), view->getDesignResolutionSize());
    view->setDesignResolutionSize(kW, kH, ResolutionPolicy::FIXED_HEIGHT);
    Director::getInstance()->setProjection(Director::Projection::_2D);
}

TEST_F(GLTest, BuiltInProgramsLinkAndBadSourcesAreRefused)
{
    const char* names[] = {GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR,
                           GLProgram::SHADER_NAME_POSITION_TEXTURE_COLOR_NO_MVP,
                           GLProgram::SHADER_NAME_POSITION_COLOR,
                           GLProgram::SHADER_NAME_POSITION_COLOR_TEXASPOINTSIZE,
                           GLProgram::SHADER_NAME_POSITION_LENGTH_TEXTURE_COLOR,
                           GLProgram::SHADER_NAME_POSITION_TEXTURE,
                           GLProgram::SHADER_NAME_LABEL_NORMAL};
    for (const char* name : names) {
        GLProgram* p = GLProgramCache::getInstance()->getGLProgram(name);
        ASSERT_NE(nullptr, p) << name;
        EXPECT_NE(0u, p->getProgram());
    }
    GLProgram* mvp = GLProgramCache::getInstance()->getGLProgram(GLProgram::SHADER_NAME_POSITION_COLOR);
    EXPECT_GE(mvp->getBuiltinUniformLocation(GLProgram::UNIFORM_MVP_MATRIX), 0);
    EXPECT_EQ(0, mvp->getAttribLocation("a_position"));
    EXPECT_EQ(1, mvp->getAttribLocation("a_color"));

    EXPECT_EQ(nullptr, GLProgram::createWithByteArrays("void main() { syntax error }", "void main(){}"));
    EXPECT_EQ(nullptr, GLProgram::createWithByteArrays("", ""));
    // A program may carry its own version line; the built-ins are declared after it.
    GLProgram* versioned = GLProgram::createWithByteArrays(
        "#version 120\nattribute vec4 a_position; void main() { gl_Position = CC_MVPMatrix * a_position; }",
        "#version 120\nuniform float u_wwMin; void main() { gl_FragColor = vec4(u_wwMin); }");
    ASSERT_NE(nullptr, versioned);
    EXPECT_EQ(1u, versioned->getUniforms().count("u_wwMin"));
    // Precision qualifiers work in old and new GLSL alike.
    EXPECT_NE(nullptr, GLProgram::createWithByteArrays(
                           "attribute vec4 a_position; void main() { gl_Position = CC_MVPMatrix * a_position; }",
                           "varying mediump vec2 v; void main() { gl_FragColor = vec4(1.0); }"));
    EXPECT_NE(nullptr, GLProgram::createWithByteArrays(
                           "#version 130\nin vec4 a_position; void main() { gl_Position = CC_MVPMatrix * a_position; }",
                           "#version 130\nprecision mediump float; out vec4 c; void main() { c = vec4(1.0); }"));
}

// Display code selects texture units with plain GL calls between the engine's binds; the
// engine must still bind on the unit it was asked for.
TEST_F(GLTest, TextureBindsLandOnTheirUnitAfterForeignUnitChanges)
{
    GLuint t[2] = {0, 0};
    glGenTextures(2, t);
    auto boundOn = [](GLenum unit) {
        GLint id = -1;
        glActiveTexture(unit);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &id);
        return id;
    };
    GL::bindTexture2DN(0, t[0]);
    GL::bindTexture2DN(1, t[1]);
    glActiveTexture(GL_TEXTURE0);
    GL::bindTexture2DN(1, 0);
    EXPECT_EQ(static_cast<GLint>(t[0]), boundOn(GL_TEXTURE0));
    EXPECT_EQ(0, boundOn(GL_TEXTURE1));
    GL::invalidateStateCache();
    GL::deleteTexture(t[0]);
    GL::deleteTexture(t[1]);
    GL::activeTexture(GL_TEXTURE0);
}

TEST_F(GLTest, TextureFormatsRoundTripWithOddRowSizes)
{
    struct Case {
        Texture2D::PixelFormat format;
        int bytesPerPixel;
        GLenum readFormat;
    } cases[] = {
        {Texture2D::PixelFormat::RGB888, 3, GL_RGB},
        {Texture2D::PixelFormat::RGBA8888, 4, GL_RGBA},
        {Texture2D::PixelFormat::AI88, 2, GL_LUMINANCE_ALPHA},
        {Texture2D::PixelFormat::A8, 1, GL_ALPHA},
    };
    const int w = 3, h = 5; // rows of 9, 12, 6 and 3 bytes: alignments 1, 4, 2 and 1
    for (const auto& c : cases) {
        std::vector<unsigned char> pixels(static_cast<size_t>(w * h * c.bytesPerPixel));
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 7 + 3);
        Texture2D tex;
        ASSERT_TRUE(tex.initWithData(pixels.data(), static_cast<ssize_t>(pixels.size()), c.format, w, h, Size(w, h)));
        ASSERT_NE(0u, tex.getName());
        std::vector<unsigned char> back(pixels.size() + 16, 0);
        GL::bindTexture2D(tex.getName());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, c.readFormat, GL_UNSIGNED_BYTE, back.data());
        EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), back.begin())) << tex.getStringForFormat();
    }
    // A buffer too short for the size asked is refused, not read past.
    unsigned char small[8] = {0};
    Texture2D tex;
    EXPECT_FALSE(tex.initWithData(small, 8, Texture2D::PixelFormat::RGB888, 3, 3, Size(3, 3)));
    EXPECT_FALSE(tex.initWithData(small, 8, Texture2D::PixelFormat::RGB888, 0, 3, Size(0, 3)));
}

TEST_F(GLTest, QueuesDrawThreeDFirstThenTwoDByZInVisitOrder)
{
    std::vector<int> order;
    CustomCommand cmds[6];
    float z[6] = {1, 0, -1, 0, 0, -5};
    uint32_t flags[6] = {0, 0, 0, 0, 1u << 3, 0};
    for (int i = 0; i < 6; ++i) {
        cmds[i].init(z[i], Mat4::IDENTITY, flags[i]);
        cmds[i].func = [&order, i] { order.push_back(i); };
        renderer()->addCommand(&cmds[i]);
    }
    renderer()->render();
    EXPECT_EQ((std::vector<int>{4, 5, 2, 1, 3, 0}), order);
    order.clear();
    renderer()->render(); // everything was consumed
    EXPECT_TRUE(order.empty());
}

TEST_F(GLTest, TrianglesAreDrawnWhereTheyBelong)
{
    TrianglesCommand red, green;
    V3F_C4B_T2F v1[4], v2[4];
    unsigned short i1[6], i2[6];
    quad(red, v1, i1, 10, 10, 40, 30, Color4B(255, 0, 0, 255));
    quad(green, v2, i2, 30, 20, 40, 30, Color4B(0, 255, 0, 255), 1);
    renderer()->addCommand(&green); // higher z: drawn last although queued first
    renderer()->addCommand(&red);
    renderer()->render();
    EXPECT_TRUE(near(readPixel(15, 15), 255, 0, 0));
    EXPECT_TRUE(near(readPixel(40, 30), 0, 255, 0)); // overlap: green on top
    EXPECT_TRUE(near(readPixel(65, 45), 0, 255, 0));
    EXPECT_TRUE(near(readPixel(5, 5), 0, 0, 0));
    EXPECT_GE(renderer()->getDrawnBatches(), 2);
}

TEST_F(GLTest, NestedScissorsIntersect)
{
    renderer()->pushScissorRect(Rect(10, 10, 60, 60));
    renderer()->pushScissorRect(Rect(40, 40, 60, 60));
    Rect current;
    ASSERT_TRUE(renderer()->getCurrentScissorRect(&current));
    EXPECT_EQ(Rect(40, 40, 30, 30), current);
    TrianglesCommand blue;
    V3F_C4B_T2F v[4];
    unsigned short idx[6];
    quad(blue, v, idx, 0, 0, kW, kH, Color4B(0, 0, 255, 255));
    renderer()->addCommand(&blue);
    renderer()->render();
    renderer()->popScissorRect();
    renderer()->popScissorRect();
    EXPECT_FALSE(renderer()->getCurrentScissorRect(nullptr));
    EXPECT_TRUE(near(readPixel(50, 50), 0, 0, 255));
    EXPECT_TRUE(near(readPixel(20, 20), 0, 0, 0));  // inside the outer only
    EXPECT_TRUE(near(readPixel(80, 80), 0, 0, 0));  // inside the inner only
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(GLTest, InlineCameraClearsDepthOnlyInsideItsWindow)
{
    // Depth written everywhere at z = 0 by an opaque 3D quad, then an in-line camera region.
    TrianglesCommand back;
    V3F_C4B_T2F v[4];
    unsigned short idx[6];
    quad(back, v, idx, 0, 0, kW, kH, Color4B(50, 50, 50, 255), 0, 1u << 3);
    renderer()->addCommand(&back);
    renderer()->beginInlineCamera(Rect(20, 20, 40, 40));
    TrianglesCommand front;
    V3F_C4B_T2F v2[4];
    unsigned short idx2[6];
    quad(front, v2, idx2, 0, 0, kW, kH, Color4B(200, 0, 200, 255), 0, 1u << 3);
    renderer()->addCommand(&front);
    renderer()->endInlineCamera();
    EXPECT_TRUE(near(readPixel(30, 30), 200, 0, 200)); // drawn inside the camera's window
    EXPECT_TRUE(near(readPixel(100, 100), 50, 50, 50)); // scissored away outside
}

TEST_F(GLTest, CaptureWritesTheRegionAskedFor)
{
    qptest::TempDir dir;
    TrianglesCommand red, blue;
    V3F_C4B_T2F v1[4], v2[4];
    unsigned short i1[6], i2[6];
    quad(red, v1, i1, 0, 0, kW, kH, Color4B(255, 0, 0, 255));
    quad(blue, v2, i2, 20, 10, 10, 10, Color4B(0, 0, 255, 255), 1);
    std::atomic<int> calls{0};
    bool ok = false;
    std::string written;
    std::thread::id mainId = std::this_thread::get_id();
    bool onMain = false;
    auto done = [&](bool success, const std::string& path) {
        ok = success;
        written = path;
        onMain = std::this_thread::get_id() == mainId;
        ++calls;
    };
    // A frame: the capture is taken after everything queued in it is drawn.
    Director* d = Director::getInstance();
    d->getScheduler()->schedule(
        [&](float) {
            renderer()->addCommand(&red);
            renderer()->addCommand(&blue);
        },
        this, 0, 0, 0, false, "draw");
    utils::captureScreen(done, dir.file("cap.png"), 15, 5, 30, 20);
    while (calls == 0) { // the file is written on another thread
        d->mainLoop(1.0f / 60);
        std::this_thread::yield();
    }
    d->getScheduler()->unschedule("draw", this);
    ASSERT_EQ(1, calls.load());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(onMain);
    Image img;
    ASSERT_TRUE(img.initWithImageFile(written));
    EXPECT_EQ(30, img.getWidth());
    EXPECT_EQ(20, img.getHeight());
    // Top-left of the file is window (15, 24): red. The blue square spans window x 20-29,
    // y 10-19, i.e. file columns 5-14 and rows 5-14 from the top.
    auto at = [&](int x, int y) {
        const unsigned char* p = img.getData() + (static_cast<size_t>(y) * 30 + x) * (img.hasAlpha() ? 4 : 3);
        return Pixel{p[0], p[1], p[2]};
    };
    EXPECT_TRUE(near(at(0, 0), 255, 0, 0));
    EXPECT_TRUE(near(at(10, 10), 0, 0, 255));
    EXPECT_TRUE(near(at(29, 19), 255, 0, 0));

    // Outside the window: the callback still runs and reports failure.
    calls = 0;
    utils::captureScreen(done, dir.file("none.png"), kW + 10, 0, 10, 10);
    for (int i = 0; i < 50 && calls == 0; ++i) d->mainLoop(1.0f / 60);
    EXPECT_EQ(1, calls.load());
    EXPECT_FALSE(ok);

    // An empty rectangle at the origin is the whole window.
    calls = 0;
    utils::captureScreen(done, dir.file("whole.png"), 0, 0, 0, 0);
    while (calls == 0) {
        d->mainLoop(1.0f / 60);
        std::this_thread::yield();
    }
    ASSERT_TRUE(ok);
    Image whole;
    ASSERT_TRUE(whole.initWithImageFile(written));
    EXPECT_EQ(kW, whole.getWidth());
    EXPECT_EQ(kH, whole.getHeight());

    // Waiting for captures (as the director does when it goes) returns with the file written.
    calls = 0;
    utils::captureScreen(done, dir.file("last.png"));
    d->markDirty();
    d->mainLoop(1.0f / 60); // reads the pixels; the file is written on another thread
    utils::waitForCaptures();
    Image last;
    ASSERT_TRUE(last.initWithImageFile(dir.file("last.png")));
    EXPECT_EQ(kW, last.getWidth());
    while (calls == 0)
        d->mainLoop(1.0f / 60);
}
