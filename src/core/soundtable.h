#pragma once

#include <QString>

#include <array>

namespace kz {

// The ten sound kinds of "新音ファイル.txt", each with up to 20 file names.
struct SoundTable {
    static constexpr int kKinds = 10;
    static constexpr int kSlots = 20;
    struct Kind {
        QString name;                          // "正解音1" …
        std::array<QString, kSlots + 1> files; // slots 1..20 (0 unused), names without ".wav"
        int count = -1;                        // usable names; -1 when the group was never closed by "*"
    };
    std::array<Kind, kKinds + 1> kinds; // kinds 1..10 (0 unused)
};

} // namespace kz

namespace kz {

// Reads "新音ファイル.txt" into the table (kind names filled first). A missing file leaves
// every kind without a count (silent) and returns false.
bool loadSoundTable(const QString& path, SoundTable* table);

} // namespace kz
