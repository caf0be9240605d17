#include "loader/LayoutReader.h"

#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "2d/Sprite.h"
#include "base/ccLog.h"
#include "ui/CocosGUI.h"

namespace cocos2d {

using nlohmann::json;
using namespace cocos2d::ui;

namespace {

// What a key's value must be.
enum Kind {
    STRING,
    INT,
    NUMBER,
    BOOL,
    VEC2,        // [x, y]
    NUM_OR_VEC2, // n or [x, y]
    COLOR3,      // [r, g, b], 0..255
    COLOR34,     // [r, g, b] or [r, g, b, a]
    RECT,        // [x, y, w, h]
    BYTE,        // 0..255
    LAYOUT_TYPE, // 0..5
    CLIP_TYPE,   // 0..1
    CHILDREN,
    COMPONENT,
    PARAMETER,
    SHADOW,
    MARGIN,
    BG_TYPE,
    H_ALIGN,
    V_ALIGN,
    H_EDGE,
    V_EDGE,
    GRAVITY,
    PARAM_KIND,
    ALIGN, // 0..9
    PERCENT,
};

using KeyTable = std::map<std::string, int>;

const KeyTable& commonKeys() {
    static const KeyTable keys = {
        {"type", STRING},       {"name", STRING}, {"tag", INT},           {"position", VEC2},
        {"size", VEC2},         {"anchor", VEC2}, {"scale", NUM_OR_VEC2}, {"rotation", NUMBER},
        {"visible", BOOL},      {"zOrder", INT},  {"opacity", BYTE},      {"color", COLOR3},
        {"children", CHILDREN},
    };
    return keys;
}

const KeyTable& widgetKeys() {
    static const KeyTable keys = {
        {"percentPosition", VEC2},      {"percentSize", VEC2},  {"layout", COMPONENT},
        {"layoutParameter", PARAMETER}, {"touchEnabled", BOOL}, {"swallowTouches", BOOL},
        {"userString", STRING},         {"enabled", BOOL},      {"touchScale", NUMBER},
    };
    return keys;
}

// The keys of each node type beyond the common ones; widget types also take widgetKeys().
const std::map<std::string, std::pair<bool, KeyTable>>& typeKeys() {
    static const std::map<std::string, std::pair<bool, KeyTable>> types = {
        {"Node", {false, {{"percentPosition", VEC2}}}},
        {"Sprite", {false, {{"image", STRING}, {"flipX", BOOL}, {"flipY", BOOL}, {"percentPosition", VEC2}}}},
        {"Widget", {true, {}}},
        {"Layout",
         {true,
          {{"layoutType", LAYOUT_TYPE},
           {"clipping", BOOL},
           {"clippingType", CLIP_TYPE},
           {"backgroundColorType", BG_TYPE},
           {"backgroundColor", COLOR3},
           {"backgroundStartColor", COLOR3},
           {"backgroundEndColor", COLOR3},
           {"backgroundOpacity", BYTE},
           {"backgroundVector", VEC2},
           {"backgroundImage", STRING},
           {"backgroundScale9", BOOL},
           {"backgroundCapInsets", RECT}}}},
        {"Button",
         {true,
          {{"normal", STRING},
           {"pressed", STRING},
           {"disabled", STRING},
           {"scale9", BOOL},
           {"capInsets", RECT},
           {"title", STRING},
           {"titleFont", STRING},
           {"titleFontSize", NUMBER},
           {"titleColor", COLOR3},
           {"pressedAction", BOOL},
           {"zoomScale", NUMBER}}}},
        {"Text",
         {true,
          {{"text", STRING},
           {"font", STRING},
           {"fontSize", NUMBER},
           {"textColor", COLOR34},
           {"hAlign", H_ALIGN},
           {"vAlign", V_ALIGN},
           {"shadow", SHADOW}}}},
        {"ImageView", {true, {{"image", STRING}, {"scale9", BOOL}, {"capInsets", RECT}}}},
        {"Slider",
         {true,
          {{"bar", STRING},
           {"progress", STRING},
           {"ball", STRING},
           {"ballPressed", STRING},
           {"ballDisabled", STRING},
           {"percent", PERCENT},
           {"maxPercent", INT},
           {"scale9", BOOL},
           {"capInsets", RECT}}}},
        {"CheckBox",
         {true,
          {{"box", STRING},
           {"boxSelected", STRING},
           {"cross", STRING},
           {"boxDisabled", STRING},
           {"crossDisabled", STRING},
           {"selected", BOOL}}}},
    };
    return types;
}

const std::map<std::string, int>& namedValues(int kind) {
    static const std::map<int, std::map<std::string, int>> values = {
        {BG_TYPE, {{"none", 0}, {"solid", 1}, {"gradient", 2}}},
        {H_ALIGN, {{"left", 0}, {"center", 1}, {"right", 2}}},
        {V_ALIGN, {{"top", 0}, {"center", 1}, {"bottom", 2}}},
        {H_EDGE, {{"none", 0}, {"left", 1}, {"right", 2}, {"center", 3}}},
        {V_EDGE, {{"none", 0}, {"bottom", 1}, {"top", 2}, {"center", 3}}},
        {GRAVITY,
         {{"none", 0},
          {"left", 1},
          {"top", 2},
          {"right", 3},
          {"bottom", 4},
          {"centerVertical", 5},
          {"centerHorizontal", 6}}},
        {PARAM_KIND, {{"linear", 1}, {"relative", 2}}},
    };
    static const std::map<std::string, int> none;
    auto it = values.find(kind);
    return it == values.end() ? none : it->second;
}

bool isNumberArray(const json& v, size_t n) {
    if (!v.is_array() || v.size() != n)
        return false;
    for (const json& e : v) {
        if (!e.is_number())
            return false;
    }
    return true;
}

bool isIntIn(const json& v, long lo, long hi) {
    return v.is_number_integer() && v.get<long>() >= lo && v.get<long>() <= hi;
}

Vec2 vec2(const json& v) {
    return Vec2(v[0].get<float>(), v[1].get<float>());
}

Color3B color3(const json& v) {
    return Color3B(v[0].get<GLubyte>(), v[1].get<GLubyte>(), v[2].get<GLubyte>());
}

Rect rect(const json& v) {
    return Rect(v[0].get<float>(), v[1].get<float>(), v[2].get<float>(), v[3].get<float>());
}

Margin margin(const json& v) {
    Margin m;
    if (v.contains("left"))
        m.left = v["left"].get<float>();
    if (v.contains("top"))
        m.top = v["top"].get<float>();
    if (v.contains("right"))
        m.right = v["right"].get<float>();
    if (v.contains("bottom"))
        m.bottom = v["bottom"].get<float>();
    return m;
}

int named(const json& v, int kind) {
    return namedValues(kind).at(v.get<std::string>());
}

std::string str(const json& node, const char* key) {
    return node.contains(key) ? node[key].get<std::string>() : std::string();
}

} // namespace

// --- checking --------------------------------------------------------------------------------

bool LayoutReader::fail(const std::string& where, const std::string& message) {
    _error = _source + ": " + where + ": " + message;
    return false;
}

bool LayoutReader::check(const json& root) {
    _error.clear();
    return checkNode(root, "root");
}

bool LayoutReader::checkValue(const json& v, int kind, const std::string& where) {
    switch (kind) {
    case STRING:
        return v.is_string() || fail(where, "must be a string");
    case INT:
        return v.is_number_integer() || fail(where, "must be an integer");
    case NUMBER:
        return v.is_number() || fail(where, "must be a number");
    case BOOL:
        return v.is_boolean() || fail(where, "must be true or false");
    case VEC2:
        return isNumberArray(v, 2) || fail(where, "must be [x, y]");
    case NUM_OR_VEC2:
        return v.is_number() || isNumberArray(v, 2) || fail(where, "must be a number or [x, y]");
    case RECT:
        return isNumberArray(v, 4) || fail(where, "must be [x, y, width, height]");
    case BYTE:
        return isIntIn(v, 0, 255) || fail(where, "must be an integer from 0 to 255");
    case LAYOUT_TYPE:
        return isIntIn(v, 0, 5) || fail(where, "must be a layout type from 0 to 5");
    case CLIP_TYPE:
        return isIntIn(v, 0, 1) || fail(where, "must be 0 (stencil) or 1 (scissor)");
    case ALIGN:
        return isIntIn(v, 0, 9) || fail(where, "must be an alignment from 0 to 9");
    case PERCENT:
        return isIntIn(v, 0, 100000) || fail(where, "must be a non-negative integer");
    case COLOR3:
    case COLOR34: {
        bool ok = v.is_array() && (v.size() == 3 || (kind == COLOR34 && v.size() == 4));
        for (size_t i = 0; ok && i < v.size(); ++i)
            ok = isIntIn(v[i], 0, 255);
        return ok || fail(where, kind == COLOR3 ? "must be [r, g, b] of 0..255"
                                                : "must be [r, g, b(, a)] of 0..255");
    }
    case CHILDREN: {
        if (!v.is_array())
            return fail(where, "must be a list of nodes");
        for (size_t i = 0; i < v.size(); ++i) {
            if (!checkNode(v[i], where + "[" + std::to_string(i) + "]"))
                return false;
        }
        return true;
    }
    case MARGIN: {
        if (!v.is_object())
            return fail(where, "must be an object of left, top, right, bottom");
        for (auto it = v.begin(); it != v.end(); ++it) {
            static const std::set<std::string> sides = {"left", "top", "right", "bottom"};
            if (!sides.count(it.key()))
                return fail(where + "." + it.key(), "unknown key");
            if (!checkValue(it.value(), NUMBER, where + "." + it.key()))
                return false;
        }
        return true;
    }
    case COMPONENT:
    case PARAMETER:
    case SHADOW: {
        static const std::map<int, KeyTable> tables = {
            {COMPONENT,
             {{"horizontalEdge", H_EDGE},
              {"verticalEdge", V_EDGE},
              {"stretchWidth", BOOL},
              {"stretchHeight", BOOL},
              {"margin", MARGIN}}},
            {PARAMETER,
             {{"kind", PARAM_KIND},
              {"gravity", GRAVITY},
              {"align", ALIGN},
              {"relativeName", STRING},
              {"margin", MARGIN}}},
            {SHADOW, {{"color", COLOR34}, {"offset", VEC2}, {"blur", INT}}},
        };
        if (!v.is_object())
            return fail(where, "must be an object");
        const KeyTable& table = tables.at(kind);
        for (auto it = v.begin(); it != v.end(); ++it) {
            auto k = table.find(it.key());
            if (k == table.end())
                return fail(where + "." + it.key(), "unknown key");
            if (!checkValue(it.value(), k->second, where + "." + it.key()))
                return false;
        }
        if (kind == PARAMETER && !v.contains("kind"))
            return fail(where, "needs \"kind\" (linear or relative)");
        return true;
    }
    default: {
        const auto& values = namedValues(kind);
        if (v.is_string() && values.count(v.get<std::string>()))
            return true;
        std::string list;
        for (const auto& entry : values)
            list += (list.empty() ? "" : ", ") + entry.first;
        return fail(where, "must be one of " + list);
    }
    }
}

bool LayoutReader::checkNode(const json& node, const std::string& where) {
    if (!node.is_object())
        return fail(where, "a node must be an object");
    if (!node.contains("type") || !node["type"].is_string())
        return fail(where, "a node needs a \"type\"");
    const std::string type = node["type"].get<std::string>();
    auto t = typeKeys().find(type);
    if (t == typeKeys().end())
        return fail(where + ".type", "unknown node type \"" + type + "\"");
    const std::string here = node.contains("name") && node["name"].is_string()
                                 ? where + " (" + node["name"].get<std::string>() + ")"
                                 : where;
    for (auto it = node.begin(); it != node.end(); ++it) {
        const std::string& key = it.key();
        int kind = -1;
        if (auto c = commonKeys().find(key); c != commonKeys().end())
            kind = c->second;
        else if (auto s = t->second.second.find(key); s != t->second.second.end())
            kind = s->second;
        else if (t->second.first && widgetKeys().count(key))
            kind = widgetKeys().at(key);
        if (kind < 0)
            return fail(here + "." + key, "unknown key for a " + type);
        if (!checkValue(it.value(), kind, here + "." + key))
            return false;
    }
    return true;
}

// --- building --------------------------------------------------------------------------------

Node* LayoutReader::build(const json& root) {
    if (!check(root))
        return nullptr;
    Node* node = buildNode(root);
    if (node)
        Helper::doLayout(node);
    return node;
}

Node* LayoutReader::buildNode(const json& j) {
    const std::string type = j["type"].get<std::string>();
    Node* node = nullptr;
    Widget* widget = nullptr;
    if (type == "Node") {
        node = Node::create();
    } else if (type == "Sprite") {
        std::string image = str(j, "image");
        Sprite* sprite = image.empty() ? nullptr : Sprite::create(image);
        if (!sprite) {
            if (!image.empty())
                log("CSLoader: %s: picture '%s' not found", _source.c_str(), image.c_str());
            sprite = Sprite::create();
        }
        if (j.contains("flipX"))
            sprite->setFlippedX(j["flipX"].get<bool>());
        if (j.contains("flipY"))
            sprite->setFlippedY(j["flipY"].get<bool>());
        node = sprite;
    } else if (type == "Widget") {
        node = widget = Widget::create();
    } else if (type == "Layout") {
        Layout* l = Layout::create();
        if (j.contains("layoutType"))
            l->setLayoutType(j["layoutType"].get<int>());
        if (j.contains("clipping"))
            l->setClippingEnabled(j["clipping"].get<bool>());
        if (j.contains("clippingType"))
            l->setClippingType(j["clippingType"].get<int>());
        if (j.contains("backgroundColor"))
            l->setBackGroundColor(color3(j["backgroundColor"]));
        if (j.contains("backgroundStartColor") || j.contains("backgroundEndColor"))
            l->setBackGroundColor(
                j.contains("backgroundStartColor") ? color3(j["backgroundStartColor"]) : Color3B::WHITE,
                j.contains("backgroundEndColor") ? color3(j["backgroundEndColor"]) : Color3B::WHITE);
        if (j.contains("backgroundVector"))
            l->setBackGroundColorVector(vec2(j["backgroundVector"]));
        if (j.contains("backgroundOpacity"))
            l->setBackGroundColorOpacity(j["backgroundOpacity"].get<GLubyte>());
        if (j.contains("backgroundColorType"))
            l->setBackGroundColorType(
                static_cast<Layout::BackGroundColorType>(named(j["backgroundColorType"], BG_TYPE)));
        if (j.contains("backgroundScale9"))
            l->setBackGroundImageScale9Enabled(j["backgroundScale9"].get<bool>());
        if (j.contains("backgroundCapInsets"))
            l->setBackGroundImageCapInsets(rect(j["backgroundCapInsets"]));
        if (j.contains("backgroundImage"))
            l->setBackGroundImage(j["backgroundImage"].get<std::string>());
        node = widget = l;
    } else if (type == "Button") {
        Button* b = Button::create();
        if (j.contains("scale9"))
            b->setScale9Enabled(j["scale9"].get<bool>());
        if (j.contains("capInsets"))
            b->setCapInsets(rect(j["capInsets"]));
        b->loadTextures(str(j, "normal"), str(j, "pressed"), str(j, "disabled"));
        if (j.contains("titleFont"))
            b->setTitleFontName(j["titleFont"].get<std::string>());
        if (j.contains("titleFontSize"))
            b->setTitleFontSize(j["titleFontSize"].get<float>());
        if (j.contains("titleColor"))
            b->setTitleColor(color3(j["titleColor"]));
        if (j.contains("title"))
            b->setTitleText(j["title"].get<std::string>());
        if (j.contains("pressedAction"))
            b->setPressedActionEnabled(j["pressedAction"].get<bool>());
        if (j.contains("zoomScale"))
            b->setZoomScale(j["zoomScale"].get<float>());
        node = widget = b;
    } else if (type == "Text") {
        Text* t = Text::create();
        if (j.contains("font"))
            t->setFontName(j["font"].get<std::string>());
        if (j.contains("fontSize"))
            t->setFontSize(j["fontSize"].get<float>());
        if (j.contains("textColor")) {
            const json& c = j["textColor"];
            t->setTextColor(Color4B(c[0].get<GLubyte>(), c[1].get<GLubyte>(), c[2].get<GLubyte>(),
                                    c.size() == 4 ? c[3].get<GLubyte>() : 255));
        }
        if (j.contains("hAlign"))
            t->setTextHorizontalAlignment(static_cast<TextHAlignment>(named(j["hAlign"], H_ALIGN)));
        if (j.contains("vAlign"))
            t->setTextVerticalAlignment(static_cast<TextVAlignment>(named(j["vAlign"], V_ALIGN)));
        if (j.contains("shadow")) {
            const json& s = j["shadow"];
            Color4B c(0, 0, 0, 255);
            if (s.contains("color"))
                c = Color4B(s["color"][0].get<GLubyte>(), s["color"][1].get<GLubyte>(),
                            s["color"][2].get<GLubyte>(),
                            s["color"].size() == 4 ? s["color"][3].get<GLubyte>() : 255);
            Vec2 offset = s.contains("offset") ? vec2(s["offset"]) : Vec2(2, -2);
            t->enableShadow(c, Size(offset.x, offset.y), s.contains("blur") ? s["blur"].get<int>() : 0);
        }
        if (j.contains("text"))
            t->setString(j["text"].get<std::string>());
        node = widget = t;
    } else if (type == "ImageView") {
        ImageView* v = ImageView::create();
        if (j.contains("capInsets"))
            v->setCapInsets(rect(j["capInsets"]));
        if (j.contains("scale9"))
            v->setScale9Enabled(j["scale9"].get<bool>());
        if (j.contains("image") && !v->loadTexture(j["image"].get<std::string>()))
            log("CSLoader: %s: picture '%s' not found", _source.c_str(), str(j, "image").c_str());
        node = widget = v;
    } else if (type == "Slider") {
        Slider* s = Slider::create();
        if (j.contains("capInsets"))
            s->setCapInsets(rect(j["capInsets"]));
        if (j.contains("scale9"))
            s->setScale9Enabled(j["scale9"].get<bool>());
        s->loadBarTexture(str(j, "bar"));
        s->loadProgressBarTexture(str(j, "progress"));
        s->loadSlidBallTextures(str(j, "ball"), str(j, "ballPressed"), str(j, "ballDisabled"));
        if (j.contains("maxPercent"))
            s->setMaxPercent(j["maxPercent"].get<int>());
        if (j.contains("percent"))
            s->setPercent(j["percent"].get<int>());
        node = widget = s;
    } else if (type == "CheckBox") {
        CheckBox* c = CheckBox::create(str(j, "box"), str(j, "boxSelected"), str(j, "cross"),
                                       str(j, "boxDisabled"), str(j, "crossDisabled"));
        if (j.contains("selected"))
            c->setSelected(j["selected"].get<bool>());
        node = widget = c;
    }
    if (!node)
        return nullptr;

    if (j.contains("name"))
        node->setName(j["name"].get<std::string>());
    if (j.contains("tag"))
        node->setTag(j["tag"].get<int>());
    if (j.contains("anchor"))
        node->setAnchorPoint(vec2(j["anchor"]));
    if (j.contains("size")) {
        Size size(j["size"][0].get<float>(), j["size"][1].get<float>());
        if (auto* text = dynamic_cast<Text*>(widget))
            text->setTextAreaSize(size);
        else if (widget && widget->isIgnoreContentAdaptWithSize())
            widget->ignoreContentAdaptWithSize(false);
        node->setContentSize(size);
    }
    if (j.contains("position"))
        node->setPosition(vec2(j["position"]));
    // Plain nodes keep a percent position through the node's own normalized position.
    if (!widget && j.contains("percentPosition"))
        node->setNormalizedPosition(vec2(j["percentPosition"]));
    if (j.contains("scale")) {
        const json& s = j["scale"];
        if (s.is_number())
            node->setScale(s.get<float>());
        else
            node->setScale(s[0].get<float>(), s[1].get<float>());
    }
    if (j.contains("rotation"))
        node->setRotation(j["rotation"].get<float>());
    if (j.contains("visible"))
        node->setVisible(j["visible"].get<bool>());
    if (j.contains("zOrder"))
        node->setLocalZOrder(j["zOrder"].get<int>());
    if (j.contains("opacity"))
        node->setOpacity(j["opacity"].get<GLubyte>());
    if (j.contains("color"))
        node->setColor(color3(j["color"]));

    if (widget) {
        if (j.contains("touchEnabled"))
            widget->setTouchEnabled(j["touchEnabled"].get<bool>());
        if (j.contains("swallowTouches"))
            widget->setSwallowTouches(j["swallowTouches"].get<bool>());
        if (j.contains("enabled"))
            widget->setEnabled(j["enabled"].get<bool>());
        if (j.contains("touchScale"))
            widget->setTouchScaled(j["touchScale"].get<float>());
        if (j.contains("userString"))
            widget->setUserString(j["userString"].get<std::string>());
        if (j.contains("layoutParameter")) {
            const json& p = j["layoutParameter"];
            LayoutParameter* param = nullptr;
            if (named(p["kind"], PARAM_KIND) == 1) {
                auto* linear = LinearLayoutParameter::create();
                if (p.contains("gravity"))
                    linear->setGravity(
                        static_cast<LinearLayoutParameter::LinearGravity>(named(p["gravity"], GRAVITY)));
                param = linear;
            } else {
                auto* relative = RelativeLayoutParameter::create();
                if (p.contains("align"))
                    relative->setAlign(
                        static_cast<RelativeLayoutParameter::RelativeAlign>(p["align"].get<int>()));
                if (p.contains("relativeName"))
                    relative->setRelativeName(p["relativeName"].get<std::string>());
                param = relative;
            }
            if (p.contains("margin"))
                param->setMargin(margin(p["margin"]));
            widget->setLayoutParameter(param);
        }
        const bool percentPos = j.contains("percentPosition");
        const bool percentSize = j.contains("percentSize");
        if (percentPos || percentSize || j.contains("layout")) {
            auto* component = LayoutComponent::create();
            if (percentPos) {
                Vec2 p = vec2(j["percentPosition"]);
                component->setPositionPercentXEnabled(true);
                component->setPositionPercentYEnabled(true);
                component->setPositionPercentX(p.x);
                component->setPositionPercentY(p.y);
            }
            if (percentSize) {
                Vec2 p = vec2(j["percentSize"]);
                if (widget->isIgnoreContentAdaptWithSize())
                    widget->ignoreContentAdaptWithSize(false);
                component->setPercentWidthEnabled(true);
                component->setPercentHeightEnabled(true);
                component->setPercentWidth(p.x);
                component->setPercentHeight(p.y);
            }
            if (j.contains("layout")) {
                const json& l = j["layout"];
                if (l.contains("horizontalEdge"))
                    component->setHorizontalEdge(
                        static_cast<LayoutComponent::HorizontalEdge>(named(l["horizontalEdge"], H_EDGE)));
                if (l.contains("verticalEdge"))
                    component->setVerticalEdge(
                        static_cast<LayoutComponent::VerticalEdge>(named(l["verticalEdge"], V_EDGE)));
                if (l.contains("stretchWidth") || l.contains("stretchHeight")) {
                    if (widget->isIgnoreContentAdaptWithSize())
                        widget->ignoreContentAdaptWithSize(false);
                }
                if (l.contains("stretchWidth"))
                    component->setStretchWidthEnabled(l["stretchWidth"].get<bool>());
                if (l.contains("stretchHeight"))
                    component->setStretchHeightEnabled(l["stretchHeight"].get<bool>());
                if (l.contains("margin")) {
                    Margin m = margin(l["margin"]);
                    component->setLeftMargin(m.left);
                    component->setRightMargin(m.right);
                    component->setTopMargin(m.top);
                    component->setBottomMargin(m.bottom);
                }
            }
            widget->setLayoutComponent(component);
        }
    }

    if (j.contains("children")) {
        for (const json& c : j["children"]) {
            Node* child = buildNode(c);
            if (child)
                node->addChild(child);
        }
    }
    return node;
}

} // namespace cocos2d
