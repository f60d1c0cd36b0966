#include "data/statistics.h"

#include "data/oledate.h"
#include "data/points.h"
#include "data/textio.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace kz {

StatisticsTables::StatisticsTables()
    : figures_(static_cast<size_t>(FigureCount) * kLevelSlots * kStudents, 0),
      bestTime_(static_cast<size_t>(kLevelSlots) * kStudents, kNoTime) {
    schoolBestTime_.fill(kNoTime);
}

qint32 StatisticsTables::figure(Figure f, int level, int bangou) const {
    if (!inRange(level, bangou) || f < 0 || f >= FigureCount)
        return 0;
    return figures_[static_cast<size_t>(f) * kLevelSlots * kStudents + index(level, bangou)];
}

void StatisticsTables::add(Figure f, int level, int bangou, qint32 amount) {
    if (!inRange(level, bangou) || f < 0 || f >= FigureCount)
        return;
    figures_[static_cast<size_t>(f) * kLevelSlots * kStudents + index(level, bangou)] += amount;
}

qint32 StatisticsTables::sumOverLevels(Figure f, int bangou) const {
    qint32 sum = 0;
    for (int level = 1; level < kLevelSlots; ++level)
        sum += figure(f, level, bangou);
    return sum;
}

qint32 StatisticsTables::bestTime(int level, int bangou) const {
    return inRange(level, bangou) ? bestTime_[index(level, bangou)] : kNoTime;
}

void StatisticsTables::setBestTime(int level, int bangou, qint32 seconds) {
    if (inRange(level, bangou))
        bestTime_[index(level, bangou)] = seconds;
}

qint32 StatisticsTables::schoolBestTime(int level) const {
    return level >= 1 && level < kLevelSlots ? schoolBestTime_[static_cast<size_t>(level)] : kNoTime;
}

void StatisticsTables::setSchoolBestTime(int level, qint32 seconds) {
    if (level >= 1 && level < kLevelSlots)
        schoolBestTime_[static_cast<size_t>(level)] = seconds;
}

void StatisticsTables::clearFigures() {
    // Zero bytes are zero figures; memset stays fast even in unoptimised builds.
    std::memset(figures_.data(), 0, figures_.size() * sizeof(qint32));
}

void StatisticsTables::clearBestTimes() {
    std::fill(bestTime_.begin(), bestTime_.end(), kNoTime);
    schoolBestTime_.fill(kNoTime);
}

// ---------------------------------------------------------------------------------
// Loading the results and rebuilding the figures

namespace {

constexpr int kSchoolBestLastBangou = 1000;
constexpr int kInUseWaitMs = 1000;
constexpr int kNotFoundWaitMs = 5000;
constexpr int kNotFoundRetries = 4;
constexpr qint32 kCompletedBelow = 6000;

// Progress numbers of the loader, as its error reports show them.
enum LoadProgress { OpeningStep = 3, MeasuringStep = 5, ReadingStep = 7 };

int progressOf(ReadStep step) {
    switch (step) {
    case ReadStep::Open:
        return OpeningStep;
    case ReadStep::Measure:
        return MeasuringStep;
    case ReadStep::Read:
        return ReadingStep;
    }
    return OpeningStep;
}

qint32 saturate(qint64 v) {
    constexpr qint64 lo = std::numeric_limits<qint32>::min();
    constexpr qint64 hi = std::numeric_limits<qint32>::max();
    return static_cast<qint32>(v < lo ? lo : (v > hi ? hi : v));
}

} // namespace

// Direct access to the tables for the one-pass rebuild.
class StatisticsBuilder {
public:
    explicit StatisticsBuilder(StatisticsTables& t) : t_(t) {}
    qint32* figureCell(StatisticsTables::Figure f, size_t cell) {
        return &t_.figures_[static_cast<size_t>(f) * kLevelSlots * StatisticsTables::kStudents + cell];
    }
    qint32& bestTime(size_t cell) { return t_.bestTime_[cell]; }
    static size_t cell(int level, int bangou) { return StatisticsTables::index(level, bangou); }

private:
    StatisticsTables& t_;
};

namespace {

// What the program shows when the load cannot finish (see loadResults).
struct LoadFailure {
    int progress = 0;    // how far the load got: 3 opening, 5 measuring, 7 reading the file
    int number = 0;      // the system's error number
    QString description; // the system's text
    qint32 position = 0; // loaded position of the record being loaded
    ResultRecord record; // the record being loaded (zeros before the first)

    QString notFoundMessage() const {
        const QString sp = QStringLiteral(" ");
        return QStringLiteral("ファイルがありません") + sp + QString::number(progress) + sp + description +
               sp + QString::number(number);
    }
    QString otherMessage() const {
        const QString sp = QStringLiteral(" ");
        const QDate d = dateFromOle(record.date);
        const QString dateText =
            d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString::number(record.date);
        const QString timeText = timeFromOle(record.time).toString(QStringLiteral("H:mm:ss"));
        return QStringLiteral("成績ランダムファイル表示") + sp + QString::number(progress) + sp +
               QString::number(number) + sp + description + sp + QString::number(number) + sp +
               QStringLiteral("/date") + dateText + QStringLiteral("/i=") + QString::number(position) +
               QStringLiteral("/time=") + timeText + QStringLiteral("/name=") + QStringLiteral("/Bangou=") +
               QString::number(record.bangou) + QStringLiteral("/level=") + QString::number(record.level) +
               QStringLiteral("/time=") + QString::number(record.recordedTime) + sp + QStringLiteral("line") +
               QString::number(progress);
    }
};

} // namespace

Status loadResults(const QString& resultsPath, StatisticsTables* tables, const WaitFunction& wait,
                   int giveUpAfterMs) {
    tables->clearBestTimes();
    tables->loaded.clear();

    // The file is read in one go; a read held up by another station is tried again from
    // the start, and so is one whose folder cannot be reached, four times.
    ReadStep step = ReadStep::Open;
    RetryRule rule;
    rule.heldWaitMs = kInUseWaitMs;
    rule.unreachableTries = kNotFoundRetries;
    rule.unreachableWaitMs = kNotFoundWaitMs;
    rule.giveUpAfterMs = giveUpAfterMs;
    RetryReport report;
    Outcome<ResultsWindow> read = retryWhileHeld<ResultsWindow>(
        [&] { return readResultsWindow(resultsPath, kStatisticsWindow, &step); }, wait, rule, &report);
    if (!read) {
        const Error& e = read.error();
        if (report.gaveUp)
            return resultsFileWaitedError(e, resultsPath, report.waitedMs);
        LoadFailure failure;
        failure.progress = progressOf(step);
        failure.number = e.code;
        failure.description = e.detail;
        if (e.kind == ErrorKind::NotFound)
            return makeError(ErrorKind::NotFound, failure.notFoundMessage());
        return makeError(e.kind == ErrorKind::Internal ? ErrorKind::Unreadable : e.kind,
                         failure.otherMessage());
    }
    const ResultsWindow window = std::move(read).value();

    StatisticsBuilder b(*tables);
    const qint64 count = window.count();
    if (tables->loaded.capacity() < kStatisticsWindow)
        tables->loaded.reserve(kStatisticsWindow);
    const char* bytes = window.bytes.constData();
    for (qint64 i = 0; i < count; ++i) {
        const ResultKeys r = decodeResultKeys(bytes + i * ResultRecord::kSize);
        if (!r.isCountable())
            continue;
        qint32& best = b.bestTime(StatisticsBuilder::cell(r.level, r.bangou));
        if (best > r.recordedTime)
            best = r.recordedTime;
        LoadedResult loaded;
        loaded.date = r.date;
        loaded.time = r.time;
        loaded.bangou = r.bangou;
        loaded.level = r.level;
        loaded.recordedTime = r.recordedTime;
        loaded.recordNumber = static_cast<qint32>(window.firstRecordNumber + i);
        tables->loaded.append(loaded);
    }

    for (int level = 1; level < kLevelSlots; ++level) {
        qint32 school = StatisticsTables::kNoTime;
        for (int bangou = 1; bangou <= kSchoolBestLastBangou; ++bangou)
            school = qMin(school, b.bestTime(StatisticsBuilder::cell(level, bangou)));
        tables->setSchoolBestTime(level, school);
    }
    return {};
}

bool withinPeriod(double recordDate, double nowOle, double periodDays) {
    if (!(periodDays > 0))
        return false;
    return recordDate > nowOle - periodDays;
}

qint32 attemptPoints(qint32 recordedTime, int level, const PassCriteriaTable& criteria) {
    if (level < 1 || level >= kLevelSlots)
        return 0;
    return saturate(attemptPoints(recordedTime, criteria.level(level)).gainedPoints);
}

Status refreshStatistics(const QString& resultsPath, const PassCriteriaTable& criteria, const QDateTime& now,
                         StatisticsTables* target, const WaitFunction& wait, int giveUpAfterMs) {
    // Counted into fresh tables and swapped in once the read is complete: a refresh
    // entered again while this one waits for the file finds whole figures, never
    // half-built ones, and cannot count a record twice.
    StatisticsTables fresh;
    StatisticsTables* tables = &fresh;
    if (Status loaded = loadResults(resultsPath, tables, wait, giveUpAfterMs); !loaded)
        return loaded;

    const double nowOle = oleFromDateTime(now);
    const double today = oleFromDate(now.date());
    std::array<double, kLevelSlots> passDays{};
    std::array<double, kLevelSlots> overdoDays{};
    for (int level = 1; level < kLevelSlots; ++level) {
        passDays[static_cast<size_t>(level)] = criteria.level(level).passPeriodDays;
        overdoDays[static_cast<size_t>(level)] = criteria.level(level).overdoPeriodDays;
    }

    StatisticsBuilder b(*tables);
    using F = StatisticsTables::Figure;
    auto bump = [&b](F f, size_t cell, qint64 amount) {
        qint32* c = b.figureCell(f, cell);
        *c = saturate(static_cast<qint64>(*c) + amount);
    };
    for (const LoadedResult& r : std::as_const(tables->loaded)) {
        const int level = r.level;
        const size_t cell = StatisticsBuilder::cell(level, r.bangou);
        const qint32 v = r.recordedTime;
        const bool completed = v < kCompletedBelow;
        const qint32 p = attemptPoints(v, level, criteria);
        if (completed)
            bump(F::TotalAttempts, cell, 1);
        if (withinPeriod(r.date, nowOle, passDays[static_cast<size_t>(level)])) {
            if (completed)
                bump(F::PassPeriodAttempts, cell, 1);
            bump(F::PassPeriodPoints, cell, p);
        }
        if (withinPeriod(r.date, nowOle, overdoDays[static_cast<size_t>(level)])) {
            if (completed)
                bump(F::OverdoPeriodAttempts, cell, 1);
            bump(F::OverdoPeriodPoints, cell, p);
        }
        bump(F::TotalPoints, cell, p);
        if (std::floor(r.date) == today) {
            if (completed)
                bump(F::TodayAttempts, cell, 1);
            bump(F::TodayPoints, cell, p);
        }
    }
    std::swap(*target, fresh);
    return {};
}

} // namespace kz
