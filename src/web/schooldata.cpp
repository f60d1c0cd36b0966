#include "web/schooldata.h"

#include "core/catalogue.h"
#include "data/oledate.h"
#include "data/resultstore.h"
#include "data/retryrule.h"
#include "platform/clock.h"
#include "platform/filelock.h"
#include "reports/personalreport.h"
#include "web/answerlogtail.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QThread>

namespace kz::web {

namespace {

constexpr qint64 kReadAgainAfterMs = 60000;
constexpr int kRetryPauseMs = 100;
constexpr qint64 kTryAgainAfterFailureMs = 5000;

QByteArray stampText(const FileStamp& s) {
    return QByteArray::number(s.size) + ':' + QByteArray::number(s.modifiedMs) + ';';
}

} // namespace

FileStamp fileStamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return FileStamp{info.size(), info.lastModified().toMSecsSinceEpoch()};
}

SchoolData::SchoolData(Installation installation, const Clock& clock, WaitFunction wait, int giveUpMs)
    : installation_(std::move(installation)), clock_(clock), wait_(std::move(wait)), giveUpMs_(giveUpMs) {
    if (!wait_)
        wait_ = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
}

SchoolData::Stamps SchoolData::currentStamps() const {
    return Stamps{fileStamp(installation_.resultsPath()),
                  fileStamp(installation_.programDataFolder + answerLogFileName()),
                  fileStamp(installation_.rosterPath()), fileStamp(installation_.criteriaPath())};
}

Outcome<std::shared_ptr<const SchoolSnapshot>> SchoolData::snapshot() {
    const Stamps stamps = currentStamps();
    const qint64 nowMs = clock_.monotonicMs();
    const bool fresh = last_ && stamps == lastStamps_ && last_->asOf.date() == clock_.today() &&
                       nowMs - lastReadMs_ < kReadAgainAfterMs;
    if (fresh)
        return last_;
    if (failed_ && stamps == failedStamps_ && nowMs - failedMs_ < kTryAgainAfterFailureMs)
        return *failed_;
    Outcome<std::shared_ptr<const SchoolSnapshot>> read = this->read(stamps);
    if (read) {
        failed_.reset();
        last_ = *read;
        lastStamps_ = stamps;
        lastReadMs_ = clock_.monotonicMs();
        return last_;
    }
    failedStamps_ = stamps;
    failedMs_ = clock_.monotonicMs();
    if (!last_) {
        failed_ = read;
        return read.error();
    }
    // The figures read before stay, saying how old they are.
    auto kept = std::make_shared<SchoolSnapshot>();
    const SchoolSnapshot& old = *last_;
    kept->asOf = old.asOf;
    kept->criteria = old.criteria;
    kept->roster = old.roster;
    *kept->statistics = *old.statistics;
    kept->recent = old.recent;
    kept->firstRecentRecord = old.firstRecentRecord;
    kept->reportRecords = old.reportRecords;
    kept->totalRecords = old.totalRecords;
    kept->lastRecord = old.lastRecord;
    kept->todaysAnswers = old.todaysAnswers;
    kept->notes = QStringList{read.error().text() + QStringLiteral("（%1 に読んだ内容を表示しています）")
                                                        .arg(old.asOf.toString(QStringLiteral("H:mm:ss")))};
    kept->token = old.token + "-kept";
    failed_ = std::shared_ptr<const SchoolSnapshot>(std::move(kept));
    return *failed_;
}

Outcome<std::shared_ptr<const SchoolSnapshot>> SchoolData::read(const Stamps& stamps) {
    ++readings_;
    const Installation& inst = installation_;
    auto snap = std::make_shared<SchoolSnapshot>();
    const QDateTime now = clock_.now();
    snap->asOf = now;

    if (const Outcome<CriteriaLoadResult> r = loadPassCriteria(inst.criteriaPath(), &snap->criteria); !r)
        snap->notes << r.error().text();
    if (const Outcome<RosterLoadResult> r = loadRoster(
            inst.rosterPath(), now.date(), inst.schoolYearStartMonth, inst.flagTwoListed, &snap->roster);
        !r)
        snap->notes << r.error().text();

    // The newest records, retried for a while when another station holds the file.
    RetryRule rule;
    rule.heldWaitMs = kRetryPauseMs;
    rule.giveUpAfterMs = qMax(1, giveUpMs_);
    RetryReport tried;
    Outcome<ResultsWindow> window = retryWhileHeld<ResultsWindow>(
        [&] { return readResultsWindow(inst.resultsPath(), kStatisticsWindow); }, wait_, rule, &tried);
    if (!window)
        return resultsFileError(window.error(), inst.resultsPath(), FileAccess::Read);
    if (const Status s = refreshStatistics(inst.resultsPath(), snap->criteria, now, snap->statistics.get(),
                                           wait_, qMax(1, giveUpMs_ - tried.waitedMs));
        !s)
        return s.error();

    const qint64 count = window->count();
    snap->recent.reserve(static_cast<size_t>(count));
    for (qint64 i = 0; i < count; ++i)
        snap->recent.push_back(decodeResultKeys(window->bytes.constData() + i * ResultRecord::kSize));
    snap->firstRecentRecord = window->firstRecordNumber;
    snap->reportRecords = reportRecords(*window, kLevelCount, now);
    snap->totalRecords = window->totalRecords;
    for (auto it = snap->recent.rbegin(); it != snap->recent.rend(); ++it) {
        if (it->isAttempt()) {
            snap->lastRecord = dateTimeFromOle(it->date, it->time);
            break;
        }
    }

    const QString answerLog = inst.programDataFolder + answerLogFileName();
    if (Outcome<AnswerLogContents> answers = readAnswerLogSince(answerLog, now.date()); answers)
        snap->todaysAnswers = std::move(answers->lines);
    else
        snap->notes << answers.error().text();

    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray(stampText(stamps.results) + stampText(stamps.answers) + stampText(stamps.roster) +
                            stampText(stamps.criteria) + now.date().toString(Qt::ISODate).toLatin1() +
                            snap->notes.join(u'\n').toUtf8()));
    snap->token = hash.result().toHex().left(16);
    return std::shared_ptr<const SchoolSnapshot>(std::move(snap));
}

} // namespace kz::web
