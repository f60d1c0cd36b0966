#pragma once

#include "core/gui/appcontext.h"
#include "core/gui/basefrm.h"
#include "core/gui/navigator.h"
#include "drill/gui/mainfrm.h"
#include "levelmenu/gui/seisekitime1.h"
#include "result/gui/frmsyuuryou.h"
#include "students/gui/namesel.h"

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
        // Returns an empty text on success, else the message to show before ending.
        std::function<QString()> refreshStatistics;
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
    namesel* nameScreen() const { return nameScreen_; }
    Seisekitime1* levelMenu() const { return levelMenu_; }
    MainFrm* drillScreen() const { return drill_; }
    FrmSyuuryou* endScreen() const { return endScreen_; }
    BASEFRM* waitWindow() const { return wait_; }

private:
    void refreshStatistics();
    void notYetAvailable(const QString& screenName);

    AppContext context_;
    ProcessLauncher& launcher_;
    DataAccess data_;
    QPointer<namesel> nameScreen_;
    QPointer<Seisekitime1> levelMenu_;
    QPointer<MainFrm> drill_;
    QPointer<FrmSyuuryou> endScreen_;
    QPointer<BASEFRM> wait_;
    bool quitRequested_ = false;
    int exitCode_ = 0;
};

// Waits the given time while the screens stay alive (events keep being processed).
void waitKeepingScreensAlive(int milliseconds);

} // namespace kz
