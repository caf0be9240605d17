// The update service against the loopback test service: the start sequences of the two
// folders, the hot update into the spare folder with its checks, and the new-version notice.

#include "OnlineFixture.h"

#include "ads/adsApplication.h"
#include "extension/AssetFiles.h"
#include "extension/AssetsManagerEx.h"
#include "extension/EventAssetsManagerEx.h"
#include "lang/UILocalConfig.h"
#include "update/updateService.h"
#include "util/FileHelpers.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>
#include <vector>

using cocos2d::FileUtils;
using cocos2d::extension::AssetFiles;
using cocos2d::extension::AssetsManagerEx;
using cocos2d::extension::EventAssetsManagerEx;
using NSUI::UILocalConfig;
using qptest::readFile;


namespace {

// Contents and their md5 sums, worked out apart from the code under test.
const char* const kAlpha = "alpha";
const char* const kAlphaMd5 = "2c1743a391305fbf367df8e4f069f9f9";
const char* const kBeta = "beta-2";
const char* const kBetaMd5 = "2b15db04ad1a9ed6fb74b1da6883225a";

/// Records the browser addresses instead of starting a browser.
class BrowserApp : public cocos2d::Application {
public:
    bool applicationDidFinishLaunching() override { return true; }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}
    bool openURL(const std::string& url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<std::string> opened;
};

class HotUpdate : public qptest::OnlineFixture {
protected:
    void SetUp() override {
        OnlineFixture::SetUp();
        updateService::resetProcessState();
        qp = FileUtils::getInstance()->getWritablePath() + "qp/";
        FileUtils::getInstance()->removeDirectory(qp + "update/");
        FileUtils::getInstance()->removeDirectory(qp + "outside/");
        timeLimit = AssetsManagerEx::getUpdateTimeLimit();
        sizeLimit = AssetsManagerEx::getFileSizeLimit();
        setSetting("update_now", "1");
        setSetting("update_hasValidUpdate", "-1");
        setSetting("update_nowPath1", "update/temp1");
        setSetting("update_nowPath2", "update/temp2");
    }

    void TearDown() override {
        for (updateService* service : services)
            service->release();
        services.clear();
        ADS::adsApplication::destroyInstance();
        AssetsManagerEx::setUpdateTimeLimit(timeLimit);
        AssetsManagerEx::setFileSizeLimit(sizeLimit);
        OnlineFixture::TearDown();
    }

    static void setSetting(const char* key, const std::string& value) { UILocalConfig::setStringForKey(key, value); }
    static std::string setting(const char* key) { return UILocalConfig::getStringForKey(key, "?"); }

    /// A new service (held by the test) as a start or a return to the foreground makes it.
    updateService* startService() {
        updateService* service = updateService::create();
        service->retain();
        services.push_back(service);
        return service;
    }

    /// Runs frames until the service's sequence has ended; the codes its asset manager sent.
    std::vector<int> runToEnd(updateService* service) {
        std::vector<int> codes;
        cocos2d::EventListenerCustom* listener = nullptr;
        runUntil([&] {
            if (!listener && service->getAssetsManager()) {
                listener = cocos2d::EventListenerCustom::create(
                    service->getAssetsManager()->getEventName(), [&codes](cocos2d::EventCustom* event) {
                        codes.push_back(static_cast<EventAssetsManagerEx*>(event)->getEventCode());
                    });
                director->getEventDispatcher()->addEventListenerWithFixedPriority(listener, 2);
            }
            return !service->isRunning();
        });
        if (listener)
            director->getEventDispatcher()->removeEventListener(listener);
        return codes;
    }

    /// A manifest of the given version whose files the test service serves.
    std::string manifest(const std::string& version,
                         const std::vector<std::tuple<std::string, std::string, bool>>& assets) const {
        std::string json = "{\"version\":\"" + version + "\",\"packageUrl\":\"" + server.baseURL() +
                           testserver::TestServer::kAssetPath + "\",\"assets\":{";
        for (size_t i = 0; i < assets.size(); ++i) {
            const auto& [path, md5, compressed] = assets[i];
            json += (i ? "," : "") + std::string("\"") + path + "\":{\"md5\":\"" + md5 +
                    "\",\"compressed\":" + (compressed ? "true" : "false") + "}";
        }
        return json + "}}";
    }

    std::string folder(int which) const { return qp + "update/temp" + std::to_string(which) + "/"; }
    size_t searchPathCount(const std::string& path) const {
        size_t count = 0;
        for (const auto& p : FileUtils::getInstance()->getSearchPaths())
            count += p == path;
        return count;
    }

    /// Writes a zip of the given entries (name, then contents) and returns its path.
    std::string writeZip(const std::string& name, const std::string& entries) const {
        std::string zip = qp + "scratch/" + name;
        EXPECT_TRUE(AssetFiles::createParentFolders(zip));
        std::string script = "import sys,zipfile; z=zipfile.ZipFile(sys.argv[1],\"w\",8); "
                             "[z.writestr(n, c) for n, c in " + entries + "]; z.close()";
        EXPECT_EQ(0, std::system(("/usr/bin/python3 -c '" + script + "' " + zip).c_str()));
        return zip;
    }

    std::string qp;
    std::vector<updateService*> services;
    std::chrono::milliseconds timeLimit{0};
    long long sizeLimit = 0;
};

/// Writes the file, creating its folders.
bool put(const std::string& path, const std::string& text) {
    return writeStringToFile(path.c_str(), text);
}

/// Every file (with its text) and folder (ending with "/") below folder, to compare whole trees.
std::map<std::string, std::string> treeOf(const std::string& folder) {
    std::map<std::string, std::string> tree;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().lexically_relative(folder).string();
        if (it->is_directory())
            tree[name + "/"];
        else
            tree[name] = readFile(it->path().string());
    }
    return tree;
}

int finalCount(const std::vector<int>& codes) {
    int count = 0;
    for (int code : codes)
        count += EventAssetsManagerEx::isFinal(static_cast<EventAssetsManagerEx::EventCode>(code));
    return count;
}

} // namespace

TEST_F(HotUpdate, ValidUpdateSequencesSwitchOnlyAtTheFirstStartAndCopyTheLiveSet) {
    // 2: folder 2 becomes live and folder 1 becomes a copy of it; then the check runs.
    ASSERT_TRUE(put(folder(2) + "res/a.txt", kAlpha));
    ASSERT_TRUE(put(folder(1) + "stale.txt", "old"));
    // The live set is the server's current one, so the checks find nothing to fetch.
    server.setManifest(manifest("1.4", {{"res/a.txt", kAlphaMd5, false}}));
    ASSERT_TRUE(put(folder(2) + "project.manifest", manifest("1.4", {{"res/a.txt", kAlphaMd5, false}})));
    setSetting("update_hasValidUpdate", "2");
    updateService* first = startService();
    EXPECT_EQ(std::vector<int>{EventAssetsManagerEx::ALREADY_UP_TO_DATE}, runToEnd(first));
    EXPECT_EQ("2", setting("update_now"));
    EXPECT_EQ("-1", setting("update_hasValidUpdate"));
    EXPECT_EQ(folder(2), first->getLiveFolder());
    EXPECT_EQ(kAlpha, readFile(folder(1) + "res/a.txt"));
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(folder(1) + "stale.txt"));
    EXPECT_EQ(1u, server.requestCount("/ud/cv2.php"));
    EXPECT_EQ(1u, searchPathCount(folder(2)));

    // An update that finishes later in the same process waits for the next start: a second
    // service neither switches nor deletes the folder on the search paths.
    setSetting("update_hasValidUpdate", "1");
    updateService* second = startService();
    runToEnd(second);
    EXPECT_EQ("2", setting("update_now"));
    EXPECT_EQ(folder(2), second->getLiveFolder());
    EXPECT_EQ(kAlpha, readFile(folder(2) + "res/a.txt"));
    EXPECT_EQ(1u, searchPathCount(folder(2)));
    EXPECT_EQ(2u, server.requestCount("/ud/cv2.php"));

    // 0 at the next start: no switch, but the live set is still copied over the spare one.
    updateService::resetProcessState();
    setSetting("update_hasValidUpdate", "0");
    ASSERT_TRUE(put(folder(2) + "res/b.txt", kBeta));
    // Written by an encoder that breaks its lines every 76 characters.
    const std::string config =
        "{\"ads_enable_newVersion\":\"1\",\"adsNewVersionType\":\"1\",\"adsNewVersionUrl\":\"x\"}";
    std::string encoded = cocos2d::safeBase64Encode(config);
    ASSERT_GT(encoded.size(), 76u);
    ASSERT_TRUE(put(folder(2) + "c.i", encoded.insert(76, "\r\n") + "\r\n"));
    runToEnd(startService());
    EXPECT_EQ(config, setting("app_config_ini"));
    EXPECT_EQ("2", setting("update_now"));
    EXPECT_EQ(kBeta, readFile(folder(1) + "res/b.txt"));
    EXPECT_EQ("-1", setting("update_hasValidUpdate"));
    EXPECT_EQ(3u, server.requestCount("/ud/cv2.php"));
}

TEST_F(HotUpdate, FoldersThatCouldDeleteTheWrongThingAreRefused) {
    for (auto [one, two] : {std::make_pair("update/temp1", "update/temp1"), std::make_pair("update", "update/temp2"),
                            std::make_pair("../outside", "update/temp2"), std::make_pair("/tmp/x", "update/temp2"),
                            std::make_pair("", "update/temp2")}) {
        updateService::resetProcessState();
        setSetting("update_nowPath1", one);
        setSetting("update_nowPath2", two);
        setSetting("update_hasValidUpdate", "0");
        ASSERT_TRUE(put(qp + "update/temp2/keep.txt", kAlpha));
        updateService* service = startService();
        EXPECT_FALSE(service->isRunning()) << one << " " << two;
        EXPECT_EQ(kAlpha, readFile(qp + "update/temp2/keep.txt")) << one << " " << two;
        EXPECT_EQ("0", setting("update_hasValidUpdate"));
    }
    EXPECT_FALSE(FileUtils::getInstance()->isDirectoryExist(qp + "outside"));
    EXPECT_EQ(0u, server.requestCount("/ud/cv2.php"));
}

TEST_F(HotUpdate, CleanupWaitsForTheCopyAndItsCompletionNeverRuns) {
    ASSERT_TRUE(put(folder(1) + "res/a.txt", kAlpha));
    setSetting("update_hasValidUpdate", "0");
    updateService* service = startService();
    cocos2d::PoolManager::getInstance()->getCurrentPool()->clear();
    services.clear();
    service->release(); // its destructor cleans up before the completion could have run
    for (int i = 0; i < 3; ++i)
        input->frame();
    EXPECT_EQ(kAlpha, readFile(folder(2) + "res/a.txt"));
    EXPECT_EQ("-1", setting("update_hasValidUpdate"));
    EXPECT_EQ(0u, server.requestCount("/ud/cv2.php"));
}

TEST_F(HotUpdate, AFinishedUpdateFillsTheSpareFolderAndWaitsForTheNextStart) {
    // The zip holds one file in a sub-folder; its md5 is taken from the archive as written.
    std::string zip = qp + "scratch/pack.zip";
    ASSERT_TRUE(AssetFiles::createParentFolders(zip));
    ASSERT_EQ(0, std::system(("/usr/bin/python3 -c 'import sys,zipfile; z=zipfile.ZipFile(sys.argv[1],\"w\"); "
                              "z.writestr(\"js/app.js\", \"gamma three\"); z.close()' " + zip).c_str()));
    server.setAsset("res/a.txt", kAlpha);
    server.setAsset("res/deep/b.txt", kBeta);
    server.setAsset("pack.zip", readFile(zip));
    server.setManifest(manifest("2.0", {{"res/a.txt", kAlphaMd5, false},
                                        {"res/deep/b.txt", kBetaMd5, false},
                                        {"pack.zip", AssetFiles::md5OfFile(zip), true}}));
    ASSERT_TRUE(put(folder(1) + "res/a.txt", "live copy"));
    ASSERT_TRUE(put(folder(2) + "js/app.js", "gamma two")); // left by an earlier update

    updateService* service = startService();
    std::vector<int> codes = runToEnd(service);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FINISHED, codes.back());
    EXPECT_EQ(1, finalCount(codes));
    EXPECT_EQ(kAlpha, readFile(folder(2) + "res/a.txt"));
    EXPECT_EQ(kBeta, readFile(folder(2) + "res/deep/b.txt"));
    EXPECT_EQ("gamma three", readFile(folder(2) + "js/app.js"));
    EXPECT_FALSE(FileUtils::getInstance()->isDirectoryExist(qp + "update/temp2.replaced/"));
    EXPECT_EQ("live copy", readFile(folder(1) + "res/a.txt")); // the live set is never touched
    EXPECT_EQ("2", setting("update_hasValidUpdate"));
    EXPECT_EQ(nullptr, service->getAssetsManager());

    // Next start: folder 2 goes live, folder 1 becomes its copy, and the same manifest finds
    // nothing to fetch.
    updateService::resetProcessState();
    size_t fetched = server.requestCount("/ud/hot/res/a.txt");
    codes = runToEnd(startService());
    EXPECT_EQ(std::vector<int>{EventAssetsManagerEx::ALREADY_UP_TO_DATE}, codes);
    EXPECT_EQ("2", setting("update_now"));
    EXPECT_EQ(kAlpha, readFile(folder(1) + "res/a.txt"));
    EXPECT_EQ(fetched, server.requestCount("/ud/hot/res/a.txt"));
}

TEST_F(HotUpdate, PathsLeavingTheStorageFolderAreRefusedAndNothingIsWrittenOutside) {
    server.setAsset("x", kAlpha);
    for (const char* path : {"../x", "/etc/x", "..\\x", "C:x", "res/../../x"}) {
        server.setManifest(manifest("2.0", {{"res/a.txt", kAlphaMd5, false}, {path, kAlphaMd5, false}}));
        std::vector<int> codes = runToEnd(startService());
        EXPECT_EQ(std::vector<int>{EventAssetsManagerEx::ERROR_PARSE_MANIFEST}, codes) << path;
    }
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(folder(2) + "res/a.txt"));
    EXPECT_EQ(0u, server.requestCount("/ud/hot/x"));

    // Inside an archive as well: the archive is refused whole and the update fails.
    std::string zip = qp + "scratch/evil.zip";
    ASSERT_TRUE(AssetFiles::createParentFolders(zip));
    ASSERT_EQ(0, std::system(("/usr/bin/python3 -c 'import sys,zipfile; z=zipfile.ZipFile(sys.argv[1],\"w\"); "
                              "z.writestr(\"fine.txt\", \"a\"); z.writestr(\"../../evil.txt\", \"b\"); z.close()' " +
                              zip).c_str()));
    server.setAsset("evil.zip", readFile(zip));
    server.setManifest(manifest("2.0", {{"evil.zip", AssetFiles::md5OfFile(zip), true}}));
    std::vector<int> codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), EventAssetsManagerEx::ERROR_DECOMPRESS));
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FAILED, codes.back());
    EXPECT_EQ(1, finalCount(codes));
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(qp + "update/evil.txt"));
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(folder(2) + "fine.txt"));
    EXPECT_EQ("-1", setting("update_hasValidUpdate"));
}

TEST_F(HotUpdate, AFailedFileFailsTheUpdateKeepsTheOldSetAndTheNextRunFetchesOnlyWhatIsMissing) {
    ASSERT_TRUE(put(folder(2) + "res/deep/b.txt", "old b"));
    server.setAsset("res/a.txt", kAlpha);
    server.setAsset("res/deep/b.txt", "tampered");
    server.setManifest(manifest("2.0", {{"res/a.txt", kAlphaMd5, false}, {"res/deep/b.txt", kBetaMd5, false}}));
    std::vector<int> codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), EventAssetsManagerEx::ERROR_UPDATING));
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FAILED, codes.back());
    EXPECT_EQ(1, finalCount(codes));
    EXPECT_EQ("old b", readFile(folder(2) + "res/deep/b.txt"));
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(folder(2) + "res/deep/b.txt.part"));
    EXPECT_EQ("-1", setting("update_hasValidUpdate"));

    // The connection drops in the middle of the next attempt: failed again, nothing half-written.
    server.setAsset("res/deep/b.txt", kBeta);
    testserver::Fault drop;
    drop.drop = true;
    server.addFault("/ud/hot/res/deep/b.txt", drop);
    codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FAILED, codes.back());
    EXPECT_EQ("old b", readFile(folder(2) + "res/deep/b.txt"));

    // The third run fetches only the file still missing and finishes.
    codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FINISHED, codes.back());
    EXPECT_EQ(1u, server.requestCount("/ud/hot/res/a.txt"));
    EXPECT_EQ(kBeta, readFile(folder(2) + "res/deep/b.txt"));
    EXPECT_EQ("2", setting("update_hasValidUpdate"));
}

TEST_F(HotUpdate, AFileLongerThanItsManifestSaysOrAnArchiveUnpackingPastTheLimitFailsTheUpdate) {
    // The file is what its md5 says, but longer than the size its manifest states.
    server.setAsset("res/a.txt", kAlpha);
    server.setManifest("{\"version\":\"2.0\",\"packageUrl\":\"" + server.baseURL() +
                       testserver::TestServer::kAssetPath + "\",\"assets\":{\"res/a.txt\":{\"md5\":\"" +
                       kAlphaMd5 + "\",\"size\":3}}}");
    std::vector<int> codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), EventAssetsManagerEx::ERROR_UPDATING));
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FAILED, codes.back());
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(folder(2) + "res/a.txt"));

    // An archive of a few hundred bytes that unpacks to more than a file may take.
    AssetsManagerEx::setFileSizeLimit(1000);
    std::string zip = writeZip("big.zip", "[(\"small.txt\", \"s\"), (\"big.bin\", bytes(4000))]");
    server.setAsset("big.zip", readFile(zip));
    server.setManifest(manifest("2.0", {{"big.zip", AssetFiles::md5OfFile(zip), true}}));
    codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), EventAssetsManagerEx::ERROR_DECOMPRESS));
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FAILED, codes.back());
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(folder(2) + "big.bin"));
    EXPECT_EQ("-1", setting("update_hasValidUpdate"));

    // An archive that fails after its first entry: nothing of it is left, and the file its
    // first entry would replace is as it was.
    AssetsManagerEx::setFileSizeLimit(sizeLimit);
    ASSERT_TRUE(put(folder(2) + "res/first.txt", "old first"));
    zip = qp + "scratch/damaged.zip";
    ASSERT_EQ(0, std::system(("/usr/bin/python3 -c 'import sys,zipfile; z=zipfile.ZipFile(sys.argv[1],\"w\"); "
                              "z.writestr(\"res/first.txt\", \"new first\"); "
                              "z.writestr(\"res/second.txt\", \"second entry\"); z.close()' " +
                              zip).c_str()));
    std::string bytes = readFile(zip);
    const size_t at = bytes.find("second entry");
    ASSERT_NE(std::string::npos, at);
    bytes[at] = 'S'; // the stored entry no longer matches its CRC
    ASSERT_TRUE(put(zip, bytes));
    server.setAsset("damaged.zip", bytes);
    server.setManifest(manifest("2.0", {{"damaged.zip", AssetFiles::md5OfFile(zip), true}}));
    codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), EventAssetsManagerEx::ERROR_DECOMPRESS));
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FAILED, codes.back());
    EXPECT_EQ("old first", readFile(folder(2) + "res/first.txt"));
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(folder(2) + "res/second.txt"));
    EXPECT_FALSE(FileUtils::getInstance()->isDirectoryExist(qp + "update/temp2.unpacking/"));

    // An archive whole on arrival whose last entry cannot take its place (a folder with files
    // holds its name): the entries moved in before it are taken out again with the folder made
    // for one of them, and the file the first one replaced is back.
    ASSERT_TRUE(put(folder(2) + "res/taken/inner.txt", "kept"));
    const std::map<std::string, std::string> before = treeOf(folder(2));
    zip = writeZip("blocked.zip", "[(\"res/first.txt\", \"new first\"), (\"res/fresh/new.txt\", \"new\"), "
                                  "(\"res/taken\", \"a file\")]");
    server.setAsset("blocked.zip", readFile(zip));
    server.setManifest(manifest("2.0", {{"blocked.zip", AssetFiles::md5OfFile(zip), true}}));
    codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), EventAssetsManagerEx::ERROR_DECOMPRESS));
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FAILED, codes.back());
    EXPECT_EQ(before, treeOf(folder(2)));
    EXPECT_FALSE(FileUtils::getInstance()->isDirectoryExist(qp + "update/temp2.unpacking/"));
    EXPECT_FALSE(FileUtils::getInstance()->isDirectoryExist(qp + "update/temp2.replaced/"));
}

TEST_F(HotUpdate, FilesAFailedUndoingLeftAsideStopTheNextArchiveUntilTheyArePutBack) {
    const std::string aside = qp + "update/temp2.replaced/";
    ASSERT_TRUE(put(aside + "res/first.txt", "only copy"));
    ASSERT_TRUE(put(folder(2) + "res/first.txt", "new first"));
    const std::map<std::string, std::string> before = treeOf(folder(2));
    const std::string zip =
        writeZip("next.zip", "[(\"res/first.txt\", \"newer\"), (\"res/other.txt\", \"o\")]");
    std::string error;
    EXPECT_FALSE(AssetFiles::unzip(zip, folder(2), error, sizeLimit));
    EXPECT_NE(std::string::npos, error.find(aside)) << error;
    EXPECT_EQ("only copy", readFile(aside + "res/first.txt"));
    EXPECT_EQ(before, treeOf(folder(2)));

    // Put back by hand: the folders left empty go, and the archive is moved in.
    ASSERT_TRUE(std::filesystem::remove(aside + "res/first.txt"));
    EXPECT_TRUE(AssetFiles::unzip(zip, folder(2), error, sizeLimit)) << error;
    EXPECT_EQ("newer", readFile(folder(2) + "res/first.txt"));
    EXPECT_FALSE(std::filesystem::exists(aside));
}

TEST_F(HotUpdate, ADownloadThatNeverEndsFailsTheUpdateAtItsTimeLimitAndTheNextCheckRuns) {
    server.setAsset("res/a.txt", kAlpha);
    server.setManifest(manifest("2.0", {{"res/a.txt", kAlphaMd5, false}}));
    testserver::Fault endless;
    endless.endlessMs = 10;
    server.addFault("/ud/hot/res/a.txt", endless);
    AssetsManagerEx::setUpdateTimeLimit(std::chrono::milliseconds(300));
    std::vector<int> codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FAILED, codes.back());
    EXPECT_EQ(1, finalCount(codes));
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(folder(2) + "res/a.txt.part"));

    // The service is free again: the next check fetches the file.
    AssetsManagerEx::setUpdateTimeLimit(timeLimit);
    codes = runToEnd(startService());
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(EventAssetsManagerEx::UPDATE_FINISHED, codes.back());
    EXPECT_EQ(kAlpha, readFile(folder(2) + "res/a.txt"));
}

TEST_F(HotUpdate, TheNoticeOpensThePageOncePerNewerVersion) {
    BrowserApp browser;
    setSetting("app_config_ini", "{\"ads_enable_newVersion\":\"1\",\"adsNewVersionType\":\"1\","
                                 "\"adsNewVersionUrl\":\"x\"}");
    setSetting("app_latest_version", "");
    setSetting("app_ver_check_count", "0");
    server.setLatestVersion("1.10");
    ADS::adsApplication* ads = ADS::adsApplication::getInstance();
    runToEnd(ads->getUpdateService());
    ads->reloadConfig();
    ads->checkNewVersion();
    ads->checkNewVersion();
    EXPECT_EQ(std::vector<std::string>{server.baseURL() + "/ads/newversionPC.html"}, browser.opened);
    EXPECT_EQ(AppConfig::getVersion(),
              NSUI::UIJson::getJsonString(server.requests("/ud/cv2.php").at(0).json, "app_version"));

    // A newer version reported allows one more; older or equal ones none.
    for (const char* latest : {"1.11", "1.4", "1.3.9", "1.4.0"}) {
        server.setLatestVersion(latest);
        runToEnd(startService());
        ads->checkNewVersion();
    }
    EXPECT_EQ(2u, browser.opened.size());
    EXPECT_LT(ADS::adsApplication::compareVersions("1.4", "1.10"), 0);
    EXPECT_GT(ADS::adsApplication::compareVersions("1.4", "1.3.9"), 0);
    EXPECT_EQ(0, ADS::adsApplication::compareVersions("1.4", "1.4.0.7"));

    // Without the configuration's page the count still rises, but nothing opens.
    setSetting("app_config_ini", "{\"ads_enable_newVersion\":\"1\"}");
    server.setLatestVersion("1.12");
    runToEnd(startService());
    ads->reloadConfig();
    ads->checkNewVersion();
    EXPECT_EQ(2u, browser.opened.size());
    EXPECT_EQ("1", setting("app_ver_check_count"));
}
