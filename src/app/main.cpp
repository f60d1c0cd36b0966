#include "app/programwiring.h"
#include "core/runstate.h"
#include "core/startup.h"
#include "platform/clock.h"
#include "platform/gui/messagebox.h"
#include "platform/processlauncher.h"
#include "platform/quitsignals.h"
#include "platform/randomsource.h"
#include "platform/sdlsoundplayer.h"
#include "platform/translations.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kazurin2"));
    for (const QString& missing : kz::installJapaneseTranslations(app))
        std::fprintf(stderr, "kazurin2: %s を読めません。Qt の表示の一部が英語になります。\n", qPrintable(missing));
    kz::installQuitSignalHandlers();

    auto state = std::make_unique<kz::RunState>();
    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::WidgetMessageBox messages;
    kz::SdlSoundPlayer soundPlayer;
    kz::SystemProcessLauncher launcher;
    kz::prepareRun(*state, clock, random);

    kz::ProgramWiring wiring(
        *state, {clock, random, messages, soundPlayer, launcher, &kz::SdlSoundPlayer::probeFile});
    wiring.start(QCoreApplication::applicationDirPath());
    return wiring.exitStatus(QApplication::exec());
}
