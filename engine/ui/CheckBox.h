#pragma once
// A check box: a box picture with a cross (tick) picture over it while selected; a release on
// the box toggles it and reports the new state.

#include <functional>
#include <string>

#include "ui/Widget.h"

namespace cocos2d {
namespace ui {

class Scale9Sprite;

class CheckBox : public Widget {
public:
    enum class EventType { SELECTED = 0, UNSELECTED = 1 };
    using ccCheckBoxCallback = std::function<void(Ref*, EventType)>;

    static CheckBox* create();
    static CheckBox* create(const std::string& backGround, const std::string& cross,
                            TextureResType type = TextureResType::LOCAL);
    static CheckBox* create(const std::string& backGround, const std::string& backGroundSelected,
                            const std::string& cross, const std::string& backGroundDisabled,
                            const std::string& frontCrossDisabled,
                            TextureResType type = TextureResType::LOCAL);
    bool init() override;

    void loadTextures(const std::string& backGround, const std::string& backGroundSelected,
                      const std::string& cross, const std::string& backGroundDisabled,
                      const std::string& frontCrossDisabled, TextureResType type = TextureResType::LOCAL);
    void loadTextureBackGround(const std::string& file, TextureResType type = TextureResType::LOCAL);
    void loadTextureFrontCross(const std::string& file, TextureResType type = TextureResType::LOCAL);

    /// No event is sent for a state set in code.
    void setSelected(bool selected);
    bool isSelected() const { return _selected; }
    void addEventListener(const ccCheckBoxCallback& callback) { _eventCallback = callback; }

    Size getVirtualRendererSize() const override;
    Node* getVirtualRenderer() override;
    std::string getDescription() const override;
    Scale9Sprite* getFrontCrossRenderer() const { return _frontCross; }

protected:
    CheckBox() = default;
    void initRenderer() override;
    void adaptRenderers() override;
    void releaseUpEvent();
    void onTouchEnded(Touch* touch, Event* unusedEvent) override;
    void onPressStateChangedToNormal() override;
    void onPressStateChangedToPressed() override;
    void onPressStateChangedToDisabled() override;
    void refreshRenderers();
    Widget* createCloneInstance() override;
    void copySpecialProperties(Widget* model) override;

    Scale9Sprite* _backGround = nullptr; // protected children
    Scale9Sprite* _backGroundSelected = nullptr;
    Scale9Sprite* _frontCross = nullptr;
    Scale9Sprite* _backGroundDisabled = nullptr;
    Scale9Sprite* _frontCrossDisabled = nullptr;
    std::string _files[5];
    bool _selected = false;
    ccCheckBoxCallback _eventCallback;
};

} // namespace ui
} // namespace cocos2d
