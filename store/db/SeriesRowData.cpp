#include "db/SeriesRowData.h"

SeriesRowData::SeriesRowData(NSUI::NSDBDataModel* model) : _model(model)
{
    userData = reinterpret_cast<uintptr_t>(model);
}

SeriesRowData::~SeriesRowData()
{
    delete _model;
}
