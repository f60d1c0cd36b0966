// A small program that starts like the real one: the quit signal handlers installed,
// then one cue played through the real SDL player (so SDL's audio is running). Prints
// "played" when the cue is over and waits in the event loop until it is ended.
//   quitsignal_helper <wav file>
#include "platform/quitsignals.h"
#include "platform/sdlsoundplayer.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    kz::installQuitSignalHandlers();
    kz::SdlSoundPlayer player;
    const kz::Status played = player.playFile(QCoreApplication::arguments().value(1));
    std::printf("%s\n", played.ok() ? "played" : "failed");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
