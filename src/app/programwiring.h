#pragma once

#include "app/appnavigator.h"
#include "core/gui/paintnow.h"
#include "core/installation.h"
#include "core/soundcues.h"

#include <QPointer>
#include <QString>

namespace kz {

class Clock;
class MessageBox;
class ProcessLauncher;
class RandomSource;
class SoundPlayer;
class SplashScreen;
class ProgramRun;

// The outside world as the program meets it; main() passes the real ones, the
// whole-program tests their fakes.
struct ProgramSeams {
    Clock& clock;
    RandomSource& random;
    MessageBox& messages;
    SoundPlayer& sound;
    ProcessLauncher& launcher;
    SoundProbe probeSound; // checks a sound file at start-up; empty: no check
};

// The program's wiring, built once by main() and by the whole-program tests around the
// run: the cues (the screen painted before every sound), the navigator, and the two
// failures that end the run through the navigator: statistics that cannot be rebuilt and
// a failing sound device.
class ProgramWiring final {
public:
    ProgramWiring(ProgramRun& run, const ProgramSeams& seams);
    Q_DISABLE_COPY_MOVE(ProgramWiring)
    ~ProgramWiring();

    AppNavigator& navigator() { return navigator_; }
    SoundCues& cues() { return cues_; }

    // Start-up: the splash, whose timer resolves the installation below appFolder and
    // opens the name screen. A failed start ends the event loop with status 1.
    void start(const QString& appFolder);
    // What the program returns once the event loop has ended with loopStatus.
    int exitStatus(int loopStatus) const;

private:
    ProgramRun& run_;
    ProgramSeams seams_;
    PaintFirstPlayer paintingPlayer_;
    SoundCues cues_;
    AppNavigator navigator_;
    QPointer<SplashScreen> splash_;
    int startStatus_ = 0;
};

} // namespace kz
