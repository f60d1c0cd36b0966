#pragma once

#include "platform/outcome.h"

#include <QString>

// A data file opened for one operation, read and written at explicit byte offsets, and
// locked as a whole against other processes, also on other computers that reach the
// file through a network share. This is the one place that talks to the operating
// system about the shared data files; callers see errors as values with the
// platform's number and text.
//
// On POSIX systems the lock is an fcntl() record lock over the whole file (offset 0,
// length 0: up to and past the end), which the NFS and SMB clients forward to the
// server. A Windows build would provide the same class over LockFileEx in its own
// source file.
namespace kz {

// Errors of a SharedFile carry the kind the callers react to (NotFound when the file or
// its folder cannot be reached, Locked while another process holds it, Unreadable or
// WriteFailed for anything else), the system's text as detail and its error number as
// code.
//
// Whether a reader should wait and try again: the file is in use, or the system answers
// "permission denied" / "try again", which is how a whole-file lock held by another
// station shows to readers on a network share.
bool mayBeHeldByAnotherStation(const Error& error);

// The same error under a message of the caller's own; the system's text and number stay
// (the error's own message stands in when the system said nothing).
Error withMessage(const Error& error, QString message);

class SharedFile {
public:
    enum class Mode {
        Read,            // read only; a missing file is NotFound
        ReadWriteCreate, // read and write; created when missing
        ReadWrite,       // read and write; a missing file is NotFound
        CreateNew,       // read and write; a new file, an error when the name exists
    };

    SharedFile() = default;
    ~SharedFile();
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    // Opens without ever waiting for a writer or a device: anything but a regular file
    // (a folder, a named pipe, a device) is refused (kind Unreadable) with a detail that
    // says what is there instead.
    Status open(const QString& path, Mode mode);
    bool isOpen() const { return handle_ >= 0; }

    Outcome<qint64> size() const;
    // Reads up to length bytes at offset and tells how many arrived (fewer at the end of
    // the file). Interrupted and partial reads are continued.
    Outcome<qint64> readAt(qint64 offset, char* data, qint64 length) const;
    // Writes all length bytes at offset; anything less is an error (WriteFailed).
    Status writeAt(qint64 offset, const char* data, qint64 length);
    Status truncate(qint64 length);
    // Hands what was written to the storage, so that errors surface while the lock is held.
    Status sync();

    // Takes the exclusive whole-file lock without waiting: InUse while another process
    // holds it (kind Locked). The lock goes away with unlock(), close() or the end of the
    // process.
    Status tryLockExclusive();
    Status unlock();
    // Whether another process holds a lock on the file now (works on a read-only handle).
    Outcome<bool> heldByAnotherProcess() const;

    // Closes the file; errors the system reports only now (network shares) come back.
    Status close();

private:
    qintptr handle_ = -1; // file descriptor (a HANDLE on Windows)
    bool locked_ = false;
};

} // namespace kz
