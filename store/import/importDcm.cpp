#include "import/importDcm.h"

#include "import/importThread.h"

#include "util/FileHelpers.h"

#include <vector>

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
}

bool importDcm::init()
{
    _worker = new importThread();
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
