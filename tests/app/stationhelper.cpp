// A classroom station as a process of its own, for the test of several stations on one
// data folder.
//   stationhelper record <program-folder> <student> <count> <go-file>
//       starts up on the installation like the program does, waits for <go-file>, then
//       records <count> attempts of <student> through the program's recording step, the
//       recorded times 1..count in order, at levels 1..4 in turn.
//   stationhelper remove <program-folder> <k> <go-file>
//       waits for <go-file>, then removes record k as the record browser does.
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/clock.h"
#include "platform/randomsource.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cstdio>

namespace {
void waitFor(const QString& path) {
    while (!QFile::exists(path))
        QThread::usleep(200);
}
// A station that waits only briefly for the others, so that they meet often.
class ShortWait final : public kz::FileWait {
public:
    void wait(int) override { QThread::usleep(100); }
};
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5 || (args[1] != u"record" && args[1] != u"remove")) {
        std::fprintf(stderr, "usage: stationhelper record|remove ...\n");
        return 1;
    }
    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::ProgramRun run(clock, [](const QString&, const QString&) -> std::unique_ptr<kz::FileWait> {
        return std::make_unique<ShortWait>();
    });
    run.prepareRun(random);
    const kz::Outcome<QStringList> started = run.resolveInstallation(args[2]);
    if (!started) {
        std::fprintf(stderr, "%s\n", qPrintable(started.error().text()));
        return 2;
    }
    if (args[1] == u"remove" && args.size() == 5) {
        waitFor(args[4]);
        const qint32 k = args[3].toInt();
        const kz::Outcome<kz::ResultRecord> shown = run.readRecord(k);
        const auto removed =
            shown ? run.removeRecord(k, *shown) : kz::Outcome<kz::RemovalResult>(shown.error());
        if (!removed) {
            std::fprintf(stderr, "%s\n", qPrintable(removed.error().text()));
            return 3;
        }
        return 0;
    }
    if (args.size() != 6)
        return 1;
    if (const kz::Status e = run.refreshStatistics(); !e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.error().text()));
        return 4;
    }
    run.chooseStudent(args[3].toInt());
    const int count = args[4].toInt();
    waitFor(args[5]);
    for (int i = 1; i <= count; ++i) {
        run.chooseLevel((i - 1) % 4 + 1);
        run.startAttempt();
        (void)run.endAttempt(false, i);
        if (const kz::Status out = run.recordEndedAttempt(); !out) {
            std::fprintf(stderr, "%s\n", qPrintable(out.error().text()));
            return 5;
        }
    }
    return 0;
}
