// A toast over the patient list drawn under a virtual display: its panel lies over the
// first-start hint below it, panel and text alike. The frame is written to
// <build>/toast_patient_list.png for a look.

#include "BrowseFixture.h"
#include "support/GLWindowFixture.h"
#include "widgets/ToastProbe.h"

#include "base/messageView.h"
#include "patient/patientList.h"

using namespace cocos2d;

namespace {

class PatientListToast : public browsetest::BrowseFixture {};

} // namespace

TEST_F(PatientListToast, LiesOverTheFirstStartHint) {
    qptest::ScreenWindow window("toast", 1280, 800);
    if (!window)
        GTEST_SKIP() << "no display for a GL window";
    FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/res/layout");
    Scene* scene = patientList::createScene();
    director->pushScene(scene);
    frame();
    patientList* list = nullptr;
    for (Node* child : scene->getChildren())
        if (auto* found = dynamic_cast<patientList*>(child))
            list = found;
    ASSERT_NE(list, nullptr);
    NSUI::NSDBDataModel none;
    list->onPatientsLoaded(&none); // an empty store: the hint shows
    Node* prompt = list->getChildByTag(patientList::kPromptTag);
    ASSERT_NE(prompt, nullptr);
    // Held still in full view, so that frames differ only by the toast.
    for (Node* hint : prompt->getChildren()) {
        hint->stopAllActions();
        hint->setOpacity(255);
    }

    NSUI::messageView::showMessage("The series could not be loaded.", 1.5f);
    EXPECT_TRUE(qptest::ToastProbe().liesOnTop(
        scene, [this] { frame(); }, std::string(QP_BINARY_DIR) + "/toast_patient_list.png"));
    director->popScene();
    frame();
}
