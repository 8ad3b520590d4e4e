#pragma once
// For the grab programs: shows a window and waits until the display shows it, active, with its
// events handled, so that its picture does not depend on how fast the X server answered.

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

namespace ruva::test {

inline void ShowSettled(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QElapsedTimer waited;
    waited.start();
    const auto shown = [&] {
        return window.windowHandle() != nullptr && window.windowHandle()->isExposed() &&
               window.isActiveWindow();
    };
    while (!shown() && !waited.hasExpired(5000))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    // A little longer for what the window manager or the X server still sends.
    const qint64 settled = waited.elapsed() + 200;
    while (!waited.hasExpired(settled))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace ruva::test
