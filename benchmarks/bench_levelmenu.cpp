// How long the level menu takes to become usable after every attempt: the statistics
// refresh from a results file of 20000 records, 25 columns filled, level availability.
#include "core/catalogue.h"
#include "core/recording.h"
#include "core/runstate.h"
#include "data/resultstore.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

constexpr int kRecords = 20000;

struct Bench {
    QTemporaryDir dir;
    std::unique_ptr<kz::RunState> state = std::make_unique<kz::RunState>();
    kz::test::FakeClock clock;
    kz::test::ScriptedRandom random;
    kz::PresetMessageBox messages;
    kz::test::NullCues cues;
    kz::test::NullNavigator navigator;
    kz::AppContext context{*state, clock, random, messages, cues, navigator};
    int students = 0;
    bool fileWritten = false;

    Bench(int studentCount, int records) : students(studentCount) {
        kz::initRunState(*state);
        kz::buildLevelCatalogue(*state);
        state->currentBangou = 1;
        state->currentName = QStringLiteral("山田太郎");
        state->currentGradeLabel = QStringLiteral("小３");
        state->installation.siteName = QStringLiteral("さくら塾");
        state->installation.programDataFolder = dir.path() + QLatin1Char('/');
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
        fileWritten = writeResults(records);
    }

    // Attempts over the last 60 days by every student at every level, 2% timed out.
    bool writeResults(int records) const {
        std::mt19937 engine(42);
        QByteArray bytes;
        bytes.reserve(records * kz::ResultRecord::kSize);
        const QDateTime now = clock.now();
        for (int i = 0; i < records; ++i) {
            const QDateTime moment = now.addDays(-static_cast<qint64>(engine() % 60))
                                         .addSecs(-static_cast<qint64>(engine() % 36000));
            const auto bangou = static_cast<qint16>(1 + engine() % static_cast<unsigned>(students));
            const auto level = static_cast<qint16>(1 + engine() % 25);
            const qint32 time = engine() % 50 == 0 ? 99999 : static_cast<qint32>(20 + engine() % 400);
            bytes += kz::encodeResultRecord(kz::makeResultRecord(moment, bangou, level, time, u"12345"));
        }
        QFile file(state->installation.resultsPath());
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // The refresh the program runs at every activation.
    void refresh() {
        const kz::ResultsLoadError error = kz::refreshStatistics(*state, clock);
        if (!error.ok())
            qFatal("%s", qPrintable(error.message()));
    }

    // One line per student and level, as a ranking list holds them.
    void fillLists(kz::LevelMenuScreen& menu) const {
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

bool ready(benchmark::State& st, const Bench& bench) {
    if (bench.fileWritten)
        return true;
    st.SkipWithError("could not write the results file");
    return false;
}

// A new level menu shown and activated, as after every attempt.
void runActivation(benchmark::State& st, int students, bool lists) {
    Bench bench(students, kRecords);
    if (!ready(st, bench))
        return;
    for (auto _ : st) {
        kz::LevelMenuHooks hooks;
        hooks.refreshStatistics = [&bench] { bench.refresh(); };
        if (lists)
            hooks.buildResults = [&bench](kz::LevelMenuScreen& menu) { bench.fillLists(menu); };
        kz::LevelMenuScreen menu(bench.context, hooks);
        menu.show();
        menu.activate();
        benchmark::DoNotOptimize(menu.isActivated());
        QCoreApplication::processEvents();
    }
    st.counters["loaded"] = static_cast<double>(bench.state->statistics.loaded.size());
}

void BM_Activation_500Students_20000Records(benchmark::State& st) {
    runActivation(st, 500, false);
}
void BM_Activation_5000Students_20000Records(benchmark::State& st) {
    runActivation(st, 5000, false);
}
// The same with one results line per student in every level's list (the ranking tables).
void BM_Activation_500Students_WithLists(benchmark::State& st) {
    runActivation(st, 500, true);
}
void BM_Activation_5000Students_WithLists(benchmark::State& st) {
    runActivation(st, 5000, true);
}

void BM_RefreshOnly_20000Records(benchmark::State& st) {
    Bench bench(5000, kRecords);
    if (!ready(st, bench))
        return;
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
