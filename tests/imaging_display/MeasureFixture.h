#pragma once
// A render window that maps touches onto the plane through its focal point facing the camera,
// and a fixture with a 400 x 400 one at the scene's origin that looks down on the z = 0 plane
// (world x to the right, world y up, one millimetre per point at zoom ratio 1) with its
// measurement container.

#include "WindowFixture.h"
#include "imaging/core/roi/isROIManager.h"
#include "imaging/display/roi/isActorROI.h"
#include "imaging/display/roi/isActorROIBase.h"

namespace displaytest {

class PlaneWindow : public TestWindow {
public:
    bool screenToWorld(const cocos2d::Vec2& point, cocos2d::Vec3& world) override
    {
        cocos2d::Vec3 origin, direction;
        screenPointToWorldRay(point, origin, direction);
        const cocos2d::Vec3 normal = sceneCamera->getDirectionOfProjection();
        const float along = direction.dot(normal);
        if (std::fabs(along) < 1e-6f) return false;
        world = origin + direction * ((getFocalPoint() - origin).dot(normal) / along);
        return true;
    }
};

class MeasureFixture : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        window = TestWindow::create<PlaneWindow>();
        window->setContentSize(cocos2d::Size(400, 400));
        scene->addChild(window);
        lookAtPlane(1.0f);
        roi = window->getROIActor();
        roi->setImageText("study,3");
        roi->setOrientation(1);
        roi->setSlice(12);
        frames(2);
    }
    void TearDown() override
    {
        isImageSDK::isROIManager::destroyInstance();
        WindowFixture::TearDown();
    }
    /// Centres the view on the world origin at the displayed zoom ratio.
    void lookAtPlane(float ratio)
    {
        window->setCameraPosition(cocos2d::Vec3(0, 0, 1000));
        window->setCameraFocalAndUp(cocos2d::Vec3(0, 0, 0), cocos2d::Vec3(0, 1, 0));
        window->setZoomRatio(ratio);
    }
    /// The screen point of a world point on the plane.
    cocos2d::Vec2 screenOf(const cocos2d::Vec3& world) const
    {
        cocos2d::Vec2 screen;
        window->projectToScreen(world, screen);
        return screen;
    }
    /// Lets the window draw: its actors redraw on the window's frame notice.
    void redraw()
    {
        NSUI::NSNotificationCenter::getInstance()->postNotification(window, 9091, nullptr, window, true);
        frames(2);
    }

    PlaneWindow* window = nullptr;
    isImageSDK::isActorROI* roi = nullptr;
};

} // namespace displaytest
