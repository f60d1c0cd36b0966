#pragma once

#include <QtGlobal>

#include <random>

namespace kz {

// Uniform random numbers in [0, 1).
class RandomSource {
public:
    RandomSource() = default;
    Q_DISABLE_COPY_MOVE(RandomSource)
    virtual ~RandomSource() = default;
    virtual double next() = 0;
    virtual void seed(quint32 value) = 0;
};

class SystemRandom final : public RandomSource {
public:
    double next() override;
    void seed(quint32 value) override { engine_.seed(value); }

private:
    std::mt19937 engine_{5489u};
};

RandomSource& systemRandom();

// Picks 1..count from a uniform r in [0, 1) as floor(r * count + 1), clamped so that
// a value rounding up to 1.0 still gives a valid pick. count must be > 0.
int pickOneBased(double r, int count);

class Clock;

// Seeds the random source from the clock: the whole seconds since midnight.
void seedFromClock(RandomSource& random, const Clock& clock);

} // namespace kz
