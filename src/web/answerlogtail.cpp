#include "web/answerlogtail.h"

#include "platform/filelock.h"

#include <QFileInfo>

namespace kz::web {

namespace {

constexpr qint64 kFirstPiece = 256 * 1024;
constexpr qint64 kMostBytes = 256LL * 1024 * 1024; // beyond this the whole tail is parsed as read

Error unreadable(const QString& path, const QString& detail) {
    return makeError(ErrorKind::Unreadable,
                     QStringLiteral("%1を読むことができません: %2").arg(answerLogFileName(), path), detail);
}

// The date that begins the line at offset (a line of the log starts with 2004-03-15).
QDate dateAt(const QByteArray& bytes, qsizetype offset) {
    if (offset + 10 > bytes.size())
        return {};
    return QDate::fromString(QString::fromLatin1(bytes.mid(offset, 10)), Qt::ISODate);
}

} // namespace

Outcome<AnswerLogContents> readAnswerLogSince(const QString& path, QDate since) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        if (QFileInfo(info.absolutePath()).isDir()) {
            AnswerLogContents empty;
            empty.fileMissing = true;
            return empty;
        }
        return makeError(ErrorKind::NotFound,
                         QStringLiteral("%1のフォルダがありません: %2").arg(answerLogFileName(), path));
    }
    // The shared files' reader: a folder or a FIFO in the file's place is refused, never
    // waited on.
    SharedFile file;
    if (const Status opened = file.open(path, SharedFile::Mode::Read); !opened)
        return unreadable(path, opened.error().text());
    const Outcome<qint64> measured = file.size();
    if (!measured)
        return unreadable(path, measured.error().text());
    const qint64 size = *measured;
    QByteArray bytes;
    qint64 start = size;
    qsizetype firstLine = 0;
    for (qint64 piece = kFirstPiece;; piece *= 2) {
        const qint64 from = qMax<qint64>(0, size - piece);
        QByteArray more(start - from, Qt::Uninitialized);
        const Outcome<qint64> got = file.readAt(from, more.data(), more.size());
        if (!got)
            return unreadable(path, got.error().text());
        more.truncate(*got); // shortened meanwhile: what was read is all there is
        bytes.prepend(more);
        start = from;
        if (start == 0) {
            firstLine = 0;
            break;
        }
        // The first whole line of what has been read.
        const qsizetype newline = bytes.indexOf('\n');
        if (newline >= 0) {
            firstLine = newline + 1;
            const QDate date = dateAt(bytes, firstLine);
            if ((date.isValid() && date < since) || size - start >= kMostBytes)
                break;
        } else if (size - start >= kMostBytes) {
            firstLine = bytes.size();
            break;
        }
    }
    (void)file.close();
    AnswerLogFilter filter;
    filter.since = since;
    return parseAnswerLog(bytes.mid(firstLine), filter);
}

} // namespace kz::web
