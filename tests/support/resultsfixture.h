#pragma once

// Attempt records and pass criteria for the tests of the statistics and of the recording
// step: every record at a whole day before one fixed moment, every level with the same
// criteria. Needs the data library (kzdata), which those tests link.

#include "data/passcriteria.h"
#include "data/resultstore.h"
#include "support/testfiles.h"

#include <QDateTime>
#include <QList>

namespace kz::test::results {

// The moment the records are counted from: a Monday afternoon, FakeClock's default start.
inline const QDateTime kNow(QDate(2004, 3, 15), QTime(14, 30, 0));

// An attempt of site "12345", `daysAgo` days before kNow at the same time of day.
inline ResultRecord rec(int bangou, int level, qint32 time, int daysAgo = 0) {
    return makeResultRecord(kNow.addDays(-daysAgo), static_cast<qint16>(bangou), static_cast<qint16>(level),
                            time, u"12345");
}

// Replaces the results file with the records, in order.
inline void writeRecords(const QString& path, const QList<ResultRecord>& records) {
    QByteArray bytes;
    for (const ResultRecord& r : records)
        bytes += encodeResultRecord(r);
    writeBytes(path, bytes);
}

// The same criteria for every level: the target time, twice that as minimum time, the
// point multiplier as written in the file, and the two periods in days.
inline PassCriteriaTable criteria(qint32 target = 60, const char* multiplier = "1", double passDays = 7,
                                  double overdoDays = 1) {
    PassCriteriaTable t;
    for (int level = 1; level < kLevelSlots; ++level) {
        PassCriteria& c = t.row(level);
        c.targetTime = target;
        c.minimumTime = target * 2;
        c.pointMultiplier = DecimalMultiplier::fromText(QString::fromLatin1(multiplier));
        c.passPeriodDays = passDays;
        c.overdoPeriodDays = overdoDays;
    }
    return t;
}

} // namespace kz::test::results
