#pragma once

#include "data/resultstore.h"
#include "platform/outcome.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Correcting and removing single records of the results file. Both take the same
// exclusive whole-file lock as the appends of the other stations, so a station that
// finishes an attempt meanwhile waits and its record is kept.
//
// Both can be interrupted at any instant (a station switched off, the program killed)
// and finished later exactly. Before the results file is touched, a journal is written
// beside the copy "成績累積データtemp.dat" (see maintenancejournal.h): for a removal it names the
// record, the file's length and a digest of the copy, which is then written and synced.
// The file is rewritten in place, never replaced, because other stations keep appending
// to it; the journal records each step before it is taken. Whoever finds a journal (the
// program at start-up, the record browser, the companion's check --repair, and every
// change or removal before its own) takes the lock, checks the copy against its digest
// and brings the file to exactly: the copy without the removed record, followed by every
// record appended since the removal began. A copy that does not match its digest is
// never taken for complete.
//
// When a step fails while the program runs, the work is undone the same way (the file
// goes back to the copy's records and whatever was appended since), and the message
// says so. Appending stays as it was: the stations of an older version append as well.
namespace kz {

// Points of a change or removal, after which a test may stop it as if the system had
// failed there (or kill the process).
enum class RemovalStep {
    Begun,           // the journal names the work; nothing else done
    Copied,          // the copy is complete and synced; the journal does not say so yet
    CopyRecorded,    // the journal says the copy is complete; the results file untouched
    RewriteRecorded, // the journal holds what the results file is rewritten to
    Torn,            // only with tearAfterBytes: that much of the rewrite is written
    Rewritten,       // the records are in place and synced, the file not yet shortened
    Marked,          // the journal records the end mark behind the records
    Shortened,       // the file has its final length and is synced
    Finished,        // the journal says done; copy and journal not yet removed
    CopyRemoved,     // the copy is gone, the journal not yet
    ChangeWritten,   // a change: the new record is written and synced
};
QString removalStepName(RemovalStep step); // for tests and helper programs: "Copied", …
std::optional<RemovalStep> removalStepNamed(const QString& name);

struct MaintenanceOptions {
    WaitFunction wait; // while another station holds the lock; default: sleep
    int retryMs = 1000;
    int lockTries = 0; // 0: wait for the lock without limit; else give up (kind Locked)
    // Called after each step; an error stops the work there as a failure of the system
    // would. Empty in the programs.
    std::function<Status(RemovalStep)> checkpoint;
    // For tests: the rewrite writes this many bytes, calls checkpoint(Torn), then the rest.
    qint64 tearAfterBytes = -1;
};

// Record recordNumber (1-based) as it is in the file now; Refused when the file has no
// such record.
Outcome<ResultRecord> readResultAt(const QString& path, qint32 recordNumber);

// Writes replacement over record recordNumber (1-based) under the lock, journalled beside
// copyPath. When expected is given, the record must still hold exactly those bytes;
// otherwise another station has changed or removed records since it was read, and
// nothing is written (kind Refused).
Status correctResult(const QString& path, const QString& copyPath, qint32 recordNumber,
                     const std::optional<ResultRecord>& expected, const ResultRecord& replacement,
                     const MaintenanceOptions& options = {});

struct RemovalResult {
    qint64 recordsLeft = 0; // whole records in the file afterwards
    QString notice;         // set when the records are right but something needs attention
};

// Removes record recordNumber (1-based): records after it move down by one, a partial
// record at the end of the file is dropped. copyPath is "成績累積データtemp.dat" in the
// results file's folder. A copy there without a journal (left by an older version) may
// be the only complete one: the removal is refused (kind Refused) until a teacher has
// looked at it. expected as for correctResult.
Outcome<RemovalResult> removeResult(const QString& path, const QString& copyPath, qint32 recordNumber,
                                    const std::optional<ResultRecord>& expected,
                                    const MaintenanceOptions& options = {});

// Finishes (or, after a failure that was being undone, undoes) a change or removal that
// was interrupted, under the lock. The value is what to tell the teacher, none when there
// was no journal. An error means something was found that cannot be mended safely (a
// copy that does not match its digest after the file was touched, a damaged journal);
// its message says what is there and what is not known to be complete.
Outcome<std::optional<QString>> recoverResultsFile(const QString& path, const QString& copyPath,
                                                   const MaintenanceOptions& options = {});

// Read only: each thing an interrupted change or removal left beside the results file (a
// journal with the state of its copy, a copy without a journal, which an older version
// of the program leaves), as a line for the companion's check.
struct MaintenanceFinding {
    QString path; // the file the line is about
    QString text;
};
QList<MaintenanceFinding> inspectMaintenanceLeftovers(const QString& path, const QString& copyPath);

// What the program tells the teacher at start-up and when the record browser opens:
// recoverResultsFile's notice or error, then what is still left (a copy without journal).
QStringList maintenanceNotices(const QString& path, const QString& copyPath,
                               const MaintenanceOptions& options = {});

} // namespace kz
