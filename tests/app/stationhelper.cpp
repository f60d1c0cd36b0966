// A classroom station as a process of its own, for the test of several stations on one
// data folder.
//   stationhelper record <program-folder> <student> <count> <go-file>
//       starts up on the installation like the program does, waits for <go-file>, then
//       records <count> attempts of <student> through the program's recording step, the
//       recorded times 1..count in order, at levels 1..4 in turn.
//   stationhelper remove <program-folder> <k> <go-file>
//       waits for <go-file>, then removes record k as the record browser does.
#include "core/installation.h"
#include "core/recording.h"
#include "core/runstate.h"
#include "core/startup.h"
#include "data/resultmaintenance.h"
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
void shortWait(int) {
    QThread::usleep(100);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5 || (args[1] != u"record" && args[1] != u"remove")) {
        std::fprintf(stderr, "usage: stationhelper record|remove ...\n");
        return 1;
    }
    kz::RunState state;
    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::prepareRun(state, clock, random);
    const kz::Outcome<QStringList> started = kz::resolveInstallation(args[2], state);
    if (!started) {
        std::fprintf(stderr, "%s\n", qPrintable(started.error().text()));
        return 2;
    }
    if (args[1] == u"remove" && args.size() == 5) {
        waitFor(args[4]);
        kz::MaintenanceOptions options;
        options.wait = shortWait;
        const auto removed = kz::removeResult(state.settings.installation.resultsPath(),
                                              state.settings.installation.resultsTempPath(), args[3].toInt(),
                                              std::nullopt, options);
        if (!removed) {
            std::fprintf(stderr, "%s\n", qPrintable(removed.error().text()));
            return 3;
        }
        return 0;
    }
    if (args.size() != 6)
        return 1;
    if (const kz::Status e = kz::refreshStatistics(state, clock, shortWait); !e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.error().text()));
        return 4;
    }
    state.student.currentBangou = static_cast<qint16>(args[3].toInt());
    const int count = args[4].toInt();
    waitFor(args[5]);
    for (int i = 1; i <= count; ++i) {
        state.attempt.recordedTime = i;
        const kz::Outcome<kz::RecordedAttempt> out =
            kz::Seisekikiroku(state, (i - 1) % 4 + 1, clock, shortWait);
        if (!out) {
            std::fprintf(stderr, "%s\n", qPrintable(out.error().text()));
            return 5;
        }
    }
    return 0;
}
