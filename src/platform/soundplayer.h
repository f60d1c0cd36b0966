#pragma once

#include "platform/outcome.h"

#include <QString>

namespace kz {

// Plays one WAV file by path, synchronously: returns once the sound has ended. A failure
// names the file where it is the file's fault (NotFound, Malformed) and carries the
// sound system's own text as detail (Device).
class SoundPlayer {
public:
    SoundPlayer() = default;
    Q_DISABLE_COPY_MOVE(SoundPlayer)
    virtual ~SoundPlayer() = default;
    virtual Status playFile(const QString& path) = 0;
};

} // namespace kz
