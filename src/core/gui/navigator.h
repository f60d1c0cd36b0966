#pragma once

#include <QtGlobal>

namespace kz {

// How screens hand over to one another. The program implements it once (src/app);
// tests use recording fakes. Every screen is created anew each time it is shown, by the
// navigator alone. A screen only asks for the next one: the navigator closes the screen
// it replaces and is the only one to show or close the wait window that covers a
// hand-over.
class Navigator {
public:
    Navigator() = default;
    Q_DISABLE_COPY_MOVE(Navigator)
    virtual ~Navigator() = default;

    virtual void showNameScreen() = 0; // a new NameScreen
    virtual void showLevelMenu() = 0;  // a new seisekitime1
    // A new DrillScreen for the level chosen (the level menu's start, the end screen's
    // retry); its activation starts the attempt.
    virtual void showDrillScreen() = 0;
    // The drill has recorded its attempt: the wait window covers the drill screen for a
    // one-second pause, then a new EndScreen takes its place.
    virtual void showEndScreen() = 0;
    virtual void showCriteriaEditor() = 0; // FrmTimeData
    virtual void showRecordBrowser() = 0;  // FrmData
    // The screen last shown has drawn its first state; what covered the hand-over goes.
    virtual void screenReady() = 0;
    // Ends the program: every window closed, last opened first.
    virtual void quitProgram(int exitCode) = 0;
};

} // namespace kz
