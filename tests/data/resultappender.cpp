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
//   resultappender remove-crash <file> <copy-file> <k>
//       removes record k and dies, without cleaning up, once the later records have
//       moved down but before the file is shortened (a station switched off mid-way).
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
    if (args.size() == 5 && args[1] == "remove-crash") {
        kz::MaintenanceOptions options;
        options.checkpoint = [](kz::RemovalStep step) -> kz::Status {
            if (step == kz::RemovalStep::Rewritten)
                std::_Exit(9);
            return {};
        };
        const auto removed = kz::removeResult(args[2], args[3], args[4].toInt(), std::nullopt, options);
        std::fprintf(stderr, "the removal was not interrupted: %s\n",
                     removed ? "done" : qPrintable(removed.error().text()));
        return 4;
    }
    std::fprintf(stderr, "usage: resultappender append|hold|remove-crash ...\n");
    return 1;
}
