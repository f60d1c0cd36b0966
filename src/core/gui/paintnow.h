#pragma once

#include "platform/soundplayer.h"

namespace kz {

// Makes the screen show its new state before the program blocks (a synchronous cue, a
// read of the results file, a lock wait, a pause): widgets that changed are painted,
// windows just shown are mapped and painted, and the window system has received all of
// it when this returns. No user input is delivered (keys and clicks stay queued for
// after the blocking step) and no timer fires, so nothing runs ahead of the caller.
void paintNow();

// Every sound blocks the program while it plays: this player puts the screen's new state
// on the screen first (the red correct answer before the wrong-answer sound, the end
// screen's texts before a record sound), then plays through the real player.
class PaintFirstPlayer final : public SoundPlayer {
public:
    explicit PaintFirstPlayer(SoundPlayer& player) : player_(player) {}
    Status playFile(const QString& path) override {
        paintNow();
        return player_.playFile(path);
    }

private:
    SoundPlayer& player_;
};

} // namespace kz
