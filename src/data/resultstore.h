#pragma once

#include "data/levels.h"
#include "data/retryrule.h"
#include "platform/filelock.h"
#include "platform/outcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <functional>
#include <vector>

// The results file "成績累積データ.dat": every recorded attempt as one 44-byte record,
// appended under an exclusive whole-file lock by the stations that share the data
// folder. Record k occupies bytes (k - 1) x 44 .. k x 44 - 1; a shorter tail is no
// record and the next append writes over it.
namespace kz {

class Clock;

struct ResultRecord {
    static constexpr int kSize = 44;
    static constexpr int kTextSize = 5;
    static constexpr int kMaxBangou = 5000; // Bangou 1..5000 fit the tables
    using Text5 = std::array<char, kTextSize>;

    double date = 0; // OLE date, whole days
    double time = 0; // OLE time of day, 0 <= time < 1
    qint16 bangou = 0;
    qint16 level = 0;
    qint32 recordedTime = 0; // seconds; 99999 when the time ran out
    Text5 siteCode{' ', ' ', ' ', ' ', ' '};
    Text5 extra1{' ', ' ', ' ', ' ', ' '};
    Text5 extra2{'0', ' ', ' ', ' ', ' '};
    Text5 extra3{0, 0, 0, 0, 0};

    // An attempt: a date that is a number >= 0, Bangou != 0 and level >= 1. Records of
    // zeros (read past the end, or damaged) are none.
    bool isAttempt() const;
    // An attempt whose level (1..35) and Bangou (1..5000) fit the statistics tables;
    // anything else is only possible in a damaged or foreign file and is skipped.
    bool isCountable() const;
    // The site code bytes as text (code page 932), trailing spaces kept.
    QString siteCodeText() const;
    // Five bytes of code page 932, left-justified and padded with spaces; a code that
    // does not fit is cut before the character that would not fit.
    void setSiteCode(QStringView code);
    // date and time from a local moment.
    void stamp(const QDateTime& moment);

    bool operator==(const ResultRecord&) const = default;
};

// The record written for an attempt: date and time of the moment, the text fields as
// every writer of the file fills them.
ResultRecord makeResultRecord(const QDateTime& moment, qint16 bangou, qint16 level, qint32 recordedTime,
                              QStringView siteCode);

// Byte-exact little-endian encoding, independent of the host's layout and byte order.
void encodeResultRecord(const ResultRecord& record, char* out44);
QByteArray encodeResultRecord(const ResultRecord& record);
ResultRecord decodeResultRecord(const char* in44);

// The fields every reader uses, without the text fields (for the statistics loader).
struct ResultKeys {
    double date = 0;
    double time = 0;
    qint16 bangou = 0;
    qint16 level = 0;
    qint32 recordedTime = 0;

    bool isAttempt() const;   // as ResultRecord::isAttempt
    bool isCountable() const; // as ResultRecord::isCountable
};
ResultKeys decodeResultKeys(const char* in44);

// A failure on the results file as the program reports it, whichever reader or writer
// met it: one message for each kind of failure, followed by the file's path, with the
// system's text and number kept as detail.
//   "成績ファイルがありません"      the file or its folder cannot be reached (NotFound)
//   "成績ファイルを読めません"      it cannot be read (Unreadable; Locked when another
//                                   station may hold it, see RetryRule)
//   "成績ファイルに書き込めません"  it cannot be changed (WriteFailed; Locked when
//                                   another station holds its lock)
// The operations wait for a held file first (retryWhileHeld); it is reported only by one
// that stops waiting. The statistics loader that ends the program has messages of its
// own (loadResults).
Error resultsFileError(const Error& cause, const QString& path, FileAccess access);
// The same after waiting that long for the file: the seconds waited go before the
// system's text.
Error resultsFileWaitedError(const Error& cause, const QString& path, int waitedMs);

struct AppendedRecord {
    qint32 recordNumber = 0; // 1-based number the record received
    ResultRecord written;    // as written (date and time stamped when asked)
};

struct AppendOptions {
    WaitFunction wait;                 // default: sleep
    const Clock* stampClock = nullptr; // when set, date and time are taken under the lock
    int retryMs = 1000;
};

// Appends one record at record number (length div 44) + 1 under the exclusive
// whole-file lock, creating the file when missing. While another station may hold the
// file it waits options.retryMs and tries again, without limit (retryWhileHeld). Any other failure
// (folder unreachable, disk full, short write, …) comes back as an error; a failed
// write is undone as far as possible, so a retry appends the record exactly once.
Outcome<AppendedRecord> appendResult(const QString& path, ResultRecord record,
                                     const AppendOptions& options = {});

// Writes a record over record number k (1-based, k <= record count), keeping every
// other record as it is. Used to correct a record.
Status rewriteResult(const QString& path, qint32 recordNumber, const ResultRecord& record);

// A window of the file read in one go: records firstRecordNumber ..
// firstRecordNumber + count - 1 as raw bytes.
struct ResultsWindow {
    QByteArray bytes;             // count x 44 bytes
    qint64 totalRecords = 0;      // file length div 44 when measured
    qint64 tailBytes = 0;         // bytes of a partial record at the end
    qint32 firstRecordNumber = 1; // number of the first record in bytes
    bool fileMissing = false;     // the folder exists but the file does not: read as empty

    qint64 count() const { return bytes.size() / ResultRecord::kSize; }
    ResultRecord record(qint64 i) const {
        return decodeResultRecord(bytes.constData() + i * ResultRecord::kSize);
    }
};

// Steps of a read, for error reports.
enum class ReadStep { Open, Measure, Read };

// Reads the newest maxRecords records (all when maxRecords <= 0) with one seek and one
// read. A missing file in an existing folder reads as empty; a folder that cannot be
// reached is NotFound. Errors as resultsFileError gives them; *failedStep tells where
// an error happened.
// The window's bytes go into buffer, whose storage is reused when it is large enough.
Outcome<ResultsWindow> readResultsWindow(const QString& path, qint64 maxRecords,
                                         ReadStep* failedStep = nullptr, QByteArray buffer = {});

// Reads the newest maxRecords records (all when maxRecords <= 0) as readResultsWindow
// does. In the program this is the run's operation, which waits while another station
// holds the file; the companion reads the file itself (resultsFileReader).
using NewestResultsReader = std::function<Outcome<ResultsWindow>(qint64 maxRecords)>;
NewestResultsReader resultsFileReader(const QString& path);

// Every record of the file in file order (valid or not), for the companion, the
// reports and the record browser.
struct ResultsFileContents {
    std::vector<ResultRecord> records; // record k at index k - 1
    qint64 tailBytes = 0;
    bool fileMissing = false;
};
Outcome<ResultsFileContents> readAllResults(const QString& path);

} // namespace kz
