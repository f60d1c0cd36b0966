#include "app/programwiring.h"

#include "core/gui/fatalsound.h"
#include "core/gui/splashscreen.h"
#include "core/gui/startupsteps.h"
#include "core/programrun.h"
#include "platform/clock.h"

#include <QCoreApplication>

namespace kz {

ProgramWiring::ProgramWiring(ProgramRun& run, const ProgramSeams& seams)
    : run_(run), seams_(seams), paintingPlayer_(seams.sound),
      cues_(run.state(), paintingPlayer_, seams.random, {}),
      navigator_(run, seams.clock, seams.random, seams.messages, cues_, seams.launcher) {
    cues_.setFatalHandler(makeSoundFatalHandler(seams.messages, &navigator_));
    run_.setStatisticsFailureHandler(
        [this](const Error& error) { navigator_.endAfterStatisticsFailure(error); });
}

ProgramWiring::~ProgramWiring() {
    run_.setStatisticsFailureHandler({});
    delete splash_.data();
}

void ProgramWiring::start(const QString& appFolder) {
    // The splash runs the start-up step from its timer and closes itself afterwards. The
    // status is kept here so that closing the last window cannot turn a failed start
    // into a success.
    splash_ = new SplashScreen(seams_.clock.today(), [this, appFolder] {
        if (!resolveAndReport(appFolder, run_, seams_.messages, splash_, seams_.probeSound)) {
            startStatus_ = 1;
            QCoreApplication::exit(startStatus_);
            return;
        }
        navigator_.showNameScreen();
    });
    splash_->load();
}

int ProgramWiring::exitStatus(int loopStatus) const {
    if (startStatus_ != 0)
        return startStatus_;
    return navigator_.quitRequested() ? navigator_.exitCode() : loopStatus;
}

} // namespace kz
