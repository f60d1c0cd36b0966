#include "students/programmenu.h"

#include "core/installation.h"
#include "platform/processlauncher.h"

#include <QFileInfo>

namespace kz {

ProgramMenuStart startProgramMenu(const Installation& installation, ProcessLauncher& launcher) {
    ProgramMenuStart start;
    start.launcherPath = installation.launcherPath();
    const Status started = launcher.startDetached(start.launcherPath, {programMenuArgument()},
                                                  QFileInfo(start.launcherPath).absolutePath());
    start.started = started.ok();
    if (!started)
        start.reason = started.error().text();
    return start;
}

QString programMenuFailureText(const ProgramMenuStart& start) {
    return QStringLiteral("プログラムメニューを起動できません。\n%1\n%2")
        .arg(start.launcherPath, start.reason);
}

} // namespace kz
