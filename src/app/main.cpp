#include "app/appnavigator.h"
#include "core/gui/fatalsound.h"
#include "core/gui/paintnow.h"
#include "core/gui/retrynotice.h"
#include "core/gui/splashscreen.h"
#include "core/gui/startupsteps.h"
#include "core/runstate.h"
#include "core/soundcues.h"
#include "core/startup.h"
#include "platform/clock.h"
#include "platform/gui/messagebox.h"
#include "platform/processlauncher.h"
#include "platform/quitsignals.h"
#include "platform/randomsource.h"
#include "platform/sdlsoundplayer.h"

#include <QApplication>
#include <QPointer>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kazurin2"));
    kz::installQuitSignalHandlers();

    auto state = std::make_unique<kz::RunState>();
    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::WidgetMessageBox messages;
    kz::SdlSoundPlayer soundPlayer;
    kz::SystemProcessLauncher launcher;
    kz::prepareRun(*state, clock, random);

    kz::PaintFirstPlayer paintingPlayer(soundPlayer);
    kz::SoundCues cues(*state, paintingPlayer, random, {});

    kz::AppNavigator navigator(*state, clock, random, messages, cues, launcher,
                               kz::programDataAccess(*state, clock));
    cues.setFatalHandler(kz::makeSoundFatalHandler(messages, &navigator));

    // The splash runs the start-up step from its timer and closes itself afterwards. The
    // status is kept here so that closing the last window cannot turn a failed start
    // into a success.
    int status = 0;
    QPointer<kz::SplashScreen> splash;
    splash = new kz::SplashScreen(clock.today(), [&] {
        if (!kz::resolveAndReport(QCoreApplication::applicationDirPath(), *state, messages, splash,
                                  &kz::SdlSoundPlayer::probeFile)) {
            status = 1;
            QCoreApplication::exit(status);
            return;
        }
        navigator.showNameScreen();
    });
    splash->load();
    const int loopStatus = QApplication::exec();
    if (status != 0)
        return status;
    return navigator.quitRequested() ? navigator.exitCode() : loopStatus;
}
