#include "admin/cli/admincli.h"

#include "platform/sdlsoundplayer.h"

#include <QTextStream>

namespace kz::admin {

int runSoundCheck(QTextStream& out, QTextStream& err) {
    const Status opened = SdlSoundPlayer::probeDevice();
    if (!opened.ok()) {
        err << "kazurin2-admin: " << opened.error().text() << "\n";
        return ExitProblems;
    }
    out << QStringLiteral("音声装置を開けました\n");
    return ExitOk;
}

} // namespace kz::admin
