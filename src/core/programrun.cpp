#include "core/programrun.h"

#include "core/answerlogging.h"
#include "core/catalogue.h"
#include "core/season.h"
#include "data/attemptrecording.h"
#include "data/retryrule.h"
#include "data/statistics.h"
#include "platform/clock.h"
#include "platform/randomsource.h"

#include <QThread>

namespace kz {

namespace {

const QString& resultsFile() {
    static const QString name = QStringLiteral("成績ファイル");
    return name;
}
const QString& rosterFile() {
    static const QString name = QStringLiteral("名簿ファイル");
    return name;
}
const QString& criteriaFile() {
    static const QString name = QStringLiteral("合格基準のファイル");
    return name;
}

} // namespace

qint32 recordedTimeFor(bool timedOut, qint32 elapsedSeconds) {
    return timedOut ? StatisticsTables::kNoTime : elapsedSeconds;
}

// Made by the run's FileWaits when given, else a sleep.
class ProgramRun::OperationWait {
public:
    OperationWait(const FileWaits& waits, const QString& file, const QString& path)
        : wait_(waits ? waits(file, path) : nullptr) {}
    WaitFunction function() {
        if (!wait_)
            return [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
        return [this](int ms) { wait_->wait(ms); };
    }

private:
    std::unique_ptr<FileWait> wait_;
};

ProgramRun::ProgramRun(const Clock& clock, FileWaits waits)
    : clock_(clock), waits_(std::move(waits)), state_(std::make_unique<RunState>()) {}

ProgramRun::~ProgramRun() = default;

// --- Start-up

void ProgramRun::prepareRun(RandomSource& random) {
    seedFromClock(random, clock_);
    state_->levelMenu.seasonColour = seasonColour(clock_.today().month());
}

Outcome<QStringList> ProgramRun::resolveInstallation(const QString& executableFolder,
                                                     const SoundProbe& probeSound) {
    return kz::resolveInstallation(executableFolder, *state_, probeSound);
}

// --- Who practises

Outcome<RosterLoadResult> ProgramRun::readRoster() {
    return readRosterInto(&state_->tables.roster);
}

Outcome<RosterLoadResult> ProgramRun::readRosterInto(RosterTables* tables) {
    const Installation& inst = state_->settings.installation;
    const QString path = inst.rosterPath();
    OperationWait wait(waits_, rosterFile(), path);
    return retryWhileHeld<RosterLoadResult>(
        [&] {
            return loadRoster(path, clock_.today(), inst.schoolYearStartMonth, inst.flagTwoListed, tables);
        },
        wait.function());
}

void ProgramRun::setGradeFilter(const QString& filter) {
    state_->levelMenu.handedOverFilter = filter;
}

void ProgramRun::chooseStudent(int bangou) {
    StudentState& student = state_->student;
    const RosterTables& roster = state_->tables.roster;
    student.sessionStartSeconds = static_cast<qint32>(qRound(clock_.secondsSinceMidnight()));
    student.currentBangou = static_cast<qint16>(bangou);
    student.currentName = roster.nameOf(bangou);
    student.currentGradeLabel = roster.gradeLabelOf(bangou);
    buildLevelCatalogue(*state_);
}

// --- The level menu

void ProgramRun::chooseLevel(int level) {
    state_->attempt.currentLevel = static_cast<qint16>(level);
}

void ProgramRun::setFirstVisibleLevel(int level) {
    state_->levelMenu.firstVisibleLevel = static_cast<qint16>(level);
}

// --- Statistics

Status ProgramRun::refreshStatistics() {
    TablesState& tables = state_->tables;
    // A refresh asked for while one waits for the file starts no second count: the
    // running one brings the figures.
    if (tables.statisticsRefreshRunning)
        return {};
    tables.statisticsRefreshRunning = true;
    const QString path = state_->settings.installation.resultsPath();
    Status refreshed;
    {
        OperationWait wait(waits_, resultsFile(), path);
        refreshed =
            kz::refreshStatistics(path, tables.criteria, clock_.now(), &tables.statistics, wait.function());
    }
    tables.statisticsRefreshRunning = false;
    if (!refreshed && statisticsFailure_)
        statisticsFailure_(refreshed.error());
    return refreshed;
}

void ProgramRun::setStatisticsFailureHandler(std::function<void(const Error& error)> handler) {
    statisticsFailure_ = std::move(handler);
}

// --- One attempt

void ProgramRun::startAttempt() {
    AttemptState& attempt = state_->attempt;
    attempt.elapsedSeconds = 0;
    attempt.timedOut = false;
    attempt.recordingStarted = false;
    attempt.recordedTime = 0;
    attempt.clearedBefore = false;
    attempt.newPersonalBest = false;
    attempt.newSchoolBest = false;
    attempt.attemptAnswers.clear();
}

void ProgramRun::recordAnswer(const AnsweredQuestion& answer) {
    state_->attempt.attemptAnswers.append(answer);
}

bool ProgramRun::endAttempt(bool timedOut, qint32 elapsedSeconds) {
    AttemptState& attempt = state_->attempt;
    if (attempt.recordingStarted)
        return false;
    attempt.recordingStarted = true;
    attempt.elapsedSeconds = elapsedSeconds;
    attempt.timedOut = timedOut;
    attempt.recordedTime = recordedTimeFor(timedOut, elapsedSeconds);
    return true;
}

Status ProgramRun::recordEndedAttempt() {
    RunState& state = *state_;
    const Installation& inst = state.settings.installation;
    AttemptToRecord attempt;
    attempt.bangou = state.student.currentBangou;
    attempt.level = state.attempt.currentLevel;
    attempt.recordedTime = state.attempt.recordedTime;
    attempt.siteCode = inst.siteCode;
    const QString path = inst.resultsPath();
    Outcome<RecordedAttempt> recorded = [&] {
        OperationWait wait(waits_, resultsFile(), path);
        return recordAttempt(path, attempt, state.tables.criteria, &state.tables.statistics, clock_,
                             wait.function());
    }();
    if (!recorded)
        return recorded.error();
    (void)logAttemptAnswers(state.attempt, inst.programDataFolder + answerLogFileName(),
                            recorded->append.written);
    state.attempt.clearedBefore = recorded->judgement.clearedBefore;
    state.attempt.newPersonalBest = recorded->judgement.newPersonalBest;
    state.attempt.newSchoolBest = recorded->judgement.newSchoolBest;
    return {};
}

// --- The results file

Outcome<ResultsWindow> ProgramRun::readNewestResults(qint64 count) {
    const QString path = state_->settings.installation.resultsPath();
    OperationWait wait(waits_, resultsFile(), path);
    return retryWhileHeld<ResultsWindow>([&] { return readResultsWindow(path, count); }, wait.function());
}

NewestResultsReader ProgramRun::newestResultsReader() {
    return [this](qint64 count) { return readNewestResults(count); };
}

Outcome<ResultsFileContents> ProgramRun::readAllRecords() {
    const QString path = state_->settings.installation.resultsPath();
    OperationWait wait(waits_, resultsFile(), path);
    return retryWhileHeld<ResultsFileContents>([&] { return readAllResults(path); }, wait.function());
}

// --- The pass criteria

Outcome<CriteriaLoadResult> ProgramRun::readCriteria(PassCriteriaTable* table) {
    const QString path = state_->settings.installation.criteriaPath();
    OperationWait wait(waits_, criteriaFile(), path);
    return retryWhileHeld<CriteriaLoadResult>([&] { return loadPassCriteria(path, table); }, wait.function());
}

Status ProgramRun::saveCriteria(const QList<std::array<QString, 12>>& rows) {
    const QString path = state_->settings.installation.criteriaPath();
    OperationWait wait(waits_, criteriaFile(), path);
    if (const Status saved = retryWhileHeld([&] { return savePassCriteria(path, rows); }, wait.function());
        !saved)
        return makeError(ErrorKind::WriteFailed, QStringLiteral("合格タイムデータを記録できませんでした。"),
                         saved.error().text());
    const Outcome<CriteriaLoadResult> reloaded = retryWhileHeld<CriteriaLoadResult>(
        [&] { return loadPassCriteria(path, &state_->tables.criteria); }, wait.function());
    if (!reloaded)
        return makeError(ErrorKind::Unreadable,
                         QStringLiteral("合格タイムデータは記録しましたが、読み直せませんでした。"),
                         reloaded.error().text());
    return {};
}

// --- The record browser

Outcome<ResultRecord> ProgramRun::readRecord(qint32 recordNumber) {
    const QString path = state_->settings.installation.resultsPath();
    OperationWait wait(waits_, resultsFile(), path);
    return retryWhileHeld<ResultRecord>([&] { return readResultAt(path, recordNumber); }, wait.function());
}

Status ProgramRun::changeRecord(qint32 recordNumber, const ResultRecord& expected,
                                const ResultRecord& replacement) {
    const Installation& inst = state_->settings.installation;
    OperationWait wait(waits_, resultsFile(), inst.resultsPath());
    MaintenanceOptions options;
    options.wait = wait.function();
    return correctResult(inst.resultsPath(), inst.resultsTempPath(), recordNumber, expected, replacement,
                         options);
}

Outcome<RemovalResult> ProgramRun::removeRecord(qint32 recordNumber, const ResultRecord& expected) {
    const Installation& inst = state_->settings.installation;
    OperationWait wait(waits_, resultsFile(), inst.resultsPath());
    MaintenanceOptions options;
    options.wait = wait.function();
    return removeResult(inst.resultsPath(), inst.resultsTempPath(), recordNumber, expected, options);
}

QStringList ProgramRun::finishInterruptedMaintenance() {
    const Installation& inst = state_->settings.installation;
    OperationWait wait(waits_, resultsFile(), inst.resultsPath());
    MaintenanceOptions options;
    options.wait = wait.function();
    return maintenanceNotices(inst.resultsPath(), inst.resultsTempPath(), options);
}

} // namespace kz
