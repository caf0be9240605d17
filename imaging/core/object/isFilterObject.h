#pragma once
// One stage of the demand-driven imaging pipeline: one input, one output, modified flags.

#include <vector>

#include "imaging/core/object/isObject.h"

namespace isImageSDK {

class isFilterObject : public isObject {
public:
    static isFilterObject* create();
    isFilterObject() = default;
    ~isFilterObject() override;

    void clear() override;
    bool init() override;

    virtual isFilterObject* getOutput();
    virtual void setInput(isFilterObject* input);
    virtual void updateInformation();
    /// True for stages that read from outside the pipeline (files, caches).
    virtual bool isSource() const { return false; }
    virtual void updateData();
    virtual void createOutput();

    isFilterObject* getInput() const { return _input; }
    /// Appends a stage that reads this object, unless listed already or it is this object's output.
    void addConsumer(isFilterObject* stage);
    void removeConsumer(isFilterObject* stage);
    const std::vector<isFilterObject*>& getConsumers() const { return _consumers; }

    /// Own flag or, recursively, the flag of any stage upstream.
    bool isInformationModified() const;
    bool isDataModified() const;
    /// The stage's own flags; owners set them when they change a parameter.
    void setInformationModified(bool on) { _infoModified = on; }
    void setDataModified(bool on) { _dataModified = on; }
    void setModified() { _infoModified = _dataModified = true; }

    /// Brings this object up to date, pulling every modified stage upstream first.
    void Update();

protected:
    /// Runs the shared part of updateInformation/updateData; false when nothing was due.
    bool propagateInformation();
    bool propagateData();
    /// Detaches from input and output (used by clear and the destructors).
    void detachPipeline();

    bool _infoModified = false;
    bool _dataModified = false;
    isFilterObject* _input = nullptr;
    isFilterObject* _output = nullptr;
    std::vector<isFilterObject*> _consumers;
};

} // namespace isImageSDK
