// The tag list and the finder: rows as pydicom reads the same file, flagged elements last,
// descriptions cut at a character boundary, a read that outlives its closed panel, and the
// finder's empty table and back button.

#include "PanelFixture.h"

#include "dicom/read_helpers.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "tags/dcmFinder.h"
#include "tags/dcmInfoList.h"
#include "text/Utf8Chars.h"

#include <map>
#include <sstream>

using namespace cocos2d;
using paneltest::PanelFixture;

namespace {

class TagPanelTest : public PanelFixture {
protected:
    dcmInfoList* openTags(const std::string& file)
    {
        window = dcmInfoList::create();
        EXPECT_NE(window, nullptr);
        dcmInfoList* panel = dcmInfoList::fromWindow(window);
        EXPECT_NE(panel, nullptr);
        panel->setFile(file);
        // Entering starts the read; no frame runs here, so its rows cannot have arrived yet.
        scene->addChild(window);
        return panel;
    }
    static std::vector<dcmTagRow*> rowsOf(dcmTagPanel* panel)
    {
        std::vector<dcmTagRow*> rows;
        for (Ref* item : panel->getTable()->rows)
            rows.push_back(static_cast<dcmTagRow*>(item));
        return rows;
    }

    Node* window = nullptr;
};

// Every top-level text or number element of the file meta and the data set, as pydicom reads
// it: "(gggg,eeee)" -> value, several values joined by "\".
std::map<std::string, std::string> pydicomValues(const std::string& path)
{
    const std::string script = R"(
import pydicom
from pydicom.multival import MultiValue
d = pydicom.dcmread(r')" + path + R"(')
for e in list(d.file_meta) + list(d):
    if e.VR not in ('CS','LO','SH','PN','DA','TM','UI','DS','IS','US','AS','DT') or e.value is None:
        continue
    v = '\\'.join(str(x) for x in e.value) if isinstance(e.value, (MultiValue, list)) else str(e.value)
    if '\t' in v or '\n' in v or len(v.encode()) > 255:
        continue
    print('(%04X,%04X)\t%s' % (e.tag.group, e.tag.element, v))
)";
    std::map<std::string, std::string> values;
    std::istringstream in(readtest::runPython(script));
    std::string line;
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos)
            values[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return values;
}

TEST_F(TagPanelTest, CtSmallListsWhatPydicomReadsWithFlaggedElementsLast)
{
    dcmInfoList* panel = openTags(readtest::pydicomFile("CT_small.dcm"));
    ASSERT_TRUE(frameUntil([&] { return !panel->isReading(); }));
    const std::vector<dcmTagRow*> rows = rowsOf(panel);

    const std::map<std::string, std::string> expected = pydicomValues(readtest::pydicomFile("CT_small.dcm"));
    ASSERT_GT(expected.size(), 30u);
    std::map<std::string, std::string> shown;
    for (dcmTagRow* row : rows)
        shown.emplace(row->tagText, row->valueText);
    for (const auto& [tag, value] : expected) {
        ASSERT_TRUE(shown.count(tag)) << tag;
        EXPECT_EQ(shown[tag], value) << tag;
    }

    // Ordinary elements first; the file meta, private and nested ones after all of them.
    auto flagged = [](const dcmTagRow* row) {
        return row->tagText.compare(0, 5, "(0002") == 0 || row->tagText[0] == '>' ||
               std::stoi(row->tagText.substr(1, 4), nullptr, 16) % 2 == 1;
    };
    size_t firstFlagged = rows.size();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (flagged(rows[i]) && firstFlagged == rows.size())
            firstFlagged = i;
        if (i > firstFlagged) {
            EXPECT_TRUE(flagged(rows[i])) << rows[i]->tagText << " after a flagged row";
        }
    }
    EXPECT_LT(firstFlagged, rows.size());
    EXPECT_EQ(rows.front()->tagText, "(0008,0005)");
    for (dcmTagRow* row : rows) {
        EXPECT_LE(row->introText.size(), dcmInfoList::kIntroBytes) << row->tagText;
    }
    EXPECT_EQ(label(panel->getTable()->cellAtIndex(0), "intro"), "SpecificCharacterSet");

    // A second entry reads nothing again.
    panel->onEnterTransitionDidFinish();
    EXPECT_FALSE(panel->isReading());
    EXPECT_EQ(panel->getTable()->getRowCount(), static_cast<int64_t>(rows.size()));
}

TEST_F(TagPanelTest, DescriptionsAreCutAtACharacterBoundary)
{
    // Twenty bytes would end inside the second byte of "é" or a 4-byte character.
    EXPECT_EQ(NSUI::utf8PrefixBytes("Patient's Birth Namé", 20), "Patient's Birth Nam");
    EXPECT_EQ(NSUI::utf8PrefixBytes("0123456789012345678\xF0\x9F\x98\x80", 20), "0123456789012345678");
    EXPECT_EQ(NSUI::utf8PrefixBytes("short", 20), "short");
    EXPECT_EQ(NSUI::utf8PrefixBytes("\xE2\x82", 20), "\xE2\x82");
}

TEST_F(TagPanelTest, ClosingDuringTheReadLeavesTheClosedPanelUntouched)
{
    dcmInfoList* panel = openTags(readtest::pydicomFile("CT_small.dcm"));
    panel->retain();
    ASSERT_TRUE(panel->isReading());
    window->retain();
    click(panel->getChildByNameDeep("btn_back"));
    EXPECT_EQ(window->getParent(), nullptr);
    window->release();
    // The read's completion still holds the panel; it drops it without filling rows.
    ASSERT_TRUE(frameUntil([&] { return panel->getReferenceCount() == 1; }));
    EXPECT_EQ(panel->getTable()->getRowCount(), 0);
    panel->release();
}

TEST_F(TagPanelTest, UnreadableOrShortPathsGiveAnEmptyTable)
{
    qptest::TempDir dir;
    ASSERT_TRUE(qptest::writeFile(dir.file("x.dcm"), "not a DICOM file"));
    dcmInfoList* bad = openTags(dir.file("x.dcm"));
    ASSERT_TRUE(frameUntil([&] { return !bad->isReading(); }));
    EXPECT_EQ(bad->getTable()->getRowCount(), 0);
    dcmInfoList* shortPath = openTags("ab");
    EXPECT_FALSE(shortPath->isReading());
    EXPECT_EQ(shortPath->getTable()->getRowCount(), 0);
}

TEST_F(TagPanelTest, FinderOpensEmptyAndClosesWithBack)
{
    Node* finder = dcmFinder::create();
    ASSERT_NE(finder, nullptr);
    scene->addChild(finder);
    input->frame();
    dcmFinder* panel = dcmFinder::fromWindow(finder);
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(panel->getTable(), nullptr);
    EXPECT_EQ(panel->getTable()->getRowCount(), 0);
    // The window covers the screen and the panel hangs from the middle of its top.
    EXPECT_EQ(panel->getLayout()->getBoundingBox().getMaxY(), director->getWinSize().height);
    EXPECT_FLOAT_EQ(panel->getLayout()->getBoundingBox().getMidX(), director->getWinSize().width / 2);
    finder->retain();
    click(panel->getChildByNameDeep("btn_back"));
    EXPECT_EQ(finder->getParent(), nullptr);
    finder->release();
}

TEST_F(TagPanelTest, PanelsShrinkIntoAWindowSmallerThanThem)
{
    for (const Size& small : {Size(1016, 568), Size(780, 640)}) {
        director->setWinSize(small);
        Node* tags = dcmInfoList::create();
        ASSERT_NE(tags, nullptr);
        const Rect box = dcmInfoList::fromWindow(tags)->getLayout()->getBoundingBox();
        EXPECT_GE(box.getMinX(), 0);
        EXPECT_LE(box.getMaxX(), small.width);
        EXPECT_GE(box.getMinY(), 0);
        EXPECT_NEAR(box.getMaxY(), small.height, 0.5f);
        EXPECT_LT(std::min(box.getMinX(), box.getMinY()), 0.5f) << "no smaller than it must be";
    }
}

} // namespace
