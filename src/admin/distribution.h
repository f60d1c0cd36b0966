#pragma once

#include "data/resultstore.h"
#include "platform/outcome.h"

#include <QHash>
#include <QStringList>

#include <array>
#include <vector>

namespace kz {

// How the recorded times of each level spread over ten-second bands: every attempt
// ("全成績", bands 0..100, the last one holding 1000 s and more) and every student's best
// time ("最高タイム", bands 0..30, the last one holding 300 s and more). A timed-out attempt
// (99999) falls in the last band of both.
class ResultsDistribution {
public:
    static constexpr int kCountedLevels = 100; // attempt counts for levels 1..100
    static constexpr int kBandLevels = 50;     // band tables for levels 1..50
    static constexpr int kLastBand = 100;      // bands 0..100 of ten seconds
    static constexpr int kLastBestBand = 30;   // best times: bands 0..30

    using Bands = std::array<int, kLastBand + 1>;

    // Counts every record in order. Records of level 0 are no attempt; a level outside
    // 1..100 or a negative time only occurs in a damaged file and is not counted.
    static ResultsDistribution build(const std::vector<ResultRecord>& records);

    int attempts(int level) const;
    // Count of the band at a level; 0 outside the tables.
    int allResults(int level, int band) const;
    int bestTimes(int level, int band) const;

    // The lines of the two lists for a level: a heading, then one line per band 0..100.
    QStringList allResultsLines(int level) const;
    QStringList bestTimeLines(int level) const;

private:
    static QStringList lines(const QString& heading, const Bands& bands);
    static const Bands& emptyBands();
    const Bands& allOf(int level) const;
    const Bands& bestOf(int level) const;

    std::array<int, kCountedLevels + 1> attempts_{};
    std::vector<Bands> all_ = std::vector<Bands>(kBandLevels + 1, Bands{});
    std::vector<Bands> best_ = std::vector<Bands>(kBandLevels + 1, Bands{});
};

class ProgramRun;

// Reads every record of the results file in record order and counts them, through the
// run (the criteria editor) or straight from the file (the companion). A missing results
// file counts as no records.
Outcome<ResultsDistribution> readResultsDistribution(ProgramRun& run);
Outcome<ResultsDistribution> readResultsDistribution(const QString& resultsPath);

// The scale of a list: a tenth of its largest band count, at least 1.
int distributionScale(const ResultsDistribution::Bands& bands);
// One band line: the lower bound in four characters, "～", one "★" per scale (rounded).
QString distributionLine(int band, int count, int scale);

} // namespace kz
