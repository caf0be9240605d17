#pragma once
// The browse screens' test ground: a fresh writable folder holding a real study store behind
// the DICOM service (on loopback), the layouts, pictures and language table of this tree, a
// running scene on the test clock, and files imported into the store the way users import them.

#include "../store/StoreTestEnv.h"
#include "engine/SceneFixture.h"
#include "support/TestSupport.h"

#include "AppConfig.h"
#include "cocos2d.h"
#include "db/dicomDB.h"
#include "import/importDcm.h"
#include "json/UIJson.h"
#include "net/NetworkInfoProvider.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "overlay/NSActivity.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace browsetest {

using storetest::Recorder;

/// The text of the last post of an id, "" when there was none.
inline std::string lastText(const Recorder& recorder, unsigned id)
{
    std::vector<storetest::Posted> posts = recorder.of(id);
    return posts.empty() ? std::string() : posts.back().text;
}

class BrowseFixture : public qptest::SceneFixture {
protected:
    void SetUp() override
    {
        cocos2d::FileUtils::getInstance()->setWritablePath(_dir.path() + "/");
        _searchPaths = cocos2d::FileUtils::getInstance()->getOriginalSearchPaths();
        cocos2d::FileUtils::getInstance()->setSearchPaths(
            {qptest::sourceDir() + "/res/pad", qptest::binaryDir(), qptest::sourceDir()});
        qptest::SceneFixture::SetUp();
        _config = AppConfig::getInstance();
        _config->retain();
        _config->loadLanguage();
        NSUI::NetworkInfoProvider::setCurrent(std::make_shared<storetest::LoopbackNetwork>());
        dicomDB::setReceiverPort(nettest::freePort());
        service = dataService::getInstance();
        ASSERT_TRUE(service && service->getDB() && service->getDB()->isOpen());
        db = service->getDB();
        // The notification centre delivers from its first tick on, half a second after it starts.
        input->frame(0.6f);
    }
    void TearDown() override
    {
        NSUI::NSActivity::hide();
        if (_importer) {
            _importer->stop();
            _importer->release();
        }
        qptest::SceneFixture::TearDown();
        dataService::destroyInstance();
        NSUI::NSNotificationCenter::destroyInstance();
        NSUI::NetworkInfoProvider::setCurrent(nullptr);
        if (_config)
            _config->release();
        cocos2d::UserDefault::destroyInstance();
        cocos2d::FileUtils::getInstance()->setSearchPaths(_searchPaths);
        cocos2d::FileUtils::getInstance()->setWritablePath("");
    }

    void frame() { input->frame(1.0f / 60.0f); }
    /// Runs frames until the condition holds; the workers are real threads.
    void frameUntil(const std::function<bool()>& done)
    {
        while (!done()) {
            frame();
            std::this_thread::yield();
        }
    }

    std::string scratch(const std::string& name)
    {
        std::string path = _dir.path() + "/scratch/" + name;
        std::filesystem::create_directories(path);
        return path;
    }

    /// pydicom's small CT image as a new image of the given patient, study and series.
    static void writeImage(const std::string& path, const std::string& patient, const std::string& study,
                           const std::string& series, int instance)
    {
        DcmFileFormat file;
        ASSERT_TRUE(file.loadFile((qptest::pydicomDir() + "/CT_small.dcm").c_str()).good());
        DcmDataset* data = file.getDataset();
        const std::string root = "1.2.826.0.1.3680043.9.7133.";
        const std::string seriesUid = root + study + "." + series;
        data->putAndInsertString(DCM_PatientID, patient.c_str());
        data->putAndInsertString(DCM_PatientName, ("TEST^" + patient).c_str());
        data->putAndInsertString(DCM_StudyInstanceUID, (root + study).c_str());
        data->putAndInsertString(DCM_StudyID, study.c_str());
        data->putAndInsertString(DCM_SeriesInstanceUID, seriesUid.c_str());
        data->putAndInsertString(DCM_SeriesNumber, series.c_str());
        data->putAndInsertString(DCM_InstanceNumber, std::to_string(instance).c_str());
        data->putAndInsertString(DCM_SOPInstanceUID, (seriesUid + "." + std::to_string(instance)).c_str());
        ASSERT_TRUE(file.saveFile(path.c_str(), EXS_LittleEndianExplicit).good());
    }

    /// Imports a file or folder and waits until the store has announced `files` new images.
    void importAndWait(const std::string& path, size_t files)
    {
        Recorder stored({2001});
        if (!_importer) {
            _importer = importDcm::create();
            _importer->retain();
            _importer->setRootPath(db->getRoot());
        }
        _importer->importFiles(path);
        frameUntil([&] { return stored.count(2001) >= files; });
    }

    /// The store's patient row ID of a DICOM patient ID.
    std::string patientRow(const std::string& patientIDHospital)
    {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(db->getLock());
        db->getConnection().getRecord("select ID from patient where patientIDHospital=?",
                                      {NSUI::NSDBValue(patientIDHospital)}, &rows);
        return rows.getRowCount() ? rows.getValue(0, 0) : std::string();
    }

    dataService* service = nullptr;
    dicomDB* db = nullptr;

private:
    qptest::TempDir _dir;
    std::vector<std::string> _searchPaths;
    AppConfig* _config = nullptr;
    importDcm* _importer = nullptr;
};

} // namespace browsetest
