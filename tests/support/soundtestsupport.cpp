#include "soundtestsupport.h"

#include <QFile>

#include <cmath>
#include <numbers>

namespace kz::test {

namespace {

void appendLe(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

} // namespace

QByteArray toneSamples(const TestTone& tone) {
    QByteArray data;
    const int frames = static_cast<int>(tone.sampleRate * tone.seconds);
    for (int i = 0; i < frames; ++i) {
        const double v = 0.6 * std::sin(2.0 * std::numbers::pi * tone.frequency * i / tone.sampleRate);
        if (tone.bitsPerSample == 8)
            appendLe(data, static_cast<quint32>(128 + std::lround(v * 127.0)), 1);
        else
            appendLe(
                data,
                static_cast<quint32>(static_cast<quint16>(static_cast<qint16>(std::lround(v * 32767.0)))), 2);
    }
    return data;
}

QByteArray toneWav(const TestTone& tone) {
    const QByteArray samples = toneSamples(tone);
    const int blockAlign = tone.bitsPerSample / 8;
    QByteArray out("RIFF");
    appendLe(out, static_cast<quint32>(36 + samples.size()), 4);
    out.append("WAVEfmt ");
    appendLe(out, 16, 4);
    appendLe(out, 1, 2); // PCM
    appendLe(out, 1, 2); // mono
    appendLe(out, static_cast<quint32>(tone.sampleRate), 4);
    appendLe(out, static_cast<quint32>(tone.sampleRate * blockAlign), 4);
    appendLe(out, static_cast<quint32>(blockAlign), 2);
    appendLe(out, static_cast<quint32>(tone.bitsPerSample), 2);
    out.append("data");
    appendLe(out, static_cast<quint32>(samples.size()), 4);
    out.append(samples);
    return out;
}

bool writeToneWav(const QString& path, const TestTone& tone) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(toneWav(tone)) >= 0 && file.flush();
}

} // namespace kz::test
