#pragma once

#include "data/resultstore.h"
#include "platform/outcome.h"

#include <QString>

#include <functional>
#include <optional>

// Correcting and removing single records of the results file. Both take the same
// exclusive whole-file lock as the appends of the other stations, so a station that
// finishes an attempt meanwhile waits and its record is kept.
//
// A removal never leaves the school without its results: under the lock, the whole
// file is first copied to "成績累積データtemp.dat" beside it; then the records after the
// removed one are written one record number down in place, the file is shortened and
// synced, and only then is the copy deleted (still under the lock, so that another
// station's removal cannot lose its own copy). When anything fails on the way the copy
// stays and the message names it. A copy found later means a removal was interrupted.
namespace kz {

// Points of a removal at which a test may stop it as if the system had failed there.
enum class RemovalStep {
    Copied,    // the copy is complete, the results file untouched
    Rewritten, // the later records moved down, the file not yet shortened
};

struct MaintenanceOptions {
    WaitFunction wait; // while another station holds the lock; default: sleep
    int retryMs = 1000;
    // Called at each step of a removal; an error stops the removal there as a failure
    // of the system would. Empty in the program.
    std::function<Status(RemovalStep)> checkpoint;
};

// Record recordNumber (1-based) as it is in the file now; Refused when the file has no
// such record.
Outcome<ResultRecord> readResultAt(const QString& path, qint32 recordNumber);

// Writes replacement over record recordNumber (1-based) under the lock. When expected
// is given, the record must still hold exactly those bytes; otherwise another
// station has changed or removed records since it was read, and nothing is written
// (kind Refused).
Status correctResult(const QString& path, qint32 recordNumber, const std::optional<ResultRecord>& expected,
                     const ResultRecord& replacement, const MaintenanceOptions& options = {});

struct RemovalResult {
    qint64 recordsLeft = 0; // whole records in the file afterwards
    QString notice;         // set when the records are right but the copy could not be deleted
};

// Removes record recordNumber (1-based): records after it move down by one, a partial
// record at the end of the file is dropped. copyPath is "成績累積データtemp.dat" in the
// results file's folder; an earlier copy there is replaced. expected as for
// correctResult.
Outcome<RemovalResult> removeResult(const QString& path, const QString& copyPath, qint32 recordNumber,
                                    const std::optional<ResultRecord>& expected,
                                    const MaintenanceOptions& options = {});

// A copy left behind by an interrupted removal.
struct LeftoverCopy {
    qint64 copyRecords = 0;    // whole records in the copy
    qint64 copyTailBytes = 0;  // bytes of a partial record at its end
    qint64 resultsRecords = 0; // whole records in the results file (0 when it is missing)
    bool resultsMissing = false;
};

// The copy at copyPath, if there is one. An error only when the copy exists but cannot
// be measured.
Outcome<std::optional<LeftoverCopy>> findLeftoverCopy(const QString& path, const QString& copyPath);

// What the teacher is told about a left-behind copy: where it is, how many records it
// and the results file hold, and that the copy has every record as it was before the
// removal.
QString leftoverCopyNotice(const LeftoverCopy& copy, const QString& path, const QString& copyPath);

} // namespace kz
