#include "data/resultstore.h"

#include "data/oledate.h"
#include "data/textio.h"
#include "platform/clock.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

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

void defaultWait(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

bool folderExists(const QString& path) {
    return QFileInfo(QFileInfo(path).absolutePath()).isDir();
}

ResultsFileError failure(const FileError& error, const QString& path, const QString& operation) {
    ResultsFileError f;
    f.error = error;
    f.path = path;
    f.operation = operation;
    return f;
}

// An open that fails because the file or its folder is missing: the folder decides.
FileError classifyMissing(const FileError& error, const QString& path, bool* fileMissing) {
    *fileMissing = false;
    if (error.kind == FileError::NotFound && folderExists(path) && !QFileInfo::exists(path)) {
        *fileMissing = true;
        return {};
    }
    return error;
}

} // namespace

bool ResultKeys::isAttempt() const {
    return std::isfinite(date) && date >= 0 && bangou != 0 && level >= 1;
}

bool ResultKeys::isCountable() const {
    return isAttempt() && level <= ResultRecord::kLevels && bangou >= 1 && bangou <= ResultRecord::kMaxBangou;
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
        QByteArray bytes;
        if (!encodeCp932(code.mid(i, len).toString(), &bytes) || bytes.isEmpty())
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

QString ResultsFileError::message() const {
    if (ok())
        return {};
    QString reason = error.description;
    if (error.number != 0)
        reason += QStringLiteral(" (%1)").arg(error.number);
    return QStringLiteral("成績ファイルを%1ことができません。\n%2\n%3")
        .arg(operation, QDir::toNativeSeparators(path), reason);
}

AppendOutcome appendResult(const QString& path, ResultRecord record, const AppendOptions& options) {
    const WaitFunction wait = options.wait ? options.wait : WaitFunction(defaultWait);
    AppendOutcome outcome;
    SharedFile file;
    for (;;) {
        if (const FileError e = file.open(path, SharedFile::Mode::ReadWriteCreate); !e.ok()) {
            if (e.kind == FileError::InUse) {
                wait(options.retryMs);
                continue;
            }
            outcome.failure = failure(e, path, QStringLiteral("開く"));
            return outcome;
        }
        const FileError e = file.tryLockExclusive();
        if (e.ok())
            break;
        file.close();
        if (e.kind != FileError::InUse) {
            outcome.failure = failure(e, path, QStringLiteral("ロックする"));
            return outcome;
        }
        wait(options.retryMs);
    }

    qint64 length = 0;
    if (const FileError e = file.size(&length); !e.ok()) {
        file.close();
        outcome.failure = failure(e, path, QStringLiteral("調べる"));
        return outcome;
    }
    const qint64 recordIndex = length / ResultRecord::kSize;
    if (recordIndex >= std::numeric_limits<qint32>::max()) {
        file.close();
        FileError full;
        full.kind = FileError::Other;
        full.description = QStringLiteral("record numbers exhausted");
        outcome.failure = failure(full, path, QStringLiteral("書き込む"));
        return outcome;
    }
    if (options.stampClock)
        record.stamp(options.stampClock->now());
    char bytes[ResultRecord::kSize];
    encodeResultRecord(record, bytes);
    FileError e = file.writeAt(recordIndex * ResultRecord::kSize, bytes, ResultRecord::kSize);
    if (e.ok())
        e = file.sync();
    if (!e.ok()) {
        // Leave the file as it was, so that a retry appends the record once.
        (void)file.truncate(length);
        file.close();
        outcome.failure = failure(e, path, QStringLiteral("書き込む"));
        return outcome;
    }
    (void)file.unlock();
    // The record is on the storage now: an error that only closing reports must not
    // make the caller record the attempt a second time.
    (void)file.close();
    outcome.ok = true;
    outcome.recordNumber = static_cast<qint32>(recordIndex + 1);
    outcome.written = record;
    return outcome;
}

ResultsFileError rewriteResult(const QString& path, qint32 recordNumber, const ResultRecord& record) {
    SharedFile file;
    if (const FileError e = file.open(path, SharedFile::Mode::ReadWriteCreate); !e.ok())
        return failure(e, path, QStringLiteral("開く"));
    qint64 length = 0;
    if (const FileError e = file.size(&length); !e.ok())
        return failure(e, path, QStringLiteral("調べる"));
    if (recordNumber < 1 || recordNumber > length / ResultRecord::kSize) {
        FileError e;
        e.kind = FileError::Other;
        e.description = QStringLiteral("record %1 does not exist").arg(recordNumber);
        return failure(e, path, QStringLiteral("書き込む"));
    }
    char bytes[ResultRecord::kSize];
    encodeResultRecord(record, bytes);
    if (const FileError e =
            file.writeAt(qint64(recordNumber - 1) * ResultRecord::kSize, bytes, ResultRecord::kSize);
        !e.ok())
        return failure(e, path, QStringLiteral("書き込む"));
    if (const FileError e = file.close(); !e.ok())
        return failure(e, path, QStringLiteral("書き込む"));
    return {};
}

ResultsFileError readResultsWindow(const QString& path, qint64 maxRecords, ResultsWindow* out,
                                   ReadStep* failedStep) {
    *out = ResultsWindow{};
    auto fail = [&](ReadStep step, const FileError& e, const QString& operation) {
        if (failedStep)
            *failedStep = step;
        return failure(e, path, operation);
    };
    SharedFile file;
    if (FileError e = file.open(path, SharedFile::Mode::Read); !e.ok()) {
        e = classifyMissing(e, path, &out->fileMissing);
        if (e.ok())
            return {};
        return fail(ReadStep::Open, e, QStringLiteral("開く"));
    }
    qint64 length = 0;
    if (const FileError e = file.size(&length); !e.ok())
        return fail(ReadStep::Measure, e, QStringLiteral("調べる"));
    const qint64 n = length / ResultRecord::kSize;
    out->totalRecords = n;
    out->tailBytes = length - n * ResultRecord::kSize;
    const qint64 start = maxRecords > 0 && n > maxRecords ? n - maxRecords : 0;
    const qint64 count = n - start;
    out->firstRecordNumber = static_cast<qint32>(qMin<qint64>(start + 1, std::numeric_limits<qint32>::max()));
    if (count > 0) {
        out->bytes.resize(count * ResultRecord::kSize);
        qint64 got = 0;
        if (const FileError e =
                file.readAt(start * ResultRecord::kSize, out->bytes.data(), out->bytes.size(), &got);
            !e.ok()) {
            out->bytes.clear();
            return fail(ReadStep::Read, e, QStringLiteral("読む"));
        }
        // The file may have been shortened meanwhile: keep whole records only.
        out->bytes.truncate(got - got % ResultRecord::kSize);
    }
    if (const FileError e = file.close(); !e.ok())
        return fail(ReadStep::Read, e, QStringLiteral("読む"));
    return {};
}

ResultsFileError readAllResults(const QString& path, ResultsFileContents* out) {
    *out = ResultsFileContents{};
    ResultsWindow window;
    const ResultsFileError e = readResultsWindow(path, 0, &window);
    if (!e.ok())
        return e;
    out->tailBytes = window.count() == window.totalRecords ? window.tailBytes : 0;
    out->fileMissing = window.fileMissing;
    out->records.reserve(static_cast<size_t>(window.count()));
    for (qint64 i = 0; i < window.count(); ++i)
        out->records.push_back(window.record(i));
    return {};
}

} // namespace kz
