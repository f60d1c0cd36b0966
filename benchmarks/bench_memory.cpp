// Peak memory, each benchmark in a process of its own (scripts/bench-readme.sh runs them
// one by one, since a process's peak covers everything it did before):
// - the program over a class day with 5000 students and 20000 records: 70 visits from the
//   name screen to the level menu and back, then 24 changes of results table;
// - the companion's check on a school whose answer log holds 30 MB.
#include "data/answerlog.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "programbench.h"
#include "students/gui/namescreen.h"

#include <QFile>
#include <QRadioButton>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using kz::bench::Program;
using kz::bench::School;
using kz::bench::untilPainted;

double peakOfThisProcessMB() {
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    return static_cast<double>(self.ru_maxrss) / 1024.0;
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

void BM_SustainedPeakMemory_5000Students(benchmark::State& st) {
    School school(5000, 20000);
    for (auto _ : st) {
        Program program(school);
        program.navigator->showNameScreen();
        bool ok = untilPainted([&] { return program.navigator->nameScreen(); },
                               [&] { return readyNameScreen(program) != nullptr; });
        st.counters["name_screen_MB"] = peakOfThisProcessMB();
        const char* failedAt = ok ? "" : "the first name screen";
        for (int visit = 0; ok && visit < 70; ++visit) {
            ok = kz::bench::chooseNameLine(readyNameScreen(program), 1 + visit * 37 % 4000);
            failedAt = "choosing a name";
            if (!ok)
                break;
            QTest::keyClick(readyNameScreen(program), Qt::Key_1);
            ok = untilPainted([&] { return program.navigator->levelMenu(); },
                              [&] { return activatedMenu(program) != nullptr; });
            failedAt = "the level menu";
            if (!ok)
                break;
            QTest::keyClick(activatedMenu(program), Qt::Key_0);
            ok = untilPainted([&] { return program.navigator->nameScreen(); },
                              [&] { return readyNameScreen(program) != nullptr; });
            failedAt = "back to the name screen";
            if (qEnvironmentVariableIsSet("KZ_BENCH_TRACE_RSS")) {
                QFile statm(QStringLiteral("/proc/self/statm"));
                statm.open(QIODevice::ReadOnly);
                qWarning("visit %d: rss %s pages, peak %.1f MB", visit,
                         statm.readAll().split(' ').value(1).constData(), peakOfThisProcessMB());
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        st.counters["visits_MB"] = peakOfThisProcessMB();
        // The level menu once more, and 24 changes of table: every display and table in turn.
        ok = ok && kz::bench::chooseNameLine(readyNameScreen(program), 7);
        if (ok)
            QTest::keyClick(readyNameScreen(program), Qt::Key_1);
        ok = ok && untilPainted([&] { return program.navigator->levelMenu(); },
                                [&] { return activatedMenu(program) != nullptr; });
        for (int change = 0; ok && change < 24; ++change) {
            kz::LevelMenuScreen* menu = activatedMenu(program);
            if (change % 3 == 0) {
                QTest::mouseClick(
                    menu->findChild<QRadioButton*>(QStringLiteral("Option2_%1").arg(change / 3 % 2)),
                    Qt::LeftButton);
                ok = untilPainted([&] { return menu; }, [&] { return activatedMenu(program) != nullptr; });
                failedAt = "a display chosen";
            }
            QTest::mouseClick(
                menu->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(1 + change % 3)),
                Qt::LeftButton);
            ok = ok && untilPainted([&] { return menu; }, [&] { return activatedMenu(program) != nullptr; });
            failedAt = ok ? "" : "a table chosen";
        }
        if (!ok) {
            qWarning("stopped at: %s", failedAt);
            st.SkipWithError("the screens did not follow");
            return;
        }
    }
    st.counters["peak_MB"] = peakOfThisProcessMB();
}

// A school whose answer log holds `megabytes` MB: attempts of 30 to 32 answers, each
// with its record in the results file.
bool writeAnswerLogSchool(const School& school, qint64 megabytes, qint64* logBytes) {
    QFile log(school.data + QStringLiteral("kazurin2/") + kz::answerLogFileName());
    QFile results(school.resultsPath());
    if (!log.open(QIODevice::WriteOnly) || !results.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = kz::answerLogHeader() + '\n';
    QByteArray records;
    std::mt19937 random(20261201);
    const QDateTime start(QDate(2026, 4, 6), QTime(15, 0));
    for (int i = 0; text.size() < megabytes * 1024 * 1024; ++i) {
        const QDateTime when = start.addSecs(qint64(i) * 197);
        const int student = 1 + static_cast<int>(random() % 5000);
        const int level = 1 + static_cast<int>(random() % 25);
        const int table = 14 + static_cast<int>(random() % 3);
        QList<kz::AnsweredQuestion> answers;
        for (int q = 0; q < 30 + static_cast<int>(random() % 3); ++q) {
            const int n = 1 + q % 20;
            const bool right = random() % 20 != 0;
            answers.append({table, n, QString::number(right ? table * n : table * n + 1), right, q >= 30,
                            600 + static_cast<qint64>(random() % 5000)});
        }
        text += kz::formatAttemptAnswers(when, student, level, answers);
        records += kz::encodeResultRecord(kz::makeResultRecord(when, static_cast<qint16>(student),
                                                               static_cast<qint16>(level), 95, u"00123"));
    }
    *logBytes = text.size();
    return log.write(text) == text.size() && results.write(records) == records.size();
}

void BM_CheckPeakMemory_30MBAnswerLog(benchmark::State& st) {
    School school(5000, 0);
    qint64 logBytes = 0;
    if (!school.ok || !writeAnswerLogSchool(school, 30, &logBytes)) {
        st.SkipWithError("cannot lay out the school");
        return;
    }
    const QByteArray exe = QByteArrayLiteral(KZ_ADMIN_EXE);
    const QByteArray folder = QFile::encodeName(school.programFolder);
    double peak = 0;
    int status = -1;
    for (auto _ : st) {
        char* argv[] = {const_cast<char*>(exe.constData()), const_cast<char*>("check"),
                        const_cast<char*>("--program-folder"), const_cast<char*>(folder.constData()),
                        nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        if (posix_spawn(&pid, exe.constData(), &actions, nullptr, argv, environ) != 0) {
            st.SkipWithError("cannot start the companion");
            return;
        }
        posix_spawn_file_actions_destroy(&actions);
        rusage usage{};
        int wstatus = 0;
        wait4(pid, &wstatus, 0, &usage);
        status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        peak = std::max(peak, static_cast<double>(usage.ru_maxrss) / 1024.0);
    }
    st.counters["log_MB"] = static_cast<double>(logBytes) / (1024.0 * 1024.0);
    st.counters["peak_MB"] = peak;
    st.counters["exit_status"] = status;
}

} // namespace

BENCHMARK(BM_SustainedPeakMemory_5000Students)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckPeakMemory_30MBAnswerLog)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return kz::bench::runBenchmarks(argc, argv);
}
