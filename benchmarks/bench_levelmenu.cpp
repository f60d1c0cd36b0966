// How long the level menu takes to become usable after every attempt (the statistics
// refresh from a results file of 20000 records, 25 columns with their results lists,
// level availability), and how long a change of results table takes, from the choice
// to the last list filled.
#include "benchsupport.h"
#include "core/catalogue.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "data/resultstore.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "support/rosterfixture.h"
#include "support/screencontext.h"

#include <QListView>
#include <QRadioButton>
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

// A new level menu shown and activated, as after every attempt; with the roster, every
// level's list holds the ranking by points so far of all students.
void runActivation(benchmark::State& st, int students, bool lists) {
    Bench bench(students, kRecords);
    if (!ready(st, bench))
        return;
    if (lists)
        bench.fillRoster();
    for (auto _ : st) {
        kz::LevelMenuScreen menu(bench.context, kz::LevelMenuHooks{});
        menu.show();
        menu.activate();
        benchmark::DoNotOptimize(menu.isActivated());
        QCoreApplication::processEvents();
    }
    st.counters["loaded"] = static_cast<double>(bench.state->tables.statistics.loaded.size());
}

void BM_Activation_500Students_20000Records(benchmark::State& st) {
    runActivation(st, 500, false);
}
void BM_Activation_5000Students_20000Records(benchmark::State& st) {
    runActivation(st, 5000, false);
}
// The same with a roster: one results line per student in every level's list.
void BM_Activation_500Students_WithLists(benchmark::State& st) {
    runActivation(st, 500, true);
}
void BM_Activation_5000Students_WithLists(benchmark::State& st) {
    runActivation(st, 5000, true);
}

// One change of table on an activated level menu: the display kind (Option2 k) is chosen
// first, then every iteration chooses the table (Option1 i) and returns once the 25 lists
// are filled again.
void runTableSwitch(benchmark::State& st, int students, int display, int table) {
    Bench bench(students, kRecords);
    if (!ready(st, bench))
        return;
    bench.fillRoster();
    kz::LevelMenuScreen menu(bench.context, kz::LevelMenuHooks{});
    menu.show();
    menu.activate();
    QCoreApplication::processEvents();
    menu.findChild<QRadioButton*>(QStringLiteral("Option2_%1").arg(display))->click();
    auto* option = menu.findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(table));
    qint64 lines = 0;
    for (auto _ : st) {
        option->click();
        st.PauseTiming();
        lines = 0;
        for (int level = 1; level <= menu.levelCount(); ++level)
            lines += menu.column(level).list5->model()->rowCount();
        QCoreApplication::processEvents(); // paint outside the measurement
        st.ResumeTiming();
    }
    st.counters["lines"] = static_cast<double>(lines);
}

#define KZ_TABLE_SWITCH(name, display, table)                                                                \
    void BM_TableSwitch_##name##_500Students(benchmark::State& st) {                                         \
        runTableSwitch(st, 500, display, table);                                                             \
    }                                                                                                        \
    void BM_TableSwitch_##name##_5000Students(benchmark::State& st) {                                        \
        runTableSwitch(st, 5000, display, table);                                                            \
    }                                                                                                        \
    BENCHMARK(BM_TableSwitch_##name##_500Students)->Unit(benchmark::kMillisecond);                           \
    BENCHMARK(BM_TableSwitch_##name##_5000Students)->Unit(benchmark::kMillisecond);

KZ_TABLE_SWITCH(BestTimes, 0, 1)
KZ_TABLE_SWITCH(Today, 0, 2)
KZ_TABLE_SWITCH(PeriodTimes, 0, 3)
KZ_TABLE_SWITCH(PointsSoFar, 1, 1)
KZ_TABLE_SWITCH(PointsToday, 1, 2)
KZ_TABLE_SWITCH(PeriodPoints, 1, 3)

void BM_RefreshOnly_20000Records(benchmark::State& st) {
    Bench bench(5000, kRecords);
    if (!ready(st, bench))
        return;
    for (auto _ : st)
        benchmark::DoNotOptimize(bench.refresh().ok());
}

} // namespace

BENCHMARK(BM_RefreshOnly_20000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Activation_500Students_20000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Activation_5000Students_20000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Activation_500Students_WithLists)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Activation_5000Students_WithLists)->Unit(benchmark::kMillisecond)->Iterations(3);

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
