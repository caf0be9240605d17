// The study list drawn under a virtual display with the first-run sample imported: rows,
// preview pictures and the dark palette are on screen. The frame is written to
// <build>/study_list.png for a look, with the favourites badge after a capture to
// <build>/study_list_favorites.png, and the series' share overlay to <build>/share.png.

#include "BrowseFixture.h"
#include "support/GLWindowFixture.h"
#include "support/PixelProbe.h"

#include "study/studyList.h"
#include "table/NSListView.h"
#include "zip/ZipTool.h"
#include "share/shareTo.h"

using namespace cocos2d;
using qptest::isColour;
using qptest::Px;
using qptest::readPixel;

namespace {

// The program's window on a 1600 x 1000 display.
const int kW = 1592;
const int kH = 968;

class StudyRender : public browsetest::BrowseFixture {};

TEST_F(StudyRender, SamplePatientWithPreviewPictures) {
    qptest::ScreenWindow window("study list", kW, kH);
    if (!window)
        GTEST_SKIP() << "no display for a GL window";

    const std::string sample = scratch("sample");
    ASSERT_TRUE(unzipFile(qptest::binaryDir() + "/samples/example.zip", sample, ""));
    importAndWait(sample, nettest::filesBelow(sample).size());

    Scene* next = studyList::create();
    auto* screen = static_cast<studyList*>(next->getChildByTag(studyList::kScreenTag));
    screen->setPatientID(patientRow("QP0003"));
    director->pushScene(next);
    frameUntil([&] { return screen->isLoaded(); });
    ASSERT_GE(screen->getTable()->getRowCount(), 4);
    // The first series' pictures, then the PET series (its place depends on the import order)
    // selected on its left part.
    frameUntil([&] { return !screen->getShownFolder().empty() && !screen->isThumbnailJobRunning(); });
    int pet = 1;
    while (screen->rowAt(pet) && screen->rowAt(pet)->modality != "PT")
        ++pet;
    ASSERT_TRUE(screen->rowAt(pet));
    screen->tableCellTouched(screen->getTable(), screen->getTable()->cellAtIndex(pet), Vec2(40, 40));
    frameUntil([&] { return screen->getShownFolder() == db->getRoot() + screen->rowAt(pet)->path + "/"; });
    frame();
    frame();

    // Preview pictures are the brightest thing; the table and the top bar are dark.
    Node* picture = screen->getChildByNameDeep("thrumb0");
    ASSERT_TRUE(picture && picture->isVisible());
    int bright = 0;
    const Vec2 centre = picture->getParent()->convertToWorldSpace(picture->getPosition());
    for (int dx = -40; dx <= 40; dx += 4)
        for (int dy = -40; dy <= 40; dy += 4) {
            Px p = readPixel(static_cast<int>(centre.x) + dx, static_cast<int>(centre.y) + dy);
            bright += p.r + p.g + p.b > 150;
        }
    EXPECT_GT(bright, 20) << "the first picture is drawn";
    EXPECT_TRUE(isColour(readPixel(kW - 10, kH - 10), 32, 34, 38)) << "top bar";
    EXPECT_TRUE(isColour(readPixel(300, 20), 32, 34, 38)) << "table below its rows";

    std::string shot = std::string(QP_BINARY_DIR) + "/study_list.png";
    bool written = false;
    utils::captureScreen([&](bool ok, const std::string&) { written = ok; }, shot);
    frameUntil([&] { return written; });

    NSUI::NSNotificationCenter::getInstance()->postNotificationWithString(nullptr, 1004, scratch("shots") + "/a.png",
                                                                          nullptr, false);
    frameUntil([&] {
        Node* badge = screen->getChildByNameDeep("favoriteNodes");
        return badge && badge->isVisible();
    });
    frame();
    written = false;
    utils::captureScreen([&](bool ok, const std::string&) { written = ok; },
                         std::string(QP_BINARY_DIR) + "/study_list_favorites.png");
    frameUntil([&] { return written; });

    screen->shareSeries(pet);
    written = false;
    utils::captureScreen([&](bool ok, const std::string&) { written = ok; },
                         std::string(QP_BINARY_DIR) + "/share.png");
    frameUntil([&] { return written; });
    frameUntil([&] { return NSUI::NSActivity::current() == nullptr; });
    EXPECT_TRUE(std::filesystem::exists(shareTo::shareFolder()));
    director->popScene();
    frame();
}

} // namespace
