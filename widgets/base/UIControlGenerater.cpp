#include "base/UIControlGenerater.h"

#include <atomic>

#include "2d/Sprite.h"
#include "platform/FileUtils.h"
#include "renderer/Texture2D.h"
#include "renderer/TextureCache.h"
#include "text/NSTextField.h"
#include "ui/ImageView.h"

namespace NSUI {

using namespace cocos2d;

namespace {
std::atomic<unsigned long> g_generatorSerial{0};

bool isCached(const std::string& path) {
    std::string key = FileUtils::getInstance()->fullPathForFilename(path);
    return !key.empty() && Director::getInstance()->getTextureCache()->getTextureForKey(key) != nullptr;
}
} // namespace

UIControlGenerater::UIControlGenerater()
    : _callbackKey("UIControlGenerater#" + std::to_string(++g_generatorSerial)) {}

UIControlGenerater::~UIControlGenerater() {
    for (LoadRecord& record : _imageQueue)
        if (record.view)
            record.view->release();
    _imageQueue.clear();
    if (_currentLoad.view) {
        _currentLoad.view->release();
        _currentLoad.view = nullptr;
    }
    Director::getInstance()->getTextureCache()->unbindImageAsync(_callbackKey);
}

float UIControlGenerater::fitScale(const Size& picture, const Size& target) {
    if (picture.width <= 0.0f || picture.height <= 0.0f)
        return 0.0f;
    return std::min(target.width / picture.width, target.height / picture.height);
}

void UIControlGenerater::supersede(Node* view) {
    for (auto it = _imageQueue.begin(); it != _imageQueue.end();) {
        if (it->view == view) {
            it->view->release();
            it = _imageQueue.erase(it);
        } else {
            ++it;
        }
    }
    if (_currentLoad.view == view)
        _currentLoad.superseded = true;
}

void UIControlGenerater::enqueue(Node* view, const std::string& path, bool imageView, int mode,
                                 const Size& size, float factor) {
    LoadRecord record;
    record.path = path;
    record.view = view;
    view->retain();
    record.imageView = imageView;
    record.mode = mode;
    record.targetSize = size;
    record.factor = factor;
    _imageQueue.push_back(record);
}

void UIControlGenerater::apply(const LoadRecord& record) {
    if (record.imageView) {
        auto* view = static_cast<ui::ImageView*>(record.view);
        view->loadTexture(record.path);
        if (record.mode == 1) {
            float fit = fitScale(view->getVirtualRendererSize(), record.targetSize);
            if (fit > 0.0f)
                view->setScale(fit);
        }
    } else {
        auto* sprite = static_cast<Sprite*>(record.view);
        sprite->setTexture(record.path);
        if (record.mode == 1) {
            float fit = fitScale(sprite->getTextureRect().size, record.targetSize);
            if (fit > 0.0f) {
                sprite->setScaleX(fit * record.factor);
                sprite->setScaleY(fit);
            }
        }
    }
}

void UIControlGenerater::requestFittedLoad(Node* view, const std::string& path, bool imageView,
                                           const Size& size, float factor) {
    if (!view)
        return;
    supersede(view);
    if (!isCached(path)) {
        enqueue(view, path, imageView, 1, size, factor);
        return;
    }
    LoadRecord now;
    now.path = path;
    now.view = view;
    now.imageView = imageView;
    now.mode = 1;
    now.targetSize = size;
    now.factor = factor;
    apply(now);
}

void UIControlGenerater::loadImageToView(ui::ImageView* view, const std::string& path, const Size& size) {
    requestFittedLoad(view, path, true, size, 1.0f);
}

void UIControlGenerater::loadImageToViewScaled(Sprite* sprite, const std::string& path, const Size& size,
                                               float factor) {
    requestFittedLoad(sprite, path, false, size, factor);
}

void UIControlGenerater::queueImageLoad(ui::ImageView* view, const std::string& path) {
    if (!view)
        return;
    supersede(view);
    enqueue(view, path, true, 0, Size::ZERO, 1.0f);
}

void UIControlGenerater::startNextImageLoad() {
    if (_imageQueue.empty() || _currentLoad.view)
        return;
    _currentLoad = _imageQueue.front();
    _imageQueue.pop_front();
    Director::getInstance()->getTextureCache()->addImageAsync(
        _currentLoad.path, [this](Texture2D* texture) { onImageLoaded(texture); }, _callbackKey);
}

void UIControlGenerater::onImageLoaded(Texture2D* texture) {
    if (!_currentLoad.view)
        return;
    if (!texture)
        log("UIControlGenerater: cannot load picture \"%s\"", _currentLoad.path.c_str());
    else if (!_currentLoad.superseded)
        apply(_currentLoad);
    // Cleared in every case, so a failed picture never holds up the ones queued after it.
    _currentLoad.view->release();
    _currentLoad = LoadRecord();
}

NSTextField* UIControlGenerater::createTextField(const std::string& placeholder, const Vec2& position,
                                                 float height, const Vec2& anchor) {
    NSTextField* field = NSTextField::create(placeholder, Size(150.0f, height));
    if (!field)
        return nullptr;
    field->setPosition(position);
    field->setAnchorPoint(anchor);
    field->setFontSize(static_cast<int>(height));
    field->refresh();
    return field;
}

} // namespace NSUI
