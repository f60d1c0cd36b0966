#include "data/maintenancejournal.h"

#include "platform/datafile.h"
#include "platform/filelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QList>

#include <limits>

namespace kz {

namespace {

constexpr int kRecordBytes = 44;
const QByteArray kFormatLine = QByteArrayLiteral("kazurin2-journal 1");

QByteArray checkOf(const QByteArray& entry) {
    return QCryptographicHash::hash(entry, QCryptographicHash::Sha256).toHex().left(8);
}

QByteArray lineOf(const QByteArray& entry) {
    return entry + ' ' + checkOf(entry) + '\n';
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

Error journalError(const QString& path, const Error& cause) {
    return makeError(ErrorKind::WriteFailed,
                     QStringLiteral("記録の変更の控え %1 を書けませんでした。").arg(shown(path)),
                     withMessage(cause, QString()).text(), cause.code);
}

Error malformed(const QString& path, const QString& what) {
    return makeError(ErrorKind::Malformed,
                     QStringLiteral("記録の変更の控え %1 が読めない形です（%2）。").arg(shown(path), what));
}

bool toNumber(const QByteArray& text, qint64* out) {
    bool ok = false;
    *out = text.toLongLong(&ok);
    return ok && *out >= 0;
}

bool isHex(const QByteArray& text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return text.size() % 2 == 0;
}

bool readRecordHex(const QByteArray& text, QByteArray* out) {
    if (text.size() != 2 * kRecordBytes || !isHex(text))
        return false;
    *out = QByteArray::fromHex(text);
    return true;
}

} // namespace

QString maintenanceJournalPath(const QString& copyPath) {
    if (copyPath.endsWith(QStringLiteral(".dat"), Qt::CaseInsensitive))
        return copyPath.left(copyPath.size() - 4) + QStringLiteral(".jnl");
    return copyPath + QStringLiteral(".jnl");
}

QByteArray copyDigestOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

Outcome<std::optional<MaintenanceJournal>> readMaintenanceJournal(const QString& path) {
    const Outcome<QByteArray> read = readDataFile(path, qint64(64) << 20);
    if (!read) {
        if (read.error().kind == ErrorKind::NotFound)
            return std::optional<MaintenanceJournal>{};
        return read.error();
    }
    const QByteArray& bytes = *read;
    MaintenanceJournal journal;
    int lineNumber = 0;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            break; // cut short
        const QByteArray line = bytes.mid(start, end - start);
        const qsizetype space = line.lastIndexOf(' ');
        if (space < 0 || checkOf(line.left(space)) != line.mid(space + 1))
            break; // cut short or damaged: the journal ends before it
        const QList<QByteArray> f = line.left(space).split(' ');
        ++lineNumber;
        bool understood = true;
        if (lineNumber == 1) {
            understood = line.left(space) == kFormatLine;
        } else if (lineNumber == 2) {
            qint64 k = 0;
            if (f.size() == 4 && f[0] == "remove" && toNumber(f[1], &k) &&
                toNumber(f[2], &journal.lengthBefore) && f[3].size() == 64 && isHex(f[3])) {
                journal.kind = MaintenanceJournal::Kind::Remove;
                journal.copyDigest = f[3];
            } else if (f.size() == 4 && f[0] == "change" && toNumber(f[1], &k) &&
                       readRecordHex(f[2], &journal.oldRecord) && readRecordHex(f[3], &journal.newRecord)) {
                journal.kind = MaintenanceJournal::Kind::Change;
            } else {
                understood = false;
            }
            understood = understood && k >= 1 && k <= std::numeric_limits<qint32>::max();
            journal.recordNumber = static_cast<qint32>(k);
        } else if (f.size() == 1 && f[0] == "copied") {
            journal.copied = true;
        } else if (f.size() == 1 && f[0] == "rollback") {
            journal.rollback = true;
        } else if (f.size() == 1 && f[0] == "done") {
            journal.done = true;
        } else if (f.size() == 6 && f[0] == "rewrite") {
            MaintenanceJournal::Rewrite r;
            qint64 number = 0;
            qint64 count = 0;
            understood = toNumber(f[1], &number) && toNumber(f[2], &r.lengthThen) &&
                         toNumber(f[3], &r.target) && toNumber(f[4], &count) &&
                         f[5].size() == count * 2 * kRecordBytes && isHex(f[5]);
            r.number = static_cast<int>(number);
            r.appended = QByteArray::fromHex(f[5]);
            if (understood)
                journal.rewrite = r;
        } else if (f.size() == 2 && f[0] == "marked") {
            qint64 number = 0;
            understood = toNumber(f[1], &number);
            if (understood && journal.rewrite && journal.rewrite->number == number)
                journal.rewrite->marked = true;
        } else {
            understood = false;
        }
        if (!understood)
            return malformed(path, QStringLiteral("%1 行目").arg(lineNumber));
        start = end + 1;
        journal.validBytes = start;
    }
    if (lineNumber < 2)
        return malformed(path, QStringLiteral("始めの行がそろっていません"));
    return std::optional<MaintenanceJournal>(std::move(journal));
}

Outcome<JournalWriter> JournalWriter::beginRemoval(const QString& path, qint32 recordNumber,
                                                   qint64 lengthBefore, const QByteArray& copyDigest) {
    const QByteArray head = lineOf(kFormatLine) + lineOf("remove " + QByteArray::number(recordNumber) + ' ' +
                                                         QByteArray::number(lengthBefore) + ' ' + copyDigest);
    if (QFileInfo::exists(path))
        return journalError(path, makeError(ErrorKind::Refused, QString(), QStringLiteral("すでにあります")));
    if (Status s = writeFileSafely(path, head); !s)
        return journalError(path, s.error());
    return JournalWriter(path, head.size());
}

Outcome<JournalWriter> JournalWriter::beginChange(const QString& path, qint32 recordNumber,
                                                  const QByteArray& oldRecord, const QByteArray& newRecord) {
    const QByteArray head = lineOf(kFormatLine) + lineOf("change " + QByteArray::number(recordNumber) + ' ' +
                                                         oldRecord.toHex() + ' ' + newRecord.toHex());
    if (QFileInfo::exists(path))
        return journalError(path, makeError(ErrorKind::Refused, QString(), QStringLiteral("すでにあります")));
    if (Status s = writeFileSafely(path, head); !s)
        return journalError(path, s.error());
    return JournalWriter(path, head.size());
}

JournalWriter::JournalWriter(const QString& path, const MaintenanceJournal& read)
    : JournalWriter(path, read.validBytes) {}

Status JournalWriter::copied() {
    return add("copied");
}

Status JournalWriter::rewrite(int number, qint64 lengthThen, qint64 target, const QByteArray& appended) {
    return add("rewrite " + QByteArray::number(number) + ' ' + QByteArray::number(lengthThen) + ' ' +
               QByteArray::number(target) + ' ' + QByteArray::number(appended.size() / kRecordBytes) + ' ' +
               appended.toHex());
}

Status JournalWriter::marked(int number) {
    return add("marked " + QByteArray::number(number));
}

Status JournalWriter::rollback() {
    return add("rollback");
}

Status JournalWriter::done() {
    return add("done");
}

Status JournalWriter::add(const QByteArray& entry) {
    const QByteArray line = lineOf(entry);
    SharedFile file;
    Status e = file.open(path_, SharedFile::Mode::ReadWriteCreate);
    if (e)
        e = file.writeAt(end_, line.constData(), line.size());
    if (e)
        e = file.truncate(end_ + line.size());
    if (e)
        e = file.sync();
    if (Status closed = file.close(); e && !closed)
        e = closed;
    if (!e)
        return journalError(path_, e.error());
    end_ += line.size();
    return {};
}

} // namespace kz
