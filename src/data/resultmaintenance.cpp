#include "data/resultmaintenance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace kz {

namespace {

constexpr qint64 kRecord = ResultRecord::kSize;

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The system's text and number of a file error, for a message of our own.
QString detailOf(const Error& e) {
    return withMessage(e, QString()).text();
}

// Opens the results file and takes the exclusive lock, waiting while another station
// may hold it.
Status openLocked(const QString& path, SharedFile& file, const MaintenanceOptions& options) {
    RetryRule rule;
    rule.access = FileAccess::Write;
    rule.heldWaitMs = options.retryMs;
    const Status opened = retryWhileHeld(
        [&]() -> Status {
            if (Status e = file.open(path, SharedFile::Mode::ReadWriteCreate); !e)
                return e;
            Status locked = file.tryLockExclusive();
            if (!locked)
                (void)file.close();
            return locked;
        },
        options.wait, rule);
    if (!opened)
        return resultsFileError(opened.error(), path, FileAccess::Write);
    return {};
}

// Record k must exist, and when expected is given it must still hold the bytes that
// were read when the teacher opened it (current: the record's bytes now).
Status checkUnchanged(qint64 count, qint32 recordNumber, const char* current,
                      const std::optional<ResultRecord>& expected) {
    if (recordNumber < 1 || recordNumber > count)
        return makeError(
            ErrorKind::Refused,
            QStringLiteral(
                "記録 %1 は成績ファイルにありません（記録は %2 件です）。一覧を読み直してください。")
                .arg(recordNumber)
                .arg(count));
    if (expected && std::memcmp(current, encodeResultRecord(*expected).constData(), kRecord) != 0)
        return makeError(
            ErrorKind::Refused,
            QStringLiteral("記録 %1 はほかのコンピューターで変更されています。何も変えていません。"
                           "一覧を読み直してから、もう一度選んでください。")
                .arg(recordNumber));
    return {};
}

// Reads length bytes at offset; fewer is an error.
Status readExactly(const SharedFile& file, qint64 offset, char* data, qint64 length) {
    const Outcome<qint64> got = file.readAt(offset, data, length);
    if (!got)
        return got.error();
    if (*got != length)
        return makeError(
            ErrorKind::Unreadable, QStringLiteral("ファイルを読めません。"),
            QStringLiteral("%1 バイトのうち %2 バイトしか読めませんでした").arg(length).arg(*got));
    return {};
}

Status readWhole(const QString& path, SharedFile& file, QByteArray* bytes) {
    const Outcome<qint64> length = file.size();
    Status e = length ? Status{} : Status(length.error());
    if (e) {
        bytes->resize(*length);
        e = readExactly(file, 0, bytes->data(), *length);
    }
    if (!e)
        return resultsFileError(e.error(), path, FileAccess::Read);
    return {};
}

Status writeCopy(const QString& copyPath, const QByteArray& bytes) {
    SharedFile copy;
    Status e = copy.open(copyPath, SharedFile::Mode::ReadWriteCreate);
    if (e)
        e = copy.truncate(0);
    if (e)
        e = copy.writeAt(0, bytes.constData(), bytes.size());
    if (e)
        e = copy.sync();
    Status closed = copy.close();
    return e ? closed : e;
}

} // namespace

Outcome<ResultRecord> readResultAt(const QString& path, qint32 recordNumber) {
    SharedFile file;
    qint64 length = 0;
    Status e = file.open(path, SharedFile::Mode::Read);
    if (e) {
        const Outcome<qint64> size = file.size();
        if (size)
            length = *size;
        else
            e = size.error();
    }
    if (!e && e.error().kind == ErrorKind::NotFound && QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
        e = {};
        length = 0;
    }
    char bytes[kRecord];
    const bool exists = recordNumber >= 1 && recordNumber <= length / kRecord;
    if (e && exists) {
        const Outcome<qint64> got = file.readAt(qint64(recordNumber - 1) * kRecord, bytes, kRecord);
        if (got && *got != kRecord)
            return checkUnchanged(0, recordNumber, nullptr, std::nullopt).error();
        if (!got)
            e = got.error();
    }
    if (!e)
        return resultsFileError(e.error(), path, FileAccess::Read);
    if (!exists)
        return checkUnchanged(length / kRecord, recordNumber, nullptr, std::nullopt).error();
    return decodeResultRecord(bytes);
}

Status correctResult(const QString& path, qint32 recordNumber, const std::optional<ResultRecord>& expected,
                     const ResultRecord& replacement, const MaintenanceOptions& options) {
    SharedFile file;
    if (Status s = openLocked(path, file, options); !s)
        return s;
    qint64 length = 0;
    QByteArray current(kRecord, '\0');
    Status e;
    if (const Outcome<qint64> size = file.size(); size)
        length = *size;
    else
        e = size.error();
    if (e && recordNumber >= 1 && recordNumber <= length / kRecord) {
        if (const Outcome<qint64> got =
                file.readAt(qint64(recordNumber - 1) * kRecord, current.data(), kRecord);
            !got)
            e = got.error();
    }
    if (!e)
        return resultsFileError(e.error(), path, FileAccess::Read);
    if (Status s = checkUnchanged(length / kRecord, recordNumber, current.constData(), expected); !s)
        return s;
    const QByteArray bytes = encodeResultRecord(replacement);
    e = file.writeAt(qint64(recordNumber - 1) * kRecord, bytes.constData(), kRecord);
    if (e)
        e = file.sync();
    if (!e) {
        // Put back what was there, so the record is either old or new, never torn.
        (void)file.writeAt(qint64(recordNumber - 1) * kRecord, current.constData(), kRecord);
        return makeError(
            ErrorKind::WriteFailed,
            QStringLiteral("記録 %1 を書き換えられませんでした: %2").arg(recordNumber).arg(shown(path)),
            detailOf(e.error()));
    }
    (void)file.unlock();
    (void)file.close();
    return {};
}

Outcome<RemovalResult> removeResult(const QString& path, const QString& copyPath, qint32 recordNumber,
                                    const std::optional<ResultRecord>& expected,
                                    const MaintenanceOptions& options) {
    SharedFile file;
    if (Status s = openLocked(path, file, options); !s)
        return s.error();
    QByteArray before;
    if (Status s = readWhole(path, file, &before); !s)
        return s.error();
    const qint64 count = before.size() / kRecord;
    const bool exists = recordNumber >= 1 && recordNumber <= count;
    if (Status s = checkUnchanged(count, recordNumber,
                                  exists ? before.constData() + qint64(recordNumber - 1) * kRecord : nullptr,
                                  expected);
        !s)
        return s.error();

    if (const Status e = writeCopy(copyPath, before); !e) {
        // The results file has not been touched; a half-written copy would only mislead.
        QFile::remove(copyPath);
        return makeError(
            ErrorKind::WriteFailed,
            QStringLiteral("成績ファイルのコピー %1 を作れませんでした。記録は消去していません。")
                .arg(shown(copyPath)),
            detailOf(e.error()));
    }

    // From here on the copy holds every record as it was.
    auto failAfterCopy = [&](const Error& cause) -> Outcome<RemovalResult> {
        Status back = file.writeAt(0, before.constData(), before.size());
        if (back)
            back = file.truncate(before.size());
        if (back)
            back = file.sync();
        const QString state =
            back ? QStringLiteral("成績ファイルは消去の前に戻しました。")
                 : QStringLiteral("成績ファイルは途中まで書き換えられているかもしれません。");
        return makeError(
            cause.kind,
            QStringLiteral("記録 %1 を消去できませんでした。%2\n消去の前のすべての記録（%3 件）は、"
                           "コピー %4 に残っています。")
                .arg(recordNumber)
                .arg(state)
                .arg(count)
                .arg(shown(copyPath)),
            cause.text());
    };
    auto step = [&](RemovalStep at) -> Status {
        return options.checkpoint ? options.checkpoint(at) : Status{};
    };

    if (Status s = step(RemovalStep::Copied); !s)
        return failAfterCopy(s.error());
    const qint64 later = (count - recordNumber) * kRecord;
    if (later > 0) {
        if (const Status e = file.writeAt(qint64(recordNumber - 1) * kRecord,
                                          before.constData() + recordNumber * kRecord, later);
            !e)
            return failAfterCopy(
                makeError(ErrorKind::WriteFailed, QStringLiteral("書き込み"), detailOf(e.error())));
    }
    if (Status s = step(RemovalStep::Rewritten); !s)
        return failAfterCopy(s.error());
    Status e = file.truncate((count - 1) * kRecord);
    if (e)
        e = file.sync();
    if (!e)
        return failAfterCopy(
            makeError(ErrorKind::WriteFailed, QStringLiteral("切り詰め"), detailOf(e.error())));

    RemovalResult result;
    result.recordsLeft = count - 1;
    // Deleted while the lock is still held: a removal by another station that waits for
    // the lock writes its own copy only afterwards.
    if (!QFile::remove(copyPath) && QFileInfo::exists(copyPath))
        result.notice = QStringLiteral("記録は消去しましたが、コピー %1 を削除できませんでした。"
                                       "このコピーは消去の前の記録です。")
                            .arg(shown(copyPath));
    (void)file.unlock();
    (void)file.close();
    return result;
}

Outcome<std::optional<LeftoverCopy>> findLeftoverCopy(const QString& path, const QString& copyPath) {
    const QFileInfo copyInfo(copyPath);
    if (!copyInfo.exists())
        return std::optional<LeftoverCopy>{};
    SharedFile copy;
    qint64 copyLength = 0;
    Status e = copy.open(copyPath, SharedFile::Mode::Read);
    if (e) {
        const Outcome<qint64> size = copy.size();
        if (size)
            copyLength = *size;
        else
            e = size.error();
    }
    if (!e)
        return makeError(
            ErrorKind::Unreadable,
            QStringLiteral("成績ファイルのコピー %1 を調べられませんでした。").arg(shown(copyPath)),
            detailOf(e.error()));
    LeftoverCopy found;
    found.copyRecords = copyLength / kRecord;
    found.copyTailBytes = copyLength % kRecord;
    const QFileInfo results(path);
    found.resultsMissing = !results.exists();
    found.resultsRecords = found.resultsMissing ? 0 : results.size() / kRecord;
    return std::optional<LeftoverCopy>(found);
}

QString leftoverCopyNotice(const LeftoverCopy& copy, const QString& path, const QString& copyPath) {
    const QString results = copy.resultsMissing
                                ? QStringLiteral("成績ファイル %1 はありません。").arg(shown(path))
                                : QStringLiteral("成績ファイル %1 の記録は %2 件です。")
                                      .arg(shown(path))
                                      .arg(copy.resultsRecords);
    return QStringLiteral("記録の消去が途中で終わったときのコピー %1 が残っています（記録 %2 件）。\n%3\n"
                          "コピーには消去の前のすべての記録があります。記録が足りないときは、"
                          "先生がコピーから成績ファイルを戻してください。次に記録を消去すると、このコピーは置"
                          "き換えられます。")
        .arg(shown(copyPath))
        .arg(copy.copyRecords)
        .arg(results);
}

} // namespace kz
