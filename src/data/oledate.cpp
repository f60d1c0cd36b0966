#include "data/oledate.h"

#include <cmath>
#include <limits>

namespace kz {

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMinOle = -657434.0; // 1 January 100
constexpr double kMaxOle = 2958465.0; // 31 December 9999
} // namespace

double oleFromDate(QDate date) {
    if (!date.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(kEpoch.daysTo(date));
}

double oleFromTime(QTime time) {
    if (!time.isValid())
        return 0.0;
    return time.msecsSinceStartOfDay() / (kOleSecondsPerDay * 1000.0);
}

QDate dateFromOle(double ole) {
    if (!std::isfinite(ole) || ole < kMinOle || ole > kMaxOle + 1)
        return {};
    return kEpoch.addDays(static_cast<qint64>(std::floor(ole)));
}

QTime timeFromOle(double ole) {
    if (!std::isfinite(ole))
        return QTime(0, 0);
    double frac = std::fabs(ole - std::trunc(ole));
    qint64 secs = std::llround(frac * kOleSecondsPerDay);
    if (secs >= 86400)
        secs = 86399;
    return QTime(0, 0).addSecs(static_cast<int>(secs));
}

QDateTime dateTimeFromOle(double date, double time) {
    const QDate d = dateFromOle(date);
    if (!d.isValid())
        return {};
    return QDateTime(d, timeFromOle(time));
}

double oleFromDateTime(const QDateTime& moment) {
    return oleFromDate(moment.date()) + oleFromTime(moment.time());
}

} // namespace kz
