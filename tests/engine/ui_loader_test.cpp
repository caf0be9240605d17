// Layout files: ".csb" names resolve to the project's JSON files, names survive exactly,
// format errors fail the load with a message naming the place, and every layout file in the
// tree follows the format.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SceneFixture.h"
#include "2d/Sprite.h"
#include "loader/CSLoader.h"
#include "platform/FileUtils.h"
#include "support/TestSupport.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;
using namespace cocos2d::ui;

namespace {

class UiLoaderTest : public qptest::SceneFixture {
protected:
    void SetUp() override {
        qptest::SceneFixture::SetUp();
        saved = FileUtils::getInstance()->getSearchPaths();
        FileUtils::getInstance()->addSearchPath(dir.path(), true);
        CSLoader::getInstance()->purgeCache();
    }
    void TearDown() override {
        FileUtils::getInstance()->setSearchPaths(saved);
        CSLoader::getInstance()->purgeCache();
        qptest::SceneFixture::TearDown();
    }
    // Loads a layout given as text through a file, as the program does.
    Node* load(const std::string& json, const std::string& name = "screen") {
        qptest::writeFile(dir.file(name + ".json"), json);
        FileUtils::getInstance()->purgeCachedEntries();
        CSLoader::getInstance()->purgeCache();
        return CSLoader::createNode(name + ".csb");
    }
    std::string error() const { return CSLoader::getInstance()->getLastError(); }

    qptest::TempDir dir;
    std::vector<std::string> saved;
};

std::vector<std::string> layoutFiles() {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    const std::string root = QP_SOURCE_DIR;
    for (const char* sub : {"res/pad", "res/layout", "UIRes", "tests/engine/layouts"}) {
        fs::path base = fs::path(root) / sub;
        if (!fs::exists(base))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(base)) {
            if (entry.is_regular_file() && entry.path().extension() == ".json")
                files.push_back(entry.path().string());
        }
    }
    return files;
}

} // namespace

TEST_F(UiLoaderTest, CsbNamesResolveToJsonAndNamesSurviveExactly) {
    Node* root = load(R"({"type": "Layout", "name": "root", "size": [400, 300], "children": [
        {"type": "Text", "name": "login.title", "text": "Hi", "tag": 7},
        {"type": "Button", "name": "goBack", "title": "Back", "userString": "1"},
        {"type": "Node", "name": "Group", "percentPosition": [0.5, 0.5],
         "children": [{"type": "Sprite", "name": "thrumb0"}]}]})",
                      "patientList");
    ASSERT_NE(nullptr, root) << error();
    EXPECT_EQ(dir.file("patientList.json"), CSLoader::getInstance()->resolve("patientList.csb"));
    EXPECT_EQ(Size(400, 300), root->getContentSize());
    auto* title = dynamic_cast<Text*>(root->getChildByName("login.title"));
    ASSERT_NE(nullptr, title);
    EXPECT_EQ("Hi", title->getString());
    EXPECT_EQ(7, title->getTag());
    auto* back = dynamic_cast<Button*>(root->getChildByName("goBack"));
    ASSERT_NE(nullptr, back);
    EXPECT_EQ("Back", back->getTitleText());
    EXPECT_EQ("1", back->getUserString());
    EXPECT_TRUE(back->isTouchEnabled());
    EXPECT_NE(nullptr, dynamic_cast<Sprite*>(root->getChildByNameDeep("thrumb0")));
    EXPECT_EQ(nullptr, root->getChildByName("group")); // case matters
    // A plain node's percent position follows its parent when drawn.
    scene->addChild(root);
    input->frame();
    EXPECT_EQ(Vec2(200, 150), root->getChildByName("Group")->getPosition());
}

TEST_F(UiLoaderTest, MissingAndBrokenFilesGiveNullWithTheReason) {
    EXPECT_EQ(nullptr, CSLoader::createNode("noSuchScreen.csb"));
    EXPECT_NE(std::string::npos, error().find("noSuchScreen.csb"));

    EXPECT_EQ(nullptr, load("{\"type\": \"Layout\", "));
    EXPECT_NE(std::string::npos, error().find("not valid JSON"));

    // Unknown keys, deep in the tree, are errors that name the node and the key.
    EXPECT_EQ(nullptr, load(R"({"type": "Layout", "children": [
        {"type": "Button", "name": "ok", "titel": "OK"}]})"));
    EXPECT_NE(std::string::npos, error().find("children[0] (ok).titel")) << error();

    // A key of another widget type is unknown here too.
    EXPECT_EQ(nullptr, load(R"({"type": "Text", "image": "a.png"})"));
    EXPECT_EQ(nullptr, load(R"({"type": "Sprite", "percentSize": [1, 1]})"));
    EXPECT_EQ(nullptr, load(R"({"type": "Gadget"})"));
    EXPECT_EQ(nullptr, load(R"({"name": "root"})"));
    // Values of the wrong kind or out of range.
    for (const char* bad :
         {R"({"type": "Layout", "layoutType": 6})", R"({"type": "Layout", "opacity": 300})",
          R"({"type": "Layout", "color": [1, 2]})", R"({"type": "Node", "position": "0,0"})",
          R"({"type": "Layout", "backgroundColorType": "pattern"})",
          R"({"type": "Widget", "layoutParameter": {"align": 3}})",
          R"({"type": "Widget", "layoutParameter": {"kind": "relative", "align": 10}})",
          R"({"type": "Widget", "layout": {"margin": {"middle": 3}}})",
          R"({"type": "Node", "children": {"type": "Node"}})"}) {
        EXPECT_EQ(nullptr, load(bad)) << bad;
        EXPECT_FALSE(error().empty());
    }
    // A file mended after a failed load is read again.
    EXPECT_NE(nullptr, load(R"({"type": "Layout"})"));
    EXPECT_EQ("", error());
}

TEST_F(UiLoaderTest, WidgetPropertiesLayoutParametersAndPercentLayout) {
    Node* root = load(R"({"type": "Layout", "size": [200, 100], "layoutType": 5, "clipping": true,
        "backgroundColorType": "solid", "backgroundColor": [10, 20, 30], "backgroundOpacity": 128,
        "children": [
          {"type": "Widget", "name": "corner", "size": [20, 10], "anchor": [0, 0],
           "layoutParameter": {"kind": "relative", "align": 9, "relativeName": "c",
                               "margin": {"right": 5, "bottom": 6}}},
          {"type": "Layout", "name": "half", "anchor": [0.5, 0.5], "percentPosition": [0.5, 0.5],
           "percentSize": [0.5, 0.2], "touchEnabled": true, "swallowTouches": false},
          {"type": "Layout", "name": "bar", "size": [10, 20],
           "layout": {"stretchWidth": true, "verticalEdge": "top", "margin": {"left": 10, "right": 10, "top": 0}}},
          {"type": "Text", "name": "t", "text": "x", "size": [80, 30], "hAlign": "right", "vAlign": "center",
           "textColor": [1, 2, 3, 4], "shadow": {"offset": [1, -1]}},
          {"type": "Slider", "name": "s", "percent": 250, "maxPercent": 200},
          {"type": "CheckBox", "name": "c", "selected": true, "enabled": false},
          {"type": "Widget", "name": "w", "visible": false, "zOrder": 3, "opacity": 100, "color": [9, 8, 7],
           "scale": [2, 3], "rotation": 45, "touchScale": 1.5}
        ]})");
    ASSERT_NE(nullptr, root) << error();
    auto* layout = dynamic_cast<Layout*>(root);
    ASSERT_NE(nullptr, layout);
    EXPECT_EQ(Layout::Type::RELATIVE_FREE, layout->getLayoutType());
    EXPECT_TRUE(layout->isClippingEnabled());
    EXPECT_EQ(Color3B(10, 20, 30), layout->getBackGroundColor());
    EXPECT_EQ(128, layout->getBackGroundColorOpacity());

    layout->forceDoLayout();
    EXPECT_EQ(Vec2(175, 6), root->getChildByName("corner")->getPosition());
    auto* corner = dynamic_cast<Widget*>(root->getChildByName("corner"));
    auto* param = dynamic_cast<RelativeLayoutParameter*>(corner->getLayoutParameter());
    ASSERT_NE(nullptr, param);
    EXPECT_EQ("c", param->getRelativeName());

    auto* half = dynamic_cast<Widget*>(root->getChildByName("half"));
    EXPECT_EQ(Vec2(100, 50), half->getPosition());
    EXPECT_EQ(Size(100, 20), half->getContentSize());
    EXPECT_TRUE(half->isTouchEnabled());
    EXPECT_FALSE(half->isSwallowTouches());
    EXPECT_EQ(Size(180, 20), root->getChildByName("bar")->getContentSize());
    EXPECT_EQ(Vec2(10, 80), root->getChildByName("bar")->getPosition());

    auto* text = dynamic_cast<Text*>(root->getChildByName("t"));
    EXPECT_EQ(Size(80, 30), text->getContentSize());
    EXPECT_EQ(TextHAlignment::RIGHT, text->getTextHorizontalAlignment());
    EXPECT_EQ(Color4B(1, 2, 3, 4), text->getTextColor());
    EXPECT_TRUE(text->isShadowEnabled());
    EXPECT_EQ(200, dynamic_cast<Slider*>(root->getChildByName("s"))->getPercent());
    auto* check = dynamic_cast<CheckBox*>(root->getChildByName("c"));
    EXPECT_TRUE(check->isSelected());
    EXPECT_FALSE(check->isEnabled());
    Node* w = root->getChildByName("w");
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(3, w->getLocalZOrder());
    EXPECT_EQ(100, w->getOpacity());
    EXPECT_EQ(Color3B(9, 8, 7), w->getColor());
    EXPECT_FLOAT_EQ(3.0f, w->getScaleY());
    EXPECT_FLOAT_EQ(45.0f, w->getRotation());
    EXPECT_FLOAT_EQ(1.5f, dynamic_cast<Widget*>(w)->getTouchScaled());

    // A resized root takes its percent children along.
    layout->setContentSize(Size(400, 300));
    Helper::doLayout(root);
    EXPECT_EQ(Vec2(200, 150), half->getPosition());
    EXPECT_EQ(Size(380, 20), root->getChildByName("bar")->getContentSize());
}

TEST_F(UiLoaderTest, RepeatedLoadsGiveIndependentTrees) {
    qptest::writeFile(dir.file("row.json"),
                      R"({"type": "Layout", "children": [{"type": "Text", "name": "id"}]})");
    Node* a = CSLoader::createNode("row.csb");
    Node* b = CSLoader::createNode("row.csb");
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_NE(a, b);
    dynamic_cast<Text*>(a->getChildByName("id"))->setString("changed");
    EXPECT_EQ("", dynamic_cast<Text*>(b->getChildByName("id"))->getString());
    cocostudio::destroyCocosStudio();
    EXPECT_NE(nullptr, CSLoader::createNode("row.csb")); // the loader comes back on demand
}

TEST_F(UiLoaderTest, EveryLayoutFileInTheTreeFollowsTheFormat) {
    std::vector<std::string> files = layoutFiles();
    ASSERT_FALSE(files.empty());
    for (const std::string& path : files) {
        std::string error;
        EXPECT_TRUE(CSLoader::getInstance()->validate(qptest::readFile(path), &error))
            << path << ": " << error;
        std::string name = std::filesystem::path(path).filename().string();
        FileUtils::getInstance()->addSearchPath(std::filesystem::path(path).parent_path().string(), true);
        EXPECT_NE(nullptr, CSLoader::createNode(name.substr(0, name.size() - 5) + ".csb")) << path;
    }
}
