#include "data/answerlog.h"

#include "data/levels.h"
#include "platform/filelock.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstring>

namespace kz {

namespace {

constexpr int kFields = 11;
// Ends a torn line when a later write closes it, so that it can never read as a whole
// line (a response time cut from 900 to 9 would) and check still names it.
constexpr char kTornMark[] = ",torn";

QString fileName() {
    return QStringLiteral("問題別記録.csv");
}

Error fileError(ErrorKind kind, const QString& path, const QString& doing, const Error& e) {
    Error error = withMessage(e, QStringLiteral("%1を%2ことができません: %3").arg(fileName(), doing, path));
    error.kind = kind;
    return error;
}

void sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

// A CSV field as written: quoted when it holds a comma or a quote (a typed answer may
// hold a comma).
QByteArray csvBytes(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

// The fields of one line, without copying: views into the line's bytes.
struct Field {
    const char* begin = nullptr;
    const char* end = nullptr;
    bool quoted = false;
};

// Splits a line into exactly kFields fields; false when the count differs or a quote is
// not closed.
bool splitLine(const char* p, const char* end, Field (&fields)[kFields]) {
    int n = 0;
    for (;;) {
        if (n == kFields)
            return false;
        Field& f = fields[n++];
        if (p < end && *p == '"') {
            f.quoted = true;
            f.begin = ++p;
            for (;;) {
                if (p >= end)
                    return false;
                if (*p == '"') {
                    if (p + 1 < end && p[1] == '"') {
                        p += 2;
                        continue;
                    }
                    break;
                }
                ++p;
            }
            f.end = p++;
            if (p < end && *p != ',')
                return false;
        } else {
            f.begin = p;
            const void* comma = std::memchr(p, ',', static_cast<size_t>(end - p));
            p = comma ? static_cast<const char*>(comma) : end;
            f.end = p;
        }
        if (p >= end)
            return n == kFields;
        ++p; // the comma
    }
}

// A whole non-negative decimal number of at most 12 digits.
bool parseNumber(const Field& f, qint64* out) {
    const qint64 length = f.end - f.begin;
    if (f.quoted || length < 1 || length > 12)
        return false;
    qint64 v = 0;
    for (const char* p = f.begin; p < f.end; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + (*p - '0');
    }
    *out = v;
    return true;
}

bool parseInt(const Field& f, int low, int high, int* out) {
    qint64 v = 0;
    if (!parseNumber(f, &v) || v < low || v > high)
        return false;
    *out = static_cast<int>(v);
    return true;
}

// d digits at p.
bool digits(const char* p, int d, int* out) {
    int v = 0;
    for (int i = 0; i < d; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        v = v * 10 + (p[i] - '0');
    }
    *out = v;
    return true;
}

bool parseDate(const Field& f, QDate* out) {
    int y = 0, m = 0, d = 0;
    if (f.quoted || f.end - f.begin != 10 || f.begin[4] != '-' || f.begin[7] != '-' ||
        !digits(f.begin, 4, &y) || !digits(f.begin + 5, 2, &m) || !digits(f.begin + 8, 2, &d))
        return false;
    *out = QDate(y, m, d);
    return out->isValid();
}

bool parseTime(const Field& f, QTime* out) {
    int h = 0, m = 0, s = 0;
    if (f.quoted || f.end - f.begin != 8 || f.begin[2] != ':' || f.begin[5] != ':' ||
        !digits(f.begin, 2, &h) || !digits(f.begin + 3, 2, &m) || !digits(f.begin + 6, 2, &s))
        return false;
    *out = QTime(h, m, s);
    return out->isValid();
}

bool parseFlag(const Field& f, bool* out) {
    if (f.quoted || f.end - f.begin != 1 || (*f.begin != '0' && *f.begin != '1'))
        return false;
    *out = *f.begin == '1';
    return true;
}

QString fieldText(const Field& f) {
    QByteArray bytes(f.begin, f.end - f.begin);
    if (f.quoted)
        bytes.replace("\"\"", "\"");
    return QString::fromUtf8(bytes);
}

// Reads one data line; an empty text when it is good, else what is wrong with it.
// *wanted is false (and the rest of the line unread) when the filter passes it over.
QString parseLine(const char* p, const char* end, const AnswerLogFilter& filter, AnswerLogLine* out,
                  bool* wanted) {
    *wanted = true;
    Field f[kFields];
    if (!splitLine(p, end, f))
        return QStringLiteral("解答の %1 項目がそろっていません").arg(kFields);
    if (!parseInt(f[2], 1, 5000, &out->student))
        return QStringLiteral("番号「%1」が 1～5000 ではありません").arg(fieldText(f[2]));
    if (!parseDate(f[0], &out->date))
        return QStringLiteral("日付「%1」が 2004-03-15 のような日付ではありません").arg(fieldText(f[0]));
    if (!parseTime(f[1], &out->time))
        return QStringLiteral("時刻「%1」が 14:30:00 のような時刻ではありません").arg(fieldText(f[1]));
    if (!parseInt(f[3], 1, kLastSlotLevel, &out->level))
        return QStringLiteral("レベル「%1」が 1～%2 ではありません").arg(fieldText(f[3])).arg(kLastSlotLevel);
    if (!parseInt(f[4], 1, 1000000, &out->question))
        return QStringLiteral("問題番号「%1」が通し番号ではありません").arg(fieldText(f[4]));
    if (!parseInt(f[5], 14, 16, &out->multiplicand))
        return QStringLiteral("かけられる数「%1」が 14～16 ではありません").arg(fieldText(f[5]));
    if (!parseInt(f[6], 1, 20, &out->multiplier))
        return QStringLiteral("かける数「%1」が 1～20 ではありません").arg(fieldText(f[6]));
    if (!parseFlag(f[8], &out->correct))
        return QStringLiteral("正誤「%1」が 0 か 1 ではありません").arg(fieldText(f[8]));
    if (!parseFlag(f[9], &out->retry))
        return QStringLiteral("やり直し「%1」が 0 か 1 ではありません").arg(fieldText(f[9]));
    if (!parseNumber(f[10], &out->responseMs))
        return QStringLiteral("応答時間「%1」がミリ秒の数ではありません").arg(fieldText(f[10]));
    if (!filter.students.isEmpty() ? !filter.students.contains(out->student)
                                   : (filter.student != 0 && out->student != filter.student)) {
        *wanted = false;
        return {};
    }
    if ((filter.level != 0 && out->level != filter.level) ||
        (filter.since.isValid() && out->date < filter.since)) {
        *wanted = false;
        return {};
    }
    out->typed = f[7].end == f[7].begin ? QString() : fieldText(f[7]);
    return {};
}

// Whether the student field of the line is plainly not one the filter keeps, read
// without splitting the line: in a good line the date and time have fixed widths, so
// the student starts at byte 20.
bool passOverQuickly(const char* p, const char* end, const AnswerLogFilter& filter) {
    if (filter.student == 0 || !filter.students.isEmpty())
        return false;
    constexpr qsizetype kStudentAt = 20;
    if (end - p < kStudentAt + 2 || p[10] != ',' || p[19] != ',')
        return false; // not the usual shape: leave it to the full reader
    const char* q = p + kStudentAt;
    int v = 0;
    int digitsRead = 0;
    while (q < end && *q >= '0' && *q <= '9' && digitsRead < 5) {
        v = v * 10 + (*q++ - '0');
        ++digitsRead;
    }
    if (digitsRead == 0 || q >= end || *q != ',')
        return false;
    // A well-formed student of another: nothing more to check for this reader.
    return v != filter.student && v >= 1 && v <= 5000;
}

} // namespace

QByteArray answerLogHeader() {
    return QByteArrayLiteral(
        "date,time,student,level,question,multiplicand,multiplier,typed,correct,retry,response_ms");
}

QString answerLogFileName() {
    return fileName();
}

QByteArray formatAttemptAnswers(const QDateTime& stamp, int student, int level,
                                const QList<AnsweredQuestion>& answers) {
    const QByteArray prefix = stamp.date().toString(Qt::ISODate).toLatin1() + ',' +
                              stamp.time().toString(QStringLiteral("HH:mm:ss")).toLatin1() + ',' +
                              QByteArray::number(student) + ',' + QByteArray::number(level) + ',';
    QByteArray out;
    out.reserve(answers.size() * (prefix.size() + 24));
    int number = 0;
    for (const AnsweredQuestion& a : answers) {
        out += prefix;
        out += QByteArray::number(++number) + ',' + QByteArray::number(a.multiplicand) + ',' +
               QByteArray::number(a.multiplier) + ',' + csvBytes(a.typed) + ',' + (a.correct ? '1' : '0') +
               ',' + (a.retry ? '1' : '0') + ',' + QByteArray::number(qMax<qint64>(0, a.responseMs)) + '\n';
    }
    return out;
}

Status appendAnswerLines(const QString& path, const QByteArray& lines,
                         const AnswerLogAppendOptions& options) {
    if (lines.isEmpty())
        return {};
    const auto pause = options.pause ? options.pause : std::function<void(int)>(sleepMs);
    SharedFile file;
    if (const Status e = file.open(path, SharedFile::Mode::ReadWriteCreate); !e)
        return fileError(e.error().kind == ErrorKind::NotFound ? ErrorKind::NotFound : ErrorKind::WriteFailed,
                         path, QStringLiteral("開く"), e.error());
    for (int tried = 1;; ++tried) {
        const Status e = file.tryLockExclusive();
        if (e)
            break;
        if (e.error().kind != ErrorKind::Locked)
            return fileError(ErrorKind::WriteFailed, path, QStringLiteral("ロックする"), e.error());
        if (tried >= qMax(1, options.lockTries))
            return fileError(ErrorKind::Locked, path, QStringLiteral("ロックする"), e.error());
        pause(options.lockPauseMs);
    }

    const Outcome<qint64> size = file.size();
    if (!size)
        return fileError(ErrorKind::WriteFailed, path, QStringLiteral("調べる"), size.error());
    const qint64 length = *size;
    QByteArray bytes;
    if (length == 0) {
        bytes = answerLogHeader() + '\n';
    } else {
        char last = '\n';
        const Outcome<qint64> got = file.readAt(length - 1, &last, 1);
        if (!got)
            return fileError(ErrorKind::WriteFailed, path, QStringLiteral("読む"), got.error());
        if (*got == 1 && last != '\n')
            bytes = QByteArray(kTornMark) + '\n';
    }
    bytes += lines;
    Status e = file.writeAt(length, bytes.constData(), bytes.size());
    if (e)
        e = file.sync();
    if (!e) {
        (void)file.truncate(length);
        return fileError(ErrorKind::WriteFailed, path, QStringLiteral("書き込む"), e.error());
    }
    (void)file.unlock();
    (void)file.close();
    return {};
}

namespace {

// Counts an unreadable line; keeps it with its reason while there is room.
void addProblem(AnswerLogContents* out, qint64 line, const QString& what, bool torn) {
    ++out->problemCount;
    if (out->problems.size() < kKeptAnswerLogProblems)
        out->problems.append({line, what, torn});
}

// Reads the lines from p to end; a last line without its line end is torn when atEnd,
// else left for the next piece. Returns where the unread rest begins.
const char* parseLines(const char* p, const char* end, bool atEnd, const AnswerLogFilter& filter,
                       const AnswerLineSink& take, qint64* lineNumber, AnswerLogContents* out) {
    const QByteArray& header = answerLogHeader();
    while (p < end) {
        const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
        const bool complete = nl != nullptr;
        if (!complete && !atEnd)
            return p;
        const char* lineEnd = complete ? static_cast<const char*>(nl) : end;
        const char* next = complete ? lineEnd + 1 : end;
        ++*lineNumber;
        const char* textEnd = lineEnd > p && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
        if (*lineNumber == 1) {
            const char* h = p;
            if (textEnd - h >= 3 && std::memcmp(h, "\xEF\xBB\xBF", 3) == 0)
                h += 3;
            if (textEnd - h == header.size() && std::memcmp(h, header.constData(), header.size()) == 0) {
                p = next;
                continue;
            }
            out->headerMissing = true;
        }
        if (textEnd == p) {
            p = next;
            continue; // a blank line holds nothing
        }
        ++out->totalLines;
        if (!complete) {
            // Every line is written with its line end: one without it was cut short.
            addProblem(
                out, *lineNumber,
                QStringLiteral("途切れた行: 最後の行に改行がありません（書き込みが途中で止まりました）"),
                true);
            return end;
        }
        const qsizetype markLength = sizeof(kTornMark) - 1;
        if (textEnd - p >= markLength && std::memcmp(textEnd - markLength, kTornMark, markLength) == 0) {
            addProblem(
                out, *lineNumber,
                QStringLiteral("途切れた行: 書き込みが途中で止まった行です（後の書き込みで閉じられました）"),
                true);
        } else if (!passOverQuickly(p, textEnd, filter)) {
            AnswerLogLine line;
            line.lineNumber = *lineNumber;
            bool wanted = true;
            const QString problem = parseLine(p, textEnd, filter, &line, &wanted);
            if (!problem.isEmpty())
                addProblem(out, *lineNumber, problem, false);
            else if (wanted && take)
                take(line);
            else if (wanted)
                out->lines.push_back(std::move(line));
        }
        p = next;
    }
    return p;
}

Error unreadable(const QString& path, const Error& cause) {
    return makeError(ErrorKind::Unreadable,
                     QStringLiteral("%1を読むことができません: %2").arg(fileName(), path), cause.systemText(),
                     cause.code);
}

} // namespace

AnswerLogContents parseAnswerLog(const QByteArray& bytes, const AnswerLogFilter& filter) {
    AnswerLogContents out;
    qint64 lineNumber = 0;
    parseLines(bytes.constData(), bytes.constData() + bytes.size(), true, filter, {}, &lineNumber, &out);
    return out;
}

Outcome<AnswerLogContents> readAnswerLog(const QString& path, const AnswerLogFilter& filter) {
    return readAnswerLog(path, filter, {});
}

Outcome<AnswerLogContents> readAnswerLog(const QString& path, const AnswerLogFilter& filter,
                                         const AnswerLineSink& take) {
    SharedFile file;
    if (const Status opened = file.open(path, SharedFile::Mode::Read); !opened) {
        if (!QFileInfo::exists(path) && QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
            AnswerLogContents empty;
            empty.fileMissing = true;
            return empty;
        }
        return unreadable(path, opened.error());
    }
    // Read in pieces into one buffer: a school's year is tens of megabytes, and a copy
    // of it all would cost more than reading it. A line cut by a piece's end moves to
    // the front of the buffer for the next piece.
    constexpr qsizetype kPiece = 1 << 20;
    QByteArray buffer(kPiece + 4096, Qt::Uninitialized);
    AnswerLogContents out;
    qint64 lineNumber = 0;
    qsizetype kept = 0;
    qint64 offset = 0;
    for (;;) {
        if (kept == buffer.size())
            buffer.resize(buffer.size() * 2); // a line longer than a piece: garbage, but whole
        const Outcome<qint64> read = file.readAt(offset, buffer.data() + kept, buffer.size() - kept);
        if (!read)
            return unreadable(path, read.error());
        const qint64 got = *read;
        offset += got;
        const bool atEnd = got == 0;
        const char* begin = buffer.constData();
        const char* end = begin + kept + got;
        const char* rest = parseLines(begin, end, atEnd, filter, take, &lineNumber, &out);
        if (atEnd)
            break;
        kept = end - rest;
        std::memmove(buffer.data(), rest, static_cast<size_t>(kept));
    }
    return out;
}

} // namespace kz
