#pragma once
// Rows of text cells as a query returned them.

#include <string>
#include <vector>

namespace NSUI {

/// Result rows of an NSDBUtil query: every cell as text, NULL as "None".
class NSDBDataModel {
public:
    virtual ~NSDBDataModel() = default;

    void clear();
    void addColumn(std::string text);
    /// The int as "%i" text.
    void addColumnInt(int value);
    /// Closes the current row and starts a new one.
    void endRow();

    int getRowCount() const;
    /// 0 for a row out of range.
    int getColumnCount(int row) const;
    /// The cell's text; the empty text for a cell out of range.
    std::string getValue(int row, int column) const;

private:
    std::vector<std::string> _currentRow;
    std::vector<std::vector<std::string>> _rows;
};

} // namespace NSUI
