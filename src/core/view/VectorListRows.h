#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ports/ListRows.h"
#include "core/view/EntryTexts.h"

namespace bh {

class Clock;
class SystemErrors;

// The list rows as a plain vector: used by the command-line program and by tests, and the
// storage a toolkit's table model can derive from. A row holds its entry, its selection and
// the time its texts were made; the texts themselves are computed from the entry when asked,
// so that a large manager stays small in memory.
//
// Derived classes learn of every change through the protected hooks, which do nothing here.
// "Before" hooks run before the rows change, "After" hooks once they have.
class VectorListRows : public ListRows {
  public:
    // Both must outlive the rows.
    VectorListRows(const Clock& clock, const SystemErrors& errors);
    ~VectorListRows() override;

    // The Last Modified column's date mode. Changing it remakes that column only.
    void SetDateMode(std::int32_t mode);
    std::int32_t DateMode() const { return dateMode_; }

    // Time (seconds since 1970) at which the row's date text was made.
    std::int64_t TextsMadeAt(int row) const;
    // Whether the row shows a Results text set by SetResultsText.
    bool HasResultsOverride(int row) const;

    int Count() const override;
    CFileEntry& Entry(int row) const override;

    bool IsSelected(int row) const override;
    void SetSelected(int row, bool selected) override;
    int SelectedCount() const override;
    int NextSelected(int after) const override;

    void UpdateRowTexts(int row) override;
    void UpdateCell(int row, int column) override;
    void EnsureVisible(int row) override;
    void SetResultsText(int row, const std::string& text) override;

    void AppendRow(CFileEntry& entry) override;
    void InsertRow(int row, CFileEntry& entry) override;
    // One contiguous run of removed rows is announced as a removal, anything else as a
    // reset; either way the work is one pass.
    void RemoveRows(const std::vector<bool>& remove) override;
    void RemoveAll() override;
    // An `order` that is not a permutation of the rows is ignored.
    void Reorder(const std::vector<int>& order) override;

    std::string CellText(int row, int column) const override;

  protected:
    virtual void BeforeRowsInserted(int first, int last) { (void)first, (void)last; }
    virtual void AfterRowsInserted(int first, int last) { (void)first, (void)last; }
    virtual void BeforeRowsRemoved(int first, int last) { (void)first, (void)last; }
    virtual void AfterRowsRemoved(int first, int last) { (void)first, (void)last; }
    // Every row may have changed (RemoveAll, scattered removals).
    virtual void BeforeReset() {}
    virtual void AfterReset() {}
    // Same rows in another order (Reorder); selection moved with them.
    virtual void BeforeReorder() {}
    virtual void AfterReorder() {}
    // Texts of rows first..last in columns firstColumn..lastColumn were remade.
    virtual void OnRowsChanged(int first, int last, int firstColumn, int lastColumn) {
        (void)first, (void)last, (void)firstColumn, (void)lastColumn;
    }
    virtual void OnSelectionChanged(int row) { (void)row; }
    virtual void OnEnsureVisible(int row) { (void)row; }

  private:
    struct Row {
        CFileEntry* entry = nullptr;
        std::int64_t madeAt = 0;
        std::unique_ptr<std::string> results;  // SetResultsText's text until remade
        bool selected = false;
    };

    bool IsValidRow(int row) const;
    Row MakeRow(CFileEntry& entry) const;

    const Clock& clock_;
    const SystemErrors& errors_;
    std::vector<Row> rows_;
    int selectedCount_ = 0;
    std::int32_t dateMode_ = kDefaultDateMode;
};

}  // namespace bh
