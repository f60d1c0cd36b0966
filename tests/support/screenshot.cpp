#include "fakes.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace kz::test {

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
