#include "core/gui/paintnow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWidget>
#include <QWindow>

namespace kz {

namespace {

constexpr QEventLoop::ProcessEventsFlags kNoInputNoTimers =
    QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers;

// Visible windows that the window system has not yet shown (exposed) to us.
bool anyWindowWaitingForExpose() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowHandle() && !w->windowHandle()->isExposed())
            return true;
    }
    return false;
}

} // namespace

void paintNow() {
    // Pending update and layout requests, then a round trip to the window system so that
    // the expose events of windows just mapped have arrived, then their painting.
    QCoreApplication::processEvents(kNoInputNoTimers);
    QGuiApplication::sync();
    QCoreApplication::processEvents(kNoInputNoTimers);
    // A window manager may take a moment to map a new window; wait for it, briefly.
    QElapsedTimer waited;
    waited.start();
    while (anyWindowWaitingForExpose() && waited.elapsed() < 300) {
        QCoreApplication::processEvents(kNoInputNoTimers, 20);
        QGuiApplication::sync();
    }
    QCoreApplication::processEvents(kNoInputNoTimers);
    QGuiApplication::sync();
}

} // namespace kz
