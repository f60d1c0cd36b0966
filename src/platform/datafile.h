#pragma once

#include "platform/outcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Whole data files, read and written so that nothing can hang and nothing is half done.
//
// Reading goes through SharedFile::open: a folder, a named pipe or a device where a file
// belongs is refused with a message naming the path and what is there, never waited on.
//
// Writing a whole file goes to a temporary file beside it ("<name>.saving-<n>.tmp"),
// which is written, flushed and synced, closed and only then renamed over the file; the
// folder is synced last. Every step's result is checked. When a step fails, the old file
// is left as it was, the temporary is removed and the error names the file and the step.
// A temporary left behind by a save that was killed is unlocked (a save holds a lock on
// its temporary while it writes it); the next save of the same file removes it, and the
// companion's check lists such files.
namespace kz {

inline constexpr qint64 kMaxDataFileBytes = qint64(256) << 20;

// The whole file. NotFound when it does not exist, Unreadable (naming the path) when it
// is no regular file, cannot be read, or is longer than maxBytes.
Outcome<QByteArray> readDataFile(const QString& path, qint64 maxBytes = kMaxDataFileBytes);

// The steps of a whole-file save, for the error message and for tests that stop a save
// on the way as a failing system would.
enum class SaveStep {
    Create, // the temporary file beside the target
    Write,
    Sync,
    Close,
    Rename, // the temporary over the target
    SyncFolder,
};
QString saveStepName(SaveStep step); // "書き込む", … for messages

struct SafeWriteOptions {
    // Called before each step; an error stops the save there as a failure of the system
    // would. Empty in the programs.
    std::function<Status(SaveStep)> checkpoint;
};

// Replaces the file at path with bytes, as described above. The replaced file keeps the
// permissions of the file it replaces. Errors are WriteFailed; the message names the file,
// the step and that the old file is unchanged (for failures before the rename).
Status writeFileSafely(const QString& path, const QByteArray& bytes, const SafeWriteOptions& options = {});

// Temporaries of interrupted saves in folder (of any file, or only of fileName when
// given): those that no save is writing now.
QStringList staleSaveTemporaries(const QString& folder, const QString& fileName = {});
// Removes them; returns the paths removed.
QStringList removeStaleSaveTemporaries(const QString& folder, const QString& fileName = {});

// Hands the folder's entries (a rename, a new or removed file) to the storage. Folders that
// cannot be synced on their file system are no failure.
Status syncFolder(const QString& folder);

} // namespace kz
