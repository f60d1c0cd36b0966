#pragma once

#include <QDateTime>

namespace kz {

// The outside world's notion of time. Screens and logic get a Clock from their
// owner so tests can drive time by hand.
class Clock {
public:
    Clock() = default;
    Q_DISABLE_COPY_MOVE(Clock)
    virtual ~Clock() = default;
    // Local date and time now.
    virtual QDateTime now() const = 0;
    // Milliseconds from an arbitrary fixed point; never jumps back, not even at midnight.
    virtual qint64 monotonicMs() const = 0;

    QDate today() const { return now().date(); }
    // Seconds since local midnight, with fractions.
    double secondsSinceMidnight() const;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    qint64 monotonicMs() const override;
};

// Process-wide clock used by the program (tests construct their own fakes).
Clock& systemClock();

} // namespace kz
