#pragma once

#include "admin/gui/criteriaeditorscreen.h"
#include "admin/gui/recordbrowserscreen.h"
#include "core/gui/appcontext.h"
#include "core/gui/navigator.h"
#include "core/gui/waitwindow.h"
#include "data/attemptrecording.h"
#include "drill/gui/drillscreen.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "platform/outcome.h"
#include "result/gui/endscreen.h"
#include "students/gui/namescreen.h"

#include <QPointer>

#include <functional>

namespace kz {

class ProcessLauncher;

// The program's screen flow: every screen is created anew when shown and deleted when
// closed. This class knows which one is up, closes the one a new screen replaces, and
// alone shows and closes the wait window that covers a hand-over.
class AppNavigator final : public Navigator {
public:
    // How the statistics are rebuilt and an attempt recorded; the program passes the
    // real results file, tests may pass their own.
    struct DataAccess {
        // An error is shown before the program ends.
        std::function<Status()> refreshStatistics;
        // Stores the attempt that has just ended (Seisekikiroku and its answer log).
        std::function<Status()> recordAttempt;
    };

    AppNavigator(RunState& state, Clock& clock, RandomSource& random, MessageBox& messages, Cues& cues,
                 ProcessLauncher& launcher, DataAccess data);
    ~AppNavigator() override;

    AppContext& context() { return context_; }

    void showNameScreen() override;
    void showLevelMenu() override;
    void launchDrill() override;
    void attemptRecorded() override;
    void showEndScreen() override;
    void showCriteriaEditor() override;
    void showRecordBrowser() override;
    void screenReady() override;
    void quitProgram(int exitCode) override;

    bool quitRequested() const { return quitRequested_; }
    int exitCode() const { return exitCode_; }

    // The screens currently up (null when none), for the program's tests.
    NameScreen* nameScreen() const { return nameScreen_; }
    LevelMenuScreen* levelMenu() const { return levelMenu_; }
    DrillScreen* drillScreen() const { return drill_; }
    EndScreen* endScreen() const { return endScreen_; }
    CriteriaEditorScreen* criteriaEditor() const { return criteriaEditor_; }
    WaitWindow* waitWindow() const { return wait_; }

private:
    void refreshStatistics();
    void showWaitWindow();
    void closeWaitWindow();

    AppContext context_;
    ProcessLauncher& launcher_;
    DataAccess data_;
    QPointer<NameScreen> nameScreen_;
    QPointer<LevelMenuScreen> levelMenu_;
    QPointer<DrillScreen> drill_;
    QPointer<EndScreen> endScreen_;
    QPointer<CriteriaEditorScreen> criteriaEditor_;
    QPointer<RecordBrowserScreen> recordBrowser_;
    QPointer<WaitWindow> wait_;
    bool quitRequested_ = false;
    int exitCode_ = 0;
};

// Waits the given time while the screens stay alive (events keep being processed).
void waitKeepingScreensAlive(int milliseconds);

// The program's data access, as main() wires it: the statistics refresh and the
// recording step on the run's own results file, waiting for a locked file with the
// screens alive.
AppNavigator::DataAccess programDataAccess(RunState& state, const Clock& clock);

// What the recording step's outcome means to the drill: success, or the error to show.
Status recordingStatus(const Outcome<RecordedAttempt>& outcome);

} // namespace kz
