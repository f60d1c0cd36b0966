// The answer log at the size of a school's year: 20000 attempts, about 600000 answers,
// read and summarised for one student, and a class's fact map drawn into a PDF, both
// through the companion as a teacher runs it.
#include "admin/cli/admincli.h"
#include "benchsupport.h"
#include "data/answerlog.h"
#include "data/textio.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>

namespace {

constexpr int kStudents = 400;
constexpr int kAttempts = 20000;
constexpr int kClassSize = 40; // students 1..40 are in the third year

struct School {
    QTemporaryDir dir;
    qint64 answerCount = 0;
    qint64 bytes = 0;

    School() {
        QDir d(dir.path());
        d.mkpath("common/kazurin2");
        d.mkpath("data/kazurin2");
        writeCp932("common/パスデータ.txt",
                   {dir.path() + "/data/", "0", "0", "0", "0", "0", "0", "0", "0", "0"});
        writeCp932("data/共通データ.txt", {"4,00123さくら塾,0,,,1414,,,,"});
        QStringList roster;
        for (int b = 1; b <= kStudents; ++b)
            roster
                << QStringLiteral("%1,%2,0,0,生徒%1,0,,").arg(b).arg(b <= kClassSize ? 1994 : 1990 + b % 8);
        writeCp932("data/新名簿.txt", roster);

        // A school year of attempts, each student at a level of their own.
        QRandomGenerator random(20040315);
        QByteArray log = kz::answerLogHeader() + '\n';
        const QDateTime start(QDate(2003, 4, 7), QTime(15, 0));
        for (int i = 0; i < kAttempts; ++i) {
            const int student = 1 + static_cast<int>(random.bounded(kStudents));
            const int table = 14 + static_cast<int>(random.bounded(3));
            const QDateTime when = start.addSecs(qint64(i) * (330 * 86400 / kAttempts));
            QList<kz::AnsweredQuestion> answers;
            for (int q = 0; q < 30; ++q) {
                const int n = 1 + q % 20;
                const bool right = random.bounded(20) != 0;
                answers.append({table, n, QString::number(right ? table * n : table * n + 1), right, false,
                                600 + static_cast<qint64>(random.bounded(5000))});
            }
            answers += answers.mid(0, static_cast<int>(random.bounded(3))); // a few retries
            answers.last().retry = true;
            answerCount += answers.size();
            log += kz::formatAttemptAnswers(when, student, 1 + static_cast<int>(random.bounded(25)), answers);
        }
        bytes = log.size();
        QFile f(dir.path() + "/data/kazurin2/" + kz::answerLogFileName());
        if (!f.open(QIODevice::WriteOnly) || f.write(log) != log.size())
            qFatal("cannot write the answer log");
    }

    void writeCp932(const QString& relative, const QStringList& lines) {
        QString error;
        if (!kz::writeCp932Lines(dir.path() + "/" + relative, lines, &error))
            qFatal("%s", qPrintable(error));
    }

    int run(const QStringList& args) const {
        QString out;
        QString err;
        QTextStream o(&out);
        QTextStream e(&err);
        QStringList all{"--program-folder", dir.path() + "/common/kazurin2"};
        all += args;
        const int status = kz::admin::runCompanion(all, QString(), o, e);
        o.flush();
        e.flush();
        if (status != 0)
            qFatal("kazurin2-admin %s: %s", qPrintable(args.join(u' ')), qPrintable(err));
        return static_cast<int>(out.size());
    }
};

School& school() {
    static School s;
    return s;
}

void BM_FactsOneStudent_SchoolYear(benchmark::State& state) {
    School& s = school();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.run({"facts", "--student", "17", "--now", "2004-03-15T14:30:00"}));
    state.counters["answers"] = static_cast<double>(s.answerCount);
    state.counters["MB"] = static_cast<double>(s.bytes) / 1e6;
}

void BM_FactsClassPdf40_SchoolYear(benchmark::State& state) {
    School& s = school();
    const QString pdf = s.dir.path() + "/class.pdf";
    for (auto _ : state)
        s.run({"facts", "--grade-filter", "小３", "--now", "2004-03-15T14:30:00", "--pdf", pdf});
    state.counters["pages"] = kClassSize;
    state.counters["pdf_kB"] = static_cast<double>(QFile(pdf).size()) / 1e3;
}

} // namespace

BENCHMARK(BM_FactsOneStudent_SchoolYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FactsClassPdf40_SchoolYear)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    return kz::bench::runBenchmarks(argc, argv);
}
