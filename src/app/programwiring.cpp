#include "app/programwiring.h"

#include "core/gui/fatalsound.h"
#include "core/gui/splashscreen.h"
#include "core/gui/startupsteps.h"
#include "core/runstate.h"
#include "platform/clock.h"

#include <QCoreApplication>

namespace kz {

ProgramWiring::ProgramWiring(RunState& state, const ProgramSeams& seams)
    : state_(state), seams_(seams), paintingPlayer_(seams.sound),
      cues_(state, paintingPlayer_, seams.random, {}),
      navigator_(state, seams.clock, seams.random, seams.messages, cues_, seams.launcher,
                 programDataAccess(state, seams.clock)) {
    cues_.setFatalHandler(makeSoundFatalHandler(seams.messages, &navigator_));
}

ProgramWiring::~ProgramWiring() {
    delete splash_.data();
}

void ProgramWiring::start(const QString& appFolder) {
    // The splash runs the start-up step from its timer and closes itself afterwards. The
    // status is kept here so that closing the last window cannot turn a failed start
    // into a success.
    splash_ = new SplashScreen(seams_.clock.today(), [this, appFolder] {
        if (!resolveAndReport(appFolder, state_, seams_.messages, splash_, seams_.probeSound)) {
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
