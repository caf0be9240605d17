#pragma once
// Notification payload that owns the series-row model of notification 2001.

#include "db/NSDBDataModel.h"
#include "notify/NSNotificationData.h"

/// userData points to the model while the payload lives; observers read it during delivery only.
class SeriesRowData : public NSUI::NSNotificationData {
public:
    explicit SeriesRowData(NSUI::NSDBDataModel* model);
    virtual ~SeriesRowData();

private:
    NSUI::NSDBDataModel* _model;
};
