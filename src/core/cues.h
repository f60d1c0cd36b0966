#pragma once

#include <QtGlobal>

namespace kz {

// The sound cues. Every call returns once the sound has finished (or failed).
class Cues {
public:
    Cues() = default;
    Q_DISABLE_COPY_MOVE(Cues)
    virtual ~Cues() = default;
    virtual void playRightSound() = 0;        // kind 2
    virtual void playWrongSound() = 0;        // kind 4
    virtual void playKeyWarning() = 0;        // "警告1.wav"
    virtual void playPersonalBestSound() = 0; // kind 8
    virtual void playSchoolBestSound() = 0;   // "最高1.wav"
    virtual void playPassSound() = 0;         // "合格.wav"
    virtual void playMinimumLineSound() = 0;  // kind 10
};

} // namespace kz
