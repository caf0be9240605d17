#pragma once
// The window width/level editor: a small modal panel in which the user types a window width
// and level, or the lowest and highest value shown; closing it with valid values posts them.

#include <string>

#include "cocos2d.h"
#include "base/UIControlBase.h"
#include "base/UIControlGenerater.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "text/NSTextField.h"

class editWW : public cocos2d::Node,
               public NSUI::UIControlGenerater,
               public NSUI::UILocalConfig,
               public NSUI::UIControlBase,
               public NSUI::UIJson {
public:
    /// A new modal window (autoreleased, named kWindowName) holding an editor; the opener adds it.
    static cocos2d::Node* create();
    /// The editor inside a window made by create (null for anything else).
    static editWW* fromWindow(cocos2d::Node* window);
    /// The editor as a scene of its own (autoreleased) for the caller to push (phone layout);
    /// the scene's return key applies the values and leaves only when they are valid.
    static cocos2d::Scene* createScene();

    bool init() override;
    void cleanup() override;

    /// Fills the four fields: width, level, level - width/2 and level + width/2 ("%.0f").
    void setWindow(float width, float level);
    /// Checks the fields; valid values are posted as kWindowSetId (sender this editor, no
    /// object) and true returned; otherwise a toast says why and false is returned.
    bool apply();
    /// Closes the panel after a successful apply; an invalid one keeps it open.
    bool onResponseReturn() override;

    /// Keeps width/level and min/max in step as the user types.
    void onTextFieldEvent(cocos2d::Ref* sender, NSUI::NSTextField::EventType event);
    void onButtonClicked(cocos2d::Ref* sender);

    NSUI::NSTextField* field(const std::string& name) const;
    cocos2d::Node* getLayout() const { return _layout; }

    static constexpr unsigned int kWindowSetId = 9024;
    static constexpr const char* kViewName = "editWW_view";
    static constexpr const char* kWindowName = "editWW";

private:
    editWW() = default;
    /// A new initialised editor (autoreleased), or null.
    static editWW* make();
    void setupLayout();
    float value(const std::string& name) const;
    void setValue(const std::string& name, const std::string& text);

    cocos2d::Node* _layout = nullptr;
};
