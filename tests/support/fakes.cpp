#include "fakes.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace kz::test {

void RecordingCues::record(const QString& cue) {
    played << cue;
    if (onPlay)
        onPlay(cue);
}

void RecordingNavigator::record(const QString& call) {
    calls << call;
    if (onCall)
        onCall(call);
}

bool saveScreenshot(QWidget* widget, const QString& name) {
    if (!widget)
        return false;
    const QString folder = qEnvironmentVariable("KZ_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return true;
    if (!QDir().mkpath(folder))
        return false;
    const QString file = name.endsWith(QStringLiteral(".png")) ? name : name + QStringLiteral(".png");
    return widget->grab().save(QDir(folder).filePath(file));
}

} // namespace kz::test
