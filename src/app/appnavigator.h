#pragma once

#include "admin/gui/criteriaeditorscreen.h"
#include "core/gui/appcontext.h"
#include "core/gui/navigator.h"
#include "core/gui/waitwindow.h"
#include "drill/gui/drillscreen.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "result/gui/endscreen.h"
#include "students/gui/namescreen.h"

#include <QPointer>

#include <functional>

namespace kz {

class ProcessLauncher;

// The program's screen flow: every screen is created anew when shown and deletes itself
// when closed; this class only knows which one is up, so that the screen that follows
// can close the one it replaces.
class AppNavigator final : public Navigator {
public:
    // How the statistics are rebuilt and an attempt recorded; the program passes the
    // real results file, tests may pass their own.
    struct DataAccess {
        // An error is shown before the program ends.
        std::function<Status()> refreshStatistics;
        // Returns an empty text on success, else the reason the attempt was not stored.
        std::function<QString()> recordAttempt;
    };

    AppNavigator(RunState& state, Clock& clock, RandomSource& random, MessageBox& messages, Cues& cues,
                 ProcessLauncher& launcher, DataAccess data);
    ~AppNavigator() override;

    AppContext& context() { return context_; }

    void showNameScreen() override;
    void showLevelMenu() override;
    void launchDrill() override;
    void showEndScreen() override;
    void showCriteriaEditor() override;
    void showRecordBrowser() override;
    void showWaitWindow() override;
    void closeWaitWindow() override;
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
    void notYetAvailable(const QString& screenName);

    AppContext context_;
    ProcessLauncher& launcher_;
    DataAccess data_;
    QPointer<NameScreen> nameScreen_;
    QPointer<LevelMenuScreen> levelMenu_;
    QPointer<DrillScreen> drill_;
    QPointer<EndScreen> endScreen_;
    QPointer<CriteriaEditorScreen> criteriaEditor_;
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

} // namespace kz
