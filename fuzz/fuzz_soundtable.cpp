// The sound list over any file, then every cue played from the table it gave, with the
// random source at both ends of its range.
#include "fuzzsupport.h"

#include "core/soundcues.h"
#include "core/soundtable.h"
#include "platform/randomsource.h"
#include "platform/soundplayer.h"

namespace {

class FixedRandom final : public kz::RandomSource {
public:
    double value = 0;
    double next() override { return value; }
    void seed(quint32) override {}
};

// Fails every other play so that the failure counting runs too.
class CountingPlayer final : public kz::SoundPlayer {
public:
    int plays = 0;
    kz::Status playFile(const QString& path) override {
        KZ_FUZZ_CHECK(path.endsWith(QStringLiteral(".wav")));
        ++plays;
        return plays % 2
                   ? kz::Status{}
                   : kz::Status(kz::makeError(kz::ErrorKind::Device, QStringLiteral("音声装置がありません")));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = kzfuzz::writeScratch(QStringLiteral("音フォルダ/新音ファイル.txt"),
                                              reinterpret_cast<const char*>(data), size);
    kz::SoundTable table;
    KZ_FUZZ_CHECK(kz::loadSoundTable(path, &table));
    for (int k = 1; k <= kz::SoundTable::kKinds; ++k)
        KZ_FUZZ_CHECK(table.kinds[k].count >= -1 && table.kinds[k].count <= kz::SoundTable::kSlots);

    const QString folder = kzfuzz::scratchFolder() + QStringLiteral("音フォルダ/");
    CountingPlayer player;
    FixedRandom random;
    int fatal = 0;
    kz::SoundCues cues(table, folder, player, random, [&](const QString&) { ++fatal; });
    for (const double r : {0.0, 0.5, 0.9999999999999999}) {
        random.value = r;
        cues.playRightSound();
        cues.playWrongSound();
        cues.playKeyWarning();
        cues.playPersonalBestSound();
        cues.playSchoolBestSound();
        cues.playPassSound();
        cues.playMinimumLineSound();
    }
    KZ_FUZZ_CHECK(fatal <= 1);
    KZ_FUZZ_CHECK(cues.consecutiveFailures() >= 0);
    return 0;
}
