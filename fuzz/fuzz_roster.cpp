// The roster loader over any file: the first two bytes choose the month the school year
// starts in and the listing switch, the rest is the file.
#include "fuzzsupport.h"

#include "data/roster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int startMonth = data[0] % 14; // 0 and 13 as a broken settings file gives them
    const int flagTwoListed = data[1] % 3;
    const QString path =
        kzfuzz::writeScratch(QStringLiteral("新名簿.txt"), reinterpret_cast<const char*>(data) + 2, size - 2);

    kz::RosterTables tables;
    const kz::Outcome<kz::RosterLoadResult> result =
        kz::loadRoster(path, QDate(2026, 12, 1), startMonth, flagTwoListed, &tables);
    KZ_FUZZ_CHECK(result.ok());
    KZ_FUZZ_CHECK(tables.rosterCount() <= kz::RosterTables::kMaxListed);
    for (const kz::RosterEntry& e : tables.listed) {
        KZ_FUZZ_CHECK(e.bangou >= 0 && e.bangou <= 5000);
        KZ_FUZZ_CHECK(e.name.size() <= 20);
        (void)tables.nameOf(e.bangou);
    }
    const QList<kz::RosterEntry> ordered = kz::inListingOrder(tables.listed);
    KZ_FUZZ_CHECK(ordered.size() == tables.listed.size());
    for (qsizetype i = 1; i < ordered.size(); ++i)
        KZ_FUZZ_CHECK(ordered[i - 1].birthYear <= ordered[i].birthYear);
    return 0;
}
