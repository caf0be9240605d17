// Node geometry, conversions and the ordering of children.

#include "SceneFixture.h"

#include "2d/Node.h"
#include "2d/ProtectedNode.h"
#include "base/Director.h"

using namespace cocos2d;

namespace {

void expectNear(const Vec2& a, const Vec2& b, float tol = 1e-3f)
{
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
}

Vec3 worldOf(Node* node, const Vec3& local)
{
    Vec3 p;
    node->getNodeToWorldTransform().transformPoint(local, &p);
    return p;
}

/// Keeps one reference for the test's lifetime.
struct Holder {
    explicit Holder(Node* n) : node(n) { node->retain(); }
    ~Holder() { node->release(); }
    Node* operator->() const { return node; }
    Node* node;
};

} // namespace

class NodeTransform : public qptest::SceneFixture {};

TEST_F(NodeTransform, AnchorPositionRotationAndScaleCompose)
{
    Node* node = Node::create();
    node->setContentSize(Size(100, 50));
    node->setAnchorPoint(Vec2(0.5f, 0.5f));
    node->setPosition(200, 100);
    // The anchor lands on the position.
    expectNear(node->convertToWorldSpace(Vec2(50, 25)), Vec2(200, 100));

    node->setRotation(90); // clockwise
    expectNear(node->convertToWorldSpace(Vec2(100, 25)), Vec2(200, 50));

    node->setScale(2.0f);
    expectNear(node->convertToWorldSpace(Vec2(100, 25)), Vec2(200, 0));
    expectNear(node->convertToNodeSpace(Vec2(200, 0)), Vec2(100, 25));

    node->setIgnoreAnchorPointForPosition(true);
    node->setRotation(0);
    node->setScale(1);
    expectNear(node->convertToWorldSpace(Vec2::ZERO), Vec2(200, 100)); // the corner, not the anchor
    expectNear(node->convertToNodeSpaceAR(Vec2(250, 125)), Vec2::ZERO);
}

TEST_F(NodeTransform, NestedConversionsRoundTripThroughEveryAncestor)
{
    Node* outer = Node::create();
    Node* middle = Node::create();
    Node* inner = Node::create();
    outer->addChild(middle);
    middle->addChild(inner);
    outer->setPosition(10, 20);
    outer->setRotation(30);
    middle->setScale(1.5f, 0.5f);
    middle->setPosition(-40, 7);
    inner->setContentSize(Size(10, 10));
    inner->setAnchorPoint(Vec2(1, 1));
    inner->setPosition(3, 4);
    inner->setRotation(-75);

    const Vec2 world(123, -45);
    expectNear(inner->convertToWorldSpace(inner->convertToNodeSpace(world)), world);
    // Node-to-world is the product of the node-to-parent transforms up the tree.
    const Mat4 chain = outer->getNodeToParentTransform() * middle->getNodeToParentTransform() *
                       inner->getNodeToParentTransform();
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(inner->getNodeToWorldTransform().m[i], chain.m[i], 1e-4f);
    const Mat4 toMiddle = inner->getNodeToParentTransform(outer);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(toMiddle.m[i], (middle->getNodeToParentTransform() * inner->getNodeToParentTransform()).m[i],
                    1e-4f);
}

TEST_F(NodeTransform, ThreeDimensionalRotationsTurnAboutEachAxis)
{
    Node* node = Node::create();
    node->setPosition3D(Vec3(0, 0, 5));

    node->setRotation3D(Vec3(90, 0, 0)); // about x: y goes to z
    Vec3 p = worldOf(node, Vec3(0, 1, 0));
    EXPECT_NEAR(p.y, 0.0f, 1e-4f);
    EXPECT_NEAR(p.z, 6.0f, 1e-4f);

    node->setRotation3D(Vec3(0, 90, 0)); // about y: z goes to x
    p = worldOf(node, Vec3(0, 0, 1));
    EXPECT_NEAR(p.x, 1.0f, 1e-4f);
    EXPECT_NEAR(p.z, 5.0f, 1e-4f);

    node->setRotation3D(Vec3(0, 0, 90)); // about z, clockwise like the 2D rotation
    p = worldOf(node, Vec3(1, 0, 0));
    EXPECT_NEAR(p.x, 0.0f, 1e-4f);
    EXPECT_NEAR(p.y, -1.0f, 1e-4f);
    EXPECT_FLOAT_EQ(node->getRotation(), 90.0f);

    // x is applied first, then y.
    node->setRotation3D(Vec3(90, 90, 0));
    p = worldOf(node, Vec3(0, 1, 0)); // x turns it to +z, y then turns +z to +x
    EXPECT_NEAR(p.x, 1.0f, 1e-4f);
    EXPECT_NEAR(p.y, 0.0f, 1e-4f);

    // A quaternion round-trips through the Euler angles.
    node->setRotationQuat(Quaternion(Vec3(0, 1, 0), CC_DEGREES_TO_RADIANS(40)));
    EXPECT_NEAR(node->getRotation3D().y, 40.0f, 1e-3f);
}

TEST_F(NodeTransform, AdditionalTransformAppliesInLocalSpaceAndCanBeCleared)
{
    Node* node = Node::create();
    node->setPosition(100, 0);
    node->setRotation(90);
    Mat4 extra;
    Mat4::createTranslation(10, 0, 0, &extra);
    node->setAdditionalTransform(&extra);
    // Moved 10 along the node's own (turned) x axis, which points down the screen.
    expectNear(node->convertToWorldSpace(Vec2::ZERO), Vec2(100, -10));
    node->setAdditionalTransform(nullptr);
    expectNear(node->convertToWorldSpace(Vec2::ZERO), Vec2(100, 0));
}

TEST_F(NodeTransform, BoundingBoxCoversTheTurnedContent)
{
    Node* node = Node::create();
    node->setContentSize(Size(40, 20));
    node->setAnchorPoint(Vec2(0.5f, 0.5f));
    node->setPosition(100, 100);
    node->setRotation(90);
    const Rect box = node->getBoundingBox();
    EXPECT_NEAR(box.size.width, 20.0f, 1e-3f);
    EXPECT_NEAR(box.size.height, 40.0f, 1e-3f);
    EXPECT_NEAR(box.getMidX(), 100.0f, 1e-3f);
    EXPECT_NEAR(box.getMidY(), 100.0f, 1e-3f);
}

TEST_F(NodeTransform, NormalizedPositionFollowsTheParentSize)
{
    Node* parent = Node::create();
    parent->setContentSize(Size(200, 100));
    Node* child = Node::create();
    parent->addChild(child);
    child->setNormalizedPosition(Vec2(0.5f, 0.25f));
    EXPECT_EQ(child->getPosition(), Vec2(100, 25));
    // A hidden child follows a resize too, without waiting for a visit.
    child->setVisible(false);
    parent->setContentSize(Size(400, 300));
    EXPECT_EQ(child->getPosition(), Vec2(200, 75));
}

class NodeChildren : public qptest::SceneFixture {};

TEST_F(NodeChildren, EqualZOrderKeepsInsertionOrderAndReorderingMovesToTheEnd)
{
    Node* parent = Node::create();
    Node* a = Node::create();
    Node* b = Node::create();
    Node* c = Node::create();
    Node* back = Node::create();
    parent->addChild(a, 1);
    parent->addChild(b, 1);
    parent->addChild(c, 1);
    parent->addChild(back, -1);
    parent->sortAllChildren();
    ASSERT_EQ(parent->getChildrenCount(), 4);
    EXPECT_EQ(parent->getChildren().at(0), back);
    EXPECT_EQ(parent->getChildren().at(1), a);
    EXPECT_EQ(parent->getChildren().at(2), b);
    EXPECT_EQ(parent->getChildren().at(3), c);

    a->setLocalZOrder(2);
    b->setLocalZOrder(2);
    parent->sortAllChildren();
    EXPECT_EQ(parent->getChildren().at(1), c);
    EXPECT_EQ(parent->getChildren().at(2), a);
    EXPECT_EQ(parent->getChildren().at(3), b);

    // Sorting many equal siblings never shuffles them.
    Node* many = Node::create();
    std::vector<Node*> order;
    for (int i = 0; i < 50; ++i) {
        Node* n = Node::create();
        many->addChild(n, i % 3);
        order.push_back(n);
    }
    many->sortAllChildren();
    int last = -1;
    unsigned int lastArrival = 0;
    for (Node* n : many->getChildren()) {
        if (n->getLocalZOrder() == last) {
            EXPECT_GT(n->getOrderOfArrival(), lastArrival);
        }
        last = n->getLocalZOrder();
        lastArrival = n->getOrderOfArrival();
    }
}

TEST_F(NodeChildren, LookupsByTagNameAndDeepName)
{
    Node* root = Node::create();
    Node* child = Node::create();
    Node* grandChild = Node::create();
    root->addChild(child, 0, 7);
    child->addChild(grandChild, 0, "deep");
    EXPECT_EQ(root->getChildByTag(7), child);
    EXPECT_EQ(root->getChildByName("deep"), nullptr);
    EXPECT_EQ(root->getChildByNameDeep("deep"), grandChild);
    EXPECT_EQ(root->getChildByNameDeep(""), nullptr);

    ProtectedNode* widget = ProtectedNode::create();
    Node* renderer = Node::create();
    renderer->setName("renderer");
    widget->addProtectedChild(renderer);
    root->addChild(widget);
    EXPECT_EQ(widget->getChildByName("renderer"), nullptr); // not an ordinary child
    EXPECT_EQ(root->getChildByNameDeep("renderer"), renderer);
    EXPECT_EQ(renderer->getParent(), widget);
}

TEST_F(NodeChildren, RefusesLoopsAndSecondParents)
{
    Holder a(Node::create());
    Holder b(Node::create());
    Holder c(Node::create());
    a->addChild(b.node);
    b->addChild(c.node);
    c->addChild(a.node); // would close a loop
    EXPECT_EQ(a->getParent(), nullptr);
    a->addChild(a.node);
    EXPECT_EQ(a->getChildrenCount(), 1);
    Holder other(Node::create());
    other->addChild(c.node); // c already has a parent
    EXPECT_EQ(c->getParent(), b.node);
    EXPECT_EQ(other->getChildrenCount(), 0);
}

TEST_F(NodeChildren, UserObjectIsRetainedUntilReplaced)
{
    Holder node(Node::create());
    Node* object = Node::create();
    const unsigned int before = object->getReferenceCount();
    node->setUserObject(object);
    EXPECT_EQ(object->getReferenceCount(), before + 1);
    node->setUserObject(nullptr);
    EXPECT_EQ(object->getReferenceCount(), before);
}

TEST_F(NodeChildren, HighZOrderRaisesTheWholeSubtree)
{
    Node* window = Node::create();
    Node* panel = Node::create();
    Node* button = Node::create();
    window->addChild(panel);
    panel->addChild(button);
    window->setLocalZOrder(10000);
    window->updateChildrenToHighZOrder();
    EXPECT_EQ(window->getGlobalZOrder(), 10000.0f);
    EXPECT_EQ(button->getGlobalZOrder(), 10000.0f);
}

namespace {
/// A node that places itself by a matrix of its own, as the display nodes do.
class MatrixNode : public Node {
public:
    static MatrixNode* create()
    {
        auto* n = new MatrixNode();
        n->init();
        n->autorelease();
        return n;
    }
    void place(const Mat4& m)
    {
        _own = m;
        _transformDirty = true; // only this flag, as an overriding class might do
    }
    const Mat4& getNodeToParentTransform() const override
    {
        if (_transformDirty) {
            _transform = _own;
            _transformDirty = false;
        }
        return _transform;
    }
    using Node::getNodeToParentTransform;
    void draw(Renderer*, const Mat4& transform, uint32_t) override { drawnAt = transform; }
    Mat4 drawnAt;

private:
    Mat4 _own;
};
} // namespace

TEST_F(NodeTransform, OverriddenTransformsStayInStepWithInversesAndDrawing)
{
    MatrixNode* node = MatrixNode::create();
    scene->addChild(node);
    Mat4 m;
    Mat4::createTranslation(10, 0, 0, &m);
    node->place(m);
    input->frame();
    EXPECT_EQ(node->drawnAt.m[12], 10.0f);
    EXPECT_EQ(node->getParentToNodeTransform().m[12], -10.0f);

    Mat4::createTranslation(25, 0, 0, &m);
    node->place(m);
    node->getNodeToParentTransform(); // clears the flag before anyone else looks
    EXPECT_EQ(node->getParentToNodeTransform().m[12], -25.0f);
    input->frame();
    EXPECT_EQ(node->drawnAt.m[12], 25.0f);
}
