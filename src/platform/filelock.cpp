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

QString systemText(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

// How the system's answer is seen by the callers. failure is the kind of anything that
// is neither a missing file nor a lock.
ErrorKind kindOf(int number, ErrorKind failure) {
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
        return ErrorKind::NotFound;
    case EBUSY:
    case ETXTBSY:
        return ErrorKind::Locked;
    default:
        return failure;
    }
}

Error errorFrom(int number, ErrorKind kind, const QString& message) {
    return makeError(kind, message, systemText(number), number);
}

Error openError(int number) {
    return errorFrom(number, kindOf(number, ErrorKind::Unreadable), QStringLiteral("ファイルを開けません。"));
}

Error readError(int number) {
    return errorFrom(number, kindOf(number, ErrorKind::Unreadable), QStringLiteral("ファイルを読めません。"));
}

Error writeError(int number) {
    return errorFrom(number, ErrorKind::WriteFailed, QStringLiteral("ファイルに書き込めません。"));
}

// A path that holds something other than a regular file. The detail says what is there.
Error notRegular(mode_t type) {
    QString what;
    if (S_ISDIR(type))
        what = QStringLiteral("ファイルではなくフォルダです");
    else if (S_ISFIFO(type))
        what = QStringLiteral("ファイルではなく名前付きパイプ（FIFO）です");
    else if (S_ISCHR(type) || S_ISBLK(type))
        what = QStringLiteral("ファイルではなくデバイスです");
    else if (S_ISSOCK(type))
        what = QStringLiteral("ファイルではなくソケットです");
    else
        what = QStringLiteral("普通のファイルではありません");
    return makeError(ErrorKind::Unreadable, QStringLiteral("ファイルを開けません。"), what);
}

Error notOpen() {
    return errorFrom(EBADF, ErrorKind::Internal, QStringLiteral("ファイルが開かれていません。"));
}

} // namespace

Error withMessage(const Error& error, QString message) {
    return makeError(error.kind, std::move(message), error.systemText(), error.code);
}

bool mayBeHeldByAnotherStation(const Error& error) {
    return error.kind == ErrorKind::Locked || error.code == EACCES || error.code == EAGAIN;
}

SharedFile::~SharedFile() {
    (void)close();
}

Status SharedFile::open(const QString& path, Mode mode) {
    (void)close();
    const QByteArray name = QFile::encodeName(path);
    int flags = O_RDONLY;
    if (mode == Mode::ReadWriteCreate)
        flags = O_RDWR | O_CREAT;
    else if (mode == Mode::ReadWrite)
        flags = O_RDWR;
    else if (mode == Mode::CreateNew)
        flags = O_RDWR | O_CREAT | O_EXCL;
    // Non-blocking, so that a named pipe or a device in place of a data file cannot hold
    // the program in open(); what is there is looked at before anything is read.
    int h;
    do {
        h = ::open(name.constData(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    } while (h < 0 && errno == EINTR);
    if (h < 0) {
        if (errno == EISDIR)
            return notRegular(S_IFDIR);
        return openError(errno);
    }
    struct stat st {};
    if (::fstat(h, &st) != 0) {
        const int number = errno;
        ::close(h);
        return openError(number);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(h);
        return notRegular(st.st_mode);
    }
    // Regular files never block; reads and writes behave as usual without the flag.
    const int current = ::fcntl(h, F_GETFL);
    if (current != -1)
        (void)::fcntl(h, F_SETFL, current & ~O_NONBLOCK);
    handle_ = h;
    return {};
}

Outcome<qint64> SharedFile::size() const {
    if (handle_ < 0)
        return notOpen();
    struct stat st {};
    if (::fstat(fd(handle_), &st) != 0)
        return readError(errno);
    return static_cast<qint64>(st.st_size);
}

Outcome<qint64> SharedFile::readAt(qint64 offset, char* data, qint64 length) const {
    if (handle_ < 0)
        return notOpen();
    qint64 got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd(handle_), data + got, static_cast<size_t>(length - got),
                                  static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return readError(errno);
        }
        if (n == 0)
            break; // end of file
        got += n;
    }
    return got;
}

Status SharedFile::writeAt(qint64 offset, const char* data, qint64 length) {
    if (handle_ < 0)
        return notOpen();
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd(handle_), data + done, static_cast<size_t>(length - done),
                                   static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return writeError(errno);
        }
        if (n == 0)
            return makeError(
                ErrorKind::WriteFailed, QStringLiteral("ファイルに書き込めません。"),
                QStringLiteral("%1 バイトのうち %2 バイトしか書き込めませんでした").arg(length).arg(done),
                ENOSPC);
        done += n;
    }
    return {};
}

Status SharedFile::truncate(qint64 length) {
    if (handle_ < 0)
        return notOpen();
    int rc;
    do {
        rc = ::ftruncate(fd(handle_), static_cast<off_t>(length));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return writeError(errno);
    return {};
}

Status SharedFile::sync() {
    if (handle_ < 0)
        return notOpen();
    int rc;
    do {
        rc = ::fsync(fd(handle_));
    } while (rc != 0 && errno == EINTR);
    // Some network file systems and devices cannot sync at all; that is no failure.
    if (rc != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        return writeError(errno);
    return {};
}

Status SharedFile::tryLockExclusive() {
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
        if (number == EACCES || number == EAGAIN)
            return errorFrom(number, ErrorKind::Locked,
                             QStringLiteral("ファイルはほかのコンピューターで使われています。"));
        return errorFrom(number, ErrorKind::WriteFailed, QStringLiteral("ファイルをロックできません。"));
    }
    locked_ = true;
    return {};
}

Status SharedFile::unlock() {
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
        return errorFrom(errno, ErrorKind::Internal, QStringLiteral("ファイルのロックを解けません。"));
    return {};
}

Outcome<bool> SharedFile::heldByAnotherProcess() const {
    if (handle_ < 0)
        return notOpen();
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    int rc;
    do {
        rc = ::fcntl(fd(handle_), F_GETLK, &lock);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return errorFrom(errno, ErrorKind::Internal, QStringLiteral("ファイルのロックを調べられません。"));
    return lock.l_type != F_UNLCK;
}

Status SharedFile::close() {
    if (handle_ < 0)
        return {};
    const int h = fd(handle_);
    handle_ = -1;
    locked_ = false; // closing releases the lock
    if (::close(h) != 0 && errno != EINTR)
        return writeError(errno);
    return {};
}

} // namespace kz

#endif // !_WIN32
