#pragma once
// The single-slice viewer: one render window showing one slice of an image data through an
// image actor, paging through a series or reslicing a volume in its acquisition plane, the two
// planes across it or a tilted plane, with its corner texts, reference lines, measurements and
// colour table. Every command reaches it through its message handler.

#include <string>

#include "imaging/display/window/isRenderWindow.h"
#include "imaging/viewers/isViewer.h"

namespace isImageSDK {

class isActorImage;
struct isSliceInfo;

class isViewerImage : public isRenderWindow, public isViewer {
public:
    // Commands the viewer acts on.
    static constexpr unsigned int kNextSlice = 9001;
    static constexpr unsigned int kPreviousSlice = 9002;
    static constexpr unsigned int kMiddleSlice = 9003;
    static constexpr unsigned int kSlabParameter = 9006;
    static constexpr unsigned int kSlabThicknessStep = 9007;
    static constexpr unsigned int kRotate = 9008;
    static constexpr unsigned int kOblique = 9009;
    static constexpr unsigned int kAxial = 9010;
    static constexpr unsigned int kSagittal = 9011;
    static constexpr unsigned int kCoronal = 9012;
    static constexpr unsigned int kAcquisitionPlane = 9016;
    static constexpr unsigned int kResetCamera = 9017;
    static constexpr unsigned int kDefaultWindow = 9022;
    static constexpr unsigned int kOpenWindowEditor = 9023;
    static constexpr unsigned int kClutCurveLinear = 9026;
    static constexpr unsigned int kClutCurveLog = 9027;
    static constexpr unsigned int kClutCurveLogInverse = 9028;
    static constexpr unsigned int kSetWindow = 9029;
    static constexpr unsigned int kColorTable = 9030;
    static constexpr unsigned int kToolSelect = 9034;
    static constexpr unsigned int kToolWindow = 9035;
    static constexpr unsigned int kToolZoom = 9036;
    static constexpr unsigned int kToolMove = 9037;
    static constexpr unsigned int kToolPointer = 9039;
    static constexpr unsigned int kNewLine = 9040;
    static constexpr unsigned int kNewPolygon = 9044;
    static constexpr unsigned int kRemoveMeasurement = 9045;
    static constexpr unsigned int kHidePatientInfo = 9058;
    static constexpr unsigned int kShowPatientInfo = 9059;
    static constexpr unsigned int kPan = 9061;
    static constexpr unsigned int kZoomKeepReference = 9062;
    static constexpr unsigned int kZoomPinch = 9063;
    static constexpr unsigned int kWindowByDrag = 9064;
    static constexpr unsigned int kLinkedPan = 9065;
    static constexpr unsigned int kLinkedZoom = 9066;
    static constexpr unsigned int kWindowSync = 9067;
    static constexpr unsigned int kKeepReferenceInView = 9068;
    static constexpr unsigned int kSetReferencePoint = 9085;
    static constexpr unsigned int kProjectPoint = 9086;
    static constexpr unsigned int kClearCrossLines = 9088;
    static constexpr unsigned int kViewTouched = 9096;
    static constexpr unsigned int kMaximize = 9100;
    static constexpr unsigned int kCopySlice = 9102;
    // What it posts.
    static constexpr unsigned int kReferencePoint = 9071;
    static constexpr unsigned int kOrientationName = 9074;
    static constexpr unsigned int kOverlayInfo = 9084;
    static constexpr unsigned int kReferencePlane = 9087;
    static constexpr unsigned int kToolBarAttach = 9097;
    static constexpr unsigned int kToolBarHide = 9099;
    static constexpr unsigned int kMaximizedState = 9101;
    static constexpr unsigned int kSliceCopied = 9103;

    static constexpr float kDefaultMargin = 0.15f;

    static isViewerImage* create();

    bool init() override;
    /// Releases the image actor and announces the end (9099 tagged with this window's id).
    void cleanup() override;
    void visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform,
               uint32_t parentFlags) override;
    using cocos2d::Node::visit;
    void resetNodeLinks() override;

    // --- the viewer interface
    void setViewerMode(uint32_t mode) override;
    void retain() override { cocos2d::Ref::retain(); }
    void release() override { cocos2d::Ref::release(); }
    /// Shows the data: a volume in its acquisition plane, a series from its first image.
    void setImageData(isImageData* data) override;
    isImageData* getImageData() const override { return imageData; }
    void setVisible(bool visible) override;

    // --- the render window's hooks
    /// The ids this viewer observes with itself as object.
    virtual void getMessageIds();
    void fillObservedIds() override { getMessageIds(); }
    /// A screen point to the world point on the shown slice's plane; false without a slice.
    virtual bool pickWorldPoint(const cocos2d::Vec2& screen, float out[3]);
    bool screenToWorld(const cocos2d::Vec2& point, cocos2d::Vec3& world) override;
    /// Whether the reference point projects inside the window.
    virtual bool isReferencePointVisible();
    bool isReferenceInView() override { return isReferencePointVisible(); }
    void onMessage(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) override;
    void onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) override;
    virtual void resetCamera();
    void refreshOverlay(bool full) override;

    // --- slicing and orientation
    /// Shows that slice; with `refit` the camera is placed anew. An index outside a volume's
    /// planes hides the window.
    void setSlice(int index, bool refit);
    /// Planes of the shown orientation, -1 while the actor has no input, 0 without an actor.
    int getSliceCount();
    /// 0 the acquisition plane, 1 and 2 the planes across it.
    void setOrientation(int plane);
    void showCoronal();
    /// Shows or hides the reference lines, the tile frame and the pointer text.
    void setActive(bool active);
    void updateFrame();
    /// Posts the shown plane and the reference point (9087 and 9071), once per frame.
    void postReferencePlane();
    /// Makes p the reference point and keeps it in view (a volume), or hides the window.
    void moveReferencePoint(const cocos2d::Vec3& p);
    /// The step between neighbouring planes of a resliced volume; nothing written otherwise.
    void getSliceSpacing(cocos2d::Vec3& step);
    std::string getImagePath();
    bool isPatientInfoShown() const { return patientInfoShown; }

    // --- colour tables and measurements
    /// A built-in table ("noClut.plist", "bwInverse.plist") or a property-list file by name.
    void loadColorTable(const std::string& name);
    /// Hands the 256 RGB triples to the actor; a white entry 0 turns the background white.
    void setColorTable(const unsigned char rgb[768]);
    /// The image interactor's tool: 0 select, 4 window, 5 move, 6 zoom, 7 pointer, 9-13 a new
    /// line, point, angle, circle or polygon measurement.
    void setToolMode(int mode);
    int getToolMode() const;

    isActorImage* getImageActor() const { return imageActor; }
    const cocos2d::Mat4& getSliceTransform() const { return sliceTransform; }
    const cocos2d::Vec3& getReferencePoint() const { return referencePoint; }
    float getEdgeMargin() const { return edgeMargin; }
    void setFrameFlag(bool on) { frameFlag = on; }
    bool getFrameFlag() const { return frameFlag; }

protected:
    isViewerImage() = default;
    ~isViewerImage() override;

    /// Points the camera at the centre of the box (dims, spacing, matrix) from the side the
    /// patient letters say, and fits the image into the view.
    void placeCamera(const int dims[3], const float spacing[3], const cocos2d::Mat4& matrix, int plane);
    /// The same for one slice record, in its own plane.
    void placeCameraForSlice(const isSliceInfo& slice);
    void projectReferenceOntoSlice();
    /// Pans so that the screen point keeps the edge margin from every edge.
    void panIntoMargin(const cocos2d::Vec2& screen);
    void rotate(float degrees);
    void postOrientationName(const char* name);
    /// Whether the viewer acts itself; otherwise the command went to the owner.
    bool actsOn(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender, bool nextTick);
    void repost(unsigned int id, NSUI::NSNotificationData* data, bool nextTick);
    bool handleSliceCommand(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    bool handleViewCommand(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    bool handleToolCommand(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    void zoomKeepingReference(NSUI::NSNotificationData* data);
    void linkedZoom(NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    void windowSync(NSUI::NSNotificationData* data, cocos2d::Ref* sender);
    void keepReferenceInView();
    void maximize(NSUI::NSNotificationData* data);
    void restoreGeometry();
    void reapplyCamera(const isCameraState& state);
    void copySlice(NSUI::NSNotificationData* data);
    void setPatientInfoShown(bool shown);
    /// Reads the patient and study texts of the first file on a thread of its own, at most one
    /// read per image data at a time; the result becomes the data's info text and is posted
    /// (9084) on the main thread to every viewer over that data that asked meanwhile.
    void readOverlayInfo();
    void removeMeasurement(NSUI::NSNotificationData* data);

    isActorImage* imageActor = nullptr;
    cocos2d::Mat4 sliceTransform;
    cocos2d::Vec3 referencePoint;
    float edgeMargin = kDefaultMargin;
    bool frameFlag = false;
    bool patientInfoShown = true;
    bool overlayRefreshPending = false;
};

} // namespace isImageSDK
