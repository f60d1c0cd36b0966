#pragma once

#include "core/installation.h"
#include "core/runstate.h"
#include "data/answerlog.h"
#include "data/passcriteria.h"
#include "data/resultmaintenance.h"
#include "data/resultstore.h"
#include "data/roster.h"
#include "platform/outcome.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace kz {

class Clock;
class RandomSource;

// How one operation waits while another station may hold a shared data file: made when
// the operation begins, told of every wait, and gone when the operation is over. The
// program's keeps the screens alive and, after a few seconds, says on the screen that it
// keeps trying (RetryNotice).
class FileWait {
public:
    FileWait() = default;
    Q_DISABLE_COPY_MOVE(FileWait)
    virtual ~FileWait() = default;
    virtual void wait(int milliseconds) = 0;
};
// The wait of one operation on the file at path; `file` names it for the user
// ("成績ファイル"). Empty, or a null wait: the thread sleeps.
using FileWaits = std::function<std::unique_ptr<FileWait>(const QString& file, const QString& path)>;

// The time written for an attempt: 99999 after a time-out, else the elapsed seconds.
qint32 recordedTimeFor(bool timedOut, qint32 elapsedSeconds);

// One run of the program on a classroom computer: the run state, which nothing else
// changes, and every operation the screens call that changes it or touches a data file
// the stations share. Screens read the state through state(), a const view, so an
// assignment into it does not compile; they call the operations by name.
//
// Every operation on a shared file follows the one rule for such files (retryWhileHeld):
// while another station may hold the file it waits through the run's FileWaits and tries
// again; any other failure comes back as an error whose message is the one of its kind
// (resultsFileError for the results file).
class ProgramRun {
public:
    explicit ProgramRun(const Clock& clock, FileWaits waits = {});
    Q_DISABLE_COPY_MOVE(ProgramRun)
    virtual ~ProgramRun();

    const RunState& state() const { return *state_; }

    // --- Start-up
    // Before the installation is known: the random source seeded from the clock, the
    // season colour of the month.
    void prepareRun(RandomSource& random);
    // Paths, settings, criteria and sounds (resolveInstallation); the notices to tell.
    Outcome<QStringList> resolveInstallation(const QString& executableFolder,
                                             const SoundProbe& probeSound = {});

    // --- Who practises
    // Reads the roster into the run's tables, grades as of today. The roster's own
    // messages tell what went wrong.
    Outcome<RosterLoadResult> readRoster();
    // Reads the roster into tables of the caller's (the record browser lists every entry).
    Outcome<RosterLoadResult> readRosterInto(RosterTables* tables);
    // The grade filter the name screen hands over to the level menu.
    void setGradeFilter(const QString& filter);
    // Makes the student current (number, name, grade label, the start time in whole
    // seconds since midnight) and builds the level catalogue the level menu shows.
    void chooseStudent(int bangou);

    // --- The level menu
    void chooseLevel(int level);
    // The first level column in view, where the next level menu opens.
    void setFirstVisibleLevel(int level);

    // --- Statistics
    // Rebuilds the statistics from the results file as of now (data/statistics.h). A
    // refresh asked for while one waits for the file starts no second one. A failure is
    // told to the handler below (the program tells it and ends) and returned. Tests
    // replace the refresh with one of their own.
    virtual Status refreshStatistics();
    void setStatisticsFailureHandler(std::function<void(const Error& error)> handler);

    // --- One attempt at the chosen level
    // A clean attempt: not ended, no time, no answers, no outcome flags.
    void startAttempt();
    // A judged answer, for the answer log written with the attempt's record.
    void recordAnswer(const AnsweredQuestion& answer);
    // The attempt has ended (the one place that says so: recordingStarted): the time it
    // took and whether it ran out, the recorded time. False, and nothing changed, when it
    // had ended already.
    bool endAttempt(bool timedOut, qint32 elapsedSeconds);
    // Stores the ended attempt for the current student at the current level: the record
    // (date and time taken under the lock), the outcome flags clearedBefore,
    // newPersonalBest and newSchoolBest, the best times lowered in place, then its
    // answers in the answer log (a failure there is the companion's check to report,
    // never the student's to wait for). On a failure nothing is changed and the call may
    // be repeated: the attempt is stored once. Tests replace it with one of their own.
    virtual Status recordEndedAttempt();

    // --- The results file, for the tables and the reports
    // The newest count records (all when count <= 0), as the results tables and the
    // personal reports read them.
    Outcome<ResultsWindow> readNewestResults(qint64 count);
    // The same as a reader for the reports library; it refers to this run.
    NewestResultsReader newestResultsReader();
    // Every record in file order (the criteria editor's distribution, the record browser).
    Outcome<ResultsFileContents> readAllRecords();

    // --- The pass criteria
    // Reads the criteria file into a table of the caller's (the editor's grid).
    Outcome<CriteriaLoadResult> readCriteria(PassCriteriaTable* table);
    // Writes the twelve texts of every level line to the criteria file, then reads it
    // back into the run's table, so that the next attempt uses it. WriteFailed when
    // nothing was written; Unreadable when the file was written but not read back.
    Status saveCriteria(const QList<std::array<QString, 12>>& rows);

    // --- The record browser
    Outcome<ResultRecord> readRecord(qint32 recordNumber);
    // Writes replacement over the record, which must still hold expected (else Refused),
    // journalled beside the copy so that an interruption is finished later.
    Status changeRecord(qint32 recordNumber, const ResultRecord& expected, const ResultRecord& replacement);
    // Removes the record, which must still hold expected (else Refused), through the copy
    // beside the results file.
    Outcome<RemovalResult> removeRecord(qint32 recordNumber, const ResultRecord& expected);
    // Finishes a change or removal that was interrupted (here or on another station)
    // and tells what the teacher should know about it and about a copy an older version
    // left; empty when there was nothing.
    QStringList finishInterruptedMaintenance();

protected:
    const Clock& clock() const { return clock_; }

private:
    // Tests and benchmarks fill the state as their scene needs it (tests/support/runsetup.h).
    friend struct RunStateSetUp;

    // The wait of one operation on a shared file; it lives as long as the operation.
    class OperationWait;

    const Clock& clock_;
    FileWaits waits_;
    std::function<void(const Error&)> statisticsFailure_;
    std::unique_ptr<RunState> state_;
};

} // namespace kz
