#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// OLE Automation dates as stored in the results file: a 64-bit float counting days since
// 30 December 1899; the fraction is the time of day.
namespace kz {

constexpr double kOleSecondsPerDay = 86400.0;

double oleFromDate(QDate date); // whole days; NaN for an invalid date
double oleFromTime(QTime time); // fraction of a day, 0 <= value < 1
// Invalid QDate for NaN, infinities or values outside the years 100..9999.
QDate dateFromOle(double ole);
// Time of day of the fraction part of an OLE value, to the nearest second.
QTime timeFromOle(double ole);
QDateTime dateTimeFromOle(double date, double time);
// The moment as one OLE value (days and fraction), used for period arithmetic.
double oleFromDateTime(const QDateTime& moment);

} // namespace kz
