// The workstation as one program: a user's session from the first start to the close, with
// real X input on a display of its own and checks on what the screen shows and the store holds.

#include "WorkstationRun.h"
#include "XSession.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

using acceptance::Picture;
using acceptance::poll;
using acceptance::WorkstationRun;
using acceptance::XSession;

constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1000;

// The patient list's "NEW" marks: a column near the right edge, blue on the dark rows.
constexpr int kNewMarkLeft = 1470, kNewMarkRight = 1540;
constexpr int kListTop = 95;
// The first row of the list (below the title bar) and the send panel's parts.
constexpr int kFirstRowY = 138;
constexpr int kRowMenuSendX = 123;
constexpr int kTypedAddressX = 900, kTypedAddressY = 226;  // right of its text: the caret goes last
constexpr int kTypedSendX = 1129, kTypedSendY = 207;
constexpr int kImportX = 1275, kImportY = 57;
constexpr int kBrowserFirstEntryX = 286, kBrowserFirstEntryY = 211;
constexpr int kToastTop = 815, kToastBottom = 885;
constexpr int kFirstSendStateX0 = 1120, kFirstSendStateX1 = 1190, kFirstSendStateY0 = 430, kFirstSendStateY1 = 462;
// The sample CT patient's row (the second), its first series, the viewing screen's back button.
constexpr int kRowOpenX = 1563, kChestRowY = kFirstRowY + 100;
constexpr int kSeriesOpenX = 895, kSeriesOpenY = 188;
constexpr int kBackX = 35, kBackY = 57;
// The viewing screen's tool panel and the four views of the MPR layout.
constexpr int kWindowToolX = 71, kWindowToolY = 500, kWindowByMouseX = 115, kWindowByMouseY = 199;
constexpr int kLineToolX = 71, kLineToolY = 572;
constexpr int kCaptureX = 71, kCaptureY = 832, kCaptureScreenX = 35, kCaptureScreenY = 731;
constexpr int kViewFavoriteX = 865, kViewFavoriteY = 520;  // the selected view's star, bottom right
constexpr int kListFavoritesX = 1430, kListFavoritesY = 57;
struct Area { int x0, y0, x1, y1; };
constexpr Area kAxial{245, 90, 915, 530}, kCoronal{925, 90, 1595, 530}, kSagittal{245, 545, 915, 995},
    kVolume{925, 545, 1595, 995};
constexpr Area kSliceText{420, 88, 525, 110}, kWindowText{780, 112, 918, 134};

bool isGrey(const unsigned char* p) {
    return p[0] > 50 && p[0] < 235 && std::abs(p[0] - p[1]) < 12 && std::abs(p[1] - p[2]) < 12;
}
bool isOrange(const unsigned char* p) { return p[0] > 200 && p[1] > 90 && p[1] < 180 && p[2] < 70; }
bool isLineBlue(const unsigned char* p) { return p[2] > 200 && p[0] < 50 && p[1] < 50; }
bool isMagenta(const unsigned char* p) { return p[0] > 200 && p[2] > 200 && p[1] < 70; }
bool isLineGreen(const unsigned char* p) { return p[1] > 200 && p[0] < 90 && p[2] < 90; }
bool isWhite(const unsigned char* p) { return p[0] > 230 && p[1] > 230 && p[2] > 230; }
// Entries of the favourites screen's list: runs of scan lines with a thumbnail across its column.
int favoritesShown(const Picture& picture) {
    auto onPicture = [](const unsigned char* p) {
        return std::abs(p[0] - 32) + std::abs(p[1] - 34) + std::abs(p[2] - 38) > 30;
    };
    int entries = 0;
    bool inEntry = false;
    for (int y = 125; y < 900; ++y) {
        const bool shown = picture.count(130, y, 265, y + 1, onPicture) > 40;
        entries += shown && !inEntry ? 1 : 0;
        inEntry = shown;
    }
    return entries;
}
int countIn(const Picture& picture, const Area& a, bool (*test)(const unsigned char*)) {
    return picture.count(a.x0, a.y0, a.x1, a.y1, test);
}
int changedIn(const Picture& now, const Picture& before, const Area& a) {
    return now.changedFrom(before, a.x0, a.y0, a.x1, a.y1);
}

bool isMarkBlue(const unsigned char* p) { return p[2] > 180 && p[0] < 110 && p[1] > 100; }

// Rows of the patient list that carry the mark: runs of marked scan lines down the column.
int rowsMarkedNew(const Picture& picture) {
    int rows = 0;
    bool inMark = false;
    for (int y = kListTop; y < picture.height; ++y) {
        const bool marked = picture.count(kNewMarkLeft, y, kNewMarkRight, y + 1, isMarkBlue) > 0;
        rows += marked && !inMark ? 1 : 0;
        inMark = marked;
    }
    return rows;
}

// A DICOM file's data set: what follows its file meta group, which every node writes anew
// (its own implementation and the sender's title). Empty when the file has no meta group.
std::string datasetOf(const std::string& file) {
    const size_t groupStart = 132;  // preamble and "DICM"
    if (file.size() < groupStart + 12 || file.compare(128, 4, "DICM") != 0)
        return {};
    // (0002,0000) UL, its value the length of the rest of the group.
    const auto* p = reinterpret_cast<const unsigned char*>(file.data()) + groupStart + 8;
    const size_t groupLength = p[0] | p[1] << 8 | p[2] << 16 | static_cast<size_t>(p[3]) << 24;
    const size_t start = groupStart + 12 + groupLength;
    return start < file.size() ? file.substr(start) : std::string();
}

class WorkstationSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(qptest::binaryDir() + "/proj.linux/workstation"))
            GTEST_SKIP() << "the program is not built";
        if (!acceptance::enterPrivateNetwork())
            GTEST_SKIP() << "no private network namespace (run the tests through scripts/run-isolated)";
        if (std::system("command -v xdotool >/dev/null && command -v storescu >/dev/null") != 0)
            GTEST_SKIP() << "xdotool or the DCMTK tools are missing (scripts/install-deps)";
        screen = std::make_unique<XSession>(kScreenWidth, kScreenHeight);
        ASSERT_TRUE(screen->ok()) << "Xvfb did not start";
        run = std::make_unique<WorkstationRun>(*screen, home.path());
    }

    // Sends a folder of these pydicom files to the receiver as a DICOM peer would.
    bool storescu(const std::vector<std::string>& files) {
        const std::string folder = home.file("outgoing");
        std::filesystem::create_directories(folder);
        for (const std::string& f : files)
            std::filesystem::copy_file(qptest::pydicomDir() + "/" + f, folder + "/" + f);
        const std::string command = "storescu +sd -aec ambrtide 127.0.0.1 4587 '" + folder + "' >'" +
                                    home.file("storescu.log") + "' 2>&1";
        return std::system(command.c_str()) == 0;
    }

    // A DICOM node on loopback that writes what it receives to `folder` ("<modality>.<uid>").
    bool startStorescp(const std::string& folder) {
        std::filesystem::create_directories(folder);
        const std::string command = "storescp +B -od '" + folder + "' " + std::to_string(kStorescpPort) + " >'" +
                                    home.file("storescp.log") + "' 2>&1 & echo $!";
        if (FILE* pipe = popen(command.c_str(), "r")) {
            if (fscanf(pipe, "%d", &storescpPid) != 1)
                storescpPid = 0;
            pclose(pipe);
        }
        const std::string echo = "echoscu 127.0.0.1 " + std::to_string(kStorescpPort) + " >/dev/null 2>&1";
        return storescpPid > 0 && poll([&] { return std::system(echo.c_str()) == 0; });
    }

    static std::vector<std::string> filesIn(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    // Where the store keeps the image of this SOP instance UID; "" when it has none.
    std::string storedPathOf(const std::string& uid) const {
        const std::string relative = run->query("select s.path || i.file from image i join series s on i.seriesID = "
                                                "s.ID where i.imageUID = '" + uid + "'");
        return relative.empty() ? relative : run->storeFolder() + relative;
    }

    // How many images the store holds of the patient whose image this received file is.
    size_t imagesOfPatientOf(const std::string& receivedFile) const {
        const std::string uid = receivedFile.substr(receivedFile.find('.') + 1);
        const std::string patientOf = "select st.patientID from image i join series s on i.seriesID = s.ID "
                                      "join study st on s.studyID = st.ID where i.imageUID = '" + uid + "'";
        return std::stoul("0" + run->query("select count(*) from image i join series s on i.seriesID = s.ID "
                                           "join study st on s.studyID = st.ID where st.patientID = (" +
                                           patientOf + ")"));
    }

    void TearDown() override {
        if (storescpPid > 0)
            kill(storescpPid, SIGTERM);
    }

    static constexpr int kStorescpPort = 11112;
    int storescpPid = 0;
    // Waits until the store holds the sample and the list shows each of its patients.
    ::testing::AssertionResult sampleShown(const std::string& screenshot) {
        Picture shown;
        const bool ok = poll([&] {
            const int patients = run->count("patient");
            return patients > 0 && rowsMarkedNew(shown = screen->grab()) == patients;
        });
        screen->screenshot(screenshot);
        if (ok)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "store patients " << run->count("patient") << ", rows shown "
                                             << rowsMarkedNew(shown) << "\n" << run->log();
    }

    qptest::TempDir home;
    std::unique_ptr<XSession> screen;
    std::unique_ptr<WorkstationRun> run;
};

TEST_F(WorkstationSession, FromFirstStartToClose) {
    // 1. First start: the sample archive goes into the store and its patients into the list.
    ASSERT_TRUE(run->start()) << run->log();
    ASSERT_TRUE(sampleShown("01-first-start"));
    Picture shown;
    const int samplePatients = run->count("patient");
    const int sampleImages = run->count("image");
    EXPECT_GT(sampleImages, samplePatients);

    // 3. The sample CT patient, its study and its series open on the viewing screen: the
    // volume comes up in the MPR layout, its first image in the axial view.
    const Picture patients = screen->grab();
    screen->click(kRowOpenX, kChestRowY);
    ASSERT_TRUE(poll([&] { return screen->grab().changedFrom(patients, 0, 90, 900, 240) > 5000; })) << "no study list";
    screen->screenshot("03a-studies");
    screen->click(kSeriesOpenX, kSeriesOpenY);
    ASSERT_TRUE(poll([&] { return countIn(shown = screen->grab(), kAxial, isGrey) > 20000; }))
        << "no image in the axial view\n" << run->log();
    // 4. MPR: three planes, each with the other two planes' lines across it; 3D: a volume.
    EXPECT_TRUE(poll([&] {
        shown = screen->grab();
        return countIn(shown, kAxial, isOrange) > 200 && countIn(shown, kAxial, isLineBlue) > 200 &&
               countIn(shown, kCoronal, isOrange) > 200 && countIn(shown, kCoronal, isMagenta) > 200 &&
               countIn(shown, kSagittal, isLineBlue) > 200 && countIn(shown, kSagittal, isMagenta) > 200 &&
               countIn(shown, kCoronal, isGrey) > 20000 && countIn(shown, kSagittal, isGrey) > 20000;
    })) << "no three planes with their cross-lines";
    EXPECT_TRUE(poll([&] { return countIn(shown = screen->grab(), kVolume, isGrey) > 20000; }))
        << "no rendered volume";
    screen->screenshot("03b-viewing");

    // The wheel over the axial view moves to another slice: its position text changes.
    const Picture beforeWheel = screen->grab();
    screen->xdotool("mousemove 580 300 click 5 click 5");
    EXPECT_TRUE(poll([&] { return changedIn(screen->grab(), beforeWheel, kSliceText) > 20; })) << "no slice change";

    // Window/level by mouse: a drag over the axial view changes the picture's contrast.
    const Area menu{20, 140, 240, 220};
    const Picture panel = screen->grab();
    screen->click(kWindowToolX, kWindowToolY);
    ASSERT_TRUE(poll([&] { return changedIn(screen->grab(), panel, menu) > 500; })) << "no window menu";
    screen->screenshot("04a-window-menu");
    screen->click(kWindowByMouseX, kWindowByMouseY);
    ASSERT_TRUE(poll([&] { return changedIn(screen->grab(), panel, menu) < 100; })) << "the menu stays";
    const Picture beforeWindow = screen->grab();
    screen->drag(450, 350, 600, 450);
    EXPECT_TRUE(poll([&] {
        const Picture now = screen->grab();
        return changedIn(now, beforeWindow, kAxial) > 20000 && changedIn(now, beforeWindow, kWindowText) > 20;
    })) << "no contrast change";
    screen->screenshot("04b-window-level");

    // A line measurement over the black left of the axial view: the line and its mm label.
    screen->click(kLineToolX, kLineToolY);
    const Area lineArea{280, 160, 440, 320};
    const Picture beforeLine = screen->grab();
    screen->drag(300, 200, 420, 300);
    EXPECT_TRUE(poll([&] {
        shown = screen->grab();
        return countIn(shown, lineArea, isLineGreen) > 50 && countIn(shown, {280, 165, 400, 195}, isWhite) > 30;
    })) << "no line with its label";
    EXPECT_GT(changedIn(shown, beforeLine, lineArea), 50);
    screen->screenshot("04c-line");

    // 5. The view's image saved as a favourite and the screen captured: both go into the
    // store's favourites, and from there into the favourites screen.
    auto favorites = [&](int type) { return std::atoi(run->query("select count(*) from favorite where type = " +
                                                                 std::to_string(type)).c_str()); };
    screen->click(kViewFavoriteX, kViewFavoriteY);
    EXPECT_TRUE(poll([&] { return favorites(2) == 1; })) << "no favourite image\n" << run->log();
    const Picture beforeCapture = screen->grab();
    screen->click(kCaptureX, kCaptureY);
    ASSERT_TRUE(poll([&] { return screen->grab().changedFrom(beforeCapture, 0, 700, 70, 830) > 200; }))
        << "no capture menu";
    screen->click(kCaptureScreenX, kCaptureScreenY);
    EXPECT_TRUE(poll([&] { return favorites(1) == 1; })) << "no capture\n" << run->log();
    for (const std::string& image : {run->query("select image from favorite where type = 1"),
                                     run->query("select image from favorite where type = 2")})
        EXPECT_TRUE(std::filesystem::is_regular_file(home.file("writable/" + image))) << image;

    // Back to the patient list; the opened patient is no longer new.
    screen->click(kBackX, kBackY);
    const bool left = poll([&] { return screen->grab().changedFrom(beforeLine, 0, 100, 240, 900) > 5000; });
    screen->screenshot("04d-back");
    ASSERT_TRUE(left) << "the viewing screen stays";
    screen->click(kBackX, kBackY);
    ASSERT_TRUE(poll([&] { return rowsMarkedNew(screen->grab()) == samplePatients - 1; })) << "no patient list";
    const Picture patientList = screen->grab();
    screen->click(kListFavoritesX, kListFavoritesY);
    // Two entries, their thumbnails loaded (the pictures are mostly black; the placeholders grey).
    EXPECT_TRUE(poll([&] {
        shown = screen->grab();
        return favoritesShown(shown) == 2 && shown.count(130, 125, 265, 500, [](const unsigned char* p) {
                   return p[0] + p[1] + p[2] < 15;
               }) > 6000;
    })) << "the favourites screen lists " << favoritesShown(shown);
    screen->screenshot("05-favorites");
    screen->click(kBackX, kBackY);
    ASSERT_TRUE(poll([&] { return screen->grab().changedFrom(patientList, 0, 80, 1600, 700) < 2000; }))
        << "no way back to the patient list";

    // 2. A DICOM peer sends three patients' images while the list is shown: they appear in
    // it, marked as new, and the store holds every image.
    const std::vector<std::string> sent = {"CT_small.dcm", "MR_small.dcm", "SC_rgb_small_odd.dcm"};
    ASSERT_TRUE(storescu(sent)) << qptest::readFile(home.file("storescu.log"));
    const bool receivedShown = poll([&] {
        return run->count("image") == sampleImages + 3 &&
               rowsMarkedNew(shown = screen->grab()) == samplePatients - 1 + 3;
    });
    screen->screenshot("02-received");
    ASSERT_TRUE(receivedShown) << "store images " << run->count("image") << ", rows shown "
                               << rowsMarkedNew(shown) << "\n" << run->log();
    EXPECT_EQ(samplePatients + 3, run->count("patient"));
    for (const char* uid : {"1.3.6.1.4.1.5962.1.1.1.1.1.20040119072730.12322",
                            "1.3.6.1.4.1.5962.1.1.4.1.1.20040826185059.5457",
                            "1.2.276.0.7230010.3.1.4.8323329.1099.1521494048.423534"}) {
        const std::string stored = storedPathOf(uid);
        EXPECT_TRUE(!stored.empty() && std::filesystem::is_regular_file(stored)) << uid;
    }

    // 6. The first patient goes to a DICOM node on loopback through its row menu and the send
    // panel's typed address; the node holds every image of that patient, byte for byte.
    const std::string received = home.file("storescp");
    ASSERT_TRUE(startStorescp(received));
    screen->drag(60, kFirstRowY, 700, kFirstRowY);
    ASSERT_TRUE(poll([&] { return isMarkBlue(screen->grab().at(kRowMenuSendX, kFirstRowY)); })) << "no row menu";
    screen->screenshot("06a-row-menu");
    const Picture list = screen->grab();
    screen->click(kRowMenuSendX, kFirstRowY);
    ASSERT_TRUE(poll([&] { return screen->grab().changedFrom(list, 400, 100, 1200, 600) > 20000; })) << "no panel";
    screen->click(kTypedAddressX, kTypedAddressY);
    screen->key("BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace");
    screen->type("127.0.0.1:" + std::to_string(kStorescpPort));
    screen->key("Return");
    screen->screenshot("06b-send-panel");
    screen->click(kTypedSendX, kTypedSendY);
    std::vector<std::string> arrived;
    const bool sentAll = poll([&] {
        arrived = filesIn(received);
        return !arrived.empty() && arrived.size() == imagesOfPatientOf(arrived.front());
    });
    // The send's row ends with its state in blue: "Done".
    EXPECT_TRUE(poll([&] {
        return screen->grab().count(kFirstSendStateX0, kFirstSendStateY0, kFirstSendStateX1, kFirstSendStateY1,
                                    isMarkBlue) > 20;
    }));
    screen->screenshot("06c-sent");
    ASSERT_TRUE(sentAll) << arrived.size() << " files arrived\n" << run->log();
    for (const std::string& file : arrived) {
        const std::string uid = file.substr(file.find('.') + 1);
        const std::string stored = storedPathOf(uid);
        const std::string dataset = datasetOf(qptest::readFile(received + "/" + file));
        EXPECT_FALSE(dataset.empty()) << file;
        EXPECT_TRUE(dataset == datasetOf(qptest::readFile(stored))) << uid;
    }

    // 7. Closing the window ends the program cleanly and leaves the store whole.
    const int images = run->count("image");
    ASSERT_TRUE(run->close()) << "the program did not end after its window was closed\n" << run->log();
    EXPECT_EQ(0, run->exitCode()) << run->log();
    EXPECT_TRUE(run->children().empty()) << "a child process outlived the program";
    EXPECT_EQ("ok", run->query("pragma integrity_check"));
    EXPECT_EQ(images, run->count("image"));
    EXPECT_EQ(samplePatients + 3, run->count("patient"));
    const std::string log = run->log();
    for (const char* noise : {"Ref: leaked object", "objects still alive", "DUL network", "E: ", "runtime error",
                              "Sanitizer", "thrumb"})
        EXPECT_EQ(std::string::npos, log.find(noise)) << noise << " in the log:\n" << log;
}

// Files that cannot be imported, brought in through the window, give the user a message and
// leave the store as it was: a damaged DICOM file chosen with the Import button (its folder is
// imported) and a zip archive whose entry would land outside its folder, dropped on the list.
TEST_F(WorkstationSession, BadImportsShowAMessageAndChangeNothing) {
    const std::string damagedFolder = home.file("damaged");
    std::filesystem::create_directories(damagedFolder);
    const std::string ct = qptest::readFile(qptest::pydicomDir() + "/CT_small.dcm");
    ASSERT_TRUE(qptest::writeFile(damagedFolder + "/damaged.dcm", ct.substr(0, 132) + std::string(4000, '\xff')));
    const std::string archive = home.file("hostile.zip");
    const std::string makeZip = "/usr/bin/python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1],'w'); "
                                "z.write(sys.argv[2], '../../escaped.dcm'); z.close()\" '" +
                                archive + "' '" + qptest::pydicomDir() + "/CT_small.dcm'";
    ASSERT_EQ(0, std::system(makeZip.c_str()));

    ASSERT_TRUE(run->start()) << run->log();
    ASSERT_TRUE(sampleShown("bad-01-start"));
    const int patients = run->count("patient"), images = run->count("image");
    auto storeFiles = [&] {
        std::set<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(run->storeFolder()))
            if (entry.is_regular_file() && entry.path().filename() != "dicomDB")
                files.insert(entry.path().string());
        return files;
    };
    const std::set<std::string> before = storeFiles();

    // A message near the bottom of the window, in white (the hints there are grey).
    auto messagePixels = [&] {
        return screen->grab().count(170, kToastTop, 1430, kToastBottom,
                                    [](const unsigned char* p) { return p[0] > 235 && p[1] > 235 && p[2] > 235; });
    };
    auto messageShown = [&] { return poll([&] { return messagePixels() > 200; }); };

    const Picture list = screen->grab();
    screen->click(kImportX, kImportY);
    ASSERT_TRUE(poll([&] { return screen->grab().changedFrom(list, 300, 150, 1300, 750) > 10000; }));
    const Picture listing = screen->screenshot("bad-02-folder-browser");
    screen->click(kBrowserFirstEntryX, kBrowserFirstEntryY);  // "damaged/"
    ASSERT_TRUE(poll([&] { return screen->grab().changedFrom(listing, 250, 170, 1300, 320) > 300; }));
    screen->click(kBrowserFirstEntryX + 40, kBrowserFirstEntryY);  // "damaged.dcm"
    ASSERT_TRUE(poll([&] { return screen->grab().changedFrom(list, 300, 150, 1300, 750) < 2000; }))
        << "the folder browser did not close";
    EXPECT_TRUE(messageShown()) << "no message for the damaged file\n" << run->log();
    screen->screenshot("bad-03-damaged-file");
    ASSERT_TRUE(poll([&] { return messagePixels() == 0; })) << "the message stays";

    ASSERT_TRUE(screen->dropPath(run->window(), 700, 600, archive)) << "the window did not take the drop";
    EXPECT_TRUE(messageShown()) << "no message for the hostile archive\n" << run->log();
    screen->screenshot("bad-04-hostile-archive");

    EXPECT_EQ(patients, run->count("patient"));
    EXPECT_EQ(images, run->count("image"));
    EXPECT_EQ(before, storeFiles());
    for (const char* escaped : {"writable/qp/escaped.dcm", "writable/qp/tmp/escaped.dcm", "writable/escaped.dcm"})
        EXPECT_FALSE(std::filesystem::exists(home.file(escaped))) << escaped;
    ASSERT_TRUE(run->close()) << run->log();
    EXPECT_EQ(0, run->exitCode()) << run->log();
}

} // namespace
