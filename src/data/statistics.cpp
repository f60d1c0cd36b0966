#include "data/statistics.h"

#include "data/oledate.h"
#include "data/points.h"
#include "data/textio.h"
#include "platform/systemerror.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace kz {

namespace {

enum SlotMark : quint8 { kChangedOutside = 1, kBestToCount = 2 };

constexpr size_t kCells = static_cast<size_t>(kLevelSlots) * StatisticsTables::kStudents;

} // namespace

StatisticsTables::StatisticsTables() : slotOfCell_(kCells, 0) {
    schoolBestTime_.fill(kNoTime);
}

qint32 StatisticsTables::figure(Figure f, int level, int bangou) const {
    if (!inRange(level, bangou) || f < 0 || f >= FigureCount)
        return 0;
    const Slot* slot = findSlot(index(level, bangou));
    return slot ? slot->figures[static_cast<size_t>(f)] : 0;
}

StatisticsTables::Slot& StatisticsTables::slotOf(size_t cell, bool fromOutside) {
    quint32& i = slotOfCell_[cell];
    if (!i) {
        if (slots_.capacity() < static_cast<size_t>(kStatisticsWindow))
            slots_.reserve(static_cast<size_t>(kStatisticsWindow));
        slots_.emplace_back();
        slots_.back().cell = static_cast<quint32>(cell);
        i = static_cast<quint32>(slots_.size());
    }
    Slot& slot = slots_[i - 1];
    if (fromOutside) {
        changedLevel(cell);
        if (!(slot.marks & kChangedOutside))
            changedOutside_.push_back(static_cast<quint32>(cell));
        slot.marks |= kChangedOutside;
    }
    return slot;
}

void StatisticsTables::add(Figure f, int level, int bangou, qint32 amount) {
    if (!inRange(level, bangou) || f < 0 || f >= FigureCount)
        return;
    slotOf(index(level, bangou), true).figures[static_cast<size_t>(f)] += amount;
}

qint32 StatisticsTables::sumOverLevels(Figure f, int bangou) const {
    if (bangou < 1 || bangou >= kStudents || f < 0 || f >= FigureCount)
        return 0;
    qint32 sum = 0;
    for (int level = 1; level < kLevelSlots; ++level)
        if (const Slot* slot = findSlot(index(level, bangou)))
            sum += slot->figures[static_cast<size_t>(f)];
    return sum;
}

qint32 StatisticsTables::bestTime(int level, int bangou) const {
    if (!inRange(level, bangou))
        return kNoTime;
    const Slot* slot = findSlot(index(level, bangou));
    return slot ? slot->bestTime : kNoTime;
}

void StatisticsTables::setBestTime(int level, int bangou, qint32 seconds) {
    if (inRange(level, bangou))
        slotOf(index(level, bangou), true).bestTime = seconds;
}

qint32 StatisticsTables::schoolBestTime(int level) const {
    return level >= 1 && level < kLevelSlots ? schoolBestTime_[static_cast<size_t>(level)] : kNoTime;
}

void StatisticsTables::setSchoolBestTime(int level, qint32 seconds) {
    if (level >= 1 && level < kLevelSlots) {
        if (schoolBestTime_[static_cast<size_t>(level)] != seconds)
            ++generation_;
        schoolBestTime_[static_cast<size_t>(level)] = seconds;
    }
}

void StatisticsTables::clearFigures() {
    for (Slot& slot : slots_)
        slot.figures.fill(0);
    basisValid_ = false;
    changedEveryLevel();
}

void StatisticsTables::clearBestTimes() {
    for (Slot& slot : slots_)
        slot.bestTime = kNoTime;
    schoolBestTime_.fill(kNoTime);
    basisValid_ = false;
    changedEveryLevel();
}

// ---------------------------------------------------------------------------------
// Loading the results and rebuilding the figures

class FigureCounter;

// Direct access to the tables for the counting.
class StatisticsBuilder {
public:
    explicit StatisticsBuilder(StatisticsTables& t) : t_(t) {}
    qint32* figures(size_t cell) { return t_.slotOf(cell, false).figures.data(); }
    qint32& bestTime(size_t cell) { return t_.slotOf(cell, false).bestTime; }
    static size_t cell(int level, int bangou) { return StatisticsTables::index(level, bangou); }
    quint8& marks(size_t cell) { return t_.slotOf(cell, false).marks; }

    // No cell holds anything (zeros and 99999 everywhere); no loaded records.
    void clearCounted() {
        t_.changedEveryLevel();
        for (const StatisticsTables::Slot& slot : t_.slots_)
            t_.slotOfCell_[slot.cell] = 0;
        t_.slots_.clear();
        t_.changedOutside_.clear();
        t_.loaded.clear();
    }
    void touch(size_t cell) { (void)t_.slotOf(cell, false); }
    void changedLevel(size_t cell) { t_.changedLevel(cell); }
    void schoolBestsFromBestTimes();

    // Counts the window read into the tables: only the records that joined or left it
    // when it continues the window counted last with the same criteria on the same day,
    // else every record afresh. The window's bytes are kept for the next refresh.
    void countWindow(ResultsWindow& window, const PassCriteriaTable& criteria, const QDateTime& now);
    // Whether the window continued the one counted; then it has been counted in.
    bool countAppended(const ResultsWindow& window, FigureCounter& counter);
    // The next refresh counts afresh.
    void forgetBasis();
    // Storage for the next read.
    QByteArray takeReadBuffer() { return std::move(t_.readBuffer_); }

    // The figures and best times of the cells changed from outside since the last
    // refresh, counted again from the loaded records.
    void recountChangedCells(const std::function<void(const LoadedResult&, int sign)>& count);
    // The best times of the cells marked kBestToCount, from the loaded records.
    void recountMarkedBestTimes(std::vector<quint32>& cells);

    StatisticsTables& tables() { return t_; }

private:
    StatisticsTables& t_;
};

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

LoadedResult loadedFrom(const ResultKeys& r, qint32 recordNumber) {
    LoadedResult loaded;
    loaded.date = r.date;
    loaded.time = r.time;
    loaded.bangou = r.bangou;
    loaded.level = r.level;
    loaded.recordedTime = r.recordedTime;
    loaded.recordNumber = recordNumber;
    return loaded;
}

} // namespace

void StatisticsBuilder::schoolBestsFromBestTimes() {
    for (int level = 1; level < kLevelSlots; ++level) {
        qint32 school = StatisticsTables::kNoTime;
        for (int b = 1; b <= kSchoolBestLastBangou; ++b)
            if (const StatisticsTables::Slot* slot = t_.findSlot(cell(level, b)))
                school = qMin(school, slot->bestTime);
        t_.setSchoolBestTime(level, school);
    }
}

void StatisticsBuilder::recountChangedCells(const std::function<void(const LoadedResult&, int sign)>& count) {
    if (t_.changedOutside_.empty())
        return;
    for (const quint32 c : t_.changedOutside_) {
        StatisticsTables::Slot& slot = t_.slotOf(c, false);
        slot.figures.fill(0);
        slot.bestTime = StatisticsTables::kNoTime;
    }
    for (const LoadedResult& r : std::as_const(t_.loaded)) {
        const size_t c = cell(r.level, r.bangou);
        if (marks(c) & kChangedOutside) {
            count(r, 1);
            bestTime(c) = qMin(bestTime(c), r.recordedTime);
        }
    }
    for (const quint32 c : t_.changedOutside_)
        marks(c) &= static_cast<quint8>(~kChangedOutside);
    t_.changedOutside_.clear();
}

void StatisticsBuilder::recountMarkedBestTimes(std::vector<quint32>& cells) {
    if (cells.empty())
        return;
    for (const quint32 c : cells)
        bestTime(c) = StatisticsTables::kNoTime;
    for (const LoadedResult& r : std::as_const(t_.loaded)) {
        const size_t c = cell(r.level, r.bangou);
        if (marks(c) & kBestToCount)
            bestTime(c) = qMin(bestTime(c), r.recordedTime);
    }
    for (const quint32 c : cells)
        marks(c) &= static_cast<quint8>(~kBestToCount);
    cells.clear();
}

namespace {

// What the program shows when the load cannot finish (see loadResults).
struct LoadFailure {
    int progress = 0;    // how far the load got: 3 opening, 5 measuring, 7 reading the file
    int number = 0;      // the system's error number
    QString description; // what the system said, with its advice when it gave a number
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

namespace {

// Reads the window of the newest records into buffer's storage, waiting while the file
// is held or cannot be reached; an error carries the loader's message.
Outcome<ResultsWindow> readStatisticsWindow(const QString& resultsPath, const WaitFunction& wait,
                                            int giveUpAfterMs, QByteArray buffer) {
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
        [&] { return readResultsWindow(resultsPath, kStatisticsWindow, &step, std::move(buffer)); }, wait,
        rule, &report);
    if (read)
        return read;
    const Error& e = read.error();
    if (report.gaveUp)
        return resultsFileWaitedError(e, resultsPath, report.waitedMs);
    LoadFailure failure;
    failure.progress = progressOf(step);
    failure.number = e.code;
    // The number follows in the message: the advice with the system's text alone.
    failure.description = e.code != 0
                              ? systemErrorAdvice(e.code) + QStringLiteral("（%1）").arg(e.systemText())
                              : e.systemText();
    if (e.kind == ErrorKind::NotFound)
        return makeError(ErrorKind::NotFound, failure.notFoundMessage());
    return makeError(e.kind == ErrorKind::Internal ? ErrorKind::Unreadable : e.kind, failure.otherMessage());
}

bool wholeDays(double days) {
    return !(days > 0) || days == std::floor(days);
}

} // namespace

// Counts one loaded record into the figures of its cell (sign 1) or out of them (-1).
class FigureCounter {
public:
    FigureCounter(StatisticsBuilder& b, const PassCriteriaTable& criteria, const QDateTime& now)
        : b_(b), criteria_(criteria), nowOle_(oleFromDateTime(now)), today_(oleFromDate(now.date())) {
        for (int level = 1; level < kLevelSlots; ++level) {
            passDays_[static_cast<size_t>(level)] = criteria.level(level).passPeriodDays;
            overdoDays_[static_cast<size_t>(level)] = criteria.level(level).overdoPeriodDays;
        }
    }

    void count(const LoadedResult& r, int sign) {
        using F = StatisticsTables::Figure;
        const int level = r.level;
        b_.changedLevel(StatisticsBuilder::cell(level, r.bangou));
        qint32* cell = b_.figures(StatisticsBuilder::cell(level, r.bangou));
        const qint32 v = r.recordedTime;
        const qint64 one = v < kCompletedBelow ? sign : 0;
        const qint64 p = qint64{attemptPoints(v, level, criteria_)} * sign;
        auto bump = [this, cell](F f, qint64 amount) {
            const qint64 sum = static_cast<qint64>(cell[f]) + amount;
            cell[f] = saturate(sum);
            saturated_ = saturated_ || cell[f] != sum;
        };
        bump(F::TotalAttempts, one);
        if (withinPeriod(r.date, nowOle_, passDays_[static_cast<size_t>(level)])) {
            bump(F::PassPeriodAttempts, one);
            bump(F::PassPeriodPoints, p);
        }
        if (withinPeriod(r.date, nowOle_, overdoDays_[static_cast<size_t>(level)])) {
            bump(F::OverdoPeriodAttempts, one);
            bump(F::OverdoPeriodPoints, p);
        }
        bump(F::TotalPoints, p);
        if (std::floor(r.date) == today_) {
            bump(F::TodayAttempts, one);
            bump(F::TodayPoints, p);
        }
    }
    // A figure reached the end of the 32-bit range: counting out is no longer exact.
    bool saturated() const { return saturated_; }
    double today() const { return today_; }

private:
    StatisticsBuilder& b_;
    const PassCriteriaTable& criteria_;
    double nowOle_;
    double today_;
    std::array<double, kLevelSlots> passDays_{};
    std::array<double, kLevelSlots> overdoDays_{};
    bool saturated_ = false;
};

namespace {

// Loaded records, best times and school bests from the window, every earlier figure
// and best time cleared first; counter (when given) counts each loaded record. Whether
// every loaded record's date is a whole day.
bool loadAfresh(StatisticsBuilder& b, const ResultsWindow& window, FigureCounter* counter) {
    b.clearCounted();
    StatisticsTables& t = b.tables();
    const qint64 count = window.count();
    if (t.loaded.capacity() < kStatisticsWindow)
        t.loaded.reserve(kStatisticsWindow);
    bool wholeDates = true;
    const char* bytes = window.bytes.constData();
    for (qint64 i = 0; i < count; ++i) {
        const ResultKeys r = decodeResultKeys(bytes + i * ResultRecord::kSize);
        if (!r.isCountable())
            continue;
        const size_t cell = StatisticsBuilder::cell(r.level, r.bangou);
        b.touch(cell);
        qint32& best = b.bestTime(cell);
        if (best > r.recordedTime)
            best = r.recordedTime;
        t.loaded.append(loadedFrom(r, static_cast<qint32>(window.firstRecordNumber + i)));
        wholeDates = wholeDates && r.date == std::floor(r.date);
        if (counter)
            counter->count(t.loaded.constLast(), 1);
    }
    b.schoolBestsFromBestTimes();
    return wholeDates;
}

} // namespace

Status loadResults(const QString& resultsPath, StatisticsTables* tables, const WaitFunction& wait,
                   int giveUpAfterMs) {
    Outcome<ResultsWindow> read = readStatisticsWindow(resultsPath, wait, giveUpAfterMs, {});
    if (!read)
        return read.error();
    StatisticsBuilder b(*tables);
    (void)loadAfresh(b, *read, nullptr);
    b.forgetBasis();
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

void StatisticsBuilder::forgetBasis() {
    t_.basisValid_ = false;
    t_.countedWindow_.clear();
}

bool StatisticsBuilder::countAppended(const ResultsWindow& window, FigureCounter& counter) {
    // The window read must continue the one counted: the records both hold are the same
    // bytes, and records only ever left it at its start and joined it at its end.
    const qint64 oldFirst = t_.countedFirstRecord_;
    const qint64 oldCount = t_.countedWindow_.size() / ResultRecord::kSize;
    const qint64 newFirst = window.firstRecordNumber;
    const qint64 newCount = window.count();
    const qint64 overlap = oldFirst + oldCount - newFirst;
    if (newFirst < oldFirst || newFirst + newCount < oldFirst + oldCount || overlap <= 0)
        return false;
    if (std::memcmp(t_.countedWindow_.constData() + (newFirst - oldFirst) * ResultRecord::kSize,
                    window.bytes.constData(), static_cast<size_t>(overlap * ResultRecord::kSize)) != 0)
        return false;
    const char* bytes = window.bytes.constData();
    for (qint64 i = overlap; i < newCount; ++i) {
        const ResultKeys r = decodeResultKeys(bytes + i * ResultRecord::kSize);
        if (r.isCountable() && r.date != std::floor(r.date))
            return false; // counted afresh: a part of a day counts differently as the day goes on
    }

    for (const quint32 c : t_.changedOutside_)
        t_.changedLevel(c);
    // Records that left the window are counted out; a best time they held is looked for
    // again among the records that stay.
    std::vector<quint32> bestToCount;
    while (!t_.loaded.isEmpty() && t_.loaded.constFirst().recordNumber < newFirst) {
        const LoadedResult& r = t_.loaded.constFirst();
        const size_t c = cell(r.level, r.bangou);
        counter.count(r, -1);
        if (r.recordedTime <= bestTime(c) && !(marks(c) & kBestToCount)) {
            marks(c) |= kBestToCount;
            bestToCount.push_back(static_cast<quint32>(c));
        }
        t_.loaded.removeFirst();
    }
    for (qint64 i = overlap; i < newCount; ++i) {
        const ResultKeys r = decodeResultKeys(bytes + i * ResultRecord::kSize);
        if (!r.isCountable())
            continue;
        const size_t c = cell(r.level, r.bangou);
        bestTime(c) = qMin(bestTime(c), r.recordedTime);
        t_.loaded.append(loadedFrom(r, static_cast<qint32>(newFirst + i)));
        counter.count(t_.loaded.constLast(), 1);
    }
    recountChangedCells([&counter](const LoadedResult& r, int sign) { counter.count(r, sign); });
    recountMarkedBestTimes(bestToCount);
    schoolBestsFromBestTimes();
    return true;
}

Status refreshStatistics(const QString& resultsPath, const PassCriteriaTable& criteria, const QDateTime& now,
                         StatisticsTables* tables, const WaitFunction& wait, int giveUpAfterMs) {
    // The file is read whole before anything is changed: a refresh entered again while
    // this one waits for the file finds whole figures, never half-built ones, and after
    // an error the tables keep the figures they had.
    StatisticsBuilder b(*tables);
    Outcome<ResultsWindow> read = readStatisticsWindow(resultsPath, wait, giveUpAfterMs, b.takeReadBuffer());
    if (!read)
        return read.error();
    ResultsWindow window = std::move(read).value();
    b.countWindow(window, criteria, now);
    return {};
}

void StatisticsBuilder::countWindow(ResultsWindow& window, const PassCriteriaTable& criteria,
                                    const QDateTime& now) {
    std::array<StatisticsTables::LevelBasis, kLevelSlots> basis{};
    bool wholePeriods = true;
    for (int level = 1; level < kLevelSlots; ++level) {
        const PassCriteria& c = criteria.level(level);
        basis[static_cast<size_t>(level)] = {c.targetTime, c.pointMultiplier, c.passPeriodDays,
                                             c.overdoPeriodDays};
        wholePeriods = wholePeriods && wholeDays(c.passPeriodDays) && wholeDays(c.overdoPeriodDays);
    }
    // With whole days everywhere, a record counts the same all day long: only what was
    // appended since the last refresh (and what left the window) needs counting.
    FigureCounter counter(*this, criteria, now);
    const bool sameBasis =
        t_.basisValid_ && wholePeriods && t_.countedDay_ == counter.today() && t_.countedCriteria_ == basis;
    bool wholeDates = true;
    bool saturated = false;
    if (sameBasis && countAppended(window, counter) && !counter.saturated()) {
        t_.lastCounting_ = StatisticsTables::Counting::Appended;
    } else {
        FigureCounter afresh(*this, criteria, now);
        wholeDates = loadAfresh(*this, window, &afresh);
        saturated = afresh.saturated();
        t_.lastCounting_ = StatisticsTables::Counting::Afresh;
    }
    t_.basisValid_ = wholePeriods && wholeDates && !saturated;
    t_.countedDay_ = counter.today();
    t_.countedCriteria_ = basis;
    t_.countedFirstRecord_ = window.firstRecordNumber;
    // The window counted stays for the next comparison; the one before lends its storage
    // to the next read.
    std::swap(t_.countedWindow_, window.bytes);
    t_.readBuffer_ = std::move(window.bytes);
}

} // namespace kz
