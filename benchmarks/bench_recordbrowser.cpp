// How long a teacher waits for the record browser: on the level menu, the teachers'
// password typed and "データ変更" clicked, until the browser has been painted with its
// list of every record (25000 and 200000 records, 2000 students).
#include "admin/gui/recordbrowserscreen.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "programbench.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

using kz::bench::Program;
using kz::bench::Samples;
using kz::bench::School;
using kz::bench::untilPainted;

constexpr int kStudents = 2000;

kz::LevelMenuScreen* activatedMenu(Program& program) {
    kz::LevelMenuScreen* menu = program.navigator->levelMenu();
    return menu && menu->isActivated() && !menu->rebuilding() ? menu : nullptr;
}

bool levelMenuPainted(Program& program) {
    return untilPainted([&] { return program.navigator->levelMenu(); },
                        [&] { return activatedMenu(program) != nullptr; });
}

void BM_OpenRecordBrowser(benchmark::State& st) {
    const int records = static_cast<int>(st.range(0));
    School school(kStudents, records, 400);
    if (!school.ok) {
        st.SkipWithError("could not write the data files");
        return;
    }
    Program program(school);
    program.chooseStudent(1, true);
    program.navigator->showLevelMenu();
    if (!levelMenuPainted(program)) {
        st.SkipWithError("no level menu");
        return;
    }
    Samples samples;
    int lines = 0;
    for (auto _ : st) {
        st.PauseTiming();
        kz::LevelMenuScreen* menu = activatedMenu(program);
        QTest::mouseClick(menu->findChild<QPushButton*>(QStringLiteral("Command8")), Qt::LeftButton);
        auto* password = menu->findChild<QLineEdit*>(QStringLiteral("Text3"));
        password->clear();
        QTest::keyClicks(password, QStringLiteral("1414"));
        auto* open = menu->findChild<QPushButton*>(QStringLiteral("Command10_0"));
        QElapsedTimer t;
        st.ResumeTiming();
        t.start();
        QTest::mouseClick(open, Qt::LeftButton);
        const bool painted = untilPainted([&] { return program.navigator->recordBrowser(); },
                                          [&] { return program.navigator->recordBrowser() != nullptr; });
        const qint64 ns = t.nsecsElapsed();
        st.PauseTiming();
        kz::RecordBrowserScreen* browser = program.navigator->recordBrowser();
        if (!painted || !browser) {
            st.SkipWithError("the record browser was not painted");
            return;
        }
        samples.add(ns);
        lines = browser->findChild<QListView*>(QStringLiteral("List1"))->model()->rowCount();
        // "戻る": a new level menu.
        QTest::mouseClick(browser->findChild<QPushButton*>(QStringLiteral("Command4")), Qt::LeftButton);
        if (!levelMenuPainted(program)) {
            st.SkipWithError("no level menu after 戻る");
            return;
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        st.ResumeTiming();
    }
    st.counters["lines"] = lines;
    samples.report(st);
}

} // namespace

BENCHMARK(BM_OpenRecordBrowser)->Arg(25000)->Arg(200000)->Iterations(7)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return kz::bench::runBenchmarks(argc, argv);
}
