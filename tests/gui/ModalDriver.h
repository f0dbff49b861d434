#pragma once

#include <functional>

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace bh::test {

// Runs `action` on the next modal window of type T as soon as it is shown, from inside the
// event loop of its exec(). The action must close the window, so that it records what it
// saw and lets the test check it after exec() returned (a failed check inside would leave
// the window open).
template <class T>
void WhenModal(std::function<void(T&)> action) {
    auto* timer = new QTimer(QApplication::instance());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (window == nullptr || !window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(*window);
    });
    timer->start();
}

}  // namespace bh::test
