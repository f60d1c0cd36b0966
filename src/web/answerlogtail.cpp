#include "web/answerlogtail.h"

#include <QFile>
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
    if (!info.exists()) {
        if (QFileInfo(info.absolutePath()).isDir()) {
            AnswerLogContents empty;
            empty.fileMissing = true;
            return empty;
        }
        return makeError(ErrorKind::NotFound,
                         QStringLiteral("%1のフォルダがありません: %2").arg(answerLogFileName(), path));
    }
    // Opening a FIFO for reading would wait for a writer: only ordinary files are opened.
    if (!info.isFile())
        return unreadable(path, QStringLiteral("ふつうのファイルではありません"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return unreadable(path, file.errorString());
    const qint64 size = file.size();
    QByteArray bytes;
    qint64 start = size;
    qsizetype firstLine = 0;
    for (qint64 piece = kFirstPiece;; piece *= 2) {
        const qint64 from = qMax<qint64>(0, size - piece);
        if (!file.seek(from))
            return unreadable(path, file.errorString());
        QByteArray more(start - from, Qt::Uninitialized);
        qint64 got = 0;
        while (got < more.size()) {
            const qint64 n = file.read(more.data() + got, more.size() - got);
            if (n < 0)
                return unreadable(path, file.errorString());
            if (n == 0)
                break; // shortened meanwhile: what was read is all there is
            got += n;
        }
        more.truncate(got);
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
    AnswerLogFilter filter;
    filter.since = since;
    return parseAnswerLog(bytes.mid(firstLine), filter);
}

} // namespace kz::web
