// What a student waits for, on a generated school with 20000 results: start-up to the
// painted name screen (the real executable) against a minimal Qt window, the level menu
// from the name screen's key to the painted lists, a change of results table to the
// painted lists, a digit typed in the drill to the painted screen, the statistics
// refresh and one append. Every screen figure runs from a real key or mouse event until
// the screen's new state has been painted. scripts/bench-readme.sh runs these and writes
// the README's table.
#include "data/resultstore.h"
#include "drill/gui/drillscreen.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "programbench.h"
#include "students/gui/namescreen.h"

#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QRadioButton>

#include <benchmark/benchmark.h>

namespace {

using kz::bench::Program;
using kz::bench::Samples;
using kz::bench::School;
using kz::bench::untilPainted;

constexpr int kRecords = 20000;

// A program started offscreen, timed until it says that its window has been painted
// (KAZURIN2_REPORT_PAINTED); the program is ended then.
bool timeUntilPainted(const QString& exe, qint64* nanoseconds) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("KAZURIN2_REPORT_PAINTED"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    program.setReadChannel(QProcess::StandardError);
    QElapsedTimer t;
    t.start();
    program.start(exe, {});
    QByteArray said;
    bool painted = false;
    while (!painted && t.elapsed() < 60000 && program.state() != QProcess::NotRunning) {
        if (program.waitForReadyRead(100))
            said += program.readAllStandardError();
        painted = said.contains("name screen painted");
    }
    *nanoseconds = t.nsecsElapsed();
    if (!painted)
        qWarning("%s did not say that it painted (%s); it said: %s", qPrintable(exe),
                 program.state() == QProcess::NotRunning ? "ended" : "running", said.constData());
    program.terminate();
    if (!program.waitForFinished(10000)) {
        program.kill();
        program.waitForFinished(10000);
    }
    return painted;
}

// The real executable, copied into the school's program folder: splash, installation,
// statistics, roster and the name list, until the name screen has been painted.
void BM_StartupToNameScreenPainted_Process(benchmark::State& st) {
    School school(static_cast<int>(st.range(0)), kRecords);
    const QString exe = school.programFolder + QStringLiteral("/kazurin2");
    if (!school.ok || !QFile::copy(QStringLiteral(KZ_PROGRAM_EXE), exe)) {
        st.SkipWithError("cannot lay out the school");
        return;
    }
    QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
    Samples samples;
    for (auto _ : st) {
        qint64 ns = 0;
        if (!timeUntilPainted(exe, &ns)) {
            st.SkipWithError("the program did not paint its name screen");
            return;
        }
        st.SetIterationTime(static_cast<double>(ns) / 1e9);
        samples.add(ns);
    }
    samples.report(st);
}

// The yardstick: a minimal Qt window shown after the splash timer's 100 ms.
void BM_MinimalWindowPainted_Process(benchmark::State& st) {
    Samples samples;
    for (auto _ : st) {
        qint64 ns = 0;
        if (!timeUntilPainted(QStringLiteral(KZ_MINIMAL_WINDOW_EXE), &ns)) {
            st.SkipWithError("the minimal window was not painted");
            return;
        }
        st.SetIterationTime(static_cast<double>(ns) / 1e9);
        samples.add(ns);
    }
    samples.report(st);
}

kz::LevelMenuScreen* activatedMenu(Program& program) {
    kz::LevelMenuScreen* menu = program.navigator->levelMenu();
    return menu && menu->isActivated() && !menu->rebuilding() ? menu : nullptr;
}

kz::NameScreen* readyNameScreen(Program& program) {
    kz::NameScreen* screen = program.navigator->nameScreen();
    if (!screen || !screen->isVisible())
        return nullptr;
    auto* panel = screen->findChild<QWidget*>(QStringLiteral("Picture5"));
    return panel && !panel->isVisible() ? screen : nullptr;
}

// The student's "1" on the name screen (a name chosen) until the level menu has been
// painted with its 25 lists and the student's figures: what the student waits for after
// choosing the name, and after every attempt.
void BM_LevelMenuFromNameScreen(benchmark::State& st) {
    School school(static_cast<int>(st.range(0)), kRecords);
    Program program(school);
    program.navigator->showNameScreen();
    if (!untilPainted([&] { return program.navigator->nameScreen(); },
                      [&] { return readyNameScreen(program) != nullptr; })) {
        st.SkipWithError("no name screen");
        return;
    }
    Samples samples;
    qint64 lines = 0;
    int round = 0;
    for (auto _ : st) {
        st.PauseTiming();
        kz::NameScreen* names = readyNameScreen(program);
        if (!kz::bench::chooseNameLine(names, 1 + round++ % 40)) {
            st.SkipWithError("no name to choose");
            return;
        }
        QElapsedTimer t;
        st.ResumeTiming();
        t.start();
        QTest::keyClick(names, Qt::Key_1);
        const bool painted = untilPainted([&] { return program.navigator->levelMenu(); },
                                          [&] { return activatedMenu(program) != nullptr; });
        const qint64 ns = t.nsecsElapsed();
        st.PauseTiming();
        if (!painted) {
            st.SkipWithError("the level menu was not painted");
            return;
        }
        samples.add(ns);
        kz::LevelMenuScreen* menu = activatedMenu(program);
        lines = 0;
        for (int level = 1; level <= menu->levelCount(); ++level)
            lines += menu->column(level).list5->model()->rowCount();
        // Back to a new name screen with "0", as the student goes back.
        QTest::keyClick(menu, Qt::Key_0);
        if (!untilPainted([&] { return program.navigator->nameScreen(); },
                          [&] { return readyNameScreen(program) != nullptr; })) {
            st.SkipWithError("no name screen after 戻る");
            return;
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        st.ResumeTiming();
    }
    st.counters["lines"] = static_cast<double>(lines);
    samples.report(st);
}

// A click on a table's option of an activated level menu (another table shown before)
// until the 25 lists have been painted again. Arguments: students, display (0 times,
// 1 points), table (1 ranking, 2 today, 3 period).
void BM_TableSwitch(benchmark::State& st) {
    School school(static_cast<int>(st.range(0)), kRecords);
    Program program(school);
    program.chooseStudent(7);
    program.navigator->showLevelMenu();
    if (!untilPainted([&] { return program.navigator->levelMenu(); },
                      [&] { return activatedMenu(program) != nullptr; })) {
        st.SkipWithError("the level menu did not activate");
        return;
    }
    kz::LevelMenuScreen* menu = program.navigator->levelMenu();
    auto option = [menu](const char* name, int i) {
        return menu->findChild<QRadioButton*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
    };
    const int table = static_cast<int>(st.range(2));
    QRadioButton* chosen = option("Option1", table);
    QRadioButton* other = option("Option1", table == 1 ? 2 : 1);
    QTest::mouseClick(option("Option2", static_cast<int>(st.range(1))), Qt::LeftButton);
    if (!untilPainted([&] { return menu; }, [&] { return activatedMenu(program) != nullptr; })) {
        st.SkipWithError("the display was not chosen");
        return;
    }
    Samples samples;
    qint64 lines = 0;
    for (auto _ : st) {
        st.PauseTiming();
        QTest::mouseClick(other, Qt::LeftButton);
        untilPainted([&] { return menu; }, [&] { return activatedMenu(program) != nullptr; });
        QElapsedTimer t;
        st.ResumeTiming();
        t.start();
        QTest::mouseClick(chosen, Qt::LeftButton);
        const bool painted =
            untilPainted([&] { return menu; }, [&] { return activatedMenu(program) != nullptr; });
        const qint64 ns = t.nsecsElapsed();
        if (!painted) {
            st.SkipWithError("the lists were not painted");
            return;
        }
        samples.add(ns);
    }
    for (int level = 1; level <= menu->levelCount(); ++level)
        lines += menu->column(level).list5->model()->rowCount();
    st.counters["lines"] = static_cast<double>(lines);
    samples.report(st);
}

// A digit typed on the drill screen until the screen shows it painted.
void BM_DrillKeyPressToPaint(benchmark::State& st) {
    School school(500, kRecords);
    Program program(school);
    program.chooseStudent(7);
    program.run.chooseLevel(1);
    program.navigator->showDrillScreen();
    kz::DrillScreen* drill = nullptr;
    if (!untilPainted([&] { return program.navigator->drillScreen(); },
                      [&] {
                          drill = program.navigator->drillScreen();
                          return drill && drill->isActivated();
                      })) {
        st.SkipWithError("no drill screen");
        return;
    }
    auto* typed = drill->findChild<QLabel*>(QStringLiteral("inputLabel"));
    if (!typed) {
        st.SkipWithError("the drill shows no typed answer");
        return;
    }
    Samples samples;
    for (auto _ : st) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(drill, Qt::Key_1);
        const bool painted = untilPainted([&] { return drill; }, [&] { return !typed->text().isEmpty(); });
        samples.add(t.nsecsElapsed());
        st.PauseTiming();
        QTest::keyClick(drill, Qt::Key_Backspace);
        const bool erased = untilPainted([&] { return drill; }, [&] { return typed->text().isEmpty(); });
        st.ResumeTiming();
        if (!painted || !erased) {
            st.SkipWithError("the drill does not take keys");
            return;
        }
    }
    samples.report(st);
}

// The refresh after an attempt: one record appended (by this station or another), then
// the run's refresh over the newest 20000 records.
void BM_StatisticsRefresh_AfterAppend(benchmark::State& st) {
    School school(5000, kRecords);
    Program program(school);
    (void)program.run.refreshStatistics();
    const kz::ResultRecord record = kz::makeResultRecord(kz::bench::kBenchNow, 7, 3, 45, u"00123");
    Samples samples;
    for (auto _ : st) {
        st.PauseTiming();
        if (!kz::appendResult(school.resultsPath(), record).ok()) {
            st.SkipWithError("cannot append");
            return;
        }
        QElapsedTimer t;
        st.ResumeTiming();
        t.start();
        const kz::Status e = program.run.refreshStatistics();
        samples.add(t.nsecsElapsed());
        benchmark::DoNotOptimize(e.ok());
    }
    st.counters["appended_counting"] =
        program.state->tables.statistics.lastCounting() == kz::StatisticsTables::Counting::Appended ? 1 : 0;
    samples.report(st);
}

// The refresh with nothing new (the level menu after the name screen).
void BM_StatisticsRefresh_Unchanged(benchmark::State& st) {
    School school(5000, kRecords);
    Program program(school);
    (void)program.run.refreshStatistics();
    Samples samples;
    for (auto _ : st) {
        QElapsedTimer t;
        t.start();
        const kz::Status e = program.run.refreshStatistics();
        samples.add(t.nsecsElapsed());
        benchmark::DoNotOptimize(e.ok());
    }
    samples.report(st);
}

// Every record counted afresh (the first refresh of the day, new criteria, a record
// changed by the record browser).
void BM_StatisticsRefresh_Afresh(benchmark::State& st) {
    School school(5000, kRecords);
    Program program(school);
    (void)program.run.refreshStatistics();
    Samples samples;
    for (auto _ : st) {
        st.PauseTiming();
        program.state->tables.statistics.clearBestTimes(); // nothing to continue from
        QElapsedTimer t;
        st.ResumeTiming();
        t.start();
        const kz::Status e = program.run.refreshStatistics();
        samples.add(t.nsecsElapsed());
        benchmark::DoNotOptimize(e.ok());
    }
    samples.report(st);
}

void BM_Append(benchmark::State& st) {
    School school(5000, kRecords);
    const kz::ResultRecord record = kz::makeResultRecord(kz::bench::kBenchNow, 7, 3, 45, u"00123");
    Samples samples;
    for (auto _ : st) {
        QElapsedTimer t;
        t.start();
        const kz::Outcome<kz::AppendedRecord> o = kz::appendResult(school.resultsPath(), record);
        samples.add(t.nsecsElapsed());
        benchmark::DoNotOptimize(o.ok());
    }
    samples.report(st);
}

} // namespace

BENCHMARK(BM_MinimalWindowPainted_Process)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToNameScreenPainted_Process)
    ->Arg(5000)
    ->UseManualTime()
    ->Iterations(7)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LevelMenuFromNameScreen)->Arg(500)->Arg(5000)->Iterations(11)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableSwitch)
    ->ArgsProduct({{500, 5000}, {0, 1}, {1, 2, 3}})
    ->ArgNames({"students", "display", "table"})
    ->Iterations(9)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrillKeyPressToPaint)->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatisticsRefresh_AfterAppend)->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatisticsRefresh_Unchanged)->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatisticsRefresh_Afresh)->Iterations(50)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Append)->Iterations(50)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return kz::bench::runBenchmarks(argc, argv);
}
