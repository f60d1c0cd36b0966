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
    bool noMenu = false; // the installation has no program menu: nothing was started
    QString launcherPath;
    QString reason; // why it could not be started
};

// Whether the installation has a program menu: a school without the sibling programs
// has no folder "起動" at all. A folder without a launcher that starts is a broken menu.
bool hasProgramMenu(const Installation& installation);

// Starts the launcher without waiting for it; its own folder is its working folder.
// Without a program menu nothing is started (noMenu).
ProgramMenuStart startProgramMenu(const Installation& installation, ProcessLauncher& launcher);

// "プログラムメニューを起動できません" with the launcher's path and the reason.
QString programMenuFailureText(const ProgramMenuStart& start);

// For the companion's check: what a missing program menu means; empty when the
// installation has one.
QString missingProgramMenuNote(const Installation& installation);

} // namespace kz
