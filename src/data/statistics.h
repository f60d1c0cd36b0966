#pragma once

#include "data/levels.h"
#include "data/passcriteria.h"
#include "data/resultstore.h"

#include <QDateTime>
#include <QList>

#include <array>
#include <span>
#include <vector>

// Per-level, per-student figures rebuilt from the results file (refreshStatistics).
namespace kz {

struct LoadedResult {
    double date = 0; // OLE date (whole days)
    double time = 0; // OLE time of day
    qint16 bangou = 0;
    qint16 level = 0;
    qint32 recordedTime = 0;
    qint32 recordNumber = 0; // 1-based record number in the file
};

class StatisticsTables {
public:
    static constexpr int kStudents = 5001; // Bangou 0..5000
    static constexpr qint32 kNoTime = 99999;

    enum Figure {
        TotalAttempts,
        TodayAttempts,
        PassPeriodAttempts,
        OverdoPeriodAttempts,
        TotalPoints,
        TodayPoints,
        PassPeriodPoints,
        OverdoPeriodPoints,
        FigureCount
    };

    StatisticsTables();

    // Out-of-range level or Bangou reads as 0 (bestTime: 99999) and is never written.
    qint32 figure(Figure f, int level, int bangou) const;
    void add(Figure f, int level, int bangou, qint32 amount);
    qint32 totalAttempts(int level, int bangou) const { return figure(TotalAttempts, level, bangou); }
    qint32 todayAttempts(int level, int bangou) const { return figure(TodayAttempts, level, bangou); }
    qint32 passPeriodAttempts(int level, int bangou) const {
        return figure(PassPeriodAttempts, level, bangou);
    }
    qint32 overdoPeriodAttempts(int level, int bangou) const {
        return figure(OverdoPeriodAttempts, level, bangou);
    }
    qint32 totalPoints(int level, int bangou) const { return figure(TotalPoints, level, bangou); }
    qint32 todayPoints(int level, int bangou) const { return figure(TodayPoints, level, bangou); }
    qint32 passPeriodPoints(int level, int bangou) const { return figure(PassPeriodPoints, level, bangou); }
    qint32 overdoPeriodPoints(int level, int bangou) const {
        return figure(OverdoPeriodPoints, level, bangou);
    }
    // Sum of a figure over levels 1..35 for one student.
    qint32 sumOverLevels(Figure f, int bangou) const;

    qint32 bestTime(int level, int bangou) const;
    void setBestTime(int level, int bangou, qint32 seconds);
    qint32 schoolBestTime(int level) const;
    void setSchoolBestTime(int level, qint32 seconds);

    void clearFigures();   // all eight figure tables to 0
    void clearBestTimes(); // every bestTime and schoolBestTime to 99999

    // The records of the last load, in file order (valid attempts only, at most 20000).
    QList<LoadedResult> loaded;

    // How the last refresh came to its figures: counted afresh, or only the records
    // appended since the refresh before (and those that left the window) counted in or
    // out. Either way the figures are the same.
    enum class Counting { Afresh, Appended };
    Counting lastCounting() const { return lastCounting_; }
    // Changes whenever a figure or best time may have changed (a refresh that counted
    // anything, a write from outside): what was made from the tables can be kept while
    // it stays the same.
    quint64 generation() const { return generation_; }
    // The same for the figures and best times of one level (1..35).
    quint64 levelGeneration(int level) const {
        return level >= 0 && level < kLevelSlots ? levelGeneration_[static_cast<size_t>(level)] : 0;
    }

private:
    friend class StatisticsBuilder;
    static bool inRange(int level, int bangou) {
        return level >= 1 && level < kLevelSlots && bangou >= 1 && bangou < kStudents;
    }
    // A student's levels lie side by side (the name list sums them), and so do the
    // eight figures of one level: one record changes one cache line.
    static size_t index(int level, int bangou) { return static_cast<size_t>(bangou) * kLevelSlots + level; }
    // Only the cells that hold anything have storage, a slot with the eight figures and
    // the best time side by side (one record changes one cache line); the index finds a
    // cell's slot. 20000 records fill at most 20000 of the 180000 cells.
    struct Slot {
        std::array<qint32, FigureCount> figures{};
        qint32 bestTime = kNoTime;
        quint32 cell = 0;
        quint8 marks = 0; // changed from outside a refresh; best time to be found again
    };
    const Slot* findSlot(size_t cell) const {
        const quint32 i = slotOfCell_[cell];
        return i ? &slots_[i - 1] : nullptr;
    }
    // The cell's slot, made when missing; changed from outside a refresh, the next
    // refresh counts the cell again.
    Slot& slotOf(size_t cell, bool fromOutside);

    std::vector<quint32> slotOfCell_; // per cell: 1 + its slot's place in slots_, 0 none
    std::vector<Slot> slots_;
    std::array<qint32, kLevelSlots> schoolBestTime_{};
    std::vector<quint32> changedOutside_; // cells changed from outside since the last refresh
    // What the figures were counted from: the window's bytes as read, the day and the
    // criteria they were counted for; valid only while nothing else changed the tables.
    QByteArray countedWindow_;
    qint32 countedFirstRecord_ = 1;
    bool basisValid_ = false;
    double countedDay_ = 0;
    struct LevelBasis {
        qint32 targetTime = 0;
        DecimalMultiplier multiplier;
        double passDays = 0;
        double overdoDays = 0;
        bool operator==(const LevelBasis&) const = default;
    };
    std::array<LevelBasis, kLevelSlots> countedCriteria_{};
    Counting lastCounting_ = Counting::Afresh;
    quint64 generation_ = 0;
    std::array<quint64, kLevelSlots> levelGeneration_{};
    void changedLevel(size_t cell) {
        ++generation_;
        ++levelGeneration_[cell % kLevelSlots];
    }
    void changedEveryLevel() {
        ++generation_;
        for (quint64& g : levelGeneration_)
            ++g;
    }
    QByteArray readBuffer_; // the window being read, kept for the next refresh
};

// The newest records the statistics look at.
inline constexpr qint32 kStatisticsWindow = 20000;

// Fills tables->loaded with the valid attempts among the newest 20000 records (file
// order; records that are no attempt or do not fit the tables leave no trace), every
// bestTime and schoolBestTime (over Bangou 1..1000). While the file is in use it waits
// 1 s and tries again without limit; while its folder cannot be reached it waits 5 s,
// four times, and then gives up with NotFound; any other error ends the load at once.
// A missing file in an existing folder reads as empty. The wait keeps the screens alive.
// With giveUpAfterMs > 0 the retries end once that much time has been waited (kind
// Locked or NotFound, the message names the file, the reason and the seconds waited).
// The program shows the error's message and ends: for NotFound "ファイルがありません"
// with how far the load got (3 opening, 5 measuring, 7 reading), the system's text and
// number; for any other error "成績ランダムファイル表示" with the same figures and the
// record being loaded.
Status loadResults(const QString& resultsPath, StatisticsTables* tables, const WaitFunction& wait = {},
                   int giveUpAfterMs = 0);

// Rebuilds every figure and best time from the results file as of the moment now, with
// the level's criteria. The tables change only when the whole file was read; after an
// error they keep the figures they had. A period of N days counts today and the N - 1 days before;
// 0, an empty field or a negative value counts nothing. One pass over the records.
Status refreshStatistics(const QString& resultsPath, const PassCriteriaTable& criteria, const QDateTime& now,
                         StatisticsTables* tables, const WaitFunction& wait = {}, int giveUpAfterMs = 0);

// Points of one attempt as the statistics count them (multiplier applied); a level
// outside 1..35 scores 0. Same rule as the end screen (data/points.h).
qint32 attemptPoints(qint32 recordedTime, int level, const PassCriteriaTable& criteria);

// Whether a record's date lies within a period of days as of now (OLE date and time).
bool withinPeriod(double recordDate, double nowOle, double periodDays);

// Ascending merge sort of keys, moving each payload with its key. Equal keys end in the
// reverse of their order before the sort, so sorting twice restores it: keys 5, 3, 5
// with payloads a, b, c give 3 b, 5 c, 5 a, and sorting once more 3 b, 5 a, 5 c.
template <typename Payload> void sortByKey(std::span<qint32> keys, std::span<Payload> payload);

} // namespace kz

namespace kz::detail {

template <typename Payload>
void mergeSortByKey(std::span<qint32> keys, std::span<Payload> payload, std::vector<qint32>& workKeys,
                    std::vector<Payload>& workPayload, qsizetype lo, qsizetype hi) {
    if (lo >= hi)
        return;
    const qsizetype mid = (lo + hi) / 2;
    mergeSortByKey(keys, payload, workKeys, workPayload, lo, mid);
    mergeSortByKey(keys, payload, workKeys, workPayload, mid + 1, hi);
    const qsizetype copied = mid - lo + 1;
    for (qsizetype w = 0; w < copied; ++w) {
        workKeys[static_cast<size_t>(w)] = keys[static_cast<size_t>(lo + w)];
        workPayload[static_cast<size_t>(w)] = std::move(payload[static_cast<size_t>(lo + w)]);
    }
    qsizetype i = mid + 1;
    qsizetype l = 0;
    qsizetype k = lo;
    while (i <= hi && l < copied) {
        if (workKeys[static_cast<size_t>(l)] < keys[static_cast<size_t>(i)]) {
            keys[static_cast<size_t>(k)] = workKeys[static_cast<size_t>(l)];
            payload[static_cast<size_t>(k)] = std::move(workPayload[static_cast<size_t>(l)]);
            ++l;
        } else {
            keys[static_cast<size_t>(k)] = keys[static_cast<size_t>(i)];
            payload[static_cast<size_t>(k)] = std::move(payload[static_cast<size_t>(i)]);
            ++i;
        }
        ++k;
    }
    for (; l < copied; ++l, ++k) {
        keys[static_cast<size_t>(k)] = workKeys[static_cast<size_t>(l)];
        payload[static_cast<size_t>(k)] = std::move(workPayload[static_cast<size_t>(l)]);
    }
}

} // namespace kz::detail

namespace kz {

template <typename Payload> void sortByKey(std::span<qint32> keys, std::span<Payload> payload) {
    const qsizetype n = static_cast<qsizetype>(qMin(keys.size(), payload.size()));
    if (n < 2)
        return;
    std::vector<qint32> workKeys(static_cast<size_t>(n / 2 + 2));
    std::vector<Payload> workPayload(static_cast<size_t>(n / 2 + 2));
    detail::mergeSortByKey(keys, payload, workKeys, workPayload, 0, n - 1);
}

} // namespace kz
