// The patient list's imports: folders, files and zip archives handed over or chosen by the
// user, and the sample and web resources installed on the first entry.

#include "patient/patientList.h"

#include "AppConfig.h"
#include "cache/isDcmScan.h"
#include "http/ParentPath.h"
#include "import/importDcm.h"
#include "notify/NSNotificationCenter.h"
#include "base/UIControlBase.h"
#include "overlay/NSActivity.h"
#include "platform/FileChooser.h"
#include "thread/NSRunableThread.h"
#include "util/FileHelpers.h"
#include "zip/ZipTool.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

using namespace cocos2d;

namespace {

std::string languageText(const char* key, const char* english) {
    AppConfig* config = AppConfig::getInstance();
    std::string text = config ? config->getText(key) : std::string();
    return text.empty() ? english : text;
}

const float kImportMessageSeconds = 4.0f;

bool endsWithZip(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".zip";
}

// Runs work(job) on a one-shot thread that the screen waits for when it goes.
void runJob(void (*work)(const std::string&), const std::string& job, NSUI::NSThreadSafeDestroy* owner) {
    NSUI::NSRunableThread::create([work](void* arg) {
        std::unique_ptr<std::string> text(static_cast<std::string*>(arg));
        work(*text);
    }, new std::string(job), owner, nullptr);
}

} // namespace

std::string patientList::scratchRoot() const {
    return FileUtils::getInstance()->getWritablePath() + "qp/tmp/unzip/";
}

void patientList::chooseAndImport() {
    // The answer comes on a later frame; the screen stays until it has.
    retain();
    FileChooser::getInstance()->chooseFile(languageText("importTitle", "Import DICOM files"), "",
                                           [this](const std::string& path) {
                                               if (path.size() > 1)
                                                   importFile(NSUI::getParentPath(path));
                                               release();
                                           });
}

void patientList::importFile(std::string path) {
    // A file address as desktops hand it over ("file:///home/...") names the local path.
    if (path.compare(0, 8, "file:///") == 0)
        path = path.substr(7);
    FileUtils* files = FileUtils::getInstance();
    if (path.empty() || !importer)
        return;
    if (files->isDirectoryExist(path)) {
        importAndReport(path, nullptr);
        return;
    }
    if (!files->isFileExist(path))
        return;
    if (!endsWithZip(path)) {
        // One file: the importer keeps it when it is a DICOM file.
        importAndReport(path, nullptr);
        return;
    }
    _waitingArchives.push_back(path);
    if (!_unpacking)
        startNextUnpack();
}

void patientList::importAndReport(const std::string& path, std::function<void()> after) {
    // The screen holds the importer, and a stopped importer runs no completion.
    importDcm* job = importer;
    const unsigned before = job->placedCount();
    job->importFiles(path, [job, before, after] {
        if (job->placedCount() == before)
            NSUI::UIControlBase().showMessageBox(
                languageText("importNothing", "No DICOM image could be read there: nothing was imported."),
                kImportMessageSeconds);
        if (after)
            after();
    });
}

void patientList::startNextUnpack() {
    if (_unpacking || _waitingArchives.empty())
        return;
    std::string archive = _waitingArchives.front();
    _waitingArchives.pop_front();
    // A folder of its own per archive: the importer may still be reading the one before.
    std::string dest = scratchRoot() + std::to_string(++_unpackJobs) + "/";
    FileUtils* files = FileUtils::getInstance();
    if (files->isDirectoryExist(dest))
        files->removeDirectory(dest);
    files->createDirectory(dest);
    setJsonString(pendingImport, "file", archive);
    setJsonString(pendingImport, "path", dest);
    _unpacking = true;
    _unpackCancelled = false;

    if (NSUI::NSActivity* overlay = NSUI::NSActivity::show(this)) {
        overlay->enableBKColor(true, Color3B::BLACK, 0.85f);
        overlay->setTextColor(Color4B::WHITE);
        overlay->setText(languageText("decompressData", "Unpacking the archive…"));
        overlay->addButton(languageText("cancelButton", "Cancel"), Color3B(21, 170, 254));
    }
    runJob(&patientList::unzipArchive, pendingImport, this);
}

void patientList::unzipArchive(const std::string& job) {
    std::string file = getJsonString(job, "file", "");
    std::string folder = getJsonString(job, "path", "");
    // The zip tool refuses archives whose entries would land outside the folder.
    bool ok = unzipFile(file, folder, "");
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(nullptr, kUnpackedId, ok ? 1 : 0, nullptr,
                                                                       false);
}

void patientList::onUnpacked(int ok) {
    if (!_unpacking)
        return;
    NSUI::NSActivity::hide();
    _unpacking = false;
    std::string folder = getJsonString(pendingImport, "path", "");
    auto removeFolder = [folder] {
        if (!folder.empty())
            FileUtils::getInstance()->removeDirectory(folder);
    };
    if (ok >= 1 && !_unpackCancelled && importer) {
        importAndReport(folder, removeFolder);
    } else {
        if (ok < 1) {
            log("patientList: %s could not be unpacked", getJsonString(pendingImport, "file", "").c_str());
            NSUI::UIControlBase().showMessageBox(
                languageText("unzipFailed", "The archive could not be unpacked: nothing was imported."),
                kImportMessageSeconds);
        }
        removeFolder();
    }
    _unpackCancelled = false;
    startNextUnpack();
}

void patientList::importSample() {
    FileUtils* files = FileUtils::getInstance();
    const std::string example = files->getWritablePath() + "qp/tmp/example/";
    if (getIntegerForKey("app_init_db", 0) < 1) {
        if (files->isDirectoryExist(example))
            files->removeDirectory(example);
    } else {
        // Set before the copy, so a sample that fails is not tried again at every launch.
        storeStringForKey("app_init_db", "0");
        std::string target = example + "1.tmp";
        std::string source = files->fullPathForFilename("example.zip");
        log("Copy Example:%s", source.c_str());
        if (!source.empty() && copyFile(source, target)) {
            std::string folder = NSUI::getParentPath(target) + "/";
            // The copied archive has served once unpacked: it goes before the folder is
            // listed, so that the importer is offered the sample's images only.
            if (unzipFile(target, folder, "")) {
                files->removeFile(target);
                if (importer)
                    importer->importFiles(folder);
            }
        }
    }
    isImageSDK::isDcmScan().clearBuffer();
    if (!files->isDirectoryExist(resourceFolder + "js/")) {
        // The look-up along the search paths stays on the main thread.
        std::string job;
        setJsonString(job, "folder", resourceFolder);
        setJsonString(job, "source", files->fullPathForFilename("js.zip"));
        runJob(&patientList::installWebResources, job, this);
    }
}

void patientList::installWebResources(const std::string& job) {
    std::string folder = getJsonString(job, "folder", "");
    std::string source = getJsonString(job, "source", "");
    std::error_code error;
    if (folder.empty() || (!std::filesystem::create_directories(folder, error) && error))
        return;
    if (source.empty() || !copyFile(source, folder + "js.zip"))
        return;
    if (!unzipFile(folder + "js.zip", folder + "js", ""))
        std::filesystem::remove_all(folder, error);
}
