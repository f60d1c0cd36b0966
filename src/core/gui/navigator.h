#pragma once

namespace kz {

// How screens hand over to one another. The program implements it once (src/app);
// tests use recording fakes. Every screen is created anew each time it is shown.
class Navigator {
public:
    virtual ~Navigator() = default;
    virtual void showNameScreen() = 0;     // a new NameScreen
    virtual void showLevelMenu() = 0;      // a new seisekitime1
    virtual void launchDrill() = 0;        // reset the attempt flags, show a new DrillScreen for currentLevel
    virtual void showEndScreen() = 0;      // a new EndScreen
    virtual void showCriteriaEditor() = 0; // FrmTimeData
    virtual void showRecordBrowser() = 0;  // FrmData
    virtual void showWaitWindow() = 0;     // WaitWindow
    virtual void closeWaitWindow() = 0;
    // Ends the program: every window closed, last opened first.
    virtual void quitProgram(int exitCode) = 0;
};

} // namespace kz
