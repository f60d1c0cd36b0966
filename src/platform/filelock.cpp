#include "platform/filelock.h"

#if !defined(_WIN32)

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kz {

namespace {

int fd(qintptr handle) {
    return static_cast<int>(handle);
}

FileError errorFrom(int number, FileError::Kind kind) {
    FileError e;
    e.kind = kind;
    e.number = number;
    e.description = QString::fromLocal8Bit(std::strerror(number));
    return e;
}

// How the system's answer to opening or reading a file is seen by the callers.
FileError::Kind kindOf(int number) {
    switch (number) {
    case ENOENT:
    case ENOTDIR:
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ENXIO:
    case ENODEV:
        return FileError::NotFound;
    case EBUSY:
    case ETXTBSY:
        return FileError::InUse;
    default:
        return FileError::Other;
    }
}

FileError lastError() {
    const int number = errno;
    return errorFrom(number, kindOf(number));
}

FileError notOpen() {
    return errorFrom(EBADF, FileError::Other);
}

} // namespace

bool FileError::mayBeHeldByAnotherStation() const {
    return kind == InUse || (kind == Other && (number == EACCES || number == EAGAIN));
}

SharedFile::~SharedFile() {
    close();
}

FileError SharedFile::open(const QString& path, Mode mode) {
    close();
    const QByteArray name = QFile::encodeName(path);
    const int flags = mode == Mode::Read ? O_RDONLY : (O_RDWR | O_CREAT);
    int h;
    do {
        h = ::open(name.constData(), flags | O_CLOEXEC, 0666);
    } while (h < 0 && errno == EINTR);
    if (h < 0)
        return lastError();
    handle_ = h;
    return {};
}

FileError SharedFile::size(qint64* bytes) const {
    if (handle_ < 0)
        return notOpen();
    struct stat st {};
    if (::fstat(fd(handle_), &st) != 0)
        return lastError();
    *bytes = static_cast<qint64>(st.st_size);
    return {};
}

FileError SharedFile::readAt(qint64 offset, char* data, qint64 length, qint64* got) const {
    *got = 0;
    if (handle_ < 0)
        return notOpen();
    while (*got < length) {
        const ssize_t n = ::pread(fd(handle_), data + *got, static_cast<size_t>(length - *got),
                                  static_cast<off_t>(offset + *got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (n == 0)
            break; // end of file
        *got += n;
    }
    return {};
}

FileError SharedFile::writeAt(qint64 offset, const char* data, qint64 length) {
    if (handle_ < 0)
        return notOpen();
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd(handle_), data + done, static_cast<size_t>(length - done),
                                   static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int number = errno;
            return errorFrom(number, FileError::Other);
        }
        if (n == 0) {
            FileError e;
            e.kind = FileError::Other;
            e.number = ENOSPC;
            e.description = QStringLiteral("%1 of %2 bytes written").arg(done).arg(length);
            return e;
        }
        done += n;
    }
    return {};
}

FileError SharedFile::truncate(qint64 length) {
    if (handle_ < 0)
        return notOpen();
    int rc;
    do {
        rc = ::ftruncate(fd(handle_), static_cast<off_t>(length));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return errorFrom(errno, FileError::Other);
    return {};
}

FileError SharedFile::sync() {
    if (handle_ < 0)
        return notOpen();
    int rc;
    do {
        rc = ::fsync(fd(handle_));
    } while (rc != 0 && errno == EINTR);
    // Some network file systems and devices cannot sync at all; that is no failure.
    if (rc != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        return errorFrom(errno, FileError::Other);
    return {};
}

FileError SharedFile::tryLockExclusive() {
    if (handle_ < 0)
        return notOpen();
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // the whole file, however long it grows
    int rc;
    do {
        rc = ::fcntl(fd(handle_), F_SETLK, &lock);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int number = errno;
        return errorFrom(number, number == EACCES || number == EAGAIN ? FileError::InUse : FileError::Other);
    }
    locked_ = true;
    return {};
}

FileError SharedFile::unlock() {
    if (handle_ < 0)
        return notOpen();
    if (!locked_)
        return {};
    struct flock lock {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    locked_ = false;
    if (::fcntl(fd(handle_), F_SETLK, &lock) != 0)
        return errorFrom(errno, FileError::Other);
    return {};
}

FileError SharedFile::close() {
    if (handle_ < 0)
        return {};
    const int h = fd(handle_);
    handle_ = -1;
    locked_ = false; // closing releases the lock
    if (::close(h) != 0 && errno != EINTR)
        return errorFrom(errno, FileError::Other);
    return {};
}

} // namespace kz

#endif // !_WIN32
