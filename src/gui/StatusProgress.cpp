#include "gui/StatusProgress.h"

#include <algorithm>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "gui/OperationGate.h"
#include "gui/StatusPanes.h"

namespace bh {
namespace {

// Repainting is let through at most this often while an operation steps the bar.
constexpr qint64 kRepaintIntervalMs = 50;
// Pixels between the bar and its Cancel button (none: the panes behind would show through).
constexpr int kCancelGap = 0;

class SilentProgress : public ProgressIndicator {
  public:
    void SetRange(int lower, int upper) override {
        lower_ = lower;
        upper_ = upper;
    }
    void SetStep(int step) override { step_ = step; }
    void StepIt() override { SetPos(pos_ + step_); }
    void SetPos(int pos) override { pos_ = pos < lower_ ? lower_ : (pos > upper_ ? upper_ : pos); }
    int GetPos() const override { return pos_; }

  private:
    int lower_ = 0;
    int upper_ = 100;
    int step_ = 10;
    int pos_ = 0;
};

class StatusBarProgress : public ProgressIndicator {
  public:
    StatusBarProgress(QStatusBar& statusBar, const QRect& rect, int controlId)
        : statusBar_(&statusBar), bar_(new QProgressBar(&statusBar)) {
        bar_->setObjectName(QStringLiteral("statusProgress%1").arg(controlId));
        bar_->setTextVisible(false);
        bar_->setRange(0, 100);
        bar_->setValue(0);
        bar_->setGeometry(rect);
        bar_->show();
        sinceRepaint_.start();
    }
    ~StatusBarProgress() override {
        delete cancel_.data();
        delete bar_.data();
    }

    void SetRange(int lower, int upper) override {
        if (bar_)
            bar_->setRange(lower, upper);
    }
    void SetStep(int step) override { step_ = step; }
    void StepIt() override {
        if (!bar_)
            return;
        bar_->setValue(std::min(bar_->value() + step_, bar_->maximum()));
        LetRepaint();
    }
    void SetPos(int pos) override {
        if (!bar_)
            return;
        bar_->setValue(pos);
        LetRepaint();
    }
    int GetPos() const override { return bar_ ? bar_->value() : 0; }

    // A Cancel button at the right end of the bar's rectangle, which the bar leaves to it.
    void AllowCancel() override {
        if (!bar_ || !statusBar_ || cancel_)
            return;
        cancel_ = new QPushButton(QStringLiteral("Cancel"), statusBar_);
        cancel_->setObjectName(QString::fromLatin1(kStatusProgressCancelName));
        cancel_->setProperty(OperationGate::kAllowWhileBusy, true);
        cancel_->setFocusPolicy(Qt::NoFocus);
        const QRect barRect = bar_->geometry();
        const int width = cancel_->sizeHint().width();
        cancel_->setGeometry(barRect.right() - width + 1, barRect.top(), width, barRect.height());
        bar_->setGeometry(barRect.adjusted(0, 0, -(width + kCancelGap), 0));
        QObject::connect(cancel_, &QPushButton::clicked, cancel_, [this] {
            cancelRequested_ = true;
            if (cancel_)
                cancel_->setEnabled(false);
        });
        cancel_->show();
    }
    bool CancelRequested() const override { return cancelRequested_; }

  private:
    // While the operation can be cancelled, clicks and keys reach the event loop too: the
    // caller keeps them from the document (OperationGate) and lets the Cancel button through.
    void LetRepaint() {
        if (sinceRepaint_.elapsed() < kRepaintIntervalMs)
            return;
        QCoreApplication::processEvents(cancel_ ? QEventLoop::AllEvents
                                                : QEventLoop::ExcludeUserInputEvents);
        sinceRepaint_.restart();
    }

    QPointer<QStatusBar> statusBar_;
    QPointer<QProgressBar> bar_;
    QPointer<QPushButton> cancel_;
    bool cancelRequested_ = false;
    QElapsedTimer sinceRepaint_;
    int step_ = 10;
};

}  // namespace

QRect StatusProgressRect(QStatusBar& statusBar, const std::string& caption, int pane, int gap,
                         int maxWidth) {
    const int effectivePane = pane >= 0 ? pane : 0;
    QRect rect = StatusPaneRect(statusBar, effectivePane);
    if (pane < 0)
        rect.setRight(rect.left() + statusBar.frameGeometry().width() - 1);
    if (!caption.empty()) {
        const QFontMetrics metrics(statusBar.font());
        const int width = metrics.horizontalAdvance(QString::fromStdString(caption));
        rect.setLeft(rect.left() + width + gap);
    }
    if (maxWidth != -1 && rect.width() > maxWidth)
        rect.setWidth(maxWidth);
    return rect;
}

std::unique_ptr<ProgressIndicator> CreateStatusProgress(QStatusBar* statusBar,
                                                        const std::string& caption, int pane,
                                                        int gap, int maxWidth, int controlId) {
    if (statusBar == nullptr)
        return std::make_unique<SilentProgress>();
    const QRect rect = StatusProgressRect(*statusBar, caption, pane, gap, maxWidth);
    SetStatusPaneText(*statusBar, pane >= 0 ? pane : 0, QString::fromStdString(caption));
    statusBar->repaint();
    return std::make_unique<StatusBarProgress>(*statusBar, rect, controlId);
}

}  // namespace bh
