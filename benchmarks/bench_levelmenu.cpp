// How long the level menu takes to become usable: statistics refresh, 25 columns filled,
// level availability. The refresh below does the work of the real one (one pass over the
// loaded records into the eight tables and the best times), on synthetic records.
#include "core/catalogue.h"
#include "core/cues.h"
#include "core/gui/navigator.h"
#include "core/runstate.h"
#include "data/oledate.h"
#include "data/points.h"
#include "levelmenu/gui/seisekitime1.h"
#include "platform/gui/messagebox.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QListWidget>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

class NullNavigator final : public kz::Navigator {
public:
    void showNameScreen() override {}
    void showLevelMenu() override {}
    void launchDrill() override {}
    void showEndScreen() override {}
    void showCriteriaEditor() override {}
    void showRecordBrowser() override {}
    void showWaitWindow() override {}
    void closeWaitWindow() override {}
    void quitProgram(int) override {}
};

class NullCues final : public kz::Cues {
public:
    void playRightSound() override {}
    void playWrongSound() override {}
    void playKeyWarning() override {}
    void playPersonalBestSound() override {}
    void playSchoolBestSound() override {}
    void playPassSound() override {}
    void playMinimumLineSound() override {}
};

struct Bench {
    std::unique_ptr<kz::RunState> state = std::make_unique<kz::RunState>();
    kz::test::FakeClock clock;
    kz::test::ScriptedRandom random;
    kz::PresetMessageBox messages;
    NullCues cues;
    NullNavigator navigator;
    kz::AppContext context{*state, clock, random, messages, cues, navigator};
    int students = 0;

    Bench(int studentCount, int records) : students(studentCount) {
        kz::initRunState(*state);
        kz::buildLevelCatalogue(*state);
        state->currentBangou = 1;
        state->currentName = QStringLiteral("山田太郎");
        state->currentGradeLabel = QStringLiteral("小３");
        state->installation.siteName = QStringLiteral("さくら塾");
        for (int level = 1; level <= 25; ++level) {
            kz::PassCriteria& row = state->criteria.row(level);
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
        std::mt19937 engine(42);
        const double today = kz::oleFromDate(clock.today());
        for (int i = 0; i < records; ++i) {
            kz::LoadedResult r;
            r.date = today - static_cast<double>(engine() % 60);
            r.time = static_cast<double>(engine() % 86400) / kz::kOleSecondsPerDay;
            r.bangou = static_cast<qint16>(1 + engine() % static_cast<unsigned>(students));
            r.level = static_cast<qint16>(1 + engine() % 25);
            r.recordedTime = engine() % 50 == 0 ? 99999 : static_cast<qint32>(20 + engine() % 400);
            r.recordNumber = i + 1;
            state->statistics.loaded.append(r);
        }
    }

    // One pass over the loaded records, as the statistics refresh does it.
    void refresh() {
        kz::StatisticsTables& s = state->statistics;
        s.clearFigures();
        s.clearBestTimes();
        const double now = kz::oleFromDateTime(clock.now());
        const double today = kz::oleFromDate(clock.today());
        for (const kz::LoadedResult& r : std::as_const(s.loaded)) {
            if (s.bestTime(r.level, r.bangou) > r.recordedTime)
                s.setBestTime(r.level, r.bangou, r.recordedTime);
        }
        for (const kz::LoadedResult& r : std::as_const(s.loaded)) {
            const int level = r.level;
            const int bangou = r.bangou;
            const kz::PassCriteria& row = state->criteria.rows.at(static_cast<size_t>(level));
            const bool completed = r.recordedTime < 6000;
            const auto points = static_cast<qint32>(kz::attemptPoints(r.recordedTime, row).gainedPoints);
            if (completed)
                s.add(kz::StatisticsTables::TotalAttempts, level, bangou, 1);
            if (r.date > now - row.passPeriodDays) {
                if (completed)
                    s.add(kz::StatisticsTables::PassPeriodAttempts, level, bangou, 1);
                s.add(kz::StatisticsTables::PassPeriodPoints, level, bangou, points);
            }
            if (r.date > now - row.overdoPeriodDays) {
                if (completed)
                    s.add(kz::StatisticsTables::OverdoPeriodAttempts, level, bangou, 1);
                s.add(kz::StatisticsTables::OverdoPeriodPoints, level, bangou, points);
            }
            s.add(kz::StatisticsTables::TotalPoints, level, bangou, points);
            if (r.date == today) {
                if (completed)
                    s.add(kz::StatisticsTables::TodayAttempts, level, bangou, 1);
                s.add(kz::StatisticsTables::TodayPoints, level, bangou, points);
            }
        }
        for (int level = 1; level <= 35; ++level) {
            qint32 best = kz::StatisticsTables::kNoTime;
            for (int b = 1; b <= 1000; ++b)
                best = std::min(best, s.bestTime(level, b));
            s.setSchoolBestTime(level, best);
        }
    }

    // One line per student and level, as a ranking list holds them.
    void fillLists(kz::Seisekitime1& menu) const {
        const QString line = QStringLiteral(" 1①山田　　　 120/  450");
        for (int level = 1; level <= menu.levelCount(); ++level) {
            QListWidget* list = menu.column(level).list5;
            list->clear();
            QStringList lines;
            lines.reserve(students);
            for (int i = 0; i < students; ++i)
                lines.append(line);
            list->addItems(lines);
        }
    }
};

// A new level menu shown and activated, as after every attempt.
void runActivation(benchmark::State& st, int students, int records, bool lists) {
    Bench bench(students, records);
    for (auto _ : st) {
        kz::LevelMenuHooks hooks;
        hooks.refreshStatistics = [&bench] { bench.refresh(); };
        if (lists)
            hooks.buildResults = [&bench](kz::Seisekitime1& menu) { bench.fillLists(menu); };
        kz::Seisekitime1 menu(bench.context, hooks);
        menu.show();
        menu.activate();
        benchmark::DoNotOptimize(menu.isActivated());
        QCoreApplication::processEvents();
    }
}

void BM_Activation_500Students_20000Records(benchmark::State& st) { runActivation(st, 500, 20000, false); }
void BM_Activation_5000Students_20000Records(benchmark::State& st) { runActivation(st, 5000, 20000, false); }
// The same with one results line per student in every level's list (the ranking tables).
void BM_Activation_500Students_WithLists(benchmark::State& st) { runActivation(st, 500, 20000, true); }
void BM_Activation_5000Students_WithLists(benchmark::State& st) { runActivation(st, 5000, 20000, true); }

void BM_RefreshOnly_20000Records(benchmark::State& st) {
    Bench bench(5000, 20000);
    for (auto _ : st)
        bench.refresh();
}

} // namespace

BENCHMARK(BM_RefreshOnly_20000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Activation_500Students_20000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Activation_5000Students_20000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Activation_500Students_WithLists)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Activation_5000Students_WithLists)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
