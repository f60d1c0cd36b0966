#pragma once

#include "core/installation.h"
#include "data/answerlog.h"
#include "data/passcriteria.h"
#include "data/resultstore.h"
#include "data/roster.h"
#include "data/statistics.h"
#include "platform/outcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace kz {
class Clock;
}

// What the teachers' web pages are built from: the installation's files read once and
// kept until one of them changes. Only reads: nothing is ever written, no file is locked,
// and a results file in use is retried for a bounded time only, so a station's append
// never waits for the pages.
namespace kz::web {

// What tells that a file changed without reading it: its size and modification time
// (size -1: missing).
struct FileStamp {
    qint64 size = -1;
    qint64 modifiedMs = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp fileStamp(const QString& path);

struct SchoolSnapshot {
    QDateTime asOf; // the statistics count as of this moment
    PassCriteriaTable criteria;
    RosterTables roster;
    std::unique_ptr<StatisticsTables> statistics = std::make_unique<StatisticsTables>();
    std::vector<ResultKeys> recent;           // the newest 20000 records of the results file, in file order
    qint32 firstRecentRecord = 1;             // record number of recent[0]
    std::vector<ResultKeys> reportRecords;    // what the personal reports and histories take into account
    qint64 totalRecords = 0;                  // whole records in the results file
    QDateTime lastRecord;                     // date and time of the newest record; invalid without attempts
    std::vector<AnswerLogLine> todaysAnswers; // the answer log's lines dated today
    QStringList notes;                        // what could not be read, to be shown beside the figures
    QByteArray token;                         // changes whenever a page may show something else
};

class SchoolData {
public:
    // wait is called while the results file is in use (default: sleep); giveUpMs bounds
    // the waiting of one rebuild.
    SchoolData(Installation installation, const Clock& clock, WaitFunction wait = {}, int giveUpMs = 2000);

    const Installation& installation() const { return installation_; }

    // The figures as of now. They are read again when a data file has changed, the day has
    // turned or the last reading is a minute old. When reading fails, the last figures
    // stay with a note saying so; without any, the error comes back. A failed reading is
    // tried again once the files change, or after a few seconds: a file that stays in use
    // does not keep every request waiting.
    Outcome<std::shared_ptr<const SchoolSnapshot>> snapshot();

    // How often the files were read (for tests and measurements).
    int readings() const { return readings_; }

private:
    struct Stamps {
        FileStamp results;
        FileStamp answers;
        FileStamp roster;
        FileStamp criteria;
        bool operator==(const Stamps&) const = default;
    };
    Stamps currentStamps() const;
    Outcome<std::shared_ptr<const SchoolSnapshot>> read(const Stamps& stamps);

    Installation installation_;
    const Clock& clock_;
    WaitFunction wait_;
    int giveUpMs_;
    std::shared_ptr<const SchoolSnapshot> last_;
    Stamps lastStamps_;
    qint64 lastReadMs_ = 0;
    // The last failed reading: what it left to show, for which files, when.
    std::optional<Outcome<std::shared_ptr<const SchoolSnapshot>>> failed_;
    Stamps failedStamps_;
    qint64 failedMs_ = 0;
    int readings_ = 0;
};

} // namespace kz::web
