#include "app/programwiring.h"
#include "core/gui/retrynotice.h"
#include "core/programrun.h"
#include "platform/clock.h"
#include "platform/gui/messagebox.h"
#include "platform/processlauncher.h"
#include "platform/quitsignals.h"
#include "platform/randomsource.h"
#include "platform/sdlsoundplayer.h"
#include "platform/translations.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kazurin2"));
    for (const QString& missing : kz::installJapaneseTranslations(app))
        std::fprintf(stderr, "kazurin2: %s を読めません。Qt の表示の一部が英語になります。\n",
                     qPrintable(missing));
    kz::installQuitSignalHandlers();

    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::WidgetMessageBox messages;
    kz::SdlSoundPlayer soundPlayer;
    kz::SystemProcessLauncher launcher;
    // Every operation on a shared data file waits with the screens alive and says so on
    // the screen when another station holds the file for long.
    kz::ProgramRun run(clock, kz::retryNoticeWaits());
    run.prepareRun(random);

    kz::ProgramWiring wiring(
        run, {clock, random, messages, soundPlayer, launcher, &kz::SdlSoundPlayer::probeFile});
    wiring.start(QCoreApplication::applicationDirPath());
    return wiring.exitStatus(QApplication::exec());
}
