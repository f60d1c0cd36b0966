// A classroom station as a process of its own, for the tests of the teachers' web pages.
//   webstation <program-folder> <student> <level> <recorded-time> <wrong-answers>
//       starts up on the installation like the program does and records one attempt
//       through the program's recording step, with ten judged answers of which the first
//       <wrong-answers> were wrong, written to the answer log as the end of an attempt does.
#include "core/answerlogging.h"
#include "core/recording.h"
#include "core/runstate.h"
#include "core/startup.h"
#include "platform/clock.h"
#include "platform/randomsource.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        std::fprintf(stderr, "usage: webstation <program-folder> <student> <level> <time> <wrong>\n");
        return 1;
    }
    kz::RunState state;
    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::prepareRun(state, clock, random);
    const kz::Outcome<QStringList> started = kz::resolveInstallation(args[1], state);
    if (!started) {
        std::fprintf(stderr, "%s\n", qPrintable(started.error().text()));
        return 2;
    }
    const auto shortWait = [](int) { QThread::msleep(10); };
    if (const kz::Status e = kz::refreshStatistics(state, clock, shortWait); !e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.error().text()));
        return 3;
    }
    state.student.currentBangou = static_cast<qint16>(args[2].toInt());
    state.attempt.recordedTime = args[4].toInt();
    const int wrong = args[5].toInt();
    for (int i = 0; i < 10; ++i)
        state.attempt.attemptAnswers.append({14, i + 1, QString::number(14 * (i + 1) + (i < wrong ? 1 : 0)),
                                             i >= wrong, false, 1500 + 100 * i});
    const kz::Outcome<kz::RecordedAttempt> out = kz::Seisekikiroku(state, args[3].toInt(), clock, shortWait);
    if (!out) {
        std::fprintf(stderr, "%s\n", qPrintable(out.error().text()));
        return 4;
    }
    if (const kz::Status logged = kz::logAttemptAnswers(state, out->append.written); !logged) {
        std::fprintf(stderr, "%s\n", qPrintable(logged.error().text()));
        return 5;
    }
    std::printf("%d\n", out->append.recordNumber);
    return 0;
}
