// How long a teacher waits for the record browser: opened on a results file of 25000
// records and a roster of 2000 students, to the list shown and painted.
#include "admin/gui/recordbrowserscreen.h"
#include "core/catalogue.h"
#include "core/runstate.h"
#include "data/resultstore.h"
#include "data/textio.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

constexpr int kRecords = 25000;
constexpr int kStudents = 2000;

struct Bench {
    QTemporaryDir dir;
    std::unique_ptr<kz::RunState> state = std::make_unique<kz::RunState>();
    kz::test::FakeClock clock;
    kz::test::ScriptedRandom random;
    kz::PresetMessageBox messages;
    kz::test::NullCues cues;
    kz::test::NullNavigator navigator;
    kz::AppContext context{*state, clock, random, messages, cues, navigator};
    bool written = false;

    Bench() {
        kz::initRunState(*state);
        kz::Installation& inst = state->settings.installation;
        inst.dataRoot = dir.path() + QLatin1Char('/');
        inst.programDataFolder = dir.path() + QLatin1Char('/');
        inst.schoolYearStartMonth = 4;
        inst.siteCode = QStringLiteral("12345");
        inst.siteName = QStringLiteral("さくら塾");
        written = writeRoster() && writeResults();
    }

    bool writeRoster() const {
        QList<QString> lines;
        for (int b = 1; b <= kStudents; ++b)
            lines << QStringLiteral("%1,%2,0,0,生徒%3,0,,").arg(b).arg(1990 + b % 12).arg(b);
        QString error;
        return kz::writeCp932Lines(state->settings.installation.rosterPath(), lines, &error);
    }

    bool writeResults() const {
        std::mt19937 engine(7);
        QByteArray bytes;
        bytes.reserve(kRecords * kz::ResultRecord::kSize);
        const QDateTime now = clock.now();
        for (int i = 0; i < kRecords; ++i) {
            const QDateTime moment = now.addDays(-static_cast<qint64>(engine() % 400))
                                         .addSecs(-static_cast<qint64>(engine() % 36000));
            const auto bangou = static_cast<qint16>(1 + engine() % kStudents);
            const auto level = static_cast<qint16>(1 + engine() % 25);
            const qint32 time = engine() % 50 == 0 ? 99999 : static_cast<qint32>(20 + engine() % 400);
            bytes += kz::encodeResultRecord(
                kz::makeResultRecord(moment, bangou, level, time, engine() % 10 ? u"12345" : u"99999"));
        }
        QFile file(state->settings.installation.resultsPath());
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
};

// A new browser opened, shown and painted, as after the teacher's "データ変更".
void BM_OpenBrowser_25000Records(benchmark::State& st) {
    Bench bench;
    if (!bench.written) {
        st.SkipWithError("could not write the data files");
        return;
    }
    int lines = 0;
    for (auto _ : st) {
        kz::RecordBrowserScreen screen(bench.context);
        screen.show();
        screen.findChild<QListView*>(QStringLiteral("List1"))->repaint();
        QCoreApplication::processEvents();
        lines = screen.browser().model().lineCount();
    }
    st.counters["lines"] = lines;
}

// The list alone: roster and results read, every line built.
void BM_BuildList_25000Records(benchmark::State& st) {
    Bench bench;
    if (!bench.written) {
        st.SkipWithError("could not write the data files");
        return;
    }
    kz::RecordBrowserSetup setup{bench.state->settings.installation.resultsPath(),
                                 bench.state->settings.installation.resultsTempPath(),
                                 bench.state->settings.installation.rosterPath(),
                                 4,
                                 QStringLiteral("12345"),
                                 QStringLiteral("さくら塾")};
    kz::RecordBrowser browser(setup, [] { return QDate(2004, 3, 15); });
    for (auto _ : st) {
        const kz::Status built = browser.build();
        benchmark::DoNotOptimize(built.ok());
    }
}

} // namespace

BENCHMARK(BM_BuildList_25000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenBrowser_25000Records)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
