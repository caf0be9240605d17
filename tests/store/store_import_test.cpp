// The importer on a folder of mixed files: only DICOM files are copied, each into its series
// folder, and importing again adds nothing.

#include "StoreTestEnv.h"

#include "db/dicomDB.h"
#include "import/importDcm.h"
#include "json/UIJson.h"

#include <fstream>

using storetest::Recorder;
using storetest::StoreFixture;
namespace fs = std::filesystem;

namespace {

class ImportTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        dicomDB::setReceiverPort(nettest::freePort());
        _store = dicomDB::create();
        ASSERT_TRUE(_store && _store->isOpen());
    }
    void TearDown() override
    {
        if (_store)
            _store->release();
        StoreFixture::TearDown();
    }

    // Files below the store root other than the database itself.
    std::vector<std::string> storedFiles()
    {
        std::vector<std::string> out;
        for (const std::string& f : nettest::filesBelow(storeRoot()))
            if (f.find("/dicomDB") == std::string::npos)
                out.push_back(f.substr(storeRoot().size()));
        return out;
    }

    std::string count(const std::string& table)
    {
        NSUI::NSDBDataModel rows;
        std::lock_guard<std::recursive_mutex> lock(_store->getLock());
        _store->getConnection().getRecord("select count() from " + table, &rows);
        return rows.getValue(0, 0);
    }

    dicomDB* _store = nullptr;
};

TEST_F(ImportTest, MixedFolderCopiesOnlyDicomFilesAndAgainAddsNothing)
{
    const std::string folder = scratch("mixed");
    fs::create_directories(folder + "/sub");
    fs::copy_file(qptest::pydicomDir() + "/CT_small.dcm", folder + "/CT_small.dcm");
    fs::copy_file(qptest::pydicomDir() + "/MR_small.dcm", folder + "/sub/mr");
    fs::copy_file(qptest::pydicomDir() + "/MR_small.dcm", folder + "/.hidden.dcm");
    fs::copy_file(qptest::pydicomDir() + "/CT_small.dcm", folder + "/sub/CT_copy.dcm");
    std::ofstream(folder + "/empty.dcm").close();
    std::ofstream(folder + "/picture.png") << "\x89PNG\r\n\x1a\n not really";
    qptest::writeFile(folder + "/README", "text");

    Recorder recorder({2001});
    importDcm* importer = importDcm::create();
    importer->retain();
    importer->setRootPath(_store->getRoot());
    importer->importFiles(folder);
    // CT_small twice (the same image: one file, one row) and MR_small.
    ASSERT_TRUE(storetest::pumpUntil([&] { return recorder.count(2001) >= 2; }, 30));
    storetest::pumpFor(0.5);
    EXPECT_EQ(recorder.count(2001), 2u);
    EXPECT_EQ(count("image"), "2");
    auto files = storedFiles();
    EXPECT_EQ(files.size(), 2u);
    for (const std::string& f : files) {
        EXPECT_EQ(std::count(f.begin(), f.end(), '/'), 3) << f << ": patient/study/series/file";
        EXPECT_EQ(f.find(".hidden"), std::string::npos);
        EXPECT_EQ(f.find("png"), std::string::npos);
    }

    // Again, and also the store's own folder: files are copied over themselves, no row is added.
    recorder.posts.clear();
    importer->importFiles(folder);
    importer->importFiles(_store->getRoot());
    storetest::pumpFor(1.0);
    EXPECT_TRUE(recorder.posts.empty());
    EXPECT_EQ(count("image"), "2");
    EXPECT_EQ(storedFiles(), files);
    for (const std::string& f : files)
        EXPECT_GT(fs::file_size(storeRoot() + f), 0u);
    importer->stop();
    importer->release();
}

TEST_F(ImportTest, ImporterWithoutRootCopiesNothing)
{
    Recorder recorder({2014});
    importDcm* importer = importDcm::create();
    importer->retain();
    importer->importFiles(qptest::pydicomDir() + "/CT_small.dcm");
    storetest::pumpFor(0.5);
    importer->stop();
    importer->release();
    EXPECT_TRUE(recorder.posts.empty());
    EXPECT_TRUE(storedFiles().empty());
}

} // namespace
