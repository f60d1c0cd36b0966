// The program as a school meets it, on a generated school of N students and 20000
// results: start-up to the name screen (the real executable, offscreen, and in-process),
// the name screen built, the level menu activated, a drill key press repainted, the
// statistics refresh, one append, and the peak memory. Figures of the README's
// performance table come from here (Release build).
#include "app/appnavigator.h"
#include "benchsupport.h"
#include "core/catalogue.h"
#include "core/gui/retrynotice.h"
#include "core/gui/startupsteps.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "data/resultstore.h"
#include "data/textio.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kRecords = 20000;
const QDateTime kNow(QDate(2026, 12, 1), QTime(15, 0));

bool writeLines(const QString& path, const QStringList& lines) {
    return kz::writeCp932Lines(path, lines).ok();
}

// common/パスデータ.txt, the program folder common/kazurin2, data/ with the settings,
// the roster of `students` students, the criteria of the 25 levels, a sound list
// without sounds and `records` results of the last 60 days.
struct School {
    QTemporaryDir dir;
    QString common;
    QString programFolder;
    QString data;
    bool ok = false;

    School(int students, int records) {
        common = dir.path() + QStringLiteral("/common/");
        programFolder = common + QStringLiteral("kazurin2");
        data = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(programFolder);
        QDir().mkpath(data + QStringLiteral("kazurin2"));
        QDir().mkpath(data + QStringLiteral("音フォルダ"));
        QStringList roster;
        static const QStringList family{QStringLiteral("山田"), QStringLiteral("佐藤"),
                                        QStringLiteral("鈴木"), QStringLiteral("高橋"),
                                        QStringLiteral("田中"), QStringLiteral("伊藤")};
        for (int b = 1; b <= students; ++b)
            roster
                << QStringLiteral("%1,%2,0,0,%3　%4,0,,").arg(b).arg(2008 + b % 12).arg(family[b % 6]).arg(b);
        QStringList criteria{
            QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,")};
        for (int level = 1; level <= 25; ++level)
            criteria << QStringLiteral("%1,%2,50,3,1.5,10,300,7,1,,,").arg(60 + level).arg(200);
        ok =
            writeLines(common + QStringLiteral("パスデータ.txt"), {data, QStringLiteral("0")}) &&
            writeLines(data + QStringLiteral("共通データ.txt"),
                       {QStringLiteral("4,00123さくら塾,0,,,1414,,,,")}) &&
            writeLines(data + QStringLiteral("新名簿.txt"), roster) &&
            writeLines(data + QStringLiteral("kazurin2/タイム回数データ.txt"), criteria) &&
            writeLines(data + QStringLiteral("音フォルダ/新音ファイル.txt"), {QStringLiteral("正解音1,*")}) &&
            kz::bench::writeSampleResults(
                resultsPath(),
                {.records = records, .students = students, .now = kNow, .siteCode = QStringLiteral("00123")});
    }

    QString resultsPath() const { return data + QStringLiteral("kazurin2/成績累積データ.dat"); }
    QString rosterPath() const { return data + QStringLiteral("新名簿.txt"); }
};

// The program's navigator with a fixed clock, no sounds or boxes, and a run whose waits
// keep the screens alive without the retry notice: the figures are the reading and the
// screens, not the window system.
struct Program {
    School& school;
    kz::test::FakeClock clock{kNow};
    kz::ProgramRun run{clock, kz::test::fileWaitsCalling([](const QString&, const QString&, int ms) {
                           kz::waitKeepingScreensAlive(ms);
                       })};
    kz::RunState* state = &kz::RunStateSetUp::of(run);
    kz::test::ScriptedRandom random;
    kz::PresetMessageBox messages;
    kz::test::NullCues cues;
    kz::test::RefusingLauncher launcher;
    std::unique_ptr<kz::AppNavigator> navigator;

    explicit Program(School& s) : school(s) {
        run.prepareRun(random);
        if (!kz::resolveAndReport(school.programFolder, run, messages, nullptr))
            qFatal("the benchmark school does not resolve");
        navigator = std::make_unique<kz::AppNavigator>(run, clock, random, messages, cues, launcher);
    }

    // The current student, as the name screen's confirmation sets it.
    void chooseStudent(int bangou) {
        state->student.currentBangou = static_cast<qint16>(bangou);
        state->student.currentName = QStringLiteral("山田　%1").arg(bangou);
        state->student.currentGradeLabel = QStringLiteral("小３");
        kz::buildLevelCatalogue(*state);
    }
};

template <typename Done> bool spinUntil(Done done, int timeoutMs = 60000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The real executable, copied into the school's program folder, started offscreen;
// timed until its name screen reads the roster (nothing before it does).
void BM_StartupToNameScreen_Process(benchmark::State& st) {
    School school(static_cast<int>(st.range(0)), kRecords);
    const QString exe = school.programFolder + QStringLiteral("/kazurin2");
    if (!school.ok || !QFile::copy(QStringLiteral(KZ_PROGRAM_EXE), exe)) {
        st.SkipWithError("cannot lay out the school");
        return;
    }
    QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
    for (auto _ : st) {
        const int fd = inotify_init1(IN_CLOEXEC);
        inotify_add_watch(fd, QFile::encodeName(school.rosterPath()).constData(), IN_OPEN);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        program.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        program.start(exe, {});
        pollfd p{fd, POLLIN, 0};
        const bool reached = poll(&p, 1, 60000) == 1;
        st.SetIterationTime(static_cast<double>(t.nsecsElapsed()) / 1e9);
        ::close(fd);
        QTest::qWait(1500); // the name screen finished and idle: its memory is in the peak
        program.terminate();
        program.waitForFinished(20000);
        if (!reached) {
            st.SkipWithError("the program did not reach its name screen");
            return;
        }
    }
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    st.counters["child_peak_MB"] = static_cast<double>(children.ru_maxrss) / 1024.0;
}

// Start-up in-process: installation resolved, the name screen shown and its list built.
void BM_StartupToNameScreen_InProcess(benchmark::State& st) {
    School school(5000, kRecords);
    for (auto _ : st) {
        Program program(school);
        program.navigator->showNameScreen();
        if (!spinUntil([&] {
                return program.navigator->nameScreen() && program.navigator->nameScreen()->isVisible();
            }))
            st.SkipWithError("no name screen");
        st.PauseTiming();
        delete program.navigator->nameScreen();
        QCoreApplication::processEvents();
        st.ResumeTiming();
    }
}

void BM_NameScreen(benchmark::State& st) {
    School school(static_cast<int>(st.range(0)), kRecords);
    Program program(school);
    for (auto _ : st) {
        program.navigator->showNameScreen();
        QCoreApplication::processEvents();
        st.PauseTiming();
        delete program.navigator->nameScreen();
        QCoreApplication::processEvents();
        st.ResumeTiming();
    }
}

void BM_LevelMenuActivation(benchmark::State& st) {
    School school(static_cast<int>(st.range(0)), kRecords);
    Program program(school);
    program.chooseStudent(7);
    for (auto _ : st) {
        program.navigator->showLevelMenu();
        if (!spinUntil([&] {
                return program.navigator->levelMenu() && program.navigator->levelMenu()->isActivated();
            }))
            st.SkipWithError("the level menu did not activate");
        st.PauseTiming();
        delete program.navigator->levelMenu();
        QCoreApplication::processEvents();
        st.ResumeTiming();
    }
}

// A digit typed on the drill screen, then the screen painted: what a student waits for.
void BM_DrillKeyPressToRepaint(benchmark::State& st) {
    School school(500, kRecords);
    Program program(school);
    program.chooseStudent(7);
    program.run.chooseLevel(1);
    program.navigator->showDrillScreen();
    kz::DrillScreen* drill = nullptr;
    if (!spinUntil([&] {
            drill = program.navigator->drillScreen();
            return drill && drill->isActivated();
        })) {
        st.SkipWithError("no drill screen");
        return;
    }
    auto* typed = drill->findChild<QLabel*>(QStringLiteral("inputLabel"));
    drill->handleKey(Qt::Key_1, QStringLiteral("1"));
    if (!typed || typed->text().isEmpty()) {
        st.SkipWithError("the drill does not take keys");
        return;
    }
    drill->handleKey(Qt::Key_Backspace, QString(QChar(8)));
    for (auto _ : st) {
        drill->handleKey(Qt::Key_1, QStringLiteral("1"));
        drill->repaint();
        st.PauseTiming();
        drill->handleKey(Qt::Key_Backspace, QString(QChar(8)));
        drill->repaint();
        st.ResumeTiming();
    }
}

void BM_StatisticsRefresh(benchmark::State& st) {
    School school(5000, kRecords);
    Program program(school);
    for (auto _ : st) {
        const kz::Status e = program.run.refreshStatistics();
        benchmark::DoNotOptimize(e.ok());
    }
}

void BM_Append(benchmark::State& st) {
    School school(5000, kRecords);
    const kz::ResultRecord record = kz::makeResultRecord(kNow, 7, 3, 45, u"00123");
    for (auto _ : st) {
        const kz::Outcome<kz::AppendedRecord> o = kz::appendResult(school.resultsPath(), record);
        benchmark::DoNotOptimize(o.ok());
    }
}

// The whole program's state with 5000 students and 20000 records: name screen, then the
// level menu with every figure; the process's peak resident memory afterwards.
void BM_PeakMemory_5000Students(benchmark::State& st) {
    School school(5000, kRecords);
    for (auto _ : st) {
        Program program(school);
        program.navigator->showNameScreen();
        QCoreApplication::processEvents();
        program.chooseStudent(7);
        program.navigator->showLevelMenu();
        spinUntil(
            [&] { return program.navigator->levelMenu() && program.navigator->levelMenu()->isActivated(); });
        delete program.navigator->levelMenu();
        QCoreApplication::processEvents();
    }
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    st.counters["peak_MB"] = static_cast<double>(self.ru_maxrss) / 1024.0;
}

} // namespace

BENCHMARK(BM_StartupToNameScreen_Process)
    ->Arg(5000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToNameScreen_InProcess)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameScreen)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LevelMenuActivation)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrillKeyPressToRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatisticsRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PeakMemory_5000Students)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return kz::bench::runBenchmarks(argc, argv);
}
