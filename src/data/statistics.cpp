#include "data/statistics.h"

namespace kz {

StatisticsTables::StatisticsTables()
    : figures_(static_cast<size_t>(FigureCount) * kLevels * kStudents, 0),
      bestTime_(static_cast<size_t>(kLevels) * kStudents, kNoTime) {
    schoolBestTime_.fill(kNoTime);
}

qint32 StatisticsTables::figure(Figure f, int level, int bangou) const {
    if (!inRange(level, bangou) || f < 0 || f >= FigureCount)
        return 0;
    return figures_[static_cast<size_t>(f) * kLevels * kStudents + index(level, bangou)];
}

void StatisticsTables::add(Figure f, int level, int bangou, qint32 amount) {
    if (!inRange(level, bangou) || f < 0 || f >= FigureCount)
        return;
    figures_[static_cast<size_t>(f) * kLevels * kStudents + index(level, bangou)] += amount;
}

qint32 StatisticsTables::sumOverLevels(Figure f, int bangou) const {
    qint32 sum = 0;
    for (int level = 1; level < kLevels; ++level)
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
    return level >= 1 && level < kLevels ? schoolBestTime_[static_cast<size_t>(level)] : kNoTime;
}

void StatisticsTables::setSchoolBestTime(int level, qint32 seconds) {
    if (level >= 1 && level < kLevels)
        schoolBestTime_[static_cast<size_t>(level)] = seconds;
}

void StatisticsTables::clearFigures() { std::fill(figures_.begin(), figures_.end(), 0); }

void StatisticsTables::clearBestTimes() {
    std::fill(bestTime_.begin(), bestTime_.end(), kNoTime);
    schoolBestTime_.fill(kNoTime);
}

} // namespace kz
