#pragma once

#include <QString>

namespace kz {

struct PlayResult {
    int status = 0; // 0 on success
    QString text;   // readable description when status != 0
    bool ok() const { return status == 0; }
};

// Plays one WAV file by path, synchronously: returns once the sound has ended.
class SoundPlayer {
public:
    SoundPlayer() = default;
    Q_DISABLE_COPY_MOVE(SoundPlayer)
    virtual ~SoundPlayer() = default;
    virtual PlayResult playFile(const QString& path) = 0;
};

} // namespace kz
