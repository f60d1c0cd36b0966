#pragma once

#include <QString>

// Who runs the program and who owns a file, as the system sees them: for the messages
// that tell an administrator which rights to change.
namespace kz {

// The user this process runs as: "student（uid 1001）", and the name alone.
QString runningUserText();
QString runningUserName();

// Owner, group and permission bits of a file or folder:
// "所有者 root、グループ root、権限 rw-r--r--"; empty when it cannot be looked at.
QString ownershipText(const QString& path);

// The name of this computer as the network knows it.
QString computerName();

// Whether a process of this computer with that id is running.
bool processRunning(qint64 pid);

} // namespace kz
