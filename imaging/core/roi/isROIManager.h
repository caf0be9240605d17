#pragma once
// The application-wide list of all measurements; each image's container shows those whose owner
// key matches its image.

#include <vector>

#include "cocos2d.h"

namespace isImageSDK {

class ROIData;

class isROIManager : public cocos2d::Ref {
public:
    static isROIManager* getInstance();
    /// Clears and releases the instance (the application's shutdown).
    static void destroyInstance();
    ~isROIManager() override;

    virtual bool init() { return true; }
    virtual void clear();

    /// Appends and retains, unless the same object is listed already.
    void addROI(ROIData* roi);
    /// Removes the first entry that is `roi` and releases it; false when absent.
    bool removeROI(ROIData* roi);
    const std::vector<ROIData*>& getROIs() const { return _rois; }

private:
    isROIManager() = default;
    std::vector<ROIData*> _rois;
};

} // namespace isImageSDK
