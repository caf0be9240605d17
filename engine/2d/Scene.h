#pragma once
// The root of a screen's node tree: owns the default camera, keeps the list of cameras that
// have entered it, draws itself once per scene camera, and hides a message node on a timer.

#include <vector>

#include "2d/Node.h"

namespace cocos2d {

class Camera;

class Scene : public Node {
public:
    static Scene* create();
    static Scene* createWithSize(const Size& size);

    bool init() override;
    virtual bool initWithSize(const Size& size);

    /// The cameras in the scene, ordered by depth (stable: equal depths keep entry order).
    const std::vector<Camera*>& getCameras();
    Camera* getDefaultCamera() const { return _defaultCamera; }

    /// Visits the tree once for each visible camera that draws the whole scene.
    virtual void render(Renderer* renderer);

    /// Shows the node and hides it after the given seconds. A new call restarts the timer
    /// (also for another node); null cancels it. The node is retained until it is hidden.
    void setMessageNode(Node* node, float seconds);
    Node* getMessageNode() const { return _messageNode; }

    /// The return key, once enabled on the scene: a pushed scene that is running goes back to
    /// the one beneath it, as its back button does; the first scene stays.
    bool onResponseReturn() override;

    std::string getDescription() const override;

protected:
    Scene();
    ~Scene() override;

    void addCamera(Camera* camera);
    void removeCamera(Camera* camera);

    std::vector<Camera*> _cameras;
    Camera* _defaultCamera = nullptr;
    bool _cameraOrderDirty = true;
    Node* _messageNode = nullptr;

    friend class Camera;
};

} // namespace cocos2d
