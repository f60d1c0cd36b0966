#include "core/soundcues.h"

#include "core/runstate.h"
#include "core/soundtable.h"
#include "platform/randomsource.h"
#include "platform/soundplayer.h"

namespace kz {

namespace {

constexpr int kRightKind = 2;
constexpr int kWrongKind = 4;
constexpr int kPersonalBestKind = 8;
constexpr int kMinimumLineKind = 10;
constexpr int kSilentFailures = 3;

} // namespace

QString soundFailureTitle() {
    return QStringLiteral("音声エラー");
}

QString unplayableSoundMeaning() {
    return QStringLiteral("その音の代わりに同じ種類のほかの音を鳴らし、ほかにないときは鳴らしません。"
                          "プログラムは止まりません");
}

QString soundFailureMessage(const QString& failureText) {
    return QStringLiteral("音声がでません。先生を呼びなさい。") + u'\n' + failureText;
}

SoundCues::SoundCues(const SoundTable& table, const QString& soundFolder, SoundPlayer& player,
                     RandomSource& random, SoundFatalHandler onFatal)
    : table_(table), soundFolder_(soundFolder), player_(player), random_(random),
      onFatal_(std::move(onFatal)) {}

SoundCues::SoundCues(const RunState& state, SoundPlayer& player, RandomSource& random,
                     SoundFatalHandler onFatal)
    : SoundCues(state.settings.soundTable, state.settings.installation.soundFolder, player, random,
                std::move(onFatal)) {}

void SoundCues::playRightSound() {
    playKind(kRightKind, Counting::Counted);
}
void SoundCues::playWrongSound() {
    playKind(kWrongKind, Counting::Counted);
}
void SoundCues::playKeyWarning() {
    playNamed(QStringLiteral("警告1"), Counting::Ignored);
}
void SoundCues::playPersonalBestSound() {
    playKind(kPersonalBestKind, Counting::Ignored);
}
void SoundCues::playSchoolBestSound() {
    playNamed(QStringLiteral("最高1"), Counting::Ignored);
}
void SoundCues::playPassSound() {
    playNamed(QStringLiteral("合格"), Counting::Ignored);
}
void SoundCues::playMinimumLineSound() {
    playKind(kMinimumLineKind, Counting::Ignored);
}

void SoundCues::playKind(int kind, Counting counting) {
    if (ended_)
        return;
    const SoundTable::Kind& sounds = table_.kinds[kind];
    if (sounds.count < 0)
        return; // the list never closed this kind: no sounds configured
    // A count of 0 still picks slot 1, which holds no name: that play fails.
    const double r = random_.next();
    const int slot = sounds.count == 0 ? 1 : pickOneBased(r, sounds.count);
    if (sounds.files[slot].isEmpty()) {
        if (counting == Counting::Counted)
            count(makeError(
                ErrorKind::NotFound,
                QStringLiteral("「%1」の%2番目の音声ファイル名がありません").arg(sounds.name).arg(slot)));
        return;
    }
    // The file picked, else the others of its kind in list order, until one plays.
    for (int tried = 0; tried < sounds.count; ++tried) {
        const int s = (slot - 1 + tried) % sounds.count + 1;
        const QString& name = sounds.files[s];
        if (name.isEmpty())
            continue;
        bool fileFailed = false;
        const Status result = playFile(name, &fileFailed);
        if (fileFailed)
            continue;
        if (counting == Counting::Counted)
            count(result);
        return;
    }
}

void SoundCues::playNamed(const QString& name, Counting counting) {
    if (ended_)
        return;
    bool fileFailed = false;
    const Status result = playFile(name, &fileFailed);
    if (counting == Counting::Counted && !fileFailed)
        count(result);
}

Status SoundCues::playFile(const QString& name, bool* fileFailed) {
    // Names in the list may use the other platform's folder separator.
    QString relative = name;
    relative.replace(u'\\', u'/');
    const QString path = soundFolder_ + relative + QStringLiteral(".wav");
    if (unplayable_.contains(path)) {
        *fileFailed = true;
        return makeError(ErrorKind::NotFound, path);
    }
    const Status result = player_.playFile(path);
    // Only the device's failures are the computer's; a missing or broken file is not.
    *fileFailed = !result.ok() && result.error().kind != ErrorKind::Device;
    if (*fileFailed)
        unplayable_.insert(path);
    return result;
}

void SoundCues::count(const Status& result) {
    if (result.ok()) {
        failures_ = 0;
        return;
    }
    if (failures_ < kSilentFailures) {
        ++failures_;
        return;
    }
    if (!onFatal_)
        return;
    ended_ = true;
    const QString text = result.error().text();
    const QString reason = text.isEmpty() ? QStringLiteral("原因不明") : text;
    onFatal_(soundFailureMessage(reason));
}

} // namespace kz
