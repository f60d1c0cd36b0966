#include "students/programmenu.h"

#include "core/installation.h"
#include "platform/processlauncher.h"

#include <QDir>
#include <QFileInfo>

namespace kz {

bool hasProgramMenu(const Installation& installation) {
    return QFileInfo(QFileInfo(installation.launcherPath()).absolutePath()).isDir();
}

ProgramMenuStart startProgramMenu(const Installation& installation, ProcessLauncher& launcher) {
    ProgramMenuStart start;
    start.launcherPath = installation.launcherPath();
    if (!hasProgramMenu(installation)) {
        start.noMenu = true;
        return start;
    }
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

QString missingProgramMenuNote(const Installation& installation) {
    if (hasProgramMenu(installation))
        return {};
    return QStringLiteral(
               "プログラムメニューのフォルダ %1 がありません。名前の画面の「0」はプログラムを"
               "終えるだけです（ほかの学習プログラムがないインストールでは、これで正しい状態です）。")
        .arg(QDir::toNativeSeparators(QFileInfo(installation.launcherPath()).absolutePath()));
}

} // namespace kz
