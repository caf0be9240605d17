// Colour tables: the property-list files the project ships and the rules of reading one.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cocos2d.h"
#include "imaging/viewers/ColorTable.h"
#include "support/TestSupport.h"

using isImageSDK::ColorTable;

namespace {

// The search paths of one test: just its own folder; the ones before come back at its end.
class OwnSearchPath {
public:
    explicit OwnSearchPath(const std::string& folder)
        : _saved(cocos2d::FileUtils::getInstance()->getOriginalSearchPaths()) {
        cocos2d::FileUtils::getInstance()->setSearchPaths({folder});
    }
    ~OwnSearchPath() { cocos2d::FileUtils::getInstance()->setSearchPaths(_saved); }

private:
    const std::vector<std::string> _saved;
};

// A property list with three arrays of `n` copies of each value, in the folder.
std::string writeTable(const qptest::TempDir& folder, const std::string& name, int red, int green, int blue,
                       int greenCount = 256) {
    std::ofstream out(folder.file(name));
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    const struct {
        const char* key;
        int value, count;
    } arrays[3] = {{"Red", red, 256}, {"Green", green, greenCount}, {"Blue", blue, 256}};
    for (const auto& a : arrays) {
        out << "<key>" << a.key << "</key>\n<array>\n";
        for (int i = 0; i < a.count; ++i)
            out << "<string>" << a.value << "</string>\n";
        out << "</array>\n";
    }
    out << "</dict>\n</plist>\n";
    return name;
}

} // namespace

TEST(ColorTables, FileRules) {
    qptest::TempDir folder;
    OwnSearchPath path(folder.path());
    unsigned char rgb[ColorTable::kBytes];
    ColorTable::grey(rgb);
    // Perfusion keeps red under "Blue": red 255 and blue 0 in the file give a blue table.
    ASSERT_TRUE(ColorTable::loadFile(writeTable(folder, "Perfusion.plist", 255, 7, 0), rgb));
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[1], 7);
    EXPECT_EQ(rgb[2], 255);
    ASSERT_TRUE(ColorTable::loadFile(writeTable(folder, "Other.plist", 255, 7, 0), rgb));
    EXPECT_EQ(rgb[3 * 200], 255);
    EXPECT_EQ(rgb[3 * 200 + 2], 0);
    // A short array or a missing file leaves the table as it was.
    EXPECT_FALSE(ColorTable::loadFile(writeTable(folder, "Short.plist", 1, 2, 3, 255), rgb));
    EXPECT_FALSE(ColorTable::loadFile("Missing.plist", rgb));
    EXPECT_EQ(rgb[3 * 200], 255);
}

TEST(ColorTables, ShippedTablesLookLikeTheirNames) {
    OwnSearchPath path(qptest::sourceDir() + "/imageSDK");
    unsigned char hot[ColorTable::kBytes], perfusion[ColorTable::kBytes], spectrum[ColorTable::kBytes];
    ASSERT_TRUE(ColorTable::loadFile("HotMetal.plist", hot));
    ASSERT_TRUE(ColorTable::loadFile("Perfusion.plist", perfusion));
    ASSERT_TRUE(ColorTable::loadFile("GEcolor.plist", spectrum));
    // Hot metal: black, through red and yellow, to white.
    EXPECT_EQ(hot[0] + hot[1] + hot[2], 0);
    EXPECT_GT(hot[3 * 100], 200);
    EXPECT_LT(hot[3 * 100 + 2], 20);
    EXPECT_EQ(hot[3 * 255] + hot[3 * 255 + 1] + hot[3 * 255 + 2], 765);
    // Perfusion: low values blue, high values red.
    EXPECT_GT(perfusion[3 * 51 + 2], 200);
    EXPECT_LT(perfusion[3 * 51], 20);
    EXPECT_GT(perfusion[3 * 255], 200);
    EXPECT_LT(perfusion[3 * 255 + 2], 20);
    EXPECT_NE(spectrum[3 * 128 + 1], spectrum[3 * 128]) << "a colour, not a grey";
}
