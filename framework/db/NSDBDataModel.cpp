#include "db/NSDBDataModel.h"

namespace NSUI {

void NSDBDataModel::clear()
{
    _currentRow.clear();
    _rows.clear();
}

void NSDBDataModel::addColumn(std::string text)
{
    _currentRow.push_back(std::move(text));
}

void NSDBDataModel::addColumnInt(int value)
{
    _currentRow.push_back(std::to_string(value));
}

void NSDBDataModel::endRow()
{
    _rows.push_back(std::move(_currentRow));
    _currentRow.clear();
}

int NSDBDataModel::getRowCount() const
{
    return static_cast<int>(_rows.size());
}

int NSDBDataModel::getColumnCount(int row) const
{
    if (row < 0 || row >= getRowCount())
        return 0;
    return static_cast<int>(_rows[row].size());
}

std::string NSDBDataModel::getValue(int row, int column) const
{
    if (column < 0 || column >= getColumnCount(row))
        return std::string();
    return _rows[row][column];
}

} // namespace NSUI
