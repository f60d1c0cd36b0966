#include "admin/cli/commands.h"

#include "platform/sdlsoundplayer.h"

#include <QTextStream>

namespace kz::admin {

QString SoundCommand::summary() {
    return QStringLiteral("プログラムが音を出す音声装置を開けるか試します");
}

QString SoundCommand::help() {
    return QStringLiteral(
        "  sound        プログラムが音を出す音声装置を開き、何も鳴らしません。開けないとき\n"
        "               は理由とともに終了状態 1（装置の種類は、プログラムと同じく\n"
        "               SDL_AUDIODRIVER で選びます）。\n");
}

Outcome<SoundCommand::Options> SoundCommand::parse(const QStringList& options) {
    if (!options.isEmpty())
        return refuseArgument(options.first());
    return Options{};
}

int SoundCommand::run(const Options&, const CommandRun& run) {
    const Status opened = SdlSoundPlayer::probeDevice();
    if (!opened.ok()) {
        run.err << "kazurin2-admin: " << opened.error().text() << "\n";
        return ExitProblems;
    }
    run.out << QStringLiteral("音声装置を開けました\n");
    return ExitOk;
}

} // namespace kz::admin
