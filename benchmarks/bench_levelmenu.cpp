// The parts of the level menu without its screen, for profiling: the statistics refresh
// over 20000 records and the results lines of every level. What a student waits for,
// through the screens and painted, is measured by bench_program.
#include "benchsupport.h"
#include "core/catalogue.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "data/resultstore.h"
#include "reports/resultstables.h"
#include "support/rosterfixture.h"
#include "support/screencontext.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 20000;

struct Bench : kz::test::ScreenContext {
    QTemporaryDir dir;
    int students = 0;
    bool fileWritten = false;

    Bench(int studentCount, int records) : students(studentCount) {
        kz::initRunState(*state);
        kz::buildLevelCatalogue(*state);
        state->student.currentBangou = 1;
        state->student.currentName = QStringLiteral("山田太郎");
        state->student.currentGradeLabel = QStringLiteral("小３");
        state->settings.installation.siteName = QStringLiteral("さくら塾");
        state->settings.installation.programDataFolder = dir.path() + QLatin1Char('/');
        for (int level = 1; level <= 25; ++level) {
            kz::PassCriteria& row = state->tables.criteria.row(level);
            row.targetTime = 60 + level;
            row.minimumTime = 200;
            row.clearPoints = 50;
            row.clearCount = 3;
            row.pointMultiplier = kz::DecimalMultiplier::fromText(QStringLiteral("1.5"));
            row.overdoCount = 10;
            row.overdoPoints = 300;
            row.passPeriodDays = 7;
            row.overdoPeriodDays = 1;
        }
        // Attempts over the last 60 days by every student at every level.
        fileWritten =
            kz::bench::writeSampleResults(state->settings.installation.resultsPath(),
                                          {.records = records, .students = students, .now = clock.now()});
        run.onRefresh = [this] { return refresh(); };
    }

    // The listed students of the roster, in grades 1 to 9.
    void fillRoster() const {
        kz::RosterTables& roster = state->tables.roster;
        roster.schoolYear = 2004;
        roster.listed.clear();
        for (int b = 1; b <= students; ++b)
            kz::test::listStudent(roster, b, QStringLiteral("生徒%1").arg(b), 1 + b % 9);
    }

    // The refresh the program runs at every activation: the run's own, over the file.
    kz::Status refresh() {
        const kz::Status error = run.ProgramRun::refreshStatistics();
        if (!error.ok())
            qFatal("%s", qPrintable(error.error().text()));
        return error;
    }
};

bool ready(benchmark::State& st, const Bench& bench) {
    if (bench.fileWritten)
        return true;
    st.SkipWithError("could not write the results file");
    return false;
}

void BM_RefreshOnly_20000Records(benchmark::State& st) {
    Bench bench(5000, kRecords);
    if (!ready(st, bench))
        return;
    for (auto _ : st)
        benchmark::DoNotOptimize(bench.refresh().ok());
}

} // namespace

BENCHMARK(BM_RefreshOnly_20000Records)->Unit(benchmark::kMillisecond);

namespace {

// The lines alone, without the screen: arguments students, table (0 points so far, 1 best
// times, 2 all attempts of thirty days in the time display).
void BM_BuilderOnly(benchmark::State& st) {
    Bench bench(static_cast<int>(st.range(0)), kRecords);
    if (!ready(st, bench))
        return;
    bench.fillRoster();
    (void)bench.refresh();
    kz::ResultsTableBuilder builder(
        {bench.state->tables.roster, bench.state->tables.statistics, bench.state->tables.criteria, 25});
    kz::TableChoice c;
    c.display = st.range(1) == 0 ? kz::DisplayKind::Points : kz::DisplayKind::Times;
    c.table = st.range(1) == 2 ? kz::TableKind::Period : kz::TableKind::Ranking;
    c.now = bench.clock.now();
    c.currentBangou = 1;
    for (auto _ : st) {
        const auto tables = builder.buildReading(c, bench.run.newestResultsReader());
        benchmark::DoNotOptimize(tables.ok());
    }
}

} // namespace

BENCHMARK(BM_BuilderOnly)
    ->Args({500, 0})
    ->Args({5000, 0})
    ->Args({500, 1})
    ->Args({5000, 1})
    ->Args({500, 2})
    ->Args({5000, 2})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return kz::bench::runBenchmarks(argc, argv);
}
