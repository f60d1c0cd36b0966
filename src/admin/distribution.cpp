#include "admin/distribution.h"

#include "core/programrun.h"

#include <algorithm>

namespace kz {

namespace {

int bandOf(qint32 time, int lastBand) {
    return static_cast<int>(qMin<qint32>(time / 10, lastBand));
}

} // namespace

ResultsDistribution ResultsDistribution::build(const std::vector<ResultRecord>& records) {
    ResultsDistribution d;
    // Best time of every (level, student) pair seen.
    QHash<quint32, qint32> best;
    for (const ResultRecord& r : records) {
        if (r.level == 0)
            continue;
        if (r.level < 1 || r.level > kCountedLevels || r.recordedTime < 0)
            continue;
        ++d.attempts_[static_cast<size_t>(r.level)];
        if (r.level > kBandLevels)
            continue;
        ++d.all_[static_cast<size_t>(r.level)][static_cast<size_t>(bandOf(r.recordedTime, kLastBand))];
        const quint32 key = (static_cast<quint32>(r.level) << 16) | static_cast<quint16>(r.bangou);
        auto it = best.find(key);
        if (it == best.end())
            best.insert(key, r.recordedTime);
        else if (r.recordedTime < *it)
            *it = r.recordedTime;
    }
    for (auto it = best.cbegin(); it != best.cend(); ++it) {
        const auto level = static_cast<size_t>(it.key() >> 16);
        ++d.best_[level][static_cast<size_t>(bandOf(it.value(), kLastBestBand))];
    }
    return d;
}

Outcome<ResultsDistribution> readResultsDistribution(ProgramRun& run) {
    const Outcome<ResultsFileContents> contents = run.readAllRecords();
    if (!contents)
        return contents.error();
    return ResultsDistribution::build(contents->records);
}

Outcome<ResultsDistribution> readResultsDistribution(const QString& resultsPath) {
    const Outcome<ResultsFileContents> contents = readAllResults(resultsPath);
    if (!contents)
        return contents.error();
    return ResultsDistribution::build(contents->records);
}

int ResultsDistribution::attempts(int level) const {
    if (level < 0 || level > kCountedLevels)
        return 0;
    return attempts_[static_cast<size_t>(level)];
}

const ResultsDistribution::Bands& ResultsDistribution::emptyBands() {
    static const Bands none{};
    return none;
}

const ResultsDistribution::Bands& ResultsDistribution::allOf(int level) const {
    return level >= 0 && level <= kBandLevels ? all_[static_cast<size_t>(level)] : emptyBands();
}

const ResultsDistribution::Bands& ResultsDistribution::bestOf(int level) const {
    return level >= 0 && level <= kBandLevels ? best_[static_cast<size_t>(level)] : emptyBands();
}

int ResultsDistribution::allResults(int level, int band) const {
    return band >= 0 && band <= kLastBand ? allOf(level)[static_cast<size_t>(band)] : 0;
}

int ResultsDistribution::bestTimes(int level, int band) const {
    return band >= 0 && band <= kLastBand ? bestOf(level)[static_cast<size_t>(band)] : 0;
}

int distributionScale(const ResultsDistribution::Bands& bands) {
    const int largest = *std::max_element(bands.cbegin(), bands.cend());
    return qMax(1, largest / 10);
}

QString distributionLine(int band, int count, int scale) {
    // count / scale rounded half up, in whole numbers.
    const int stars = scale > 0 && count > 0 ? (2 * count + scale) / (2 * scale) : 0;
    return QString::number(band * 10).rightJustified(4, u' ') + QStringLiteral("～") +
           QStringLiteral("★").repeated(stars);
}

QStringList ResultsDistribution::lines(const QString& heading, const Bands& bands) {
    const int scale = distributionScale(bands);
    QStringList out;
    out.reserve(kLastBand + 2);
    out.append(heading.arg(scale));
    for (int b = 0; b <= kLastBand; ++b)
        out.append(distributionLine(b, bands[static_cast<size_t>(b)], scale));
    return out;
}

QStringList ResultsDistribution::allResultsLines(int level) const {
    return lines(QStringLiteral("レベル%1 今まで%2回  （★=").arg(level).arg(attempts(level)) +
                     QStringLiteral("%1）"),
                 allOf(level));
}

QStringList ResultsDistribution::bestTimeLines(int level) const {
    return lines(QStringLiteral("レベル%1 （★=").arg(level) + QStringLiteral("%1）"), bestOf(level));
}

} // namespace kz
