#pragma once

#include "platform/outcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

// The answer log "問題別記録.csv": every judged answer of every recorded attempt, one
// UTF-8 CSV line each, next to the results file. The results file stays the record of
// attempts; this file only tells which products cost the time. An installation that
// does not know it is not disturbed by it, and a failure to write it never touches the
// attempt's record.
//
//   date,time,student,level,question,multiplicand,multiplier,typed,correct,retry,response_ms
//   2004-03-15,14:30:00,17,3,1,14,11,154,1,0,2310
//
// date and time are those of the attempt's record in the results file (so each group of
// lines belongs to one record), question the running number of the answer within the
// attempt, correct and retry 0 or 1, response_ms the time from the question appearing to
// its judgement. All lines of one attempt are appended in one write under the same kind
// of whole-file lock as the results file; a crash in the middle of that write can leave
// a torn last line, which readers skip.
namespace kz {

class Clock;

// One judged answer as the drill reports it.
struct AnsweredQuestion {
    int multiplicand = 0; // 14, 15 or 16
    int multiplier = 0;   // 1..20
    QString typed;        // exactly as typed, possibly empty
    bool correct = false;
    bool retry = false; // asked again after a wrong answer in the same pass
    qint64 responseMs = 0;

    bool operator==(const AnsweredQuestion&) const = default;
};

// One line of the log, as read.
struct AnswerLogLine {
    QDate date;
    QTime time; // whole seconds
    int student = 0;
    int level = 0;
    int question = 0;
    int multiplicand = 0;
    int multiplier = 0;
    QString typed;
    bool correct = false;
    bool retry = false;
    qint64 responseMs = 0;
    qint64 lineNumber = 0; // in the file
};

// The first line of the file.
QByteArray answerLogHeader();
QString answerLogFileName();

// The lines of one attempt, each ending in "\n", numbered from 1 in the order given.
// stamp is the date and time written into the attempt's record.
QByteArray formatAttemptAnswers(const QDateTime& stamp, int student, int level,
                                const QList<AnsweredQuestion>& answers);

struct AnswerLogAppendOptions {
    // Tries of the lock while another station holds it, and the pause between them: the
    // lock is held only for one short write, and the student must never wait for it.
    int lockTries = 10;
    int lockPauseMs = 20;
    std::function<void(int milliseconds)> pause; // default: sleep
};

// Appends bytes (whole lines) under the exclusive whole-file lock, creating the file
// with its header when missing or empty. A torn last line left by an earlier crash is
// first closed with a mark, so it stays one bad line that readers skip instead of
// spoiling the first new one or reading as a whole line. On a failure the file is cut back to its old length
// and the error returned.
Status appendAnswerLines(const QString& path, const QByteArray& lines,
                         const AnswerLogAppendOptions& options = {});

// What a reader keeps.
struct AnswerLogFilter {
    int student = 0;     // 0: every student
    QList<int> students; // when not empty: only these (student is then ignored)
    int level = 0;       // 0: every level
    QDate since;         // invalid: no lower bound on the date
};

// A line that could not be read.
struct AnswerLogProblem {
    qint64 line = 0; // 1-based line number in the file
    QString what;
    bool torn = false; // cut short by an interrupted write (the last line, or closed by a later write)
};

// Unreadable lines kept with their reasons; a log of garbage has one per line, and
// more are only counted.
inline constexpr qsizetype kKeptAnswerLogProblems = 1000;

struct AnswerLogContents {
    std::vector<AnswerLogLine> lines; // the lines that pass the filter, in file order
    // Lines skipped as unreadable, the first kKeptAnswerLogProblems of them. With a
    // single student in the filter, lines that are plainly another student's are passed
    // over unread and never listed here.
    QList<AnswerLogProblem> problems;
    qint64 problemCount = 0;    // every line skipped as unreadable, kept or not
    bool fileMissing = false;   // no log yet: read as empty
    bool headerMissing = false; // the first line is not the header
    qint64 totalLines = 0;      // data lines read (header excluded)
};

// Reads the whole log at once. A missing file is an empty log; a file that cannot be
// read is an error. Malformed lines and a torn last line are skipped and listed.
Outcome<AnswerLogContents> readAnswerLog(const QString& path, const AnswerLogFilter& filter = {});
// The same, handing every line that passes the filter to take, in file order, instead of
// keeping it: a log of any size is read in the memory of one piece (the contents
// returned hold no lines).
using AnswerLineSink = std::function<void(const AnswerLogLine& line)>;
Outcome<AnswerLogContents> readAnswerLog(const QString& path, const AnswerLogFilter& filter,
                                         const AnswerLineSink& take);
// The same over bytes already in memory.
AnswerLogContents parseAnswerLog(const QByteArray& bytes, const AnswerLogFilter& filter = {});

} // namespace kz
