// Layers' touch modes, protected children and colour/opacity cascading.

#include "SceneFixture.h"

#include <string>
#include <vector>

#include "2d/Layer.h"
#include "2d/LayerColor.h"
#include "2d/Node.h"
#include "2d/ProtectedNode.h"
#include "base/EventListenerTouchOneByOne.h"

using namespace cocos2d;

namespace {

std::vector<std::string> g_log;

class ModalLayer : public Layer {
public:
    static ModalLayer* create(const std::string& name)
    {
        auto* l = new ModalLayer();
        l->init();
        l->autorelease();
        l->_label = name;
        return l;
    }
    bool onTouchBegan(Touch*, Event*) override
    {
        g_log.push_back(_label + ".began");
        return true;
    }
    void onTouchesBegan(const std::vector<Touch*>& touches, Event*) override
    {
        g_log.push_back(_label + ".all" + std::to_string(touches.size()));
    }
    void onTouchesCancelled(const std::vector<Touch*>&, Event*) override { g_log.push_back(_label + ".cancelled"); }
    void onKeyPressed(EventKeyboard::KeyCode, Event*) override { g_log.push_back(_label + ".key"); }

private:
    std::string _label;
};

class Drawn : public Node {
public:
    static Drawn* create(const std::string& name, std::vector<std::string>* out)
    {
        auto* n = new Drawn();
        n->init();
        n->autorelease();
        n->_label = name;
        n->_out = out;
        return n;
    }
    void draw(Renderer*, const Mat4&, uint32_t) override { _out->push_back(_label); }

private:
    std::string _label;
    std::vector<std::string>* _out = nullptr;
};

class Widget : public ProtectedNode {
public:
    static Widget* create(std::vector<std::string>* out)
    {
        auto* w = new Widget();
        w->init();
        w->autorelease();
        w->_out = out;
        return w;
    }
    void draw(Renderer*, const Mat4&, uint32_t) override { _out->push_back("widget"); }

private:
    std::vector<std::string>* _out = nullptr;
};

} // namespace

class Layers : public qptest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        g_log.clear();
    }
};

TEST_F(Layers, FillTheWindowAndSwitchTouchModes)
{
    ModalLayer* layer = ModalLayer::create("l");
    scene->addChild(layer);
    EXPECT_EQ(layer->getContentSize(), Size(800, 600));
    EXPECT_EQ(layer->convertToWorldSpace(Vec2::ZERO), Vec2::ZERO); // anchor ignored for position

    input->touchBegan(1, Vec2(5, 5));
    EXPECT_TRUE(g_log.empty()); // touch is off until enabled
    input->touchEnded(1, Vec2(5, 5));

    layer->setTouchEnabled(true); // all at once by default
    input->touchesBegan({1, 2}, {Vec2(5, 5), Vec2(6, 6)});
    EXPECT_EQ(g_log, (std::vector<std::string>{"l.all2"}));
    input->reset(); // touches still down are cancelled
    EXPECT_EQ(g_log.back(), "l.cancelled");

    g_log.clear();
    layer->setTouchMode(Touch::DispatchMode::ONE_BY_ONE);
    input->touchesBegan({3}, {Vec2(5, 5)});
    EXPECT_EQ(g_log, (std::vector<std::string>{"l.began"}));
    input->touchesEnded({3}, {Vec2(5, 5)});

    g_log.clear();
    layer->setTouchEnabled(false);
    layer->setKeyboardEnabled(true);
    input->touchBegan(4, Vec2(5, 5));
    input->keyPressed(EventKeyboard::KeyCode::KEY_A);
    EXPECT_EQ(g_log, (std::vector<std::string>{"l.key"}));
    input->touchEnded(4, Vec2(5, 5));
}

TEST_F(Layers, ModalLayerSwallowsTouchesFromEverythingBelow)
{
    ModalLayer* below = ModalLayer::create("below");
    below->setTouchMode(Touch::DispatchMode::ONE_BY_ONE);
    below->setTouchEnabled(true);
    scene->addChild(below);
    ModalLayer* modal = ModalLayer::create("modal");
    modal->setTouchMode(Touch::DispatchMode::ONE_BY_ONE);
    modal->setTouchEnabled(true);
    scene->addChild(modal, 10000);
    input->touchBegan(1, Vec2(5, 5));
    EXPECT_EQ(g_log, (std::vector<std::string>{"modal.began"}));
    input->touchEnded(1, Vec2(5, 5));

    g_log.clear();
    modal->setSwallowsTouches(false);
    input->touchBegan(1, Vec2(5, 5));
    EXPECT_EQ(g_log, (std::vector<std::string>{"modal.began", "below.began"}));
    input->touchEnded(1, Vec2(5, 5));
}

TEST_F(Layers, LayerColorTakesItsColourOpacityAndSize)
{
    LayerColor* layer = LayerColor::create(Color4B(10, 20, 30, 40), 100, 50);
    EXPECT_EQ(layer->getColor(), Color3B(10, 20, 30));
    EXPECT_EQ(layer->getOpacity(), 40);
    EXPECT_EQ(layer->getContentSize(), Size(100, 50));
    layer->changeWidthAndHeight(7, 8);
    EXPECT_EQ(layer->getContentSize(), Size(7, 8));
    EXPECT_EQ(LayerColor::create()->getContentSize(), Size(800, 600));
}

TEST_F(Layers, ProtectedChildrenInterleaveWithChildrenByZOrder)
{
    std::vector<std::string> order;
    Widget* widget = Widget::create(&order);
    widget->addChild(Drawn::create("child-1", &order), -1);
    widget->addChild(Drawn::create("child+1", &order), 1);
    widget->addProtectedChild(Drawn::create("renderer-1", &order), -1);
    widget->addProtectedChild(Drawn::create("renderer+1", &order), 1);
    scene->addChild(widget);
    input->frame();
    EXPECT_EQ(order, (std::vector<std::string>{"child-1", "renderer-1", "widget", "renderer+1", "child+1"}));
    EXPECT_EQ(widget->getChildrenCount(), 2); // protected children are not counted as children
    EXPECT_TRUE(widget->getProtectedChildren().at(0)->isRunning());

    Node* renderer = widget->getProtectedChildren().at(1);
    renderer->retain();
    widget->removeProtectedChild(renderer);
    EXPECT_FALSE(renderer->isRunning());
    EXPECT_EQ(renderer->getParent(), nullptr);
    renderer->release();

    // Camera flags reach protected children as well.
    widget->setCameraMask(5, true);
    EXPECT_TRUE(widget->getProtectedChildren().at(0)->hasCameraFlag(5));
}

TEST_F(Layers, OpacityAndColourCascadeOnlyWhenEnabled)
{
    Node* parent = Node::create();
    ProtectedNode* child = ProtectedNode::create();
    Node* inner = Node::create();
    parent->addChild(child);
    child->addProtectedChild(inner);
    parent->setOpacity(128);
    EXPECT_EQ(child->getDisplayedOpacity(), 255);

    parent->setCascadeOpacityEnabled(true);
    child->setCascadeOpacityEnabled(true);
    parent->setOpacity(128);
    EXPECT_EQ(child->getDisplayedOpacity(), 128);
    EXPECT_EQ(inner->getDisplayedOpacity(), 128);
    child->setOpacity(128);
    EXPECT_EQ(inner->getDisplayedOpacity(), 64);

    parent->setCascadeColorEnabled(true);
    parent->setColor(Color3B(255, 0, 128));
    EXPECT_EQ(child->getDisplayedColor(), Color3B(255, 0, 128));
    parent->setCascadeColorEnabled(false);
    EXPECT_EQ(child->getDisplayedColor(), Color3B::WHITE);
}
