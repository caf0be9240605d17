// The image actor without a display: orientation letters and patient coordinates, slices and
// planes of a volume, the texts it posts, pixels that arrive while a series loads, and the
// statistics it answers for measurements.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "WindowFixture.h"
#include "display_slices.h"
#include "display_volumes.h"
#include "imaging/core/cache/KeyHash.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/core/io/DicomImageTags.h"
#include "imaging/core/object/isImageFilter.h"
#include "imaging/core/roi/ROICircle.h"
#include "imaging/core/roi/ROIPoint.h"
#include "imaging/core/roi/ROIPolygon.h"
#include "imaging/display/actor/RegionStatistics.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/isNodeImage.h"
#include "imaging/display/window/OrientationLabels.h"
#include "imaging/display/window/PatientAxes.h"

using namespace cocos2d;
using namespace displaytest;
using namespace isImageSDK;

namespace {

Vec3 worldOf(const isSliceInfo* slice, float x, float y) {
    Vec3 world;
    slice->matrix.transformPoint(Vec3(x, y, 0), &world);
    return world;
}

std::string lastText(const Recorder& recorder, unsigned int id) {
    std::string text;
    for (const Recorder::Entry& e : recorder.entries)
        if (e.id == id)
            text = e.text;
    return text;
}

std::string labelsOf(const Vec3& right, const Vec3& up, int headFeet, int facing) {
    char labels[4][3];
    computeOrientationLabels(right, -up, labels, headFeet, facing);
    return std::string(labels[kEdgeUp]) + "," + labels[kEdgeRight] + "," + labels[kEdgeDown] + "," +
           labels[kEdgeLeft];
}

/// A source stage like the series reader: it only records who waits for which image.
class WaitingSource : public isImageFilter {
public:
    static WaitingSource* create() { return createObject<WaitingSource>(); }
    bool isSource() const override { return true; }
    void addObserver(cocos2d::Ref* owner, const std::string& path) override {
        this->owner = owner;
        waitedPath = path;
    }
    cocos2d::Ref* owner = nullptr;
    std::string waitedPath;
};

class ImageActor : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        window = addWindow(Vec2(0, 0), Size(300, 300));
        actor = isActorImage::create();
        actor->retain();
        actor->attachTo(window);
        frames(1);
    }
    void TearDown() override {
        actor->release();
        for (isImageData* data : volumes)
            data->release();
        WindowFixture::TearDown();
    }
    isImageData* keep(isImageData* data) {
        volumes.push_back(data);
        return data;
    }
    /// An 8 x 8 x 4 volume whose images are still loading, shown by the actor (slice 2).
    isImageData* showLoading(WaitingSource*& source) {
        isImageData* volume = keep(constantVolume(8, 8, 4, kPixelS16, 0));
        source = WaitingSource::create();
        volume->setInput(source);
        for (isSliceInfo* slice : volume->slices)
            slice->loaded = 0;
        actor->setInputData(volume);
        frames(2);
        return volume;
    }
    /// The slice's pixels arrive, all 42.
    static void arrive(isSliceInfo* slice) {
        for (int i = 0; i < 64; ++i)
            reinterpret_cast<int16_t*>(slice->pixels)[i] = 42;
        slice->loaded = 1;
    }
    bool drawsLoaded() const {
        return actor->getImageNode()->getSlice() && actor->getImageNode()->getSlice()->loaded;
    }
    float shownValue() {
        const isSliceInfo* slice = actor->getImageInfoUpdated();
        float v = NAN;
        if (slice)
            actor->getPixelValueAt(worldOf(slice, 0, 0), v);
        return v;
    }
    /// The reply text of a statistics request for the measurement, "" when none came.
    std::string statistics(ROIData* roi) {
        Recorder recorder;
        recorder.listen(isActorImage::kStatisticsId, window);
        auto* request = new NSUI::NSNotificationData();
        request->setObject(roi);
        request->intValue = 7;
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, isActorImage::kStatisticsId,
                                                                    request, window, true);
        request->release();
        frames(3);
        for (const Recorder::Entry& e : recorder.entries)
            if (e.sender == actor)
                return e.text;
        return "";
    }

    TestWindow* window = nullptr;
    isActorImage* actor = nullptr;
    std::vector<isImageData*> volumes;
};

} // namespace

TEST(OrientationLabels, EveryFacingHeadFirstAndFeetFirst) {
    // Right along +x and up along +y name the x and y letters; right along +z the z letters.
    const struct {
        int headFeet, facing;
        const char* xy;
        const char* z;
    } cases[] = {
        {0, 0, "S,L,I,R", "A|P"}, {1, 0, "I,R,S,L", "A|P"},
        {0, 1, "S,R,I,L", "P|A"}, {1, 1, "I,L,S,R", "P|A"},
        {0, 2, "S,P,I,A", "L|R"}, {1, 2, "I,A,S,P", "L|R"},
        {0, 3, "S,A,I,P", "R|L"}, {1, 3, "I,P,S,A", "R|L"},
        {2, 3, "S,L,I,R", "A|P"}, // not stated: head first supine whatever the facing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "headFeet " << c.headFeet << " facing " << c.facing);
        EXPECT_EQ(labelsOf(Vec3(1, 0, 0), Vec3(0, 1, 0), c.headFeet, c.facing), c.xy);
        char labels[4][3];
        computeOrientationLabels(Vec3(0, 0, 1), Vec3(0, -1, 0), labels, c.headFeet, c.facing);
        EXPECT_EQ(std::string(labels[kEdgeRight]) + "|" + labels[kEdgeLeft], c.z);
    }
}

TEST(OrientationLabels, EqualDiagonalDoesNotRepeatTheUpLetterFirst) {
    const float h = std::sqrt(0.5f);
    // Up reads "LS"; right (x and z equal) would read "LA" and is swapped to "AL".
    EXPECT_EQ(labelsOf(Vec3(h, 0, h), Vec3(h, h, 0), 0, 0), "LS,AL,RI,PR");
    // Unequal magnitudes keep their order.
    EXPECT_EQ(labelsOf(Vec3(0.8f, 0, 0.6f), Vec3(h, h, 0), 0, 0), "LS,LA,RI,RP");
}

TEST(PatientAxes, UndoWhatTheReaderDidForEveryPatientPosition) {
    const double row[3] = {1, 0, 0}, column[3] = {0, 1, 0}, position[3] = {11, -22, 33};
    for (int headFeet = 0; headFeet <= 2; ++headFeet)
        for (int facing = 0; facing <= 3; ++facing) {
            SCOPED_TRACE(testing::Message() << "headFeet " << headFeet << " facing " << facing);
            isSliceInfo slice;
            slice.headFeet = headFeet;
            slice.facing = facing;
            const Mat4 m = sliceMatrix(row, column, position, facing, headFeet);
            Vec3 p(m.m[12], m.m[13], m.m[14]);
            mapVectorToSliceAxes(slice, p);
            EXPECT_NEAR(p.x, 11, 1e-4);
            EXPECT_NEAR(p.y, -22, 1e-4);
            EXPECT_NEAR(p.z, 33, 1e-4);
        }
}

TEST_F(ImageActor, SliceTextsPositionAndOrientationSwitch) {
    Recorder recorder;
    for (unsigned int id : {9073u, 9077u, 9093u, 9094u})
        recorder.listen(id, window);

    isImageData* single = keep(constantVolume(8, 8, 1, kPixelS16, 5));
    actor->setInputData(single);
    frames(3);
    EXPECT_TRUE(actor->isVisible());
    EXPECT_EQ(actor->getSliceIndex(), 0);
    EXPECT_EQ(lastText(recorder, 9073), "{\"index\":\"1\",\"count\":\"1\"}");

    const size_t before = recorder.entries.size();
    actor->setInputData(single);
    frames(3);
    EXPECT_EQ(recorder.entries.size(), before) << "the same data twice posts nothing";

    // 100 columns, 200 slices; the slice below the patient's origin reads inferior.
    isImageData* volume = keep(makeVolume(
        100, 4, 200, kPixelS16, [](int, int, int z) { return float(z); }, 1.0f, -150.0f));
    actor->setInputData(volume);
    EXPECT_EQ(actor->getSliceIndex(), 100);
    actor->setSliceIndex(150);
    EXPECT_NEAR(shownValue(), 150.0f, 0.0f);
    volume->slices[137]->matrix.m[13] = -12.34f;
    actor->setSliceIndex(137);
    EXPECT_EQ(actor->getPositionText(), "I:12.3mm");
    actor->setSliceIndex(160);
    EXPECT_EQ(actor->getPositionText(), "S:10.0mm");

    actor->setResliceOrientation1();
    EXPECT_EQ(actor->getSliceIndex(), 50) << "a plane of 100 slices shows its middle";
    EXPECT_TRUE(actor->isVisible());
    EXPECT_EQ(actor->getPositionText(), "L:49.0mm") << "the plane 49 columns left of the first";
    actor->setSliceIndex(100);
    EXPECT_FALSE(actor->isVisible()) << "an index past the plane hides the image";
    actor->setSliceIndex(99);
    EXPECT_TRUE(actor->isVisible());
    frames(3);
    EXPECT_EQ(lastText(recorder, 9073), "{\"index\":\"100\",\"count\":\"100\"}");
    int orientationTwo = 0;
    for (const Recorder::Entry& e : recorder.entries)
        orientationTwo += e.id == 9094 && e.text == "{\"orient\":\"2\"}";
    EXPECT_EQ(orientationTwo, 1);

    actor->setInputData(nullptr);
    EXPECT_FALSE(actor->isVisible()) << "nothing of the data taken away stays on screen";
}

TEST_F(ImageActor, PlaneModeAfterObliqueDrawsTheNewDataPlane) {
    isImageData* first = keep(constantVolume(16, 16, 16, kPixelS16, 10));
    isImageData* second = keep(constantVolume(16, 16, 16, kPixelS16, 20));
    actor->setInputData(first);
    Mat4 plane;
    Mat4::createRotationX(0.3f, &plane);
    plane.m[12] = plane.m[13] = 8.0f;
    plane.m[14] = -8.0f;
    actor->setObliquePlane(plane);
    EXPECT_FALSE(actor->isPlaneMode());
    frames(2);

    actor->setInputData(second);
    EXPECT_TRUE(actor->isPlaneMode());
    EXPECT_EQ(shownValue(), 20.0f);
    frames(2);
    const isSliceInfo* drawn = actor->getImageNode()->getSlice();
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(drawn, actor->getImageInfo()) << "the node draws the plane stage's slice";
    EXPECT_EQ(reinterpret_cast<const int16_t*>(drawn->pixels)[0], 20);
}

TEST_F(ImageActor, PixelsArrivingWhileLoadingReachTheNode) {
    WaitingSource* source = nullptr;
    isImageData* volume = showLoading(source);
    ASSERT_EQ(source->owner, actor);
    ASSERT_EQ(source->waitedPath, "slice2");

    arrive(volume->slices[2]);
    // Another image's arrival changes nothing; this one's reaches the screen.
    NSUI::NSNotificationCenter::getInstance()->postFixedIdNotification(source, int(keyHash("slice1")), actor);
    frames(3);
    EXPECT_FALSE(drawsLoaded());
    NSUI::NSNotificationCenter::getInstance()->postFixedIdNotification(source, int(keyHash("slice2")), actor);
    frames(3);
    ASSERT_TRUE(drawsLoaded());
    EXPECT_EQ(reinterpret_cast<const int16_t*>(actor->getImageNode()->getSlice()->pixels)[27], 42);
}

TEST_F(ImageActor, PixelsThatArriveBeforeAFrameAreDrawnInItWithoutTheirNotice) {
    WaitingSource* source = nullptr;
    isImageData* volume = showLoading(source);
    volume->slices[1]->loaded = 1;
    actor->takeArrivedPixels();
    frames(1);
    EXPECT_FALSE(drawsLoaded()) << "not its image";
    arrive(volume->slices[2]);
    actor->takeArrivedPixels();
    frames(1);
    ASSERT_TRUE(drawsLoaded());
    EXPECT_EQ(reinterpret_cast<const int16_t*>(actor->getImageNode()->getSlice()->pixels)[27], 42);
}

TEST_F(ImageActor, ColourTableAndWindowDrag) {
    isImageData* volume = keep(constantVolume(4, 4, 2, kPixelF32, 1));
    actor->setInputData(volume);
    unsigned char rgb[768];
    for (int i = 0; i < 256; ++i) {
        rgb[3 * i] = 255;
        rgb[3 * i + 1] = uint8_t(i);
        rgb[3 * i + 2] = 64;
    }
    actor->setColorTable(rgb);
    EXPECT_EQ(actor->getClut()->colors[128], 0xFF8040FFu);
    EXPECT_EQ(actor->getClut()->colors[255], 0xFFFF40FFu);

    actor->setWindow(400, 40);
    actor->adjustWindowByDrag(1, 0.5f);
    EXPECT_FLOAT_EQ(actor->getClut()->windowWidth, 600.0f) << "float images move 200 per point";
    EXPECT_FLOAT_EQ(actor->getClut()->windowLevel, 140.0f);
    actor->adjustWindowByDrag(-100, 0);
    EXPECT_FLOAT_EQ(actor->getClut()->windowWidth, 2.0f);
}

TEST_F(ImageActor, ProgressOfItsOwnSeriesIsRelayed) {
    isImageData* volume = keep(constantVolume(4, 4, 2, kPixelS16, 1));
    volume->setSeriesKey("1.2,3");
    actor->setInputData(volume);
    Recorder recorder;
    recorder.listen(isActorImage::kProgressId, window);
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    for (const char* key : {"1.2,4", "1.2,3"}) {
        auto* data = new NSUI::NSNotificationData();
        data->floatValue = 0.25f;
        data->intValue2 = int(keyHash(key));
        centre->postNotification(nullptr, isActorImage::kSeriesProgressId, data, nullptr, true);
        data->release();
    }
    frames(3);
    EXPECT_EQ(recorder.count(isActorImage::kProgressId), 1);
}

// --- statistics -------------------------------------------------------------------------------------

TEST_F(ImageActor, CircleStatisticsOnAConstantImage) {
    actor->setInputData(keep(constantVolume(64, 64, 3, kPixelS16, 100)));
    ROICircle* circle = ROICircle::create();
    circle->retain();
    const Vec3 centre = worldOf(actor->getImageInfoUpdated(), 32, 32);
    circle->center = centre;
    circle->rim = centre + Vec3(10, 0, 0);
    const std::string reply = statistics(circle);
    EXPECT_EQ(reply.substr(0, reply.find("Total")), "Area:3.14,W:2 H:2 Unit:cm\nAvg:100,StdDev:0,");
    EXPECT_NE(reply.find("Min:100,Max:100"), std::string::npos) << reply;

    circle->rim = centre + Vec3(0.3f, 0, 0);
    EXPECT_NE(statistics(circle).find("Avg:100,StdDev:0,Total:100\n"), std::string::npos) << "one pixel";

    ROIPoint* point = ROIPoint::create();
    point->retain();
    point->point = worldOf(actor->getImageInfoUpdated(), -1.4f, 3);
    EXPECT_EQ(statistics(point), "Unknown") << "a point left of the image reads no pixel";
    point->point = worldOf(actor->getImageInfoUpdated(), 2.5f, 3);
    EXPECT_EQ(statistics(point).substr(0, 10), "Value:100\n");
    point->release();
    circle->release();
}

TEST(RegionStatistics, BoundsOfRealDataAndOfTheRegion) {
    TestSlice slice(kPixelF32, 16, 16, std::vector<float>(256, 250000.0f));
    ROICircle* circle = ROICircle::create();
    circle->retain();
    circle->center = Vec3(8, 8, 0);
    circle->rim = Vec3(11, 8, 0);
    std::string reply;
    ASSERT_TRUE(describeRegion(slice.info, *circle, reply));
    EXPECT_NE(reply.find("Min:250000,Max:250000"), std::string::npos) << reply;

    // A circle far larger than the image visits the image only.
    circle->rim = Vec3(8e8f, 8, 0);
    ASSERT_TRUE(describeRegion(slice.info, *circle, reply));
    EXPECT_NE(reply.find("Total:64000000\n"), std::string::npos) << reply;

    slice.info.spacingX = 0.0f;
    EXPECT_FALSE(describeRegion(slice.info, *circle, reply)) << "no spacing, no reply";
    slice.info.spacingX = 1.0f;

    ROIPolygon* polygon = ROIPolygon::create();
    polygon->retain();
    polygon->points = {Vec3(2, 2, 0), Vec3(6, 2, 0)};
    ASSERT_TRUE(describeRegion(slice.info, *polygon, reply));
    EXPECT_EQ(reply.substr(0, 12), "Area:0,W:0.4") << reply;
    EXPECT_NE(reply.find("Total:0\n"), std::string::npos) << "two vertices count no pixel";
    polygon->points = {Vec3(2, 2, 0), Vec3(6, 2, 0), Vec3(6, 6, 0), Vec3(2, 6, 0)};
    ASSERT_TRUE(describeRegion(slice.info, *polygon, reply));
    EXPECT_EQ(reply.substr(0, reply.find('\n')), "Area:0.16,W:0.4 H:0.4 Unit:cm");
    EXPECT_NE(reply.find("Total:4000000\n"), std::string::npos) << "16 pixels: " << reply;

    circle->release();
    polygon->release();
}
