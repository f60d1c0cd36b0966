#pragma once

#include "data/passcriteria.h"

#include <QDateTime>
#include <QList>

#include <array>
#include <vector>

// Per-level, per-student figures rebuilt from the results file (refreshStatistics).
namespace kz {

struct LoadedResult {
    double date = 0;        // OLE date (whole days)
    double time = 0;        // OLE time of day
    qint16 bangou = 0;
    qint16 level = 0;
    qint32 recordedTime = 0;
    qint32 recordNumber = 0; // 1-based record number in the file
};

class StatisticsTables {
public:
    static constexpr int kLevels = 36;      // slots 0..35 (0 unused)
    static constexpr int kStudents = 5001;  // Bangou 0..5000
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
    qint32 passPeriodAttempts(int level, int bangou) const { return figure(PassPeriodAttempts, level, bangou); }
    qint32 overdoPeriodAttempts(int level, int bangou) const { return figure(OverdoPeriodAttempts, level, bangou); }
    qint32 totalPoints(int level, int bangou) const { return figure(TotalPoints, level, bangou); }
    qint32 todayPoints(int level, int bangou) const { return figure(TodayPoints, level, bangou); }
    qint32 passPeriodPoints(int level, int bangou) const { return figure(PassPeriodPoints, level, bangou); }
    qint32 overdoPeriodPoints(int level, int bangou) const { return figure(OverdoPeriodPoints, level, bangou); }
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

private:
    static bool inRange(int level, int bangou) {
        return level >= 1 && level < kLevels && bangou >= 1 && bangou < kStudents;
    }
    static size_t index(int level, int bangou) { return static_cast<size_t>(level) * kStudents + bangou; }
    std::vector<qint32> figures_;  // FigureCount x kLevels x kStudents
    std::vector<qint32> bestTime_; // kLevels x kStudents
    std::array<qint32, kLevels> schoolBestTime_{};
};

} // namespace kz
