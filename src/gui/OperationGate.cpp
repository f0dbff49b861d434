#include "gui/OperationGate.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QShortcutEvent>
#include <QWidget>

namespace bh {
namespace {

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        // A menu or toolbar tip would cover the progress caption in the first pane.
        case QEvent::StatusTip:
            return true;
        default:
            return false;
    }
}

bool IsEscape(QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
}

}  // namespace

OperationGate::OperationGate(QWidget& mainWindow, QObject* parent)
    : QObject(parent), mainWindow_(&mainWindow) {}

OperationGate::~OperationGate() {
    if (depth_ > 0)
        qApp->removeEventFilter(this);
}

void OperationGate::Enter() {
    if (depth_++ == 0)
        qApp->installEventFilter(this);
}

void OperationGate::Leave() {
    if (--depth_ > 0)
        return;
    qApp->removeEventFilter(this);
    if (draining_)
        return;
    // The held work runs in the order it came, each item gated in turn, so what it holds
    // itself joins the end of the queue.
    draining_ = true;
    while (!held_.empty()) {
        Held next = std::move(held_.front());
        held_.pop_front();
        Enter();
        next.work();
        Leave();
    }
    draining_ = false;
    if (onIdle)
        onIdle();
}

bool OperationGate::RunIfIdle(const std::function<void()>& work) {
    if (Busy())
        return false;
    Enter();
    work();
    Leave();
    return true;
}

void OperationGate::RunOrHold(std::function<void()> work, const std::string& onceKey) {
    if (Busy()) {
        if (!onceKey.empty()) {
            for (const Held& held : held_) {
                if (held.onceKey == onceKey)
                    return;
            }
        }
        held_.push_back(Held{std::move(work), onceKey});
        return;
    }
    Enter();
    work();
    Leave();
}

bool OperationGate::eventFilter(QObject* watched, QEvent* event) {
    if (!IsInput(event->type()) || !mainWindow_)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    const bool inMainWindow = widget != nullptr && widget->window() == mainWindow_.data();
    if (event->type() == QEvent::Shortcut) {
        // A shortcut of the main window (an action's key, a menu's Alt+letter) would run a
        // command or open a menu; Escape (which is Select None's key) stops the run instead.
        const auto* action = qobject_cast<QAction*>(watched);
        if (!inMainWindow && (action == nullptr || action->parent() != mainWindow_.data()))
            return false;
        if (static_cast<QShortcutEvent*>(event)->key() == QKeySequence(Qt::Key_Escape) && onEscape)
            onEscape();
        return true;
    }
    if (!inMainWindow)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Accepted: no shortcut is looked for, and the key press that follows is swallowed.
        event->accept();
        return true;
    }
    if (IsEscape(event)) {
        if (onEscape)
            onEscape();
        return true;
    }
    const bool keyboard = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    return keyboard || event->type() == QEvent::StatusTip ||
           !widget->property(kAllowWhileBusy).toBool();
}

}  // namespace bh
