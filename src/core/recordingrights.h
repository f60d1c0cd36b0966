#pragma once

#include <QList>
#include <QString>

// Whether the user who runs the program (or the companion) may do every write the
// program does in the program's data folder: append to the results file under its lock,
// create and remove the record browser's copy beside it, save the pass criteria and
// append to the answer log. Checked without changing anything: files are opened for
// writing and closed again, the lock is taken and released, and a scratch file is made
// and removed in the folder.
namespace kz {

struct Installation;

struct RightsProblem {
    QString path; // the file or folder concerned
    // What cannot be done, why (the system's text), who runs, the owner and permissions
    // of the file and what to change (owner, permissions, the share's mount options).
    QString text;
    bool blocksRecording = false; // attempts cannot be recorded
};

QList<RightsProblem> checkWriteRights(const Installation& installation);

// Whether any of the problems keeps attempts from being recorded.
bool recordingBlocked(const QList<RightsProblem>& problems);

// For the start-up: what the problems mean for the class and each problem with its path.
QString rightsNotice(const QList<RightsProblem>& problems);

// A few words for a screen while attempts cannot be recorded; empty when they can.
QString recordingBlockedShortNotice(const QList<RightsProblem>& problems);

} // namespace kz
