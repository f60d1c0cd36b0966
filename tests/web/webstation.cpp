// A classroom station as a process of its own, for the tests of the teachers' web pages.
//   webstation <program-folder> <student> <level> <recorded-time> <wrong-answers>
//       starts up on the installation like the program does and records one attempt
//       through the program's recording step, with ten judged answers of which the first
//       <wrong-answers> were wrong, written to the answer log as the end of an attempt does.
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/clock.h"
#include "platform/randomsource.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {
class ShortWait final : public kz::FileWait {
public:
    void wait(int) override { QThread::msleep(10); }
};
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        std::fprintf(stderr, "usage: webstation <program-folder> <student> <level> <time> <wrong>\n");
        return 1;
    }
    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::ProgramRun run(clock, [](const QString&, const QString&) -> std::unique_ptr<kz::FileWait> {
        return std::make_unique<ShortWait>();
    });
    run.prepareRun(random);
    const kz::Outcome<QStringList> started = run.resolveInstallation(args[1]);
    if (!started) {
        std::fprintf(stderr, "%s\n", qPrintable(started.error().text()));
        return 2;
    }
    if (const kz::Status e = run.refreshStatistics(); !e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.error().text()));
        return 3;
    }
    run.chooseStudent(args[2].toInt());
    run.chooseLevel(args[3].toInt());
    run.startAttempt();
    const int wrong = args[5].toInt();
    for (int i = 0; i < 10; ++i)
        run.recordAnswer({14, i + 1, QString::number(14 * (i + 1) + (i < wrong ? 1 : 0)), i >= wrong, false,
                          1500 + 100 * i});
    const qint32 time = args[4].toInt();
    (void)run.endAttempt(time >= 99999, time);
    if (const kz::Status out = run.recordEndedAttempt(); !out) {
        std::fprintf(stderr, "%s\n", qPrintable(out.error().text()));
        return 4;
    }
    // The station is the only one recording while the test runs: its record is the last.
    const kz::Outcome<kz::ResultsFileContents> all = run.readAllRecords();
    if (!all) {
        std::fprintf(stderr, "%s\n", qPrintable(all.error().text()));
        return 5;
    }
    std::printf("%d\n", static_cast<int>(all->records.size()));
    return 0;
}
