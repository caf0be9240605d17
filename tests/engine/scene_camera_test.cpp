// Camera lists, projections and which cameras draw which nodes.

#include "SceneFixture.h"

#include <map>
#include <vector>

#include "2d/Camera.h"
#include "2d/Node.h"
#include "2d/Scene.h"

using namespace cocos2d;

namespace {

/// Counts how often each camera flag drew it (null camera counted as 0).
class DrawCounter : public Node {
public:
    static DrawCounter* create()
    {
        auto* n = new DrawCounter();
        n->init();
        n->autorelease();
        return n;
    }
    void draw(Renderer*, const Mat4&, uint32_t) override
    {
        const Camera* c = Camera::getVisitingCamera();
        ++draws[c ? static_cast<int>(c->getCameraFlag()) : 0];
    }
    std::map<int, int> draws;
};

void expectNear(const Vec3& a, const Vec3& b, float tol = 1e-2f)
{
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

} // namespace

class CameraList : public qptest::SceneFixture {};

TEST_F(CameraList, FlagsAreValuesAddedAndRemovedPerNodeOrSubtree)
{
    Node* parent = Node::create();
    Node* child = Node::create();
    parent->addChild(child);
    EXPECT_EQ(parent->getCameraList(), (std::set<unsigned short>{1}));

    parent->setCameraMask(3, true);
    EXPECT_EQ(child->getCameraList(), (std::set<unsigned short>{1, 3}));
    parent->setCameraMask(2, false);
    EXPECT_TRUE(parent->hasCameraFlag(2));
    EXPECT_FALSE(child->hasCameraFlag(2));
    // Flag values, not bits: 3 is not "1 and 2".
    EXPECT_FALSE(child->hasCameraFlag(2));

    parent->removeCameraMask(1, true);
    EXPECT_EQ(parent->getCameraList(), (std::set<unsigned short>{2, 3}));
    EXPECT_EQ(child->getCameraList(), (std::set<unsigned short>{3}));
    parent->removeCameraMask(3, false);
    EXPECT_TRUE(child->hasCameraFlag(3));
}

TEST_F(CameraList, VisitingCameraDecidesVisibility)
{
    Node* node = Node::create();
    node->removeCameraMask(1);
    node->setCameraMask(4);
    EXPECT_TRUE(node->isVisitableByVisitingCamera()); // no camera visiting
    Camera* camera = Camera::create();
    camera->setCameraFlag(CameraFlag::USER3); // value 4
    Camera::_visitingCamera = camera;
    EXPECT_TRUE(node->isVisitableByVisitingCamera());
    camera->setCameraFlag(static_cast<unsigned short>(2));
    EXPECT_FALSE(node->isVisitableByVisitingCamera());
    Camera::_visitingCamera = nullptr;
}

TEST_F(CameraList, SceneCamerasDrawOnlyTheirNodes)
{
    DrawCounter* plain = DrawCounter::create();
    DrawCounter* tagged = DrawCounter::create();
    scene->addChild(plain);
    scene->addChild(tagged);
    tagged->removeCameraMask(1);
    tagged->setCameraMask(2);
    Camera* extra = Camera::create();
    extra->setCameraFlag(CameraFlag::USER1);
    scene->addChild(extra);
    EXPECT_EQ(scene->getCameras().size(), 2u);

    input->frame();
    EXPECT_EQ(plain->draws, (std::map<int, int>{{1, 1}}));
    EXPECT_EQ(tagged->draws, (std::map<int, int>{{2, 1}}));

    extra->setVisible(false);
    input->frame();
    EXPECT_EQ(tagged->draws[2], 1);
    extra->removeFromParent();
    EXPECT_EQ(scene->getCameras().size(), 1u);
}

TEST_F(CameraList, WindowCamerasDrawTheirSubtreeInLineAtTheWindowsPlace)
{
    // A screen holding a render-window-like node with its own camera and an overlay drawn after it.
    Node* screen = Node::create();
    scene->addChild(screen);
    Node* window = Node::create();
    screen->addChild(window);
    screen->enableCameraVisitThroughtChild();
    Camera* windowCamera = Camera::create();
    windowCamera->setCameraFlag(static_cast<unsigned short>(2));
    window->addChild(windowCamera);
    DrawCounter* image = DrawCounter::create();
    image->removeCameraMask(1);
    image->setCameraMask(2);
    window->addChild(image);
    DrawCounter* panel = DrawCounter::create();
    screen->addChild(panel);

    std::vector<std::string> order;
    struct Probe : Node {
        std::vector<std::string>* out = nullptr;
        std::string label;
        void draw(Renderer*, const Mat4&, uint32_t) override { out->push_back(label); }
    };
    auto* imageProbe = new Probe();
    imageProbe->out = &order;
    imageProbe->label = "image";
    imageProbe->removeCameraMask(1);
    imageProbe->setCameraMask(2);
    window->addChild(imageProbe);
    imageProbe->release();
    auto* panelProbe = new Probe();
    panelProbe->out = &order;
    panelProbe->label = "panel";
    screen->addChild(panelProbe);
    panelProbe->release();

    EXPECT_TRUE(windowCamera->isDrawnInline());
    input->frame();
    EXPECT_EQ(image->draws, (std::map<int, int>{{2, 1}}));
    EXPECT_EQ(panel->draws, (std::map<int, int>{{1, 1}}));
    // Drawn in line: the window's picture comes before the panel added after the window.
    EXPECT_EQ(order, (std::vector<std::string>{"image", "panel"}));

    // Without the switch on the parent, the camera draws the whole scene in a pass of its own,
    // after everything the default camera drew.
    screen->enableCameraVisitThroughtChild(false);
    EXPECT_FALSE(windowCamera->isDrawnInline());
    order.clear();
    input->frame();
    EXPECT_EQ(order, (std::vector<std::string>{"panel", "image"}));
}

class CameraProjection : public qptest::SceneFixture {};

TEST_F(CameraProjection, DefaultCameraShowsWindowPointsOneToOne)
{
    Camera* camera = scene->getDefaultCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->getCameraFlag(), CameraFlag::DEFAULT);
    EXPECT_EQ(Camera::getDefaultCamera(), camera);
    const Vec2 gl = camera->projectGL(Vec3(200, 150, 0));
    EXPECT_NEAR(gl.x, 200.0f, 1e-2f);
    EXPECT_NEAR(gl.y, 150.0f, 1e-2f);
    const Vec2 ui = camera->project(Vec3(200, 150, 0));
    EXPECT_NEAR(ui.y, 450.0f, 1e-2f);

    // A window point unprojected at the depth of z = 0 comes back to it.
    const Vec4 clip = camera->getViewProjectionMatrix() * Vec4(200, 150, 0, 1);
    const float depth = (clip.z / clip.w + 1.0f) / 2.0f;
    expectNear(camera->unprojectGL(Vec3(200, 150, depth)), Vec3(200, 150, 0));
    expectNear(camera->unproject(Vec3(200, 450, depth)), Vec3(200, 150, 0));
}

TEST_F(CameraProjection, ViewIsTheInverseOfTheCameraPlacement)
{
    Camera* camera = Camera::createOrthographic(800, 600, 1, 1000);
    camera->setPosition3D(Vec3(10, 20, 100));
    camera->lookAt(Vec3(10, 20, 0), Vec3(0, 1, 0));
    Vec3 p;
    camera->getViewMatrix().transformPoint(Vec3(15, 25, 0), &p);
    expectNear(p, Vec3(5, 5, -100));
    EXPECT_NEAR(camera->getDepthInView(Mat4::IDENTITY), 100.0f, 1e-3f);

    // Under a moved parent the view follows the parent too.
    Node* holder = Node::create();
    holder->addChild(camera);
    holder->setPosition(100, 0);
    camera->getViewMatrix().transformPoint(Vec3(115, 25, 0), &p);
    expectNear(p, Vec3(5, 5, -100));
}

TEST_F(CameraProjection, AdditionalProjectionIsAppliedAfterAndReplacesThePreviousOne)
{
    Camera* camera = Camera::createOrthographic(100, 100, 1, 100);
    const Mat4 base = camera->getProjectionMatrix();
    Mat4 half;
    Mat4::createScale(0.5f, 0.5f, 1.0f, &half);
    camera->setAdditionalProjection(half);
    camera->setAdditionalProjection(half); // not compounded
    const Mat4 expected = half * base;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(camera->getProjectionMatrix().m[i], expected.m[i], 1e-6f);
}

TEST_F(CameraList, TakingTheDefaultCameraAwayLeavesNoDanglingCamera)
{
    DrawCounter* plain = DrawCounter::create();
    scene->addChild(plain);
    Camera* camera = scene->getDefaultCamera();
    camera->removeFromParent();
    EXPECT_TRUE(scene->getCameras().empty());
    input->frame();
    EXPECT_TRUE(plain->draws.empty()); // no camera, nothing drawn
    EXPECT_EQ(scene->getDefaultCamera(), camera);
    EXPECT_EQ(camera->getCameraScene(), nullptr);
}
