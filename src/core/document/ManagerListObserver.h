#pragma once

namespace bh {

// Told of every change of a ManagerList so that a front end can redraw; an observer never
// changes the list from these calls. "Before" calls come before the rows change, "After"
// calls once they have. Row indices are 0-based, ranges inclusive.
class ManagerListObserver {
  public:
    virtual ~ManagerListObserver() = default;

    virtual void BeforeRowsInserted(int first, int last) { (void)first, (void)last; }
    virtual void AfterRowsInserted(int first, int last) { (void)first, (void)last; }
    virtual void BeforeRowsRemoved(int first, int last) { (void)first, (void)last; }
    virtual void AfterRowsRemoved(int first, int last) { (void)first, (void)last; }
    // Every row may have changed (the entries replaced, scattered removals, texts remade).
    virtual void BeforeReset() {}
    virtual void AfterReset() {}
    // The same rows in another order; the selection moved with them.
    virtual void BeforeReorder() {}
    virtual void AfterReorder() {}
    // Texts of rows first..last in columns firstColumn..lastColumn changed.
    virtual void OnRowsChanged(int first, int last, int firstColumn, int lastColumn) {
        (void)first, (void)last, (void)firstColumn, (void)lastColumn;
    }
    virtual void OnSelectionChanged(int row) { (void)row; }
    // The row should be scrolled fully into view.
    virtual void OnEnsureVisible(int row) { (void)row; }
    // The list is being destroyed; the observer must not reach it any more.
    virtual void OnListDestroyed() {}
};

}  // namespace bh
