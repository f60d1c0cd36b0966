#include "platform/clock.h"

#include <QElapsedTimer>

namespace kz {

double Clock::secondsSinceMidnight() const {
    const QTime t = now().time();
    return t.msecsSinceStartOfDay() / 1000.0;
}

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

qint64 SystemClock::monotonicMs() const {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

} // namespace kz
