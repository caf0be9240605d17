#pragma once
// One queued request to the study store's worker: a list query or one file record to store.

#include "db/NSDBDataModel.h"
#include "thread/NSThreadRequest.h"

#include <functional>

namespace dcmSDK {
struct DCM_MESSAGE;
}

/// Type 0 lists patients, 1 a patient's studies and series (key: the patient row ID), 2 stores
/// one file record, 3 lists favourites, 4 only makes sure the store's indexes exist. The request owns its result model and keeps the
/// notification data that carries its file record alive, so neither outlives it.
class dicomDBRequest : public NSUI::NSThreadRequest {
public:
    enum Type { kPatients = 0, kStudies = 1, kStoreFile = 2, kFavorites = 3, kPrepare = 4 };

    typedef std::function<void(NSUI::NSDBDataModel*)> Callback;

    dicomDBRequest(int type, Callback callback);
    virtual ~dicomDBRequest();

    /// Type 2: the record and the reference-counted holder that owns it (retained here).
    void setFileRecord(const dcmSDK::DCM_MESSAGE* record, cocos2d::Ref* holder);
    const dcmSDK::DCM_MESSAGE* getFileRecord() const { return _record; }

    /// Hands the result model over to the caller (null when there is none).
    NSUI::NSDBDataModel* takeResult();
    /// Replaces the result model; the request deletes it unless it is taken.
    void setResult(NSUI::NSDBDataModel* model);
    NSUI::NSDBDataModel* getResult() const { return _result; }

    const int type;
    const Callback callback;
    /// A list request whose caller is told of an empty result as well.
    bool answerEmpty = false;
    /// Runs on the worker once the request has been processed (or skipped): the walk for files
    /// without rows counts its records in flight with it.
    std::function<void()> processed;

private:
    const dcmSDK::DCM_MESSAGE* _record = nullptr;
    cocos2d::Ref* _recordHolder = nullptr;
    NSUI::NSDBDataModel* _result = nullptr;
};
