// The pass-criteria loader over any file; what it read, saved again, reads back to the
// same criteria, and the multiplier's text reads back to the same multiplier.
#include "fuzzsupport.h"

#include "data/passcriteria.h"
#include "data/points.h"

#include <cmath>

namespace {

bool sameNumber(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = kzfuzz::writeScratch(QStringLiteral("kazurin2/タイム回数データ.txt"),
                                              reinterpret_cast<const char*>(data), size);
    kz::PassCriteriaTable table;
    const kz::Outcome<kz::CriteriaLoadResult> result = kz::loadPassCriteria(path, &table);
    KZ_FUZZ_CHECK(result.ok());
    KZ_FUZZ_CHECK(table.levelLines >= 0 && table.levelLines <= 35);

    QList<std::array<QString, 12>> rows;
    for (int level = 1; level <= table.levelLines; ++level) {
        const kz::PassCriteria& c = table[level];
        (void)c.timeLimit();
        const kz::DecimalMultiplier m = c.pointMultiplier;
        for (const qint64 points : {qint64{0}, qint64{1}, qint64{-7}, qint64{2147483647}})
            (void)m.floorTimes(points);
        KZ_FUZZ_CHECK(kz::DecimalMultiplier::fromText(m.shortText()).shortText() == m.shortText());
        rows.append(c.texts);
    }

    const QString copy = kzfuzz::scratchFolder() + QStringLiteral("kazurin2/copy.txt");
    if (!kz::savePassCriteria(copy, rows).ok())
        return 0; // a text the file cannot hold is refused, never written half
    kz::PassCriteriaTable reread;
    KZ_FUZZ_CHECK(kz::loadPassCriteria(copy, &reread).ok());
    KZ_FUZZ_CHECK(reread.levelLines == table.levelLines);
    for (int level = 1; level <= table.levelLines; ++level) {
        const kz::PassCriteria& a = table[level];
        const kz::PassCriteria& b = reread[level];
        KZ_FUZZ_CHECK(a.targetTime == b.targetTime && a.minimumTime == b.minimumTime &&
                      a.clearPoints == b.clearPoints && a.clearCount == b.clearCount);
        KZ_FUZZ_CHECK(a.pointMultiplier.shortText() == b.pointMultiplier.shortText());
        KZ_FUZZ_CHECK(sameNumber(a.overdoCount, b.overdoCount) &&
                      sameNumber(a.overdoPoints, b.overdoPoints) &&
                      sameNumber(a.passPeriodDays, b.passPeriodDays) &&
                      sameNumber(a.overdoPeriodDays, b.overdoPeriodDays));
    }
    return 0;
}
