#pragma once

#include "core/cues.h"
#include "platform/outcome.h"

#include <QSet>
#include <QString>

#include <functional>

namespace kz {

struct RunState;
struct SoundTable;
class SoundPlayer;
class RandomSource;

// Exit status of a program stopped because its answer sounds kept failing.
inline constexpr int kSoundFailureExitCode = 3;

// Called once, on the fourth consecutive failed answer sound, with the whole text to show
// (see soundFailureMessage); it is expected to tell the user and end the program.
using SoundFatalHandler = std::function<void(const QString& message)>;

QString soundFailureTitle(); // "音声エラー"
// What a sound file that cannot be played (missing, not decodable) means for the program,
// told at start-up and by the companion's check.
QString unplayableSoundMeaning();
QString soundFailureMessage(const QString& failureText); // the call for the teacher, a line break, the reason

// The cues of the program, played from the sound folder through a SoundPlayer. Every
// operation returns once its sound has ended or failed.
//
// Answer sounds (right and wrong) count consecutive failures of the sound device in a
// shared counter: three pass silently, the fourth calls the fatal handler; a success of
// either resets the count. The other cues ignore failures. A sound file that is missing
// or cannot be decoded (the start-up has told the teacher) is no failure of the computer:
// the cue plays another file of its kind instead (the next one in the list), or nothing
// when none of them can be played, and the file is not tried again; it never counts
// toward the stop. A kind that the sound list never closed with "*" has no count: its cue
// plays nothing and is not a failure. After the fatal handler has run every cue stays
// silent, because the program is ending.
class SoundCues final : public Cues {
public:
    // The table and the folder are kept by reference and read at every play.
    SoundCues(const SoundTable& table, const QString& soundFolder, SoundPlayer& player, RandomSource& random,
              SoundFatalHandler onFatal);
    // Uses the run state's sound table and sound folder (filled in at start-up, later).
    SoundCues(const RunState& state, SoundPlayer& player, RandomSource& random, SoundFatalHandler onFatal);

    void setFatalHandler(SoundFatalHandler onFatal) { onFatal_ = std::move(onFatal); }
    bool ended() const { return ended_; }
    // Answer sounds that failed in a row since the last one that played.
    int consecutiveFailures() const { return failures_; }

    void playRightSound() override;
    void playWrongSound() override;
    void playKeyWarning() override;
    void playPersonalBestSound() override;
    void playSchoolBestSound() override;
    void playPassSound() override;
    void playMinimumLineSound() override;

private:
    enum class Counting { Counted, Ignored };
    void playKind(int kind, Counting counting);
    void playNamed(const QString& name, Counting counting);
    // Plays the file; a failure of the file itself is remembered and comes back as such.
    Status playFile(const QString& name, bool* fileFailed);
    void count(const Status& result);

    const SoundTable& table_;
    const QString& soundFolder_;
    int failures_ = 0;
    SoundPlayer& player_;
    RandomSource& random_;
    SoundFatalHandler onFatal_;
    bool ended_ = false;
    QSet<QString> unplayable_; // paths of files that could not be played
};

} // namespace kz
