#pragma once

#include <memory>
#include <string>

#include <QRect>

#include "core/ports/UserInterface.h"

class QStatusBar;

namespace bh {

// The rectangle, in status-bar coordinates, that a progress bar after `caption` takes:
// pane `pane` (pane 0 when negative; a negative pane spans the whole bar's width), its left
// edge moved right by the caption's width in the bar's font plus `gap`, its width at most
// `maxWidth` unless that is -1.
QRect StatusProgressRect(QStatusBar& statusBar, const std::string& caption, int pane, int gap,
                         int maxWidth);

// The object name of the Cancel button that AllowCancel puts beside the bar.
inline constexpr const char* kStatusProgressCancelName = "statusProgressCancel";

// Shows `caption` in the first pane and puts a QProgressBar child of the status bar after it
// (StatusProgressRect). Destroying the indicator removes the bar. Stepping it lets the event
// loop repaint (no user input) at most every 50 ms, so long operations stay visible.
// AllowCancel puts a Cancel button at the right end of the rectangle (the bar gives up that
// width); from then on stepping lets user input through as well, so the button (and the
// Escape key, through OperationGate) can be used, and CancelRequested tells once it was.
// A null status bar gives a silent indicator that only keeps its numbers.
std::unique_ptr<ProgressIndicator> CreateStatusProgress(QStatusBar* statusBar,
                                                        const std::string& caption, int pane,
                                                        int gap, int maxWidth, int controlId);

}  // namespace bh
