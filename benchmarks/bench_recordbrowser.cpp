// How long a teacher waits for the record browser: opened on a results file of 25000
// records and a roster of 2000 students, to the list shown and painted.
#include "admin/gui/recordbrowserscreen.h"
#include "benchsupport.h"
#include "core/catalogue.h"
#include "core/runstate.h"
#include "data/resultstore.h"
#include "data/textio.h"
#include "support/screencontext.h"

#include <QListView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 25000;
constexpr int kStudents = 2000;

struct Bench : kz::test::ScreenContext {
    QTemporaryDir dir;
    bool written = false;

    Bench() {
        kz::initRunState(*state);
        kz::Installation& inst = state->settings.installation;
        inst.dataRoot = dir.path() + QLatin1Char('/');
        inst.programDataFolder = dir.path() + QLatin1Char('/');
        inst.schoolYearStartMonth = 4;
        inst.siteCode = QStringLiteral("12345");
        inst.siteName = QStringLiteral("さくら塾");
        // Four hundred days of attempts, one in ten from another site.
        const kz::bench::SampleResults sample{.records = kRecords,
                                              .students = kStudents,
                                              .now = clock.now(),
                                              .days = 400,
                                              .seed = 7,
                                              .otherSiteEvery = 10};
        written = writeRoster() && kz::bench::writeSampleResults(inst.resultsPath(), sample);
    }

    bool writeRoster() const {
        QList<QString> lines;
        for (int b = 1; b <= kStudents; ++b)
            lines << QStringLiteral("%1,%2,0,0,生徒%3,0,,").arg(b).arg(1990 + b % 12).arg(b);
        return kz::writeCp932Lines(state->settings.installation.rosterPath(), lines).ok();
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
    kz::RecordBrowser browser(bench.run);
    for (auto _ : st) {
        const kz::Status built = browser.build();
        benchmark::DoNotOptimize(built.ok());
    }
}

} // namespace

BENCHMARK(BM_BuildList_25000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenBrowser_25000Records)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return kz::bench::runBenchmarks(argc, argv);
}
