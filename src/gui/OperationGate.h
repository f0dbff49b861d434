#pragma once

#include <deque>
#include <functional>
#include <string>

#include <QObject>
#include <QPointer>

class QWidget;

namespace bh {

// Keeps the document out of reach while a command or another long operation runs on the
// user-interface thread. Long operations let the event loop turn (to repaint, and to see the
// Cancel button), and a modal dialog of a command runs an event loop of its own; without the
// gate a timer tick, a forwarded open request or a drop would then run another command inside
// the first one. While the gate is busy:
// - work offered with RunOrHold is held and runs, in the order offered, once the running work
//   has ended (work offered twice under one key is held once: a timer tick that fell due runs
//   once afterwards);
// - user commands offered with RunIfIdle are refused;
// - keys, clicks and wheel turns aimed at the main window are swallowed, except clicks on the
//   widgets with the property kAllowWhileBusy; Escape there calls onEscape. Other windows (the
//   dialogs a command shows) work as usual.
class OperationGate : public QObject {
    Q_OBJECT
  public:
    explicit OperationGate(QWidget& mainWindow, QObject* parent = nullptr);
    ~OperationGate() override;

    bool Busy() const { return depth_ > 0; }

    // Runs `work` at once unless other work runs; then refuses it and returns false.
    bool RunIfIdle(const std::function<void()>& work);
    // Runs `work` at once, or holds it until the running work (and all held before it) ended.
    // Held work with the same non-empty `onceKey` as work already held is dropped.
    void RunOrHold(std::function<void()> work, const std::string& onceKey = {});

    // The property that lets a widget of the main window take clicks while busy (a Cancel
    // button beside the progress bar): set it to true.
    static constexpr const char* kAllowWhileBusy = "allowWhileBusy";

    // Escape pressed in the main window while busy.
    std::function<void()> onEscape;
    // Called whenever the gate has become idle again, after the held work ran.
    std::function<void()> onIdle;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Held {
        std::function<void()> work;
        std::string onceKey;
    };

    void Enter();
    void Leave();

    QPointer<QWidget> mainWindow_;
    int depth_ = 0;
    bool draining_ = false;
    std::deque<Held> held_;
};

}  // namespace bh
