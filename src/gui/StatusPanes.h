#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QStatusBar;

namespace bh {

// The main frame's status bar: pane 0 is the stretching message area, panes 1 to 4 carry
// the summaries with the ids 104, 103, 101 and 102, each as wide as its prototype text.
constexpr int kStatusPaneCount = 5;

// Adds panes 1 to 4 to an empty status bar; `prototypes` are the sizing texts of those panes.
void CreateStatusPanes(QStatusBar& statusBar, const QString (&prototypes)[kStatusPaneCount - 1]);

// The pane's label (panes 1 to 4) or null.
QLabel* StatusPaneLabel(QStatusBar& statusBar, int pane);

// The pane's rectangle in status-bar coordinates; pane 0 runs from the left edge to the
// first summary pane.
QRect StatusPaneRect(QStatusBar& statusBar, int pane);

// Sets a pane's text. A leading tab centres the text, as it does in the designed panes.
// Pane 0 shows the text as the bar's message; an empty text clears it.
void SetStatusPaneText(QStatusBar& statusBar, int pane, const QString& text);
QString StatusPaneText(QStatusBar& statusBar, int pane);

}  // namespace bh
