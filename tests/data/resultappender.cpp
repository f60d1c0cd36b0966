// Helper process for the results store tests.
//   resultappender append <file> <tag> <count> <go-file>
//       waits for <go-file>, then appends <count> records of student <tag>, the
//       recorded times 1..count in order.
//   resultappender answers <file> <tag> <count> <go-file>
//       waits for <go-file>, then appends <count> attempts of student <tag> to an answer
//       log, 16 lines each, every attempt in one write.
//   resultappender hold <file> <ready-file> <release-file>
//       takes the whole-file lock, creates <ready-file>, keeps the lock until
//       <release-file> exists.
//   resultappender remove-crash <file> <copy-file> <k> <step> [<tear-bytes>]
//       removes record k and dies, without cleaning up, at the named step of the
//       removal (a station switched off mid-way); with tear-bytes the rewrite stops
//       after that many bytes at the step Torn.
//   resultappender change-crash <file> <copy-file> <k> <step>
//       changes record k to student 4321 with the time 7777 and dies at the step.
//   resultappender recover-crash <file> <copy-file> <step> [<tear-bytes>]
//       finishes an interrupted removal or change and dies at the step.
//   resultappender remove-loop <file> <copy-file> <own>
//       removes record 1 again and again while it is one of students 1..own, after
//       finishing whatever an earlier loop left; prints each step reached ("S<step>")
//       and "removed" after each removal, for a test that kills it at random.
#include "data/answerlog.h"
#include "data/resultmaintenance.h"
#include "data/resultstore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace {
void touch(const QString& path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
}
void waitFor(const QString& path) {
    while (!QFile::exists(path))
        QThread::usleep(200);
}
// Options that end the process, without cleaning up, when the named step is reached.
kz::MaintenanceOptions crashAt(const QString& stepName, qint64 tearBytes) {
    const std::optional<kz::RemovalStep> step = kz::removalStepNamed(stepName);
    if (!step) {
        std::fprintf(stderr, "no such step: %s\n", qPrintable(stepName));
        std::_Exit(1);
    }
    kz::MaintenanceOptions options;
    options.tearAfterBytes = tearBytes;
    options.checkpoint = [at = *step](kz::RemovalStep reached) -> kz::Status {
        if (reached == at)
            std::_Exit(9);
        return {};
    };
    return options;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == "append") {
        const QString file = args[2];
        const int tag = args[3].toInt();
        const int count = args[4].toInt();
        waitFor(args[5]);
        for (int i = 1; i <= count; ++i) {
            const kz::ResultRecord r =
                kz::makeResultRecord(QDateTime(QDate(2004, 3, 15), QTime(14, 30)), static_cast<qint16>(tag),
                                     static_cast<qint16>(i % 35 + 1), i, u"12345");
            kz::AppendOptions options;
            options.wait = [](int) { QThread::usleep(100); };
            const kz::Outcome<kz::AppendedRecord> out = kz::appendResult(file, r, options);
            if (!out) {
                std::fprintf(stderr, "%s\n", qPrintable(out.error().text()));
                return 2;
            }
        }
        return 0;
    }
    if (args.size() == 6 && args[1] == "answers") {
        const int tag = args[3].toInt();
        const int count = args[4].toInt();
        const QList<kz::AnsweredQuestion> answers(
            16, kz::AnsweredQuestion{14, 11, QStringLiteral("154"), true, false, 1234});
        waitFor(args[5]);
        for (int i = 1; i <= count; ++i) {
            const QByteArray lines = kz::formatAttemptAnswers(
                QDateTime(QDate(2004, 3, 15), QTime(14, 0).addSecs(i)), tag, 3, answers);
            kz::AnswerLogAppendOptions options;
            options.lockTries = 100000; // this helper must get its turn, however busy the other one is
            options.lockPauseMs = 0;
            options.pause = [](int) { QThread::usleep(100); };
            const kz::Status out = kz::appendAnswerLines(args[2], lines, options);
            if (!out) {
                std::fprintf(stderr, "%s\n", qPrintable(out.error().text()));
                return 2;
            }
        }
        return 0;
    }
    if (args.size() == 5 && args[1] == "hold") {
        kz::SharedFile f;
        if (!f.open(args[2], kz::SharedFile::Mode::ReadWriteCreate).ok() || !f.tryLockExclusive().ok())
            return 3;
        touch(args[3]);
        waitFor(args[4]);
        return 0;
    }
    if ((args.size() == 6 || args.size() == 7) && args[1] == "remove-crash") {
        const kz::MaintenanceOptions options = crashAt(args[5], args.size() == 7 ? args[6].toLongLong() : -1);
        const auto removed = kz::removeResult(args[2], args[3], args[4].toInt(), std::nullopt, options);
        std::fprintf(stderr, "the removal was not interrupted: %s\n",
                     removed ? "done" : qPrintable(removed.error().text()));
        return 4;
    }
    if (args.size() == 6 && args[1] == "change-crash") {
        const kz::MaintenanceOptions options = crashAt(args[5], -1);
        const auto read = kz::readResultAt(args[2], args[4].toInt());
        kz::ResultRecord changed = read.valueOr(kz::ResultRecord{});
        changed.bangou = 4321;
        changed.recordedTime = 7777;
        const kz::Status done =
            kz::correctResult(args[2], args[3], args[4].toInt(), std::nullopt, changed, options);
        std::fprintf(stderr, "the change was not interrupted: %s\n",
                     done ? "done" : qPrintable(done.error().text()));
        return 4;
    }
    if ((args.size() == 5 || args.size() == 6) && args[1] == "recover-crash") {
        const kz::MaintenanceOptions options = crashAt(args[4], args.size() == 6 ? args[5].toLongLong() : -1);
        const auto recovered = kz::recoverResultsFile(args[2], args[3], options);
        std::fprintf(stderr, "the recovery was not interrupted: %s\n",
                     recovered ? "done" : qPrintable(recovered.error().text()));
        return 4;
    }
    if (args.size() == 5 && args[1] == "remove-loop") {
        const int own = args[4].toInt();
        kz::MaintenanceOptions options;
        options.wait = [](int) { QThread::usleep(100); };
        options.checkpoint = [](kz::RemovalStep step) -> kz::Status {
            std::printf("S%s\n", qPrintable(kz::removalStepName(step)));
            std::fflush(stdout);
            return {};
        };
        // What an earlier loop that was killed left is finished first, as a station does
        // when it starts.
        if (const auto recovered = kz::recoverResultsFile(args[2], args[3], options); !recovered) {
            std::fprintf(stderr, "%s\n", qPrintable(recovered.error().text()));
            return 2;
        }
        for (;;) {
            const auto first = kz::readResultAt(args[2], 1);
            if (!first || first->bangou < 1 || first->bangou > own) {
                QThread::msleep(1);
                continue;
            }
            const auto removed = kz::removeResult(args[2], args[3], 1, *first, options);
            if (!removed && removed.error().kind != kz::ErrorKind::Refused) {
                std::fprintf(stderr, "%s\n", qPrintable(removed.error().text()));
                return 2;
            }
            if (removed) {
                std::printf("removed\n");
                std::fflush(stdout);
            }
        }
    }
    std::fprintf(stderr, "usage: resultappender append|answers|hold|remove-crash|change-crash|recover-crash|"
                         "remove-loop ...\n");
    return 1;
}
