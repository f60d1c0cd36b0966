#pragma once

// What the benchmarks share: results files of a school's size and the main() that runs
// them with the screens offscreen.

#include "data/resultstore.h"

#include <QApplication>
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

#include <random>

namespace kz::bench {

// Random attempts as a school's results file holds them: students 1..students at levels
// 1..25, on the `days` days up to `now` and within the ten hours before its time of day;
// one in fifty ran out of time (99999), the others took 20 to 419 seconds. With
// otherSiteEvery n, about one attempt in n comes from the other site "99999". The same
// seed gives the same file.
struct SampleResults {
    int records = 20000;
    int students = 500;
    QDateTime now;
    int days = 60;
    unsigned seed = 42;
    QString siteCode = QStringLiteral("12345");
    int otherSiteEvery = 0;
};

// Writes the sample over the file; false when it could not be written whole.
inline bool writeSampleResults(const QString& path, const SampleResults& sample) {
    std::mt19937 engine(sample.seed);
    QByteArray bytes;
    bytes.reserve(sample.records * ResultRecord::kSize);
    const QString otherSite = QStringLiteral("99999");
    for (int i = 0; i < sample.records; ++i) {
        const QDateTime moment = sample.now.addDays(-static_cast<qint64>(engine() % unsigned(sample.days)))
                                     .addSecs(-static_cast<qint64>(engine() % 36000));
        const auto bangou = static_cast<qint16>(1 + engine() % static_cast<unsigned>(sample.students));
        const auto level = static_cast<qint16>(1 + engine() % 25);
        const qint32 time = engine() % 50 == 0 ? 99999 : static_cast<qint32>(20 + engine() % 400);
        const bool other = sample.otherSiteEvery > 0 && engine() % unsigned(sample.otherSiteEvery) == 0;
        bytes += encodeResultRecord(
            makeResultRecord(moment, bangou, level, time, other ? otherSite : sample.siteCode));
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs the benchmarks named on the command line with the screens offscreen and sounds
// going nowhere.
inline int runBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace kz::bench
