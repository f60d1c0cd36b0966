#pragma once

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

struct FileError {
    enum Kind {
        None,
        InUse,    // another process holds the file (lock taken, sharing violation)
        NotFound, // the file or its folder does not exist / cannot be reached
        Other     // anything else: permissions, disk full, short write, I/O error
    };
    Kind kind = None;
    int number = 0;      // the platform's error number (errno), 0 when not applicable
    QString description; // the platform's text for it, or our own for short transfers

    bool ok() const { return kind == None; }
    // Whether a reader should wait and try again: the file is in use, or the system
    // answers "permission denied" / "try again", which is how a whole-file lock held by
    // another station shows to readers on a network share.
    bool mayBeHeldByAnotherStation() const;
};

class SharedFile {
public:
    enum class Mode {
        Read,           // read only; a missing file is NotFound
        ReadWriteCreate // read and write; created when missing
    };

    SharedFile() = default;
    ~SharedFile();
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    FileError open(const QString& path, Mode mode);
    bool isOpen() const { return handle_ >= 0; }

    FileError size(qint64* bytes) const;
    // Reads up to length bytes at offset; *got tells how many arrived (fewer at the end
    // of the file). Interrupted and partial reads are continued.
    FileError readAt(qint64 offset, char* data, qint64 length, qint64* got) const;
    // Writes all length bytes at offset; anything less is an error (kind Other).
    FileError writeAt(qint64 offset, const char* data, qint64 length);
    FileError truncate(qint64 length);
    // Hands what was written to the storage, so that errors surface while the lock is held.
    FileError sync();

    // Takes the exclusive whole-file lock without waiting: InUse while another process
    // holds it. The lock goes away with unlock(), close() or the end of the process.
    FileError tryLockExclusive();
    FileError unlock();

    // Closes the file; errors the system reports only now (network shares) come back.
    FileError close();

private:
    qintptr handle_ = -1; // file descriptor (a HANDLE on Windows)
    bool locked_ = false;
};

} // namespace kz
