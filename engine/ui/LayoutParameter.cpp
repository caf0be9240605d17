#include "ui/LayoutParameter.h"

namespace cocos2d {
namespace ui {

const Margin Margin::ZERO = Margin();

namespace {
template <typename T> T* make() {
    return static_cast<T*>((new T())->autorelease());
}
} // namespace

LayoutParameter* LayoutParameter::create() {
    struct Maker : LayoutParameter {};
    return make<Maker>();
}

LayoutParameter* LayoutParameter::clone() {
    LayoutParameter* copy = create();
    copy->_margin = _margin;
    return copy;
}

LinearLayoutParameter* LinearLayoutParameter::create() {
    struct Maker : LinearLayoutParameter {};
    return make<Maker>();
}

LayoutParameter* LinearLayoutParameter::clone() {
    LinearLayoutParameter* copy = create();
    copy->_margin = _margin;
    copy->_linearGravity = _linearGravity;
    return copy;
}

RelativeLayoutParameter* RelativeLayoutParameter::create() {
    struct Maker : RelativeLayoutParameter {};
    return make<Maker>();
}

LayoutParameter* RelativeLayoutParameter::clone() {
    RelativeLayoutParameter* copy = create();
    copy->_margin = _margin;
    copy->_relativeAlign = _relativeAlign;
    copy->_relativeLayoutName = _relativeLayoutName;
    copy->_relativeWidgetName = _relativeWidgetName;
    return copy;
}

} // namespace ui
} // namespace cocos2d
