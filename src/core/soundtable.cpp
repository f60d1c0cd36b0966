#include "core/soundtable.h"

namespace kz {

bool loadSoundTable(const QString& path, SoundTable* table) {
    Q_UNUSED(path);
    *table = SoundTable{};
    return false;
}

} // namespace kz
