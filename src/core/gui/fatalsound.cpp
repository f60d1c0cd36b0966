#include "core/gui/fatalsound.h"

#include "core/gui/navigator.h"
#include "platform/gui/messagebox.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace kz {

void closeAllWindowsLastOpenedFirst() {
    // The platform windows are listed in the order they were created, which for the
    // screens of this program is the order they were opened; a widget never shown has
    // none and is closed after the others.
    const QWindowList created = QGuiApplication::topLevelWindows();
    QList<QWidget*> widgets = QApplication::topLevelWidgets();
    const auto rank = [&created](const QWidget* widget) {
        const QWindow* handle = widget->windowHandle();
        return handle ? created.indexOf(handle) : -1;
    };
    std::stable_sort(widgets.begin(), widgets.end(),
                     [&rank](const QWidget* a, const QWidget* b) { return rank(a) > rank(b); });
    QList<QPointer<QWidget>> ordered;
    for (QWidget* widget : std::as_const(widgets)) {
        if (widget->windowType() != Qt::Desktop)
            ordered.append(widget);
    }
    for (const QPointer<QWidget>& widget : std::as_const(ordered)) {
        if (widget) // an earlier window may have taken this one with it
            widget->close();
    }
}

void endProgramAfterSoundFailure(MessageBox& messages, const QString& message, Navigator* navigator) {
    messages.inform(QApplication::activeWindow(), soundFailureTitle(), message);
    if (navigator) {
        navigator->quitProgram(kSoundFailureExitCode);
        return;
    }
    closeAllWindowsLastOpenedFirst();
    QCoreApplication::exit(kSoundFailureExitCode);
}

SoundFatalHandler makeSoundFatalHandler(MessageBox& messages, Navigator* navigator) {
    return [&messages, navigator](const QString& message) {
        endProgramAfterSoundFailure(messages, message, navigator);
    };
}

} // namespace kz
