#pragma once
// The CT phantom series as the viewing screen opens it, drawn for real in a GL window under
// Xvfb: written as DICOM files, scanned into the cache, read back and loaded.

#include <functional>
#include <string>
#include <vector>

#include "SeriesWriter.h"
#include "imaging/core/cache/isBinReader.h"
#include "imaging/core/cache/isDcmScan.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/roi/isROIManager.h"
#include "imaging_display/GLWindowFixture.h"

namespace viewertest {

template <int W, int H> class PhantomFixture : public displaytest::GLWindowFixture<W, H> {
protected:
    using Base = displaytest::GLWindowFixture<W, H>;
    void SetUp() override {
        Base::SetUp();
        if (!Base::view)
            return;
        cocos2d::FileUtils::getInstance()->addSearchPath(qptest::sourceDir() + "/imageSDK");
        cocos2d::FileUtils::getInstance()->setWritablePath(cache.path() + "/");
    }
    void TearDown() override {
        if (reader)
            reader->release();
        isImageSDK::isROIManager::destroyInstance();
        cocos2d::FileUtils::getInstance()->setWritablePath("");
        Base::TearDown();
    }
    isImageSDK::isImageData* loadPhantom(int slices = 40) {
        samplemaker::SeriesPlan plan;
        plan.kind = samplemaker::SeriesKind::CT;
        plan.width = plan.height = 128;
        plan.slices = slices;
        plan.patientName = "PHANTOM^CT";
        plan.studyDescription = "Chest phantom";
        const std::string folder = series.path() + "/ct";
        std::vector<std::string> files;
        if (!samplemaker::SeriesWriter::write(plan, folder, files))
            return nullptr;
        isImageSDK::isDcmScan scanner;
        if (!scanner.createBuffer(folder))
            return nullptr;
        reader = new isImageSDK::isBinReader();
        reader->init();
        if (!reader->setFile(folder, scanner.getCachePath(folder)))
            return nullptr;
        isImageSDK::isImageData* image = reader->getOutputImage();
        image->Update();
        while (!reader->isAllLoaded())
            Base::input->frame();
        return image;
    }
    /// Pixels of the frame (RGBA rows from the bottom) inside the box that pass the test.
    static int countWhere(const std::vector<unsigned char>& px, int x0, int y0, int x1, int y1,
                          const std::function<bool(const unsigned char*)>& test) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += test(&px[(size_t(y) * W + size_t(x)) * 4]);
        return n;
    }

    qptest::TempDir series;
    qptest::TempDir cache;
    isImageSDK::isBinReader* reader = nullptr;
};

} // namespace viewertest
