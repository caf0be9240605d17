#include "base/PlainSprite.h"

#include "2d/Sprite.h"
#include "platform/FileUtils.h"
#include "platform/Image.h"
#include "renderer/TextureCache.h"

namespace NSUI {

using namespace cocos2d;

namespace {
const char* kWhiteKey = "NSUI:plain-white";

Texture2D* whiteTexture() {
    TextureCache* cache = Director::getInstance()->getTextureCache();
    if (Texture2D* t = cache->getTextureForKey(kWhiteKey))
        return t;
    unsigned char px[2 * 2 * 4];
    for (unsigned char& b : px)
        b = 255;
    auto* image = new Image();
    Texture2D* texture = nullptr;
    if (image->initWithRawData(px, sizeof(px), 2, 2, 8))
        texture = cache->addImage(image, kWhiteKey);
    image->release();
    return texture;
}
} // namespace

Sprite* createSpriteOrPlain(const std::string& file, const Size& plainSize, const Color3B& color) {
    if (!file.empty() && FileUtils::getInstance()->isFileExist(file))
        if (Sprite* sprite = Sprite::create(file))
            return sprite;
    Texture2D* white = whiteTexture();
    Sprite* sprite = white ? Sprite::createWithTexture(white) : Sprite::create();
    sprite->setTextureRect(Rect(0, 0, plainSize.width, plainSize.height));
    sprite->setColor(color);
    return sprite;
}

} // namespace NSUI
