// Results store and statistics: the refresh that runs while a screen is built, and one
// append at the end of an attempt.
#include "data/resultstore.h"
#include "data/roster.h"
#include "data/statistics.h"
#include "data/textio.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace kz;

namespace {

const QDateTime kNow(QDate(2004, 3, 15), QTime(14, 30, 0));

PassCriteriaTable benchCriteria() {
    PassCriteriaTable t;
    for (int level = 1; level < kLevelSlots; ++level) {
        PassCriteria& c = t.row(level);
        c.targetTime = 60 + level;
        c.pointMultiplier = DecimalMultiplier::fromText(u"1.5");
        c.passPeriodDays = 7;
        c.overdoPeriodDays = 1;
    }
    return t;
}

// 20000 records of 5000 students over 25 levels and 60 days.
QString writeBenchFile(const QTemporaryDir& dir, int records) {
    const QString path = dir.filePath(QStringLiteral("r.dat"));
    QByteArray bytes;
    bytes.reserve(records * ResultRecord::kSize);
    for (int i = 0; i < records; ++i) {
        const ResultRecord r =
            makeResultRecord(kNow.addDays(-(i % 60)), static_cast<qint16>(i % 5000 + 1),
                             static_cast<qint16>(i % 25 + 1), 20 + (i * 7) % 400, u"12345");
        bytes += encodeResultRecord(r);
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

void BM_RefreshStatistics(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeBenchFile(dir, static_cast<int>(state.range(0)));
    const PassCriteriaTable criteria = benchCriteria();
    auto tables = std::make_unique<StatisticsTables>();
    for (auto _ : state) {
        const Status e = refreshStatistics(path, criteria, kNow, tables.get());
        benchmark::DoNotOptimize(e.ok());
        benchmark::DoNotOptimize(tables->totalPoints(1, 1));
    }
}
BENCHMARK(BM_RefreshStatistics)->Arg(20000)->Arg(25000)->Unit(benchmark::kMillisecond);

void BM_LoadResults(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeBenchFile(dir, 20000);
    auto tables = std::make_unique<StatisticsTables>();
    for (auto _ : state) {
        const Status e = loadResults(path, tables.get());
        benchmark::DoNotOptimize(e.ok());
    }
}
BENCHMARK(BM_LoadResults)->Unit(benchmark::kMillisecond);

void BM_AppendUncontended(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeBenchFile(dir, 20000);
    const ResultRecord r = makeResultRecord(kNow, 17, 2, 95, u"12345");
    for (auto _ : state) {
        const Outcome<AppendedRecord> out = appendResult(path, r);
        benchmark::DoNotOptimize(out.ok());
    }
}
BENCHMARK(BM_AppendUncontended)->Unit(benchmark::kMicrosecond);

void BM_ReadAllResults(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeBenchFile(dir, 20000);
    for (auto _ : state) {
        const Outcome<ResultsFileContents> all = readAllResults(path);
        benchmark::DoNotOptimize(all->records.size());
    }
}
BENCHMARK(BM_ReadAllResults)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// The roster as every name list and level menu reads it: 5000 students in code page 932.
void BM_LoadRoster(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("新名簿.txt"));
    QString text;
    static const QString family[] = {QStringLiteral("山田"), QStringLiteral("佐藤"), QStringLiteral("鈴木")};
    for (int b = 1; b <= 5000; ++b)
        text +=
            QStringLiteral("%1,%2,0,0,%3　%4,0,,\r\n").arg(b).arg(2008 + b % 12).arg(family[b % 3]).arg(b);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(*encodeCp932(text)) < 0) {
        state.SkipWithError("cannot write the roster");
        return;
    }
    f.close();
    auto tables = std::make_unique<RosterTables>();
    for (auto _ : state) {
        const Outcome<RosterLoadResult> loaded = loadRoster(path, QDate(2026, 12, 1), 4, 0, tables.get());
        benchmark::DoNotOptimize(loaded.ok());
    }
}
BENCHMARK(BM_LoadRoster)->Unit(benchmark::kMillisecond);

void BM_ParseRosterText(benchmark::State& state) {
    QString text;
    for (int b = 1; b <= 5000; ++b)
        text += QStringLiteral("%1,%2,0,0,山田　%3,0,,\r\n").arg(b).arg(2008 + b % 12).arg(b);
    const QByteArray bytes = *encodeCp932(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(FreeValueText::fromFileBytes(bytes, true).valueCount());
}
BENCHMARK(BM_ParseRosterText)->Unit(benchmark::kMillisecond);
