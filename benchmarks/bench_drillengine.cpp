#include "drill/drillengine.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <benchmark/benchmark.h>

namespace {

class EndObserver final : public kz::DrillObserver {
public:
    int endings = 0;
    void attemptEnded(const kz::DrillEnding&) override { ++endings; }
};

// One whole attempt, every answer right and typed key by key, one tick per answer.
void playWholeLevel(benchmark::State& state, kz::RandomSource& random) {
    const int level = static_cast<int>(state.range(0));
    for (auto _ : state) {
        kz::test::FakeClock clock;
        kz::test::NullCues cues;
        EndObserver observer;
        kz::DrillEngine engine(clock, random, cues, observer);
        engine.startAttempt(level, 100);
        while (!engine.ended()) {
            for (QChar c : QString::number(engine.expectedAnswer()))
                engine.onKeyPress(c.unicode());
            engine.onKeyPress(kz::DrillEngine::kSpaceChar);
            clock.advanceMs(1000);
            engine.onClockTick();
        }
        benchmark::DoNotOptimize(observer.endings);
    }
}

void BM_WholeAttempt(benchmark::State& state) {
    kz::SystemRandom random;
    playWholeLevel(state, random);
}
BENCHMARK(BM_WholeAttempt)->Arg(1)->Arg(7)->Arg(25);

// A source stuck near 1: every draw after the last item falls back after the redraw bound.
void BM_WholeAttemptStuckRandom(benchmark::State& state) {
    kz::test::ScriptedRandom random;
    random.values = {0.9999999999};
    playWholeLevel(state, random);
}
BENCHMARK(BM_WholeAttemptStuckRandom)->Arg(25);

} // namespace

BENCHMARK_MAIN();
