#pragma once

#include <QString>

// Leaving for the program menu: the launcher "プログラムメニューc.exe" in the folder
// "起動" beside the program's own folder, started with the single argument "001".
namespace kz {

struct Installation;
class ProcessLauncher;

inline const QString& programMenuArgument() {
    static const QString argument = QStringLiteral("001");
    return argument;
}

struct ProgramMenuStart {
    bool started = false;
    QString launcherPath;
    QString reason; // why it could not be started
};

// Starts the launcher without waiting for it; its own folder is its working folder.
ProgramMenuStart startProgramMenu(const Installation& installation, ProcessLauncher& launcher);

// "プログラムメニューを起動できません" with the launcher's path and the reason.
QString programMenuFailureText(const ProgramMenuStart& start);

} // namespace kz
