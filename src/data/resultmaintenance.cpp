#include "data/resultmaintenance.h"

#include "data/maintenancejournal.h"
#include "platform/datafile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
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

ErrorKind kindOf(const Error& e) {
    switch (e.kind) {
    case ErrorKind::NotFound:
    case ErrorKind::Locked:
        return e.kind;
    default:
        return ErrorKind::WriteFailed;
    }
}

qint64 wholeRecords(qint64 bytes) {
    return bytes - bytes % kRecord;
}

constexpr std::array<const char*, 11> kStepNames{"Begun",    "Copied",      "CopyRecorded", "RewriteRecorded",
                                                 "Torn",     "Rewritten",   "Marked",       "Shortened",
                                                 "Finished", "CopyRemoved", "ChangeWritten"};

// Opens the results file and takes the exclusive lock, waiting while another station
// holds it (at most options.lockTries times when set).
Status openLocked(const QString& path, SharedFile& file, const MaintenanceOptions& options) {
    RetryRule rule;
    rule.access = FileAccess::Write;
    rule.heldWaitMs = options.retryMs;
    rule.triesAtMost = options.lockTries;
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

// Reads the whole file under the lock.
Status readWhole(const QString& path, const SharedFile& file, QByteArray* bytes) {
    const Outcome<qint64> length = file.size();
    Status e = length ? Status{} : Status(length.error());
    if (e) {
        bytes->resize(*length);
        const Outcome<qint64> got = file.readAt(0, bytes->data(), *length);
        if (!got)
            e = got.error();
        else
            bytes->truncate(*got);
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
    if (e && !closed)
        e = closed;
    if (e)
        e = syncFolder(QFileInfo(copyPath).absolutePath());
    return e;
}

// The work on the results file, under its lock, from a journal and its copy.
class Maintenance {
public:
    Maintenance(const QString& path, const QString& copyPath, SharedFile& live,
                const MaintenanceOptions& options)
        : path_(path), copyPath_(copyPath), journalPath_(maintenanceJournalPath(copyPath)), live_(live),
          options_(options) {}

    Status step(RemovalStep at) const { return options_.checkpoint ? options_.checkpoint(at) : Status{}; }

    // Brings the results file to the journal's target: the copy's records (all of them
    // after a rollback, else all but the removed one), then every record appended since
    // the removal began. Every step is journalled before it is taken, so that this can be
    // interrupted anywhere and run again. records: the file's records afterwards.
    Status rewrite(MaintenanceJournal& journal, JournalWriter& writer, const QByteArray& copy,
                   qint64* records, qint64* appendedCount);
    // Removes the copy (when it is the journal's own) and the journal once the file is right.
    QString cleanUp(const MaintenanceJournal& journal, const QByteArray* verifiedCopy);

    const QString& path() const { return path_; }
    const QString& copyPath() const { return copyPath_; }
    const QString& journalPath() const { return journalPath_; }
    SharedFile& live() { return live_; }
    // Whether a rewrite has given the file its final length: from then on the work is
    // finished, not undone.
    bool shortened() const { return shortened_; }

private:
    Status failed(const QString& what, const Error& cause) const {
        return makeError(
            ErrorKind::WriteFailed,
            QStringLiteral("成績ファイル %1 を%2ことができませんでした。").arg(shown(path_), what),
            detailOf(cause), cause.code);
    }

    QString path_;
    QString copyPath_;
    QString journalPath_;
    SharedFile& live_;
    const MaintenanceOptions& options_;
    bool shortened_ = false;
};

// The records the journal's removal leaves of the copy.
QByteArray baseRecords(const MaintenanceJournal& journal, const QByteArray& copy) {
    const qint64 whole = wholeRecords(journal.lengthBefore);
    if (journal.rollback)
        return copy.left(whole);
    const qint64 k = journal.recordNumber;
    return copy.left((k - 1) * kRecord) + copy.mid(k * kRecord, whole - k * kRecord);
}

Status Maintenance::rewrite(MaintenanceJournal& journal, JournalWriter& writer, const QByteArray& copy,
                            qint64* records, qint64* appendedCount) {
    const QByteArray base = baseRecords(journal, copy);
    const Outcome<qint64> measured = live_.size();
    if (!measured)
        return failed(QStringLiteral("調べる"), measured.error());
    const qint64 size = *measured;

    // Where the records appended since the last recorded rewrite begin. Until a rewrite
    // is recorded the file was not touched and kept its length; stations appended after
    // its last whole record. A rewrite keeps the file's length until the file is
    // shortened; the end mark behind the rewritten records tells whether that happened.
    qint64 start = wholeRecords(journal.lengthBefore);
    QByteArray appended;
    if (journal.rewrite) {
        const MaintenanceJournal::Rewrite& last = *journal.rewrite;
        appended = last.appended;
        start = wholeRecords(last.lengthThen);
        if (last.marked) {
            QByteArray mark(kRecord, '\0');
            bool shortened = size < last.target + kRecord;
            if (!shortened) {
                const Outcome<qint64> got = live_.readAt(last.target, mark.data(), kRecord);
                if (!got)
                    return failed(QStringLiteral("読む"), got.error());
                shortened = *got != kRecord || mark != QByteArray(kRecord, '\0');
            }
            if (shortened)
                start = last.target;
        }
    }
    if (size < start)
        return makeError(ErrorKind::Malformed,
                         QStringLiteral("成績ファイル %1 は、途中で止まった記録の消去の控えと合いません"
                                        "（%2 バイトのはずが %3 バイトです）。何も変えていません。")
                             .arg(shown(path_))
                             .arg(start)
                             .arg(size));
    QByteArray later(wholeRecords(size - start), Qt::Uninitialized);
    if (!later.isEmpty()) {
        const Outcome<qint64> got = live_.readAt(start, later.data(), later.size());
        if (!got)
            return failed(QStringLiteral("読む"), got.error());
        later.truncate(wholeRecords(*got));
    }
    appended += later;
    const QByteArray target = base + appended;
    // The file never grows here: while it did, stations appending after a crash would
    // write at places that nothing records.
    if (target.size() > size)
        return makeError(
            ErrorKind::Malformed,
            QStringLiteral("成績ファイル %1 を途中で止まった消去の前に戻せません（%2 バイトが %3 バイト"
                           "しかありません）。何も変えていません。")
                .arg(shown(path_))
                .arg(target.size())
                .arg(size));

    // From here on the file's contents are in the copy and the journal.
    const int number = journal.rewrite ? journal.rewrite->number + 1 : 1;
    if (Status s = writer.rewrite(number, size, target.size(), appended); !s)
        return s;
    journal.rewrite = MaintenanceJournal::Rewrite{number, size, target.size(), appended, false};
    if (Status s = step(RemovalStep::RewriteRecorded); !s)
        return s;

    qint64 written = 0;
    if (options_.tearAfterBytes >= 0 && options_.tearAfterBytes < target.size()) {
        if (Status s = live_.writeAt(0, target.constData(), options_.tearAfterBytes); !s)
            return failed(QStringLiteral("書き直す"), s.error());
        written = options_.tearAfterBytes;
        if (Status s = step(RemovalStep::Torn); !s)
            return s;
    }
    if (Status s = live_.writeAt(written, target.constData() + written, target.size() - written); !s)
        return failed(QStringLiteral("書き直す"), s.error());
    // Behind the records, an end mark (a record of zeros, which no station writes) shows
    // later whether the file was shortened. Not needed when nothing but a partial record
    // lies behind them: stations append at the same place either way.
    const bool mark = wholeRecords(size) > target.size();
    if (mark) {
        const QByteArray zeros(kRecord, '\0');
        if (Status s = live_.writeAt(target.size(), zeros.constData(), kRecord); !s)
            return failed(QStringLiteral("書き直す"), s.error());
    }
    if (Status s = live_.sync(); !s)
        return failed(QStringLiteral("書き直す"), s.error());
    if (Status s = step(RemovalStep::Rewritten); !s)
        return s;
    if (mark) {
        if (Status s = writer.marked(number); !s)
            return s;
        journal.rewrite->marked = true;
        if (Status s = step(RemovalStep::Marked); !s)
            return s;
    }
    Status e = live_.truncate(target.size());
    if (e)
        e = live_.sync();
    if (!e)
        return failed(QStringLiteral("切り詰める"), e.error());
    shortened_ = true;
    if (Status s = step(RemovalStep::Shortened); !s)
        return s;
    if (Status s = writer.done(); !s)
        return s;
    journal.done = true;
    *records = target.size() / kRecord;
    *appendedCount = appended.size() / kRecord;
    return {};
}

QString Maintenance::cleanUp(const MaintenanceJournal& journal, const QByteArray* verifiedCopy) {
    if (Status s = step(RemovalStep::Finished); !s)
        return QStringLiteral("記録の控え %1 とコピーが残っています。次に起動したときに削除します。")
            .arg(shown(journalPath_));
    // The copy goes only when it is the journal's own: a copy replaced meanwhile (by an
    // older version of the program) may be somebody's only complete one.
    bool ownCopy = verifiedCopy != nullptr || journal.kind == MaintenanceJournal::Kind::Change;
    if (!ownCopy && journal.kind == MaintenanceJournal::Kind::Remove) {
        const Outcome<QByteArray> copy = readDataFile(copyPath_);
        ownCopy = copy && copyDigestOf(*copy) == journal.copyDigest;
    }
    QString notice;
    if (journal.kind == MaintenanceJournal::Kind::Remove && ownCopy && QFileInfo::exists(copyPath_) &&
        !QFile::remove(copyPath_))
        notice = QStringLiteral("記録は正しくなりましたが、コピー %1 を削除できませんでした。")
                     .arg(shown(copyPath_));
    if (!notice.isEmpty())
        return notice;
    if (Status s = step(RemovalStep::CopyRemoved); !s)
        return QStringLiteral("記録の控え %1 が残っています。次に起動したときに削除します。")
            .arg(shown(journalPath_));
    if (!QFile::remove(journalPath_) && QFileInfo::exists(journalPath_))
        return QStringLiteral("記録は正しくなりましたが、控え %1 を削除できませんでした。")
            .arg(shown(journalPath_));
    (void)syncFolder(QFileInfo(journalPath_).absolutePath());
    return {};
}

// The copy, when it is exactly what the journal's removal copied.
std::optional<QByteArray> verifiedCopy(const MaintenanceJournal& journal, const QString& copyPath) {
    const Outcome<QByteArray> copy = readDataFile(copyPath);
    if (!copy || copy->size() != journal.lengthBefore || copyDigestOf(*copy) != journal.copyDigest)
        return std::nullopt;
    return *copy;
}

bool recordFitsEither(const QByteArray& current, const QByteArray& a, const QByteArray& b) {
    for (qsizetype i = 0; i < current.size(); ++i) {
        if (current[i] != a[i] && current[i] != b[i])
            return false;
    }
    return true;
}

// Finishes an interrupted change: the new record (the old one after a rollback) over
// record k. The record may be old, new or torn between them; anything else means the
// file was changed by other means since, and it is left alone.
Outcome<QString> finishChange(Maintenance& m, MaintenanceJournal& journal, JournalWriter& writer) {
    if (!journal.done) {
        const qint64 offset = qint64(journal.recordNumber - 1) * kRecord;
        QByteArray current(kRecord, '\0');
        const Outcome<qint64> got = m.live().readAt(offset, current.data(), kRecord);
        if (!got)
            return resultsFileError(got.error(), m.path(), FileAccess::Read);
        if (*got != kRecord || !recordFitsEither(current, journal.oldRecord, journal.newRecord))
            return makeError(ErrorKind::Malformed,
                             QStringLiteral("記録 %1 の変更が途中で止まっていますが、成績ファイル %2 "
                                            "のその記録は変更の前とも後とも違います。何も変えていません。"
                                            "控え %3 を確かめてください。")
                                 .arg(journal.recordNumber)
                                 .arg(shown(m.path()), shown(m.journalPath())));
        const QByteArray& wanted = journal.rollback ? journal.oldRecord : journal.newRecord;
        Status e = m.live().writeAt(offset, wanted.constData(), kRecord);
        if (e)
            e = m.live().sync();
        if (!e)
            return makeError(ErrorKind::WriteFailed,
                             QStringLiteral("記録 %1 を書き換えられませんでした: %2")
                                 .arg(journal.recordNumber)
                                 .arg(shown(m.path())),
                             detailOf(e.error()));
        if (Status s = m.step(RemovalStep::ChangeWritten); !s)
            return s.error();
        if (Status s = writer.done(); !s)
            return s.error();
        journal.done = true;
    }
    return m.cleanUp(journal, nullptr);
}

// What a copy without a journal is: left by a removal of an older version of the
// program, which does not say whether it is complete.
QString orphanCopyText(const QString& path, const QString& copyPath) {
    const QFileInfo copy(copyPath);
    const QFileInfo results(path);
    const QString tail =
        copy.size() % kRecord > 0
            ? QStringLiteral("コピーの終わりに %1 バイトの切れた記録があります。").arg(copy.size() % kRecord)
            : QString();
    const QString resultsText =
        results.exists() && results.isFile()
            ? QStringLiteral("成績ファイルの記録は %1 件です。").arg(results.size() / kRecord)
            : QStringLiteral("成績ファイルはありません。");
    return QStringLiteral(
               "記録の消去が途中で終わったときのコピー %1 が残っています（記録 %2 件）。%3%4"
               "このコピーには記録の消去の控えがありません（前の版のプログラムが作ったコピーです）。"
               "消去の前のすべての記録があるかどうかは確かめられません。成績ファイルと比べてから、"
               "先生がこのコピーを別の場所に移してください。移すまで、記録は消去できません。")
        .arg(shown(copyPath))
        .arg(copy.size() / kRecord)
        .arg(tail, resultsText);
}

bool orphanCopyLeft(const QString& copyPath) {
    return QFileInfo(copyPath).isFile() && !QFileInfo::exists(maintenanceJournalPath(copyPath));
}

// Finishes whatever the journal describes. The lock is held.
Outcome<std::optional<QString>> recoverLocked(Maintenance& m) {
    const Outcome<std::optional<MaintenanceJournal>> read = readMaintenanceJournal(m.journalPath());
    if (!read)
        return makeError(read.error().kind,
                         read.error().message +
                             QStringLiteral("成績ファイルもコピーも変えていません。先生が確かめてください。"),
                         read.error().detail);
    if (!read.value())
        return std::optional<QString>{};
    MaintenanceJournal journal = **read;
    if (journal.kind == MaintenanceJournal::Kind::Change) {
        JournalWriter writer(m.journalPath(), journal);
        const Outcome<QString> finished = finishChange(m, journal, writer);
        if (!finished)
            return finished.error();
        const QString what = journal.rollback ? QStringLiteral("変更の前に戻しました")
                                              : QStringLiteral("変更を最後まで行いました");
        QString notice = QStringLiteral("記録 %1 の変更が途中で止まっていたので、%2。")
                             .arg(journal.recordNumber)
                             .arg(what);
        if (!finished->isEmpty())
            notice += u'\n' + *finished;
        return std::optional<QString>(notice);
    }
    if (journal.done) {
        const QString left = m.cleanUp(journal, nullptr);
        return left.isEmpty() ? std::optional<QString>{} : std::optional<QString>(left);
    }
    const std::optional<QByteArray> copy = verifiedCopy(journal, m.copyPath());
    if (!copy) {
        if (!journal.rewrite) {
            // The results file was never touched: the removal did not happen.
            if (!journal.copied)
                QFile::remove(m.copyPath()); // the copy was still being written
            if (!QFile::remove(m.journalPath()) && QFileInfo::exists(m.journalPath()))
                return makeError(
                    ErrorKind::WriteFailed,
                    QStringLiteral("控え %1 を削除できませんでした。").arg(shown(m.journalPath())));
            return std::optional<QString>(
                QStringLiteral("記録 %1 の消去は、成績ファイルを変える前に止まっていました。記録は消去されて"
                               "いません。必要なら、もう一度消去してください。")
                    .arg(journal.recordNumber));
        }
        return makeError(
            ErrorKind::Malformed,
            QStringLiteral("記録 %1 の消去が途中で止まり、成績ファイル %2 は書きかけです。コピー %3 "
                           "は控えの検査値と合わないため（壊れているか、置き換えられています）、"
                           "完全ではありません。自動では直せません。何も変えていません。成績ファイル、"
                           "コピー、控え %4 をそのまま残して、先生が確かめてください。")
                .arg(journal.recordNumber)
                .arg(shown(m.path()), shown(m.copyPath()), shown(m.journalPath())));
    }
    JournalWriter writer(m.journalPath(), journal);
    if (!journal.rewrite && journal.rollback) {
        // Undone before the results file was touched: nothing to write back.
        if (Status s = writer.done(); !s)
            return s.error();
        journal.done = true;
    } else {
        qint64 records = 0;
        qint64 appended = 0;
        if (Status s = m.rewrite(journal, writer, *copy, &records, &appended); !s)
            return s.error();
        const QString what =
            journal.rollback ? QStringLiteral("消去の前に戻しました")
                             : QStringLiteral("記録 %1 の消去を最後まで行いました").arg(journal.recordNumber);
        QString notice =
            QStringLiteral("記録の消去が途中で止まっていたので、コピーで確かめて%1。その後に"
                           "記録された %2 件の成績も残っています。成績ファイルの記録は %3 件です。")
                .arg(what)
                .arg(appended)
                .arg(records);
        const QString left = m.cleanUp(journal, &*copy);
        if (!left.isEmpty())
            notice += u'\n' + left;
        return std::optional<QString>(notice);
    }
    const QString left = m.cleanUp(journal, &*copy);
    return std::optional<QString>(
        left.isEmpty()
            ? QStringLiteral("記録の消去は途中で止まっていました。成績ファイルは消去の前のままです。")
            : left);
}

// Before a change or removal of its own: finish what an interrupted one left.
Status recoverFirst(Maintenance& m) {
    if (!QFileInfo::exists(m.journalPath()))
        return {};
    const Outcome<std::optional<QString>> recovered = recoverLocked(m);
    if (!recovered)
        return makeError(recovered.error().kind == ErrorKind::WriteFailed ? ErrorKind::WriteFailed
                                                                          : ErrorKind::Refused,
                         recovered.error().message + QStringLiteral("\nこの変更は行っていません。"),
                         recovered.error().detail);
    return {};
}

} // namespace

QString removalStepName(RemovalStep step) {
    return QString::fromLatin1(kStepNames[static_cast<size_t>(step)]);
}

std::optional<RemovalStep> removalStepNamed(const QString& name) {
    for (size_t i = 0; i < kStepNames.size(); ++i) {
        if (name == QLatin1String(kStepNames[i]))
            return static_cast<RemovalStep>(i);
    }
    return std::nullopt;
}

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
    if (!e && e.error().kind == ErrorKind::NotFound && !QFileInfo::exists(path) &&
        QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
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

Status correctResult(const QString& path, const QString& copyPath, qint32 recordNumber,
                     const std::optional<ResultRecord>& expected, const ResultRecord& replacement,
                     const MaintenanceOptions& options) {
    SharedFile file;
    if (Status s = openLocked(path, file, options); !s)
        return s;
    Maintenance m(path, copyPath, file, options);
    if (Status s = recoverFirst(m); !s)
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
    Outcome<JournalWriter> writer = JournalWriter::beginChange(m.journalPath(), recordNumber, current, bytes);
    if (!writer)
        return makeError(
            ErrorKind::WriteFailed,
            QStringLiteral("記録 %1 を書き換えられませんでした。記録は変えていません。").arg(recordNumber),
            writer.error().text());
    MaintenanceJournal journal;
    journal.kind = MaintenanceJournal::Kind::Change;
    journal.recordNumber = recordNumber;
    journal.oldRecord = current;
    journal.newRecord = bytes;
    Status done = m.step(RemovalStep::Begun);
    if (done) {
        done = file.writeAt(qint64(recordNumber - 1) * kRecord, bytes.constData(), kRecord);
        if (done)
            done = file.sync();
    }
    if (done)
        done = m.step(RemovalStep::ChangeWritten);
    if (done)
        done = writer->done();
    if (done) {
        journal.done = true;
        (void)m.cleanUp(journal, nullptr);
        return {};
    }
    // Put back what was there, so the record is either old or new, never torn.
    Status back = writer->rollback();
    if (back) {
        journal.rollback = true;
        if (const Outcome<QString> undone = finishChange(m, journal, *writer); !undone)
            back = undone.error();
    }
    return makeError(
        ErrorKind::WriteFailed,
        QStringLiteral("記録 %1 を書き換えられませんでした: %2\n%3")
            .arg(recordNumber)
            .arg(shown(path),
                 back ? QStringLiteral("記録は変更の前のままです。")
                      : QStringLiteral("記録の控え %1 が残っています。次に起動したときに直します。")
                            .arg(shown(m.journalPath()))),
        done.error().text());
}

Outcome<RemovalResult> removeResult(const QString& path, const QString& copyPath, qint32 recordNumber,
                                    const std::optional<ResultRecord>& expected,
                                    const MaintenanceOptions& options) {
    SharedFile file;
    if (Status s = openLocked(path, file, options); !s)
        return s.error();
    Maintenance m(path, copyPath, file, options);
    if (Status s = recoverFirst(m); !s)
        return s.error();
    if (orphanCopyLeft(copyPath))
        return makeError(ErrorKind::Refused,
                         orphanCopyText(path, copyPath) + QStringLiteral("\n記録は消去していません。"));
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

    MaintenanceJournal journal;
    journal.kind = MaintenanceJournal::Kind::Remove;
    journal.recordNumber = recordNumber;
    journal.lengthBefore = before.size();
    journal.copyDigest = copyDigestOf(before);
    Outcome<JournalWriter> began =
        JournalWriter::beginRemoval(m.journalPath(), recordNumber, before.size(), journal.copyDigest);
    if (!began)
        return makeError(
            ErrorKind::WriteFailed,
            QStringLiteral("記録 %1 を消去できませんでした。記録は消去していません。").arg(recordNumber),
            began.error().text());
    JournalWriter& writer = *began;

    // Nothing of the results file was touched yet: the journal and a partial copy go.
    auto failBeforeTouching = [&](const Error& cause) -> Outcome<RemovalResult> {
        QFile::remove(copyPath);
        QFile::remove(m.journalPath());
        return makeError(
            cause.kind == ErrorKind::Refused ? ErrorKind::WriteFailed : kindOf(cause),
            QStringLiteral("成績ファイルのコピー %1 を作れませんでした。記録は消去していません。")
                .arg(shown(copyPath)),
            cause.text());
    };
    if (Status s = m.step(RemovalStep::Begun); !s)
        return failBeforeTouching(s.error());
    if (Status s = writeCopy(copyPath, before); !s)
        return failBeforeTouching(s.error());
    if (Status s = m.step(RemovalStep::Copied); !s)
        return failBeforeTouching(s.error());
    if (Status s = writer.copied(); !s)
        return failBeforeTouching(s.error());
    journal.copied = true;

    qint64 records = 0;
    qint64 appended = 0;
    Status e = m.step(RemovalStep::CopyRecorded);
    if (e)
        e = m.rewrite(journal, writer, before, &records, &appended);
    if (!e && m.shortened()) {
        // The records are right; only the journal could not say so. The next recovery
        // finds nothing left to change and removes it.
        RemovalResult result;
        result.recordsLeft = count - 1;
        result.notice = QStringLiteral("記録は消去しましたが、控え %1 を終えられませんでした（%2）。"
                                       "次に起動したときに片付けます。")
                            .arg(shown(m.journalPath()), e.error().text());
        return result;
    }
    if (!e) {
        // Undo: the file goes back to every record as it was, the same way.
        Status back = writer.rollback();
        if (back) {
            journal.rollback = true;
            if (!journal.rewrite) {
                back = writer.done(); // the file was not touched
                journal.done = back.ok();
            } else {
                back = m.rewrite(journal, writer, before, &records, &appended);
            }
        }
        QString state;
        if (back) {
            (void)m.cleanUp(journal, &before);
            state = QStringLiteral("成績ファイルは消去の前に戻しました。");
        } else {
            state = QStringLiteral(
                        "成績ファイルは途中まで書き換えられています。消去の前のすべての記録（%1 件）は、"
                        "コピー %2 に残っています（控え %3 で確かめられます）。次にプログラムを"
                        "起動したとき、または kazurin2-admin check --repair で直ります。")
                        .arg(count)
                        .arg(shown(copyPath), shown(m.journalPath()));
        }
        return makeError(kindOf(e.error()),
                         QStringLiteral("記録 %1 を消去できませんでした。%2").arg(recordNumber).arg(state),
                         e.error().text());
    }
    RemovalResult result;
    result.recordsLeft = records;
    result.notice = m.cleanUp(journal, &before);
    return result;
}

Outcome<std::optional<QString>> recoverResultsFile(const QString& path, const QString& copyPath,
                                                   const MaintenanceOptions& options) {
    const QString journalPath = maintenanceJournalPath(copyPath);
    if (!QFileInfo::exists(journalPath))
        return std::optional<QString>{};
    SharedFile file;
    if (Status s = openLocked(path, file, options); !s)
        return makeError(s.error().kind,
                         QStringLiteral("途中で止まった記録の消去または変更を直せませんでした。") +
                             s.error().message,
                         s.error().detail);
    Maintenance m(path, copyPath, file, options);
    Outcome<std::optional<QString>> recovered = recoverLocked(m);
    (void)file.unlock();
    (void)file.close();
    return recovered;
}

QList<MaintenanceFinding> inspectMaintenanceLeftovers(const QString& path, const QString& copyPath) {
    QList<MaintenanceFinding> found;
    const QString journalPath = maintenanceJournalPath(copyPath);
    const Outcome<std::optional<MaintenanceJournal>> read = readMaintenanceJournal(journalPath);
    if (!read) {
        found.append({journalPath, read.error().text()});
        return found;
    }
    if (!read.value()) {
        if (QFileInfo::exists(copyPath))
            found.append({copyPath, orphanCopyText(path, copyPath)});
        return found;
    }
    const MaintenanceJournal& journal = **read;
    const QString repair =
        QStringLiteral("プログラムの次の起動、記録の変更の画面、または kazurin2-admin check --repair で");
    if (journal.done) {
        found.append(
            {journalPath,
             QStringLiteral("記録の変更は終わっていますが、控えが残っています。%1削除します").arg(repair)});
        return found;
    }
    if (journal.kind == MaintenanceJournal::Kind::Change) {
        found.append(
            {journalPath, QStringLiteral("記録 %1 の変更が途中で止まっています。%2変更を最後まで行います")
                              .arg(journal.recordNumber)
                              .arg(repair)});
        return found;
    }
    const std::optional<QByteArray> copy = verifiedCopy(journal, copyPath);
    const qint64 copyRecords = journal.lengthBefore / kRecord;
    if (copy) {
        found.append(
            {journalPath,
             QStringLiteral("記録 %1 の消去が途中で止まっています。コピー %2 は控えの検査値と合い、消去の前の"
                            "すべての記録（%3 件）があります。%4%5（その後に記録された成績も残ります）")
                 .arg(journal.recordNumber)
                 .arg(shown(copyPath))
                 .arg(copyRecords)
                 .arg(repair, journal.rollback ? QStringLiteral("成績ファイルを消去の前に戻します")
                                               : QStringLiteral("消去を最後まで行います"))});
    } else if (!journal.rewrite) {
        found.append({journalPath,
                      QStringLiteral("記録 %1 の消去が、成績ファイルを変える前に止まっています。コピー %2 "
                                     "は完全ではありません。成績ファイルは消去の前のままです。%3控えを"
                                     "削除します")
                          .arg(journal.recordNumber)
                          .arg(shown(copyPath), repair)});
    } else {
        found.append({journalPath,
                      QStringLiteral("記録 %1 の消去が途中で止まり、成績ファイルは書きかけです。コピー %2 "
                                     "は控えの検査値と合わないため、完全ではありません。自動では直せま"
                                     "せん。成績ファイル、コピー、控えをそのまま残して、先生が確かめて"
                                     "ください")
                          .arg(journal.recordNumber)
                          .arg(shown(copyPath))});
    }
    return found;
}

QStringList maintenanceNotices(const QString& path, const QString& copyPath,
                               const MaintenanceOptions& options) {
    QStringList notices;
    const Outcome<std::optional<QString>> recovered = recoverResultsFile(path, copyPath, options);
    if (!recovered)
        notices.append(recovered.error().text());
    else if (recovered.value())
        notices.append(**recovered);
    if (orphanCopyLeft(copyPath))
        notices.append(orphanCopyText(path, copyPath));
    return notices;
}

} // namespace kz
