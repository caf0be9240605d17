#include "2d/Scene.h"

#include <algorithm>
#include <new>

#include "2d/Camera.h"
#include "base/Director.h"
#include "base/ccMacros.h"

namespace cocos2d {

namespace {
const char* const kMessageTimerKey = "__scene_message_node";
}

Scene* Scene::create()
{
    auto* ret = new (std::nothrow) Scene();
    if (ret && ret->init()) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

Scene* Scene::createWithSize(const Size& size)
{
    auto* ret = new (std::nothrow) Scene();
    if (ret && ret->initWithSize(size)) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

Scene::Scene()
{
    _ignoreAnchorPointForPosition = true;
    setAnchorPoint(Vec2(0.5f, 0.5f));
}

Scene::~Scene()
{
    // Cameras still in the tree outlive this body briefly; they must not call back here.
    for (Camera* camera : _cameras)
        camera->_scene = nullptr;
    _cameras.clear();
    CC_SAFE_RELEASE_NULL(_defaultCamera);
    CC_SAFE_RELEASE_NULL(_messageNode);
}

bool Scene::init() { return initWithSize(Director::getInstance()->getWinSize()); }

bool Scene::initWithSize(const Size& size)
{
    setContentSize(size);
    if (!_defaultCamera) {
        _defaultCamera = Camera::create();
        if (!_defaultCamera)
            return false;
        // Held here too, so the pointer stays valid even if the camera is taken out of the tree.
        _defaultCamera->retain();
        addChild(_defaultCamera);
        // Registered now so that a scene that never ran still lists its camera.
        addCamera(_defaultCamera);
    }
    return true;
}

std::string Scene::getDescription() const { return "<Scene | tag = " + std::to_string(_tag) + ">"; }

const std::vector<Camera*>& Scene::getCameras()
{
    if (_cameraOrderDirty) {
        std::stable_sort(_cameras.begin(), _cameras.end(),
                         [](const Camera* a, const Camera* b) { return a->getDepth() < b->getDepth(); });
        _cameraOrderDirty = false;
    }
    return _cameras;
}

void Scene::addCamera(Camera* camera)
{
    if (std::find(_cameras.begin(), _cameras.end(), camera) != _cameras.end())
        return;
    _cameras.push_back(camera);
    camera->_scene = this;
    _cameraOrderDirty = true;
}

void Scene::removeCamera(Camera* camera)
{
    auto it = std::find(_cameras.begin(), _cameras.end(), camera);
    if (it != _cameras.end())
        _cameras.erase(it);
    if (camera->_scene == this)
        camera->_scene = nullptr;
}

void Scene::render(Renderer* renderer)
{
    Camera* previous = Camera::_visitingCamera;
    // A copy: a camera may leave the scene while the tree is visited.
    const std::vector<Camera*> cameras = getCameras();
    for (Camera* camera : cameras) {
        if (std::find(_cameras.begin(), _cameras.end(), camera) == _cameras.end())
            continue;
        if (!camera->isVisible() || camera->isDrawnInline())
            continue;
        Camera::_visitingCamera = camera;
        camera->beginVisit(renderer);
        visit(renderer, Mat4::IDENTITY, 0);
        camera->endVisit(renderer);
    }
    Camera::_visitingCamera = previous;
}

bool Scene::onResponseReturn()
{
    // The running scene changes only at the next frame: a scene popped already in this one
    // (by its back button, say) is no longer on top and lets the key go.
    Director* director = Director::getInstance();
    return director->getSceneStackSize() >= 2 && director->popSceneIfOnTop(this);
}

void Scene::setMessageNode(Node* node, float seconds)
{
    unschedule(kMessageTimerKey);
    if (node != _messageNode) {
        CC_SAFE_RETAIN(node);
        CC_SAFE_RELEASE(_messageNode);
        _messageNode = node;
    }
    if (!node)
        return;
    node->setVisible(true);
    scheduleOnce(
        [this](float) {
            if (_messageNode) {
                _messageNode->setVisible(false);
                CC_SAFE_RELEASE_NULL(_messageNode);
            }
        },
        seconds > 0.0f ? seconds : 0.0f, kMessageTimerKey);
}

} // namespace cocos2d
