#pragma once

#include "platform/outcome.h"
#include "platform/soundplayer.h"

#include <thread>

namespace kz {

// Plays WAV files through the SDL audio subsystem, one at a time and synchronously: the
// samples are queued on a freshly opened output device, the call waits until the queue
// has drained and the device has played its last buffer, then closes the device.
//
// The SDL library itself is loaded on first use, or ahead of that on a thread of its own
// (loadLibraryAhead). Without the library every play and check fails with a Device error
// saying so.
//
// The audio subsystem is started on the first play (so SDL_AUDIODRIVER and the driver's
// own variables are read then) and stopped when the player is destroyed. A failed start
// is retried on the next play, so a sound device that comes back is used again.
class SdlSoundPlayer final : public SoundPlayer {
public:
    SdlSoundPlayer() = default;
    ~SdlSoundPlayer() override;
    SdlSoundPlayer(const SdlSoundPlayer&) = delete;
    SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

    // Failures: NotFound when the file cannot be opened, Malformed when it is no WAV file
    // SDL can decode, Device when the audio subsystem cannot be started, no output device
    // opens, the samples cannot be queued or the device stops taking them.
    Status playFile(const QString& path) override;

    // Starts loading the SDL library on a thread of its own, for a caller that waits
    // anyway (the splash window's timer); whoever needs SDL before it is loaded waits for
    // that load. Without a thread to spare the library is loaded on first use.
    void loadLibraryAhead();

    // Reads and decodes a sound file as playFile does, without opening a device: what
    // cannot be played (missing, a folder, truncated, not WAV) is an error naming the file.
    static Status probeFile(const QString& path);
    // Starts the audio subsystem and opens (and closes) the output device a sound would
    // be played on, as playFile does; the error carries SDL's reason.
    static Status probeDevice();

private:
    Status ensureAudio();
    bool audioStarted_ = false;
    std::thread loader_; // loading the library ahead, joined at the end
};

} // namespace kz
