#pragma once
// The browse screens' test ground: a real study store behind the DICOM service (loopback) in
// a fresh writable folder, this tree's layouts, pictures and language table, a running scene
// on the test clock, and files imported the way users import them.

#include "../store/StoreTestEnv.h"
#include "engine/SceneFixture.h"

#include "AppConfig.h"
#include "db/dicomDB.h"
#include "discovery/sniffer.h"
#include "import/importDcm.h"
#include "net/dataService.h"
#include "overlay/NSActivity.h"
#include "study/StoreWorkers.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>

namespace browsetest {

using storetest::Recorder;

class BrowseFixture : public qptest::SceneFixture {
protected:
    void SetUp() override {
        auto* files = cocos2d::FileUtils::getInstance();
        files->setWritablePath(_dir.path() + "/");
        _searchPaths = files->getOriginalSearchPaths();
        files->setSearchPaths({qptest::sourceDir() + "/res/pad", qptest::binaryDir()});
        qptest::SceneFixture::SetUp();
        _config = AppConfig::getInstance();
        _config->retain();
        _config->loadLanguage();
        NSUI::NetworkInfoProvider::setCurrent(std::make_shared<storetest::LoopbackNetwork>());
        dicomDB::setReceiverPort(nettest::freePort());
        dataService* service = dataService::getInstance();
        ASSERT_TRUE(service && service->getDB() && service->getDB()->isOpen());
        db = service->getDB();
        input->frame(0.6f); // the notification centre's first tick
    }
    void TearDown() override {
        NSUI::NSActivity::hide();
        if (_importer) {
            _importer->stop();
            _importer->release();
        }
        qptest::SceneFixture::TearDown();
        // As the program closes: the store's workers (a preview may still decode) end first.
        StoreWorkers::finishAll();
        dataService::destroyInstance();
        // A send screen starts discovery; its threads end with the test.
        NSUI::sniffer::shutdownInstance();
        NSUI::NSNotificationCenter::destroyInstance();
        NSUI::NetworkInfoProvider::setCurrent(nullptr);
        _config->release();
        cocos2d::UserDefault::destroyInstance();
        cocos2d::FileUtils::getInstance()->setSearchPaths(_searchPaths);
        cocos2d::FileUtils::getInstance()->setWritablePath("");
    }

    void frame() { input->frame(1.0f / 60.0f); }
    /// Runs frames until the condition holds; the workers are real threads.
    void frameUntil(const std::function<bool()>& done) {
        while (!done())
            frame();
    }

    std::string scratch(const std::string& name) {
        std::string path = _dir.path() + "/scratch/" + name;
        std::filesystem::create_directories(path);
        return path;
    }

    /// pydicom's small CT image as an image of the given patient, study and series.
    static void writeImage(const std::string& path, const std::string& patient, const std::string& study,
                           const std::string& series, int instance) {
        DcmFileFormat file;
        ASSERT_TRUE(file.loadFile((qptest::pydicomDir() + "/CT_small.dcm").c_str()).good());
        DcmDataset* data = file.getDataset();
        const std::string seriesUid = "1.2.826.0.1.3680043.9.7133." + study + "." + series;
        data->putAndInsertString(DCM_PatientID, patient.c_str());
        data->putAndInsertString(DCM_PatientName, ("TEST^" + patient).c_str());
        data->putAndInsertString(DCM_StudyInstanceUID, ("1.2.826.0.1.3680043.9.7133." + study).c_str());
        data->putAndInsertString(DCM_StudyID, study.c_str());
        data->putAndInsertString(DCM_SeriesInstanceUID, seriesUid.c_str());
        data->putAndInsertString(DCM_SeriesNumber, series.c_str());
        data->putAndInsertString(DCM_InstanceNumber, std::to_string(instance).c_str());
        data->putAndInsertString(DCM_SOPInstanceUID, (seriesUid + "." + std::to_string(instance)).c_str());
        ASSERT_TRUE(file.saveFile(path.c_str(), EXS_LittleEndianExplicit).good());
    }

    /// Imports a file or folder and waits until the store has announced `files` new images.
    void importAndWait(const std::string& path, size_t files) {
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
    std::string patientRow(const std::string& patientIDHospital) {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(db->getLock());
        db->getConnection().getRecord("select ID from patient where patientIDHospital=?",
                                      {NSUI::NSDBValue(patientIDHospital)}, &rows);
        return rows.getRowCount() ? rows.getValue(0, 0) : std::string();
    }

    dicomDB* db = nullptr;

private:
    qptest::TempDir _dir;
    std::vector<std::string> _searchPaths;
    AppConfig* _config = nullptr;
    importDcm* _importer = nullptr;
};

} // namespace browsetest
