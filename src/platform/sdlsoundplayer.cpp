#include "platform/sdlsoundplayer.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "platform/datafile.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

#include <algorithm>
#include <limits>
#include <mutex>
#include <system_error>

namespace kz {

namespace {

// The SDL library is loaded when a sound is first needed, not with the program: with its
// audio back ends it brings some thirty libraries that would otherwise be loaded before
// the first window. Every SDL function the player calls is reached through here.
#define KZ_SDL_FUNCTIONS(X)                                                                                  \
    X(GetError)                                                                                              \
    X(SetMainReady)                                                                                          \
    X(SetHint)                                                                                               \
    X(InitSubSystem)                                                                                         \
    X(QuitSubSystem)                                                                                         \
    X(RWFromConstMem)                                                                                        \
    X(LoadWAV_RW)                                                                                            \
    X(FreeWAV)                                                                                               \
    X(OpenAudioDevice)                                                                                       \
    X(CloseAudioDevice)                                                                                      \
    X(QueueAudio)                                                                                            \
    X(GetQueuedAudioSize)                                                                                    \
    X(PauseAudioDevice)                                                                                      \
    X(GetAudioDeviceStatus)                                                                                  \
    X(GetTicks64)                                                                                            \
    X(Delay)

struct SdlLibrary {
    QString failure; // why the library could not be used; empty when it can
#define KZ_SDL_POINTER(name) decltype(&SDL_##name) name = nullptr;
    KZ_SDL_FUNCTIONS(KZ_SDL_POINTER)
#undef KZ_SDL_POINTER
};

constexpr const char* kSdlLibraryName = "libSDL2-2.0.so.0";

SdlLibrary loadSdlLibrary() {
    SdlLibrary lib;
    void* handle = dlopen(kSdlLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        lib.failure = why ? QString::fromLocal8Bit(why) : QString::fromLatin1(kSdlLibraryName);
        return lib;
    }
    // The library stays loaded for the rest of the run.
#define KZ_SDL_RESOLVE(name)                                                                                 \
    lib.name = reinterpret_cast<decltype(&SDL_##name)>(dlsym(handle, "SDL_" #name));                         \
    if (!lib.name && lib.failure.isEmpty())                                                                  \
        lib.failure = QStringLiteral("%1 に SDL_%2 がありません")                                            \
                          .arg(QString::fromLatin1(kSdlLibraryName), QStringLiteral(#name));
    KZ_SDL_FUNCTIONS(KZ_SDL_RESOLVE)
#undef KZ_SDL_RESOLVE
    return lib;
}

// Loaded once; a caller that comes while another thread loads it waits for that load.
std::once_flag sdlLoadOnce;
SdlLibrary sdlLibrary;

const SdlLibrary& sdl() {
    std::call_once(sdlLoadOnce, [] { sdlLibrary = loadSdlLibrary(); });
    return sdlLibrary;
}

// The library's failure as the player's: no sound can be played or checked without it.
Status sdlMissing() {
    return makeError(ErrorKind::Device, QStringLiteral("音を鳴らすライブラリ (SDL2) を読み込めません"),
                     sdl().failure);
}

QString sdlError() {
    const QString text = QString::fromUtf8(sdl().GetError());
    return text.isEmpty() ? QStringLiteral("原因不明") : text;
}

Error deviceError(const QString& message) {
    return makeError(ErrorKind::Device, message, sdlError());
}

// Sound files are shared with installations whose file names ignore case; when the exact
// name is not there, a file of the same name in another case is played instead.
QString existingFile(const QString& path) {
    const QFileInfo info(path);
    if (info.isFile())
        return path;
    const QDir folder = info.dir();
    const QStringList candidates = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : candidates) {
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    }
    return path;
}

// The bytes of a sound file (found: the name on disk, path: as asked for). Reading never
// waits on a named pipe or a device in place of the file. A missing file is NotFound, one
// that cannot be read (a folder, a pipe, no rights) of the kind unreadable, an empty one
// Malformed; the message names path.
Outcome<QByteArray> readSoundFile(const QString& found, const QString& path, const QString& what,
                                  ErrorKind unreadable) {
    const Outcome<QByteArray> read = readDataFile(found, std::numeric_limits<int>::max());
    if (!read)
        return makeError(read.error().kind == ErrorKind::NotFound ? ErrorKind::NotFound : unreadable,
                         QStringLiteral("%1を開けません: %2").arg(what, path),
                         read.error().detail.isEmpty() ? read.error().message : read.error().detail);
    if (read->isEmpty())
        return makeError(ErrorKind::Malformed, QStringLiteral("%1を再生できません: %2").arg(what, path),
                         QStringLiteral("0 バイト"));
    return read;
}

struct WavBuffer {
    Uint8* data = nullptr;
    Uint32 length = 0;
    WavBuffer() = default;
    WavBuffer(const WavBuffer&) = delete;
    WavBuffer& operator=(const WavBuffer&) = delete;
    ~WavBuffer() {
        if (data)
            sdl().FreeWAV(data);
    }
};

// Closes the output device when a play ends, however it ends.
struct OpenDevice {
    SDL_AudioDeviceID id = 0;
    explicit OpenDevice(SDL_AudioDeviceID device) : id(device) {}
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;
    ~OpenDevice() {
        if (id != 0)
            sdl().CloseAudioDevice(id);
    }
};

} // namespace

void SdlSoundPlayer::loadLibraryAhead() {
    if (loader_.joinable())
        return;
    try {
        loader_ = std::thread([] { (void)sdl(); });
    } catch (const std::system_error&) {
        // No thread to spare: the library is loaded with the first sound instead.
    }
}

SdlSoundPlayer::~SdlSoundPlayer() {
    if (loader_.joinable())
        loader_.join();
    if (audioStarted_)
        sdl().QuitSubSystem(SDL_INIT_AUDIO);
}

Status SdlSoundPlayer::ensureAudio() {
    if (audioStarted_)
        return {};
    if (!sdl().failure.isEmpty())
        return sdlMissing();
    sdl().SetMainReady();
    // The program ends on SIGTERM, SIGINT and SIGHUP through its own handlers; SDL's would
    // turn them into a quit event that nothing reads, and the program could not be ended.
    sdl().SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl().InitSubSystem(SDL_INIT_AUDIO) != 0)
        return deviceError(QStringLiteral("音声装置を使えません"));
    audioStarted_ = true;
    return {};
}

Status SdlSoundPlayer::probeFile(const QString& path) {
    const QString found = existingFile(path);
    if (QFileInfo(found).isDir())
        return makeError(ErrorKind::Malformed,
                         QStringLiteral("音のファイルではなくフォルダです: %1").arg(path));
    const Outcome<QByteArray> read =
        readSoundFile(found, path, QStringLiteral("音のファイル"), ErrorKind::Unreadable);
    if (!read)
        return read.error();
    if (!sdl().failure.isEmpty())
        return sdlMissing();
    const QByteArray& bytes = *read;
    SDL_AudioSpec spec{};
    WavBuffer wav;
    SDL_RWops* source = sdl().RWFromConstMem(bytes.constData(), static_cast<int>(bytes.size()));
    if (!source || !sdl().LoadWAV_RW(source, 1, &spec, &wav.data, &wav.length))
        return makeError(ErrorKind::Malformed, QStringLiteral("音のファイルを再生できません: %1").arg(path),
                         sdlError());
    if (wav.length == 0)
        return makeError(ErrorKind::Malformed,
                         QStringLiteral("音のファイルに音が入っていません: %1").arg(path));
    return {};
}

Status SdlSoundPlayer::probeDevice() {
    if (!sdl().failure.isEmpty())
        return sdlMissing();
    sdl().SetMainReady();
    sdl().SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl().InitSubSystem(SDL_INIT_AUDIO) != 0)
        return makeError(ErrorKind::Device, QStringLiteral("音声装置を使えません"), sdlError());
    SDL_AudioSpec wanted{};
    wanted.freq = 22050;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 512;
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = sdl().OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    Status status;
    if (device == 0)
        status = makeError(ErrorKind::Device, QStringLiteral("音声装置を開けません"), sdlError());
    else
        sdl().CloseAudioDevice(device);
    sdl().QuitSubSystem(SDL_INIT_AUDIO);
    return status;
}

Status SdlSoundPlayer::playFile(const QString& path) {
    const Outcome<QByteArray> read =
        readSoundFile(existingFile(path), path, QStringLiteral("音声ファイル"), ErrorKind::NotFound);
    if (!read)
        return read.error();
    const QByteArray& bytes = *read;

    if (Status started = ensureAudio(); !started)
        return started;

    SDL_AudioSpec spec{};
    WavBuffer wav;
    SDL_RWops* source = sdl().RWFromConstMem(bytes.constData(), static_cast<int>(bytes.size()));
    if (!source || !sdl().LoadWAV_RW(source, 1, &spec, &wav.data, &wav.length))
        return makeError(ErrorKind::Malformed, QStringLiteral("音声ファイルを再生できません: %1").arg(path),
                         sdlError());

    SDL_AudioSpec obtained{};
    spec.callback = nullptr; // samples are queued, not pulled
    spec.userdata = nullptr;
    // A device buffer of some 20 to 40 ms: the wait after the last samples, and the time
    // the device takes to close, stay short (the loader asks for 4096 frames).
    spec.samples = 256;
    while (spec.samples < 8192 && spec.samples * 50 < spec.freq)
        spec.samples = static_cast<Uint16>(spec.samples * 2);
    // SDL converts from the file's format to whatever the device wants.
    const OpenDevice open(sdl().OpenAudioDevice(nullptr, 0, &spec, &obtained, 0));
    if (open.id == 0)
        return deviceError(QStringLiteral("音声装置を開けません"));
    const SDL_AudioDeviceID device = open.id;

    if (sdl().QueueAudio(device, wav.data, wav.length) != 0)
        return deviceError(QStringLiteral("音声を再生できません: %1").arg(path));

    // How long the sound lasts, and how long the device holds its last buffer.
    const int frameBytes = std::max(1, SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels);
    const Uint64 soundMs = Uint64{wav.length} / static_cast<Uint64>(frameBytes) * 1000u /
                           static_cast<Uint64>(std::max(1, spec.freq));
    const Uint32 latencyMs = static_cast<Uint32>(Uint64{obtained.samples} * 1000u /
                                                 static_cast<Uint64>(std::max(1, obtained.freq)));

    sdl().PauseAudioDevice(device, 0);
    // The device may run slower than real time, but a device that takes no samples for
    // far longer than the sound lasts has stopped; the call must not hang for ever.
    const Uint64 deadline = sdl().GetTicks64() + soundMs * 2 + latencyMs * 4 + 3000;
    while (sdl().GetQueuedAudioSize(device) > 0) {
        if (sdl().GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED)
            return makeError(ErrorKind::Device, QStringLiteral("音声装置が止まりました: %1").arg(path));
        if (sdl().GetTicks64() > deadline)
            return makeError(ErrorKind::Device, QStringLiteral("音声の再生が終わりません: %1").arg(path));
        sdl().Delay(std::clamp<Uint32>(latencyMs / 4, 1, 10));
    }
    // The last samples have left the queue; let the device play them out.
    sdl().Delay(latencyMs + 20);
    return {};
}

} // namespace kz
