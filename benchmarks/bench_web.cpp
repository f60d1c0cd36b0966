// The teachers' web pages at a school's size: a results file of 20000 records and the
// answers of today's attempts.
//   - today's classroom rendered server-side, with the figures already read and right
//     after an append (the files read again), on an ordinary day (about 330 of the
//     attempts today) and on a busy one (about 2000);
//   - the level tables (best times, today, the period of ten years, points);
//   - a station's append while 0 or 50 tablets poll the pages over HTTP, once a second
//     as the pages do, and without any pause (a worst case).
#include "benchsupport.h"
#include "data/answerlog.h"
#include "data/oledate.h"
#include "data/resultstore.h"
#include "data/textio.h"
#include "platform/clock.h"
#include "web/schooldata.h"
#include "web/server/httpfront.h"
#include "web/server/webserver.h"
#include "web/webapp.h"
#include "web/webdrawing.h"

#include "core/installation.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <map>
#include <memory>

namespace {

using namespace kz;

const QDateTime kNow(QDate(2004, 3, 15), QTime(18, 0));

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return kNow; }
    qint64 monotonicMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_ = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
};

const Clock& fixedClock() {
    static FixedClock clock;
    return clock;
}

// The classroom and the tables draw nothing.
class NoDrawing final : public web::WebDrawing {
public:
    QString reportChart(const ReportFigures&) override { return {}; }
    QString factMap(const FactsReport&, const FactsReport::Student&) override { return {}; }
    Outcome<QByteArray> reportsPdf(const QList<web::StudentReportSet>&, const QString&) override {
        return QByteArray();
    }
    Outcome<QByteArray> factsPdf(const FactsReport&) override { return QByteArray(); }
};

// 500 students, 20000 records over `days` days up to kNow, the answers of today's attempts.
struct School {
    QTemporaryDir dir;
    Installation installation;
    int today = 0;

    explicit School(int days) {
        QDir d(dir.path());
        d.mkpath("common/kazurin2");
        d.mkpath("data/kazurin2");
        writeCp932("common/パスデータ.txt",
                   {dir.path() + "/data/", "0", "0", "0", "0", "0", "0", "0", "0", "0"});
        writeCp932("data/共通データ.txt", {"4,12345さくら塾,0,,,1414,,,,"});
        QStringList roster;
        for (int b = 1; b <= 500; ++b)
            roster << QStringLiteral("%1,%2,0,0,生徒　%1,0,,").arg(b).arg(1988 + b % 12);
        writeCp932("data/新名簿.txt", roster);
        QStringList criteria{"目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,"};
        for (int level = 1; level <= 25; ++level)
            criteria << "120,240,30,3,1.5,20,300,7,1,,,";
        writeCp932("data/kazurin2/タイム回数データ.txt", criteria);

        bench::SampleResults sample;
        sample.now = kNow;
        sample.days = days;
        const QString results = dir.path() + "/data/kazurin2/成績累積データ.dat";
        if (!bench::writeSampleResults(results, sample))
            qFatal("cannot write the results");
        if (const Status s = resolveInstallationPaths(dir.path() + "/common/kazurin2", &installation); !s)
            qFatal("%s", qPrintable(s.error().text()));

        // The answers of today's attempts, one in ten wrong.
        const Outcome<ResultsFileContents> all = readAllResults(results);
        QByteArray log = answerLogHeader() + '\n';
        QRandomGenerator random(15);
        for (const ResultRecord& r : all->records) {
            const QDateTime when(dateFromOle(r.date), timeFromOle(r.time));
            if (when.date() != kNow.date())
                continue;
            ++today;
            QList<AnsweredQuestion> answers;
            for (int q = 1; q <= 20; ++q)
                answers.append({14, q, QStringLiteral("1"), random.bounded(10) != 0, false, 1500});
            log += formatAttemptAnswers(when, r.bangou, r.level, answers);
        }
        QFile f(dir.path() + "/data/kazurin2/" + answerLogFileName());
        if (!f.open(QIODevice::WriteOnly) || f.write(log) != log.size())
            qFatal("cannot write the answer log");
    }

    void writeCp932(const QString& relative, const QStringList& lines) {
        if (const Status written = writeCp932Lines(dir.path() + "/" + relative, lines); !written)
            qFatal("%s", qPrintable(written.error().text()));
    }
};

School& school(int days) {
    static std::map<int, std::unique_ptr<School>> schools;
    auto& s = schools[days];
    if (!s)
        s = std::make_unique<School>(days);
    return *s;
}

web::Request get(const QString& path, const QList<std::pair<QString, QString>>& query = {}) {
    web::Request r;
    r.path = path;
    r.query = query;
    r.headers = {{"host", "127.0.0.1:8080"}};
    return r;
}

web::AccessRules local() {
    web::AccessRules access;
    access.allowedHosts = {QStringLiteral("127.0.0.1:8080")};
    return access;
}

// Today's classroom with the figures already read (nothing changed since).
void BM_ClassroomPage_Read(benchmark::State& state) {
    School& s = school(static_cast<int>(state.range(0)));
    web::SchoolData data(s.installation, fixedClock());
    NoDrawing drawing;
    web::WebApp app(data, drawing, fixedClock(), local());
    qint64 bytes = app.handle(get("/")).body.size();
    for (auto _ : state)
        benchmark::DoNotOptimize(app.handle(get("/")));
    state.counters["attempts_today"] = s.today;
    state.counters["page_kB"] = static_cast<double>(bytes) / 1e3;
}

// Today's classroom right after an append: the files are read again first.
void BM_ClassroomPage_AfterAppend(benchmark::State& state) {
    School& s = school(static_cast<int>(state.range(0)));
    NoDrawing drawing;
    std::unique_ptr<web::SchoolData> data;
    std::unique_ptr<web::WebApp> app;
    for (auto _ : state) {
        state.PauseTiming();
        // Fresh pages know nothing yet: the first request reads the files, as the first
        // request after an append does. The last round's pages go while the clock stands.
        app.reset();
        data = std::make_unique<web::SchoolData>(s.installation, fixedClock());
        app = std::make_unique<web::WebApp>(*data, drawing, fixedClock(), local());
        state.ResumeTiming();
        benchmark::DoNotOptimize(app->handle(get("/")));
    }
    state.counters["attempts_today"] = s.today;
}

// One choice of the level tables, every level, with the figures already read.
void BM_LevelTables(benchmark::State& state) {
    School& s = school(60);
    static const QList<QList<std::pair<QString, QString>>> choices = {
        {{"display", "time"}, {"option", "1"}},
        {{"display", "time"}, {"option", "2"}},
        {{"display", "time"}, {"option", "3"}, {"period", "5"}},
        {{"display", "points"}, {"option", "1"}},
        {{"display", "points"}, {"option", "3"}, {"period", "5"}},
    };
    static const char* names[] = {"best times", "today", "all of ten years", "points so far",
                                  "points, ten years"};
    const auto choice = choices.at(state.range(0));
    web::SchoolData data(s.installation, fixedClock());
    NoDrawing drawing;
    web::WebApp app(data, drawing, fixedClock(), local());
    (void)app.handle(get("/tables", choice));
    for (auto _ : state)
        benchmark::DoNotOptimize(app.handle(get("/tables", choice)));
    state.SetLabel(names[state.range(0)]);
}

// The pages served on a thread of their own, as kazurin2-admin serve does.
class ServerThread : public QThread {
public:
    explicit ServerThread(const Installation& installation) : installation_(installation) {}
    std::atomic<quint16> port{0};

protected:
    void run() override {
        web::SchoolData data(installation_, fixedClock());
        NoDrawing drawing;
        web::HttpFront front;
        const quint16 p = front.listen(QHostAddress::LocalHost, 0);
        web::AccessRules access;
        access.allowedHosts = {QStringLiteral("127.0.0.1:%1").arg(p)};
        web::WebApp app(data, drawing, fixedClock(), access);
        front.setApp(&app);
        port = p;
        exec();
    }

private:
    Installation installation_;
};

// Tablets polling the status once a second (or without a pause) and fetching today's
// classroom again whenever it changed, as the pages' script does.
class Pollers : public QThread {
public:
    Pollers(quint16 port, int count, int intervalMs) : port_(port), count_(count), intervalMs_(intervalMs) {}
    std::atomic<qint64> answers{0};
    std::atomic<bool> ready{false};

protected:
    void run() override {
        struct Tablet {
            QTcpSocket socket;
            QByteArray pending;
            QByteArray token;
            bool waiting = false;
        };
        std::vector<std::unique_ptr<Tablet>> tablets;
        const QByteArray host = "Host: 127.0.0.1:" + QByteArray::number(port_) + "\r\n\r\n";
        auto send = [&host](Tablet& t, const QByteArray& path) {
            t.waiting = true;
            t.socket.write("GET " + path + " HTTP/1.1\r\n" + host);
        };
        for (int i = 0; i < count_; ++i) {
            auto t = std::make_unique<Tablet>();
            t->socket.connectToHost(QHostAddress::LocalHost, port_);
            t->socket.waitForConnected(10000);
            Tablet* tablet = t.get();
            QObject::connect(&t->socket, &QTcpSocket::readyRead, [this, tablet, send] {
                tablet->pending += tablet->socket.readAll();
                for (;;) {
                    const qsizetype head = tablet->pending.indexOf("\r\n\r\n");
                    if (head < 0)
                        return;
                    const qsizetype lengthAt = tablet->pending.indexOf("Content-Length: ");
                    const qsizetype lengthEnd = tablet->pending.indexOf("\r\n", lengthAt);
                    const qint64 length =
                        tablet->pending.mid(lengthAt + 16, lengthEnd - lengthAt - 16).toLongLong();
                    if (tablet->pending.size() < head + 4 + length)
                        return;
                    const QByteArray body = tablet->pending.mid(head + 4, length);
                    tablet->pending.remove(0, head + 4 + length);
                    ++answers;
                    tablet->waiting = false;
                    const qsizetype tokenAt = body.indexOf("\"token\":\"");
                    if (tokenAt >= 0) {
                        const QByteArray token = body.mid(tokenAt + 9, 16);
                        if (token != tablet->token) {
                            tablet->token = token;
                            send(*tablet, "/classroom/live");
                            continue;
                        }
                    }
                    if (intervalMs_ == 0)
                        send(*tablet, "/api/status");
                }
            });
            tablets.push_back(std::move(t));
        }
        QTimer timer;
        if (intervalMs_ > 0) {
            // Each tablet once a second, spread over the second.
            int next = 0;
            timer.setInterval(qMax(1, intervalMs_ / count_));
            QObject::connect(&timer, &QTimer::timeout, [&] {
                Tablet& t = *tablets[static_cast<size_t>(next++ % count_)];
                if (!t.waiting)
                    send(t, "/api/status");
            });
            timer.start();
        } else {
            for (auto& t : tablets)
                send(*t, "/api/status");
        }
        ready = true;
        exec();
    }

private:
    quint16 port_;
    int count_;
    int intervalMs_;
};

// A station's append of one attempt (lock, write, sync, unlock) while tablets poll.
void BM_StationAppend(benchmark::State& state) {
    const int tablets = static_cast<int>(state.range(0));
    const int intervalMs = static_cast<int>(state.range(1));
    auto s = std::make_unique<School>(60); // a school of its own: this one grows
    ServerThread server(s->installation);
    server.start();
    while (server.port == 0)
        QThread::msleep(5);
    std::unique_ptr<Pollers> pollers;
    if (tablets > 0) {
        pollers = std::make_unique<Pollers>(server.port, tablets, intervalMs);
        pollers->start();
        while (!pollers->ready)
            QThread::msleep(5);
        QThread::msleep(1500); // the tablets are polling
    }
    const QString results = s->installation.resultsPath();
    qint64 polls = pollers ? pollers->answers.load() : 0;
    QElapsedTimer elapsed;
    elapsed.start();
    int n = 0;
    for (auto _ : state) {
        const ResultRecord r = makeResultRecord(kNow, static_cast<qint16>(1 + n % 500),
                                                static_cast<qint16>(1 + n % 25), 60 + n % 200, u"12345");
        ++n;
        benchmark::DoNotOptimize(appendResult(results, r));
        state.PauseTiming();
        QThread::msleep(20); // stations append now and then, not back to back
        state.ResumeTiming();
    }
    if (pollers) {
        polls = pollers->answers.load() - polls;
        state.counters["answers_per_s"] =
            static_cast<double>(polls) * 1000.0 / static_cast<double>(elapsed.elapsed());
        pollers->quit();
        pollers->wait();
    }
    server.quit();
    server.wait();
    state.counters["tablets"] = tablets;
}

} // namespace

BENCHMARK(BM_ClassroomPage_Read)->Arg(60)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassroomPage_AfterAppend)->Arg(60)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LevelTables)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StationAppend)
    ->Args({0, 0})
    ->Args({50, 1000})
    ->Args({50, 0})
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    kz::web::keepMemoryForRereading(); // as kazurin2-admin serve does
    return kz::bench::runBenchmarks(argc, argv);
}
