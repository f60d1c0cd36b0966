// The results file over any bytes: the statistics loader, the whole-file reader and one
// append. An append lands exactly after the whole records, whatever the tail, and keeps
// every record before it.
#include "fuzzsupport.h"

#include "data/resultstore.h"
#include "data/statistics.h"

#include <QDateTime>

#include <memory>

namespace {

const kz::PassCriteriaTable& criteria() {
    static const kz::PassCriteriaTable table = [] {
        kz::PassCriteriaTable t;
        for (int level = 1; level <= 35; ++level) {
            t.row(level) = kz::PassCriteria::fromTexts(
                {QString::number(20 + level), QStringLiteral("10"), QStringLiteral("100"),
                 QStringLiteral("3"), level % 2 ? QStringLiteral("1.5") : QStringLiteral("1"),
                 QStringLiteral("5"), QStringLiteral("50"), QString::number(level), QStringLiteral("7")});
        }
        return t;
    }();
    return table;
}

void noWait(int) {
    // Nothing else holds the scratch file: a wait would be a fault of the reader.
    KZ_FUZZ_CHECK(false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto tables = std::make_unique<kz::StatisticsTables>();
    const QString path = kzfuzz::writeScratch(QStringLiteral("kazurin2/成績累積データ.dat"),
                                              reinterpret_cast<const char*>(data), size);
    const QDateTime now(QDate(2026, 12, 1), QTime(15, 30));

    const kz::Status loaded = kz::refreshStatistics(path, criteria(), now, tables.get(), noWait);
    KZ_FUZZ_CHECK(loaded.ok());
    KZ_FUZZ_CHECK(tables->loaded.size() <= kz::kStatisticsWindow);
    for (const kz::LoadedResult& r : std::as_const(tables->loaded)) {
        KZ_FUZZ_CHECK(r.level >= 1 && r.level <= 35 && r.bangou >= 1 && r.bangou <= 5000);
        KZ_FUZZ_CHECK(r.recordNumber >= 1 &&
                      r.recordNumber <= static_cast<qint64>(size) / kz::ResultRecord::kSize);
    }

    const kz::Outcome<kz::ResultsFileContents> before = kz::readAllResults(path);
    KZ_FUZZ_CHECK(before.ok());
    const qsizetype whole = static_cast<qsizetype>(size) / kz::ResultRecord::kSize;
    KZ_FUZZ_CHECK(static_cast<qsizetype>(before->records.size()) == whole);
    KZ_FUZZ_CHECK(before->tailBytes == static_cast<qint64>(size) % kz::ResultRecord::kSize);
    for (const kz::ResultRecord& r : before->records) {
        (void)r.siteCodeText();
        KZ_FUZZ_CHECK(kz::decodeResultRecord(kz::encodeResultRecord(r).constData()) == r ||
                      r.date != r.date || r.time != r.time); // NaN dates never compare equal
    }

    const kz::ResultRecord record = kz::makeResultRecord(now, 12, 3, 45, QStringLiteral("00123"));
    kz::AppendOptions options;
    options.wait = noWait;
    const kz::Outcome<kz::AppendedRecord> appended = kz::appendResult(path, record, options);
    KZ_FUZZ_CHECK(appended.ok());
    KZ_FUZZ_CHECK(appended->recordNumber == whole + 1);
    const kz::Outcome<kz::ResultsFileContents> after = kz::readAllResults(path);
    KZ_FUZZ_CHECK(after.ok());
    KZ_FUZZ_CHECK(static_cast<qsizetype>(after->records.size()) == whole + 1 && after->tailBytes == 0);
    KZ_FUZZ_CHECK(after->records.back() == record);
    if (whole > 0) // the records before are left byte for byte
        KZ_FUZZ_CHECK(kz::encodeResultRecord(after->records.front()) ==
                      QByteArray(reinterpret_cast<const char*>(data), kz::ResultRecord::kSize));
    return 0;
}
