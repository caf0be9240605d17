#include "import/importDcm.h"

#include "import/importThread.h"

#include "util/FileHelpers.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// The importers alive, so that the program's close can stop them all.
std::mutex g_importersMutex;
std::vector<importDcm*> g_importers;

// Queued after the files of one job: the worker handles requests in order, so when this one
// comes back to the main thread every file before it has been handled.
class importDoneRequest : public NSUI::NSThreadRequest {
public:
    explicit importDoneRequest(std::function<void()> done) : done(std::move(done)) {}
    const std::function<void()> done;
};

} // namespace

importDcm* importDcm::create()
{
    auto* importer = new importDcm();
    if (!importer->init()) {
        delete importer;
        return nullptr;
    }
    importer->autorelease();
    return importer;
}

importDcm::~importDcm()
{
    stop();
    std::lock_guard<std::mutex> lock(g_importersMutex);
    g_importers.erase(std::remove(g_importers.begin(), g_importers.end(), this), g_importers.end());
}

void importDcm::stopAll()
{
    std::vector<importDcm*> importers;
    {
        std::lock_guard<std::mutex> lock(g_importersMutex);
        importers = g_importers;
    }
    for (importDcm* importer : importers)
        importer->stop();
}

bool importDcm::init()
{
    {
        std::lock_guard<std::mutex> lock(g_importersMutex);
        g_importers.push_back(this);
    }
    _worker = new importThread();
    _worker->finishedCallback = [](NSUI::NSThreadRequest* request) {
        auto* marker = dynamic_cast<importDoneRequest*>(request);
        if (marker && marker->done && !marker->cancelled)
            marker->done();
    };
    return true;
}

void importDcm::stop()
{
    if (_worker) {
        safeDestroyThread(_worker);
        _worker = nullptr;
    }
}

void importDcm::setRootPath(std::string root)
{
    if (!root.empty() && root.back() != '/')
        root += "/";
    if (_worker)
        _worker->setRootPath(std::move(root));
}

unsigned importDcm::placedCount() const
{
    return _worker ? _worker->placedCount() : 0;
}

void importDcm::importFiles(std::string path)
{
    if (!_worker || path.empty())
        return;
    std::vector<std::string> files;
    if (cocos2d::FileUtils::getInstance()->isDirectoryExist(path))
        listFiles(path, files, true, true);
    else
        files.push_back(path);
    for (const std::string& file : files) {
        auto* request = new NSUI::NSThreadRequest();
        request->text = file;
        _worker->addRequest(request);
        request->release();
    }
}

void importDcm::importFiles(std::string path, std::function<void()> done)
{
    importFiles(std::move(path));
    if (!_worker || !done)
        return;
    auto* marker = new importDoneRequest(std::move(done));
    _worker->addRequest(marker);
    marker->release();
}
