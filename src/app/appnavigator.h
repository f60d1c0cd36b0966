#pragma once

#include "admin/gui/criteriaeditorscreen.h"
#include "admin/gui/recordbrowserscreen.h"
#include "core/gui/appcontext.h"
#include "core/gui/navigator.h"
#include "core/gui/waitwindow.h"
#include "drill/gui/drillscreen.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "result/gui/endscreen.h"
#include "students/gui/namescreen.h"

#include <QPointer>

#include <memory>

namespace kz {

class ProcessLauncher;

// The program's screen flow: every screen is created here, anew when shown, and deleted
// when closed. This class knows which one is up, closes the one a new screen replaces, and
// alone shows and closes the wait window that covers a hand-over.
class AppNavigator final : public Navigator {
public:
    // The pause between a recorded attempt and its end screen.
    static constexpr int kResultPauseMs = 1000;
    // The application's picture cache (QPixmapCache) while the navigator lives.
    static constexpr int kPictureCacheKilobytes = 2048;

    AppNavigator(ProgramRun& run, Clock& clock, RandomSource& random, MessageBox& messages, Cues& cues,
                 ProcessLauncher& launcher);
    ~AppNavigator() override;

    AppContext& context() { return context_; }

    void showNameScreen() override;
    // The name screen at start-up: built with its list, hidden, while the splash is up;
    // then shown.
    void prepareFirstNameScreen();
    void showFirstNameScreen();
    void showLevelMenu() override;
    void showDrillScreen() override;
    void showEndScreen() override;
    void showCriteriaEditor() override;
    void showRecordBrowser() override;
    void screenReady() override;
    void quitProgram(int exitCode) override;

    // The statistics could not be rebuilt: the program tells why and ends with status 1.
    void endAfterStatisticsFailure(const Error& error);

    bool quitRequested() const { return quitRequested_; }
    int exitCode() const { return exitCode_; }

    // The screens currently up (null when none), for the program's tests.
    NameScreen* nameScreen() const { return nameScreen_; }
    LevelMenuScreen* levelMenu() const { return levelMenu_; }
    DrillScreen* drillScreen() const { return drill_; }
    RecordBrowserScreen* recordBrowser() const { return recordBrowser_; }
    EndScreen* endScreen() const { return endScreen_; }
    CriteriaEditorScreen* criteriaEditor() const { return criteriaEditor_; }
    WaitWindow* waitWindow() const { return wait_; }

private:
    void openNameScreen(bool builtHidden);
    void showWaitWindow();
    void closeWaitWindow();

    AppContext context_;
    ProcessLauncher& launcher_;
    QPointer<NameScreen> nameScreen_;
    QPointer<LevelMenuScreen> levelMenu_;
    QPointer<DrillScreen> drill_;
    QPointer<EndScreen> endScreen_;
    QPointer<CriteriaEditorScreen> criteriaEditor_;
    QPointer<RecordBrowserScreen> recordBrowser_;
    QPointer<WaitWindow> wait_;
    std::unique_ptr<ResultsTableBuilder> tables_; // every level menu's, made with the first
    bool quitRequested_ = false;
    int exitCode_ = 0;
};

} // namespace kz
