#pragma once

#include <string>
#include <vector>

namespace bh {

class CFileEntry;

// The rows of the manager list in display order. Each row refers to one entry owned by
// the document; the row never owns it. Row indices are 0-based. The GUI's table model
// implements this over its widgets; VectorListRows is the plain implementation.
class ListRows {
  public:
    virtual ~ListRows() = default;

    virtual int Count() const = 0;
    virtual CFileEntry& Entry(int row) const = 0;

    virtual bool IsSelected(int row) const = 0;
    virtual void SetSelected(int row, bool selected) = 0;
    virtual int SelectedCount() const = 0;
    // Lowest selected row index after `after` (-1 to start), or -1 when there is none.
    virtual int NextSelected(int after) const = 0;

    // Remakes the row's texts from its entry (dropping a Results text set by
    // SetResultsText) and redraws it.
    virtual void UpdateRowTexts(int row) = 0;
    // Remakes one cell's text from the entry and redraws it.
    virtual void UpdateCell(int row, int column) = 0;
    // Scrolls so that the row is fully visible.
    virtual void EnsureVisible(int row) = 0;
    // Shows `text` in the row's Results column until its texts are next remade.
    virtual void SetResultsText(int row, const std::string& text) = 0;

    // Appends a row for the entry (AddEntryRow); its texts are made at once.
    virtual void AppendRow(CFileEntry& entry) = 0;
    // Inserts an unselected row for the entry at `row`; its texts are made at once.
    virtual void InsertRow(int row, CFileEntry& entry) = 0;
    // Removes, in one pass, every row whose flag in `remove` (one per row) is set.
    virtual void RemoveRows(const std::vector<bool>& remove) = 0;
    virtual void RemoveAll() = 0;
    // Reorders the rows: new row i is old row order[i]; `order` is a permutation.
    // Selection travels with the rows.
    virtual void Reorder(const std::vector<int>& order) = 0;

    // The text a cell shows now.
    virtual std::string CellText(int row, int column) const = 0;
};

}  // namespace bh
