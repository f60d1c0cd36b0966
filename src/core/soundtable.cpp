#include "core/soundtable.h"

#include "data/textio.h"

namespace kz {

namespace {

// The kind names in the order of their numbers 1..10.
const char16_t* const kKindNames[SoundTable::kKinds] = {
    u"正解音1", u"正解音2",     u"間違い音1",   u"間違い音2",   u"最高音1",
    u"最高音2", u"自己最高音1", u"自己最高音2", u"自己最高音3", u"不合格音1",
};

int kindOf(const SoundTable& table, const QString& value) {
    for (int k = 1; k <= SoundTable::kKinds; ++k) {
        if (table.kinds[k].name == value)
            return k;
    }
    return 0;
}

} // namespace

bool loadSoundTable(const QString& path, SoundTable* table) {
    *table = SoundTable{};
    for (int k = 1; k <= SoundTable::kKinds; ++k)
        table->kinds[k].name = QString::fromUtf16(kKindNames[k - 1]);

    const Outcome<FreeValueText> read = FreeValueText::load(path);
    if (!read)
        return false; // every kind stays without a count: no sounds
    const FreeValueText& text = *read;

    const QString groupEnd = QStringLiteral("*");
    ValueStream values(text);
    while (!values.atEnd()) {
        const int k = kindOf(*table, values.next());
        if (k == 0)
            continue; // stray value outside a group
        SoundTable::Kind& kind = table->kinds[k];
        // Only a "*" in place of names 1..20 closes the group; after a 20th name the
        // group stays open and the kind keeps whatever count it had.
        for (int slot = 1; slot <= SoundTable::kSlots && !values.atEnd(); ++slot) {
            const QString name = values.next();
            if (name == groupEnd) {
                kind.count = slot - 1;
                break;
            }
            kind.files[slot] = name;
        }
    }
    return true;
}

} // namespace kz
