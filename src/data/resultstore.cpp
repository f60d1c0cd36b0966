#include "data/resultstore.h"

#include "data/oledate.h"
#include "data/textio.h"
#include "platform/clock.h"

#include <QDir>
#include <QFileInfo>

#include <bit>
#include <cmath>
#include <limits>

namespace kz {

namespace {

void putU64(char* out, quint64 v) {
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>((v >> (8 * i)) & 0xffu));
}
void putU32(char* out, quint32 v) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>((v >> (8 * i)) & 0xffu));
}
void putU16(char* out, quint16 v) {
    out[0] = static_cast<char>(static_cast<unsigned char>(v & 0xffu));
    out[1] = static_cast<char>(static_cast<unsigned char>((v >> 8) & 0xffu));
}
quint64 getU64(const char* in) {
    quint64 v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[i]);
    return v;
}
quint32 getU32(const char* in) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[i]);
    return v;
}
quint16 getU16(const char* in) {
    return static_cast<quint16>(static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8));
}

void putText(char* out, const ResultRecord::Text5& text) {
    for (int i = 0; i < ResultRecord::kTextSize; ++i)
        out[i] = text[static_cast<size_t>(i)];
}
ResultRecord::Text5 getText(const char* in) {
    ResultRecord::Text5 text{};
    for (int i = 0; i < ResultRecord::kTextSize; ++i)
        text[static_cast<size_t>(i)] = in[i];
    return text;
}

bool folderExists(const QString& path) {
    return QFileInfo(QFileInfo(path).absolutePath()).isDir();
}

Error readFailure(const Error& error, const QString& path) {
    return resultsFileError(error, path, FileAccess::Read);
}
Error writeFailure(const Error& error, const QString& path) {
    return resultsFileError(error, path, FileAccess::Write);
}

// An open that fails because the file is missing from a folder that exists.
bool onlyFileMissing(const Error& error, const QString& path) {
    return error.kind == ErrorKind::NotFound && folderExists(path) && !QFileInfo::exists(path);
}

} // namespace

bool ResultKeys::isAttempt() const {
    return std::isfinite(date) && date >= 0 && bangou != 0 && level >= 1;
}

bool ResultKeys::isCountable() const {
    return isAttempt() && level <= kLastSlotLevel && bangou >= 1 && bangou <= ResultRecord::kMaxBangou;
}

bool ResultRecord::isAttempt() const {
    return ResultKeys{date, time, bangou, level, recordedTime}.isAttempt();
}

bool ResultRecord::isCountable() const {
    return ResultKeys{date, time, bangou, level, recordedTime}.isCountable();
}

QString ResultRecord::siteCodeText() const {
    return decodeCp932(QByteArray(siteCode.data(), kTextSize));
}

void ResultRecord::setSiteCode(QStringView code) {
    siteCode.fill(' ');
    size_t used = 0;
    for (qsizetype i = 0; i < code.size();) {
        const qsizetype len = code[i].isHighSurrogate() && i + 1 < code.size() ? 2 : 1;
        QByteArray bytes = encodeCp932(code.mid(i, len).toString()).valueOr(QByteArray());
        if (bytes.isEmpty())
            bytes = QByteArrayLiteral("?");
        if (used + static_cast<size_t>(bytes.size()) > siteCode.size())
            break;
        for (char c : bytes)
            siteCode[used++] = c;
        i += len;
    }
}

void ResultRecord::stamp(const QDateTime& moment) {
    date = oleFromDate(moment.date());
    // Whole seconds, as every station writes them.
    const QTime t = moment.time();
    time = oleFromTime(QTime(t.hour(), t.minute(), t.second()));
}

ResultRecord makeResultRecord(const QDateTime& moment, qint16 bangou, qint16 level, qint32 recordedTime,
                              QStringView siteCode) {
    ResultRecord r;
    r.stamp(moment);
    r.bangou = bangou;
    r.level = level;
    r.recordedTime = recordedTime;
    r.setSiteCode(siteCode);
    return r;
}

void encodeResultRecord(const ResultRecord& r, char* out) {
    putU64(out + 0, std::bit_cast<quint64>(r.date));
    putU64(out + 8, std::bit_cast<quint64>(r.time));
    putU16(out + 16, static_cast<quint16>(r.bangou));
    putU16(out + 18, static_cast<quint16>(r.level));
    putU32(out + 20, static_cast<quint32>(r.recordedTime));
    putText(out + 24, r.siteCode);
    putText(out + 29, r.extra1);
    putText(out + 34, r.extra2);
    putText(out + 39, r.extra3);
}

QByteArray encodeResultRecord(const ResultRecord& record) {
    QByteArray bytes(ResultRecord::kSize, '\0');
    encodeResultRecord(record, bytes.data());
    return bytes;
}

ResultKeys decodeResultKeys(const char* in) {
    ResultKeys k;
    k.date = std::bit_cast<double>(getU64(in + 0));
    k.time = std::bit_cast<double>(getU64(in + 8));
    k.bangou = static_cast<qint16>(getU16(in + 16));
    k.level = static_cast<qint16>(getU16(in + 18));
    k.recordedTime = static_cast<qint32>(getU32(in + 20));
    return k;
}

ResultRecord decodeResultRecord(const char* in) {
    const ResultKeys k = decodeResultKeys(in);
    ResultRecord r;
    r.date = k.date;
    r.time = k.time;
    r.bangou = k.bangou;
    r.level = k.level;
    r.recordedTime = k.recordedTime;
    r.siteCode = getText(in + 24);
    r.extra1 = getText(in + 29);
    r.extra2 = getText(in + 34);
    r.extra3 = getText(in + 39);
    return r;
}

Error resultsFileError(const Error& cause, const QString& path, FileAccess access) {
    // A refused request (a record that is not there) is no failure of the file.
    if (cause.kind == ErrorKind::Refused)
        return cause;
    const QString shown = QDir::toNativeSeparators(path);
    if (cause.kind == ErrorKind::NotFound)
        return withMessage(cause, QStringLiteral("成績ファイルがありません: %1").arg(shown));
    const bool held =
        access == FileAccess::Read ? mayBeHeldByAnotherStation(cause) : cause.kind == ErrorKind::Locked;
    Error e = withMessage(cause, access == FileAccess::Read
                                     ? QStringLiteral("成績ファイルを読めません: %1").arg(shown)
                                     : QStringLiteral("成績ファイルに書き込めません: %1").arg(shown));
    e.kind = held                         ? ErrorKind::Locked
             : access == FileAccess::Read ? ErrorKind::Unreadable
                                          : ErrorKind::WriteFailed;
    return e;
}

Error resultsFileWaitedError(const Error& cause, const QString& path, int waitedMs) {
    Error e = resultsFileError(cause, path, FileAccess::Read);
    const QString waited = QStringLiteral("%1 秒待ちました").arg((waitedMs + 999) / 1000);
    e.detail = e.detail.isEmpty() ? waited : waited + QStringLiteral("。") + e.detail;
    return e;
}

Outcome<AppendedRecord> appendResult(const QString& path, ResultRecord record, const AppendOptions& options) {
    SharedFile file;
    // Opened and locked, or the reason why not; a lock held by another station is waited for.
    RetryRule rule;
    rule.access = FileAccess::Write;
    rule.heldWaitMs = options.retryMs;
    const Status lockedOpen = retryWhileHeld(
        [&]() -> Status {
            if (Status opened = file.open(path, SharedFile::Mode::ReadWriteCreate); !opened)
                return opened;
            Status locked = file.tryLockExclusive();
            if (!locked)
                (void)file.close();
            return locked;
        },
        options.wait, rule);
    if (!lockedOpen)
        return writeFailure(lockedOpen.error(), path);
    const Outcome<qint64> length = file.size();
    if (!length) {
        (void)file.close();
        return writeFailure(length.error(), path);
    }
    const qint64 recordIndex = *length / ResultRecord::kSize;
    if (recordIndex >= std::numeric_limits<qint32>::max()) {
        (void)file.close();
        return writeFailure(makeError(ErrorKind::WriteFailed, QStringLiteral("記録番号が上限に達しました")),
                            path);
    }
    if (options.stampClock)
        record.stamp(options.stampClock->now());
    char bytes[ResultRecord::kSize];
    encodeResultRecord(record, bytes);
    Status written = file.writeAt(recordIndex * ResultRecord::kSize, bytes, ResultRecord::kSize);
    if (written)
        written = file.sync();
    if (!written) {
        // Leave the file as it was, so that a retry appends the record once.
        (void)file.truncate(*length);
        (void)file.close();
        return writeFailure(written.error(), path);
    }
    (void)file.unlock();
    // The record is on the storage now: an error that only closing reports must not
    // make the caller record the attempt a second time.
    (void)file.close();
    return AppendedRecord{static_cast<qint32>(recordIndex + 1), record};
}

Status rewriteResult(const QString& path, qint32 recordNumber, const ResultRecord& record) {
    SharedFile file;
    if (const Status opened = file.open(path, SharedFile::Mode::ReadWriteCreate); !opened)
        return writeFailure(opened.error(), path);
    const Outcome<qint64> length = file.size();
    if (!length)
        return writeFailure(length.error(), path);
    if (recordNumber < 1 || recordNumber > *length / ResultRecord::kSize)
        return makeError(
            ErrorKind::Refused,
            QStringLiteral("記録 %1 はありません: %2").arg(recordNumber).arg(QDir::toNativeSeparators(path)));
    char bytes[ResultRecord::kSize];
    encodeResultRecord(record, bytes);
    if (const Status written =
            file.writeAt(qint64(recordNumber - 1) * ResultRecord::kSize, bytes, ResultRecord::kSize);
        !written)
        return writeFailure(written.error(), path);
    if (const Status closed = file.close(); !closed)
        return writeFailure(closed.error(), path);
    return {};
}

Outcome<ResultsWindow> readResultsWindow(const QString& path, qint64 maxRecords, ReadStep* failedStep,
                                         QByteArray buffer) {
    ResultsWindow out;
    out.bytes = std::move(buffer);
    out.bytes.resize(0);
    auto fail = [&](ReadStep step, const Error& e) {
        if (failedStep)
            *failedStep = step;
        return readFailure(e, path);
    };
    SharedFile file;
    if (const Status opened = file.open(path, SharedFile::Mode::Read); !opened) {
        if (onlyFileMissing(opened.error(), path)) {
            out.fileMissing = true;
            return out;
        }
        return fail(ReadStep::Open, opened.error());
    }
    const Outcome<qint64> length = file.size();
    if (!length)
        return fail(ReadStep::Measure, length.error());
    const qint64 n = *length / ResultRecord::kSize;
    out.totalRecords = n;
    out.tailBytes = *length - n * ResultRecord::kSize;
    const qint64 start = maxRecords > 0 && n > maxRecords ? n - maxRecords : 0;
    const qint64 count = n - start;
    out.firstRecordNumber = static_cast<qint32>(qMin<qint64>(start + 1, std::numeric_limits<qint32>::max()));
    if (count > 0) {
        out.bytes.resize(count * ResultRecord::kSize); // keeps a large enough buffer's storage
        const Outcome<qint64> got =
            file.readAt(start * ResultRecord::kSize, out.bytes.data(), out.bytes.size());
        if (!got)
            return fail(ReadStep::Read, got.error());
        // The file may have been shortened meanwhile: keep whole records only.
        out.bytes.truncate(*got - *got % ResultRecord::kSize);
    }
    if (const Status closed = file.close(); !closed)
        return fail(ReadStep::Read, closed.error());
    return out;
}

NewestResultsReader resultsFileReader(const QString& path) {
    return [path](qint64 maxRecords) { return readResultsWindow(path, maxRecords); };
}

Outcome<ResultsFileContents> readAllResults(const QString& path) {
    const Outcome<ResultsWindow> read = readResultsWindow(path, 0);
    if (!read)
        return read.error();
    const ResultsWindow& window = *read;
    ResultsFileContents out;
    out.tailBytes = window.count() == window.totalRecords ? window.tailBytes : 0;
    out.fileMissing = window.fileMissing;
    out.records.reserve(static_cast<size_t>(window.count()));
    for (qint64 i = 0; i < window.count(); ++i)
        out.records.push_back(window.record(i));
    return out;
}

} // namespace kz
