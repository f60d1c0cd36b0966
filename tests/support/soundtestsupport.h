#pragma once

#include "platform/soundplayer.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kz::test {

// A short tone as a PCM WAV file: mono, 8 or 16 bits per sample.
struct TestTone {
    int sampleRate = 22050;
    int bitsPerSample = 16;
    double seconds = 0.2;
    double frequency = 440.0;
};

// The sample bytes of the tone, as they stand in the file's data chunk.
QByteArray toneSamples(const TestTone& tone);
// The whole WAV file.
QByteArray toneWav(const TestTone& tone);
bool writeToneWav(const QString& path, const TestTone& tone = {});

// A player that records every path and answers with scripted results (then succeeds).
class ScriptedPlayer final : public SoundPlayer {
public:
    QList<QString> played;
    QList<Status> results;
    Status playFile(const QString& path) override {
        played.append(path);
        return results.isEmpty() ? Status{} : results.takeFirst();
    }
};

} // namespace kz::test
