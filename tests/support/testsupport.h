#pragma once

#include "platform/clock.h"
#include "platform/randomsource.h"

#include <QList>

namespace kz::test {

// A clock that only moves when told to.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2004, 3, 15), QTime(14, 30, 0)))
        : now_(std::move(start)) {}
    QDateTime now() const override { return now_; }
    qint64 monotonicMs() const override { return mono_; }
    void advanceMs(qint64 ms) {
        now_ = now_.addMSecs(ms);
        mono_ += ms;
    }
    void setNow(const QDateTime& when) { now_ = when; }

private:
    QDateTime now_;
    qint64 mono_ = 1000000;
};

// Returns the scripted values in order, then repeats the last one (0 when none).
class ScriptedRandom final : public RandomSource {
public:
    QList<double> values;
    qsizetype position = 0;
    double next() override {
        if (values.isEmpty())
            return 0.0;
        const double v = values[qMin(position, values.size() - 1)];
        ++position;
        return v;
    }
    void seed(quint32) override {}
};

} // namespace kz::test
