#include "imaging/core/roi/isROIManager.h"

#include <algorithm>

#include "imaging/core/roi/ROIData.h"

namespace isImageSDK {

namespace {
isROIManager* s_instance = nullptr;
}

isROIManager* isROIManager::getInstance()
{
    if (!s_instance) {
        s_instance = new isROIManager();
        s_instance->init();
        s_instance->autorelease();
        s_instance->retain();
    }
    return s_instance;
}

void isROIManager::destroyInstance()
{
    if (!s_instance) return;
    isROIManager* instance = s_instance;
    s_instance = nullptr;
    instance->clear();
    instance->release();
}

isROIManager::~isROIManager()
{
    clear();
}

void isROIManager::clear()
{
    std::vector<ROIData*> rois;
    rois.swap(_rois);
    for (ROIData* roi : rois) roi->release();
}

void isROIManager::addROI(ROIData* roi)
{
    if (!roi) return;
    for (ROIData* listed : _rois)
        if (listed->equal(roi)) return;
    roi->retain();
    _rois.push_back(roi);
}

bool isROIManager::removeROI(ROIData* roi)
{
    auto it = std::find(_rois.begin(), _rois.end(), roi);
    if (it == _rois.end()) return false;
    _rois.erase(it);
    roi->release();
    return true;
}

} // namespace isImageSDK
