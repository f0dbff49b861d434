#include "gui/StatusPanes.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>

namespace bh {
namespace {

const char* const kPaneProperty = "bhStatusPane";

QString DisplayText(const QString& text) {
    return text.startsWith(QLatin1Char('\t')) ? text.mid(1) : text;
}

}  // namespace

void CreateStatusPanes(QStatusBar& statusBar, const QString (&prototypes)[kStatusPaneCount - 1]) {
    for (int pane = 1; pane < kStatusPaneCount; ++pane) {
        auto* label = new QLabel(&statusBar);
        label->setProperty(kPaneProperty, pane);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        // The blanks before the tab are part of the designed width.
        QString prototype = prototypes[pane - 1];
        prototype.remove(QLatin1Char('\t'));
        const QFontMetrics metrics(label->font());
        label->setMinimumWidth(metrics.horizontalAdvance(prototype) + 2 * label->frameWidth() + 8);
        statusBar.addPermanentWidget(label);
    }
}

QLabel* StatusPaneLabel(QStatusBar& statusBar, int pane) {
    if (pane <= 0)
        return nullptr;
    for (QLabel* label : statusBar.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->property(kPaneProperty).toInt() == pane)
            return label;
    }
    return nullptr;
}

QRect StatusPaneRect(QStatusBar& statusBar, int pane) {
    if (QLabel* label = StatusPaneLabel(statusBar, pane))
        return label->geometry();
    int right = statusBar.width();
    if (QLabel* first = StatusPaneLabel(statusBar, 1); first && first->isVisible())
        right = first->geometry().left();
    return QRect(0, 0, right, statusBar.height());
}

void SetStatusPaneText(QStatusBar& statusBar, int pane, const QString& text) {
    if (QLabel* label = StatusPaneLabel(statusBar, pane)) {
        label->setText(DisplayText(text));
        return;
    }
    if (text.isEmpty())
        statusBar.clearMessage();
    else
        statusBar.showMessage(text);
}

QString StatusPaneText(QStatusBar& statusBar, int pane) {
    if (QLabel* label = StatusPaneLabel(statusBar, pane))
        return label->text();
    return statusBar.currentMessage();
}

}  // namespace bh
