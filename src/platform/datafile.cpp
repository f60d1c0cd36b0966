#include "platform/datafile.h"

// POSIX; a Windows build would provide these over ReplaceFileW and FlushFileBuffers in
// a source file of its own, as it would the SharedFile.
#if !defined(_WIN32)

#include "platform/filelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kz {

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// "<name>.saving-<8 hex digits>.tmp"
const QString kTemporaryInfix = QStringLiteral(".saving-");
const QString kTemporarySuffix = QStringLiteral(".tmp");

QRegularExpression temporaryPattern(const QString& fileName) {
    const QString name = fileName.isEmpty() ? QStringLiteral(".+") : QRegularExpression::escape(fileName);
    return QRegularExpression(QStringLiteral("^") + name + QRegularExpression::escape(kTemporaryInfix) +
                              QStringLiteral("[0-9a-f]{8}") + QRegularExpression::escape(kTemporarySuffix) +
                              QStringLiteral("$"));
}

QString temporaryBeside(const QString& path) {
    const QFileInfo info(path);
    const QString suffix =
        QString::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, u'0');
    return info.absolutePath() + u'/' + info.fileName() + kTemporaryInfix + suffix + kTemporarySuffix;
}

QString systemDetail(const Error& e) {
    return withMessage(e, QString()).text();
}

} // namespace

Outcome<QByteArray> readDataFile(const QString& path, qint64 maxBytes) {
    SharedFile file;
    if (const Status opened = file.open(path, SharedFile::Mode::Read); !opened) {
        const Error& e = opened.error();
        if (e.kind == ErrorKind::NotFound && !QFileInfo::exists(path))
            return makeError(ErrorKind::NotFound,
                             QStringLiteral("ファイルがありません: %1").arg(shown(path)));
        return makeError(e.kind == ErrorKind::Locked ? ErrorKind::Locked : ErrorKind::Unreadable,
                         QStringLiteral("ファイルを読めません: %1").arg(shown(path)), systemDetail(e),
                         e.code);
    }
    const Outcome<qint64> size = file.size();
    if (!size)
        return makeError(ErrorKind::Unreadable, QStringLiteral("ファイルを読めません: %1").arg(shown(path)),
                         systemDetail(size.error()), size.error().code);
    if (*size > maxBytes)
        return makeError(ErrorKind::Unreadable, QStringLiteral("ファイルが大きすぎます: %1").arg(shown(path)),
                         QStringLiteral("%1 バイト。%2 バイトまで").arg(*size).arg(maxBytes));
    QByteArray bytes(*size, Qt::Uninitialized);
    const Outcome<qint64> got = file.readAt(0, bytes.data(), bytes.size());
    if (!got)
        return makeError(ErrorKind::Unreadable, QStringLiteral("ファイルを読めません: %1").arg(shown(path)),
                         systemDetail(got.error()), got.error().code);
    // The file may have been shortened meanwhile; what is there is what was read.
    bytes.truncate(*got);
    return bytes;
}

QString saveStepName(SaveStep step) {
    switch (step) {
    case SaveStep::Create:
        return QStringLiteral("一時ファイルを作る");
    case SaveStep::Write:
        return QStringLiteral("書き込む");
    case SaveStep::Sync:
        return QStringLiteral("ディスクに書き出す");
    case SaveStep::Close:
        return QStringLiteral("閉じる");
    case SaveStep::Rename:
        return QStringLiteral("置き換える");
    case SaveStep::SyncFolder:
        return QStringLiteral("フォルダをディスクに書き出す");
    }
    return {};
}

Status writeFileSafely(const QString& path, const QByteArray& bytes, const SafeWriteOptions& options) {
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    const QString temporary = temporaryBeside(path);
    SharedFile file;
    bool created = false;
    const auto fail = [&](SaveStep step, const Error& cause) -> Status {
        (void)file.close();
        if (created)
            QFile::remove(temporary);
        const QString unchanged =
            step < SaveStep::SyncFolder ? QStringLiteral("元のファイルはそのままです。") : QString();
        return makeError(ErrorKind::WriteFailed,
                         QStringLiteral("%1 を保存できませんでした（%2ところで失敗しました）。%3")
                             .arg(shown(path), saveStepName(step), unchanged),
                         systemDetail(cause), cause.code);
    };
    const auto step = [&](SaveStep at) -> Status {
        return options.checkpoint ? options.checkpoint(at) : Status{};
    };

    // Temporaries of earlier saves of this file that were killed on the way.
    (void)removeStaleSaveTemporaries(folder, target.fileName());

    if (Status s = step(SaveStep::Create); !s)
        return fail(SaveStep::Create, s.error());
    if (Status s = file.open(temporary, SharedFile::Mode::CreateNew); !s)
        return fail(SaveStep::Create, s.error());
    created = true;
    // Marks the temporary as being written: a cleaner leaves locked temporaries alone.
    if (Status s = file.tryLockExclusive(); !s)
        return fail(SaveStep::Create, s.error());
    if (target.exists()) {
        if (!QFile::setPermissions(temporary, QFile::permissions(path)))
            return fail(SaveStep::Create,
                        makeError(ErrorKind::WriteFailed, QStringLiteral("アクセス権を設定できません")));
    }
    if (Status s = step(SaveStep::Write); !s)
        return fail(SaveStep::Write, s.error());
    if (Status s = file.writeAt(0, bytes.constData(), bytes.size()); !s)
        return fail(SaveStep::Write, s.error());
    if (Status s = step(SaveStep::Sync); !s)
        return fail(SaveStep::Sync, s.error());
    if (Status s = file.sync(); !s)
        return fail(SaveStep::Sync, s.error());
    if (Status s = step(SaveStep::Close); !s)
        return fail(SaveStep::Close, s.error());
    if (Status s = file.close(); !s)
        return fail(SaveStep::Close, s.error());
    if (Status s = step(SaveStep::Rename); !s)
        return fail(SaveStep::Rename, s.error());
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        const int number = errno;
        return fail(SaveStep::Rename,
                    makeError(ErrorKind::WriteFailed, QString(),
                              number == EISDIR ? QStringLiteral("ファイルではなくフォルダがあります")
                                               : QString::fromLocal8Bit(std::strerror(number)),
                              number == EISDIR ? 0 : number));
    }
    created = false; // the temporary is the file now
    if (Status s = step(SaveStep::SyncFolder); !s)
        return fail(SaveStep::SyncFolder, s.error());
    if (Status s = syncFolder(folder); !s)
        return fail(SaveStep::SyncFolder, s.error());
    return {};
}

QStringList staleSaveTemporaries(const QString& folder, const QString& fileName) {
    QStringList stale;
    const QRegularExpression pattern = temporaryPattern(fileName);
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!pattern.match(name).hasMatch())
            continue;
        const QString path = dir.filePath(name);
        SharedFile file;
        if (!file.open(path, SharedFile::Mode::Read))
            continue;
        const Outcome<bool> held = file.heldByAnotherProcess();
        if (held && !*held)
            stale << path;
    }
    return stale;
}

QStringList removeStaleSaveTemporaries(const QString& folder, const QString& fileName) {
    QStringList removed;
    for (const QString& path : staleSaveTemporaries(folder, fileName)) {
        if (QFile::remove(path))
            removed << path;
    }
    return removed;
}

Status syncFolder(const QString& folder) {
    int h;
    do {
        h = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (h < 0 && errno == EINTR);
    if (h < 0)
        return makeError(ErrorKind::WriteFailed,
                         QStringLiteral("フォルダを開けません: %1").arg(shown(folder)),
                         QString::fromLocal8Bit(std::strerror(errno)), errno);
    int rc;
    do {
        rc = ::fsync(h);
    } while (rc != 0 && errno == EINTR);
    const int number = errno;
    ::close(h);
    // Network and some other file systems cannot sync a folder: that is no failure.
    if (rc != 0 && number != EINVAL && number != EROFS && number != ENOTSUP && number != EBADF)
        return makeError(ErrorKind::WriteFailed,
                         QStringLiteral("フォルダをディスクに書き出せません: %1").arg(shown(folder)),
                         QString::fromLocal8Bit(std::strerror(number)), number);
    return {};
}

} // namespace kz

#endif // !_WIN32
