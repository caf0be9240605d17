#include "ui/ImageView.h"

#include "ui/Scale9Sprite.h"

namespace cocos2d {
namespace ui {

ImageView* ImageView::create() {
    auto* view = new ImageView();
    if (!view->init()) {
        delete view;
        return nullptr;
    }
    view->autorelease();
    return view;
}

ImageView* ImageView::create(const std::string& file, TextureResType type) {
    ImageView* view = create();
    if (view)
        view->loadTexture(file, type);
    return view;
}

bool ImageView::init() {
    return Widget::init();
}

void ImageView::initRenderer() {
    _imageRenderer = Scale9Sprite::create();
    _imageRenderer->setScale9Enabled(false);
    addProtectedChild(_imageRenderer, -1);
}

std::string ImageView::getDescription() const {
    return "ImageView";
}

bool ImageView::loadTexture(const std::string& file, TextureResType /*type*/) {
    if (file.empty() || !_imageRenderer->initWithFile(file))
        return false;
    _textureFile = file;
    _imageRenderer->setCapInsets(_capInsets);
    rendererChanged();
    return true;
}

void ImageView::setScale9Enabled(bool enabled) {
    _scale9Enabled = enabled;
    _imageRenderer->setScale9Enabled(enabled);
    if (enabled && _ignoreSize)
        ignoreContentAdaptWithSize(false);
    adaptRenderers();
}

void ImageView::setCapInsets(const Rect& capInsets) {
    _capInsets = capInsets;
    _imageRenderer->setCapInsets(capInsets);
}

Size ImageView::getVirtualRendererSize() const {
    return _imageRenderer->getOriginalSize();
}

Node* ImageView::getVirtualRenderer() {
    return _imageRenderer;
}

void ImageView::ignoreContentAdaptWithSize(bool ignore) {
    // A nine-patch picture always takes the widget's own size.
    Widget::ignoreContentAdaptWithSize(_scale9Enabled ? false : ignore);
    adaptRenderers();
}

void ImageView::adaptRenderers() {
    _imageRenderer->setPreferredSize(_contentSize);
    _imageRenderer->setPosition(Vec2(_contentSize.width * 0.5f, _contentSize.height * 0.5f));
}

Widget* ImageView::createCloneInstance() {
    return ImageView::create();
}

void ImageView::copySpecialProperties(Widget* model) {
    auto* view = dynamic_cast<ImageView*>(model);
    if (!view)
        return;
    setScale9Enabled(view->_scale9Enabled);
    setCapInsets(view->_capInsets);
    loadTexture(view->_textureFile);
}

} // namespace ui
} // namespace cocos2d
