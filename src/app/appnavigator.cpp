#include "app/appnavigator.h"

#include "core/gui/paintnow.h"
#include "core/gui/retrynotice.h"

#include "admin/gui/recordbrowserscreen.h"
#include "core/gui/fatalsound.h"
#include "core/gui/versionwindow.h"
#include "core/gui/waitwindow.h"
#include "core/recording.h"
#include "core/runstate.h"
#include "drill/gui/drillscreen.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "platform/gui/messagebox.h"
#include "result/gui/endscreen.h"
#include "students/gui/namescreen.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

namespace kz {

AppNavigator::AppNavigator(RunState& state, Clock& clock, RandomSource& random, MessageBox& messages,
                           Cues& cues, ProcessLauncher& launcher, DataAccess data)
    : context_{state, clock, random, messages, cues, *this}, launcher_(launcher), data_(std::move(data)) {}

AppNavigator::~AppNavigator() {
    // Screens still up belong to the application; they must not call back into a
    // navigator that is gone.
    for (QWidget* w : {static_cast<QWidget*>(nameScreen_.data()), static_cast<QWidget*>(levelMenu_.data()),
                       static_cast<QWidget*>(drill_.data()), static_cast<QWidget*>(endScreen_.data()),
                       static_cast<QWidget*>(criteriaEditor_.data()),
                       static_cast<QWidget*>(recordBrowser_.data()), static_cast<QWidget*>(wait_.data())}) {
        delete w;
    }
}

void AppNavigator::refreshStatistics() {
    if (quitRequested_ || !data_.refreshStatistics)
        return;
    const Status refreshed = data_.refreshStatistics();
    if (refreshed)
        return;
    context_.messages.inform(QApplication::activeWindow(), context_.state.catalogue.programTitle,
                             refreshed.error().text());
    quitProgram(1);
}

void AppNavigator::showNameScreen() {
    if (quitRequested_)
        return;
    NameSelSeams seams;
    seams.refreshStatistics = [this] { refreshStatistics(); };
    seams.openVersionWindow = [this](QWidget* over) {
        VersionWindow::showModal(context_.state.catalogue.programTitle, over);
    };
    seams.launcher = &launcher_;
    auto* screen = new NameScreen(context_, std::move(seams));
    screen->setAttribute(Qt::WA_DeleteOnClose);
    nameScreen_ = screen;
    screen->show();
    // The name screen's activation closes a level menu that is still loaded.
    if (levelMenu_)
        levelMenu_->close();
    closeWaitWindow();
}

void AppNavigator::showLevelMenu() {
    if (quitRequested_)
        return;
    // A drill that stored nothing goes back here: the wait window keeps a window up
    // between it and the new level menu.
    if (drill_) {
        showWaitWindow();
        drill_->close();
    }
    LevelMenuHooks hooks;
    hooks.refreshStatistics = [this] { refreshStatistics(); };
    auto* menu = new LevelMenuScreen(context_, std::move(hooks));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<LevelMenuScreen> previous = levelMenu_;
    levelMenu_ = menu;
    menu->show();
    // The level menu's activation closes the name screen; an older menu goes too, and so
    // does the end screen or teachers' screen it was asked from.
    if (previous && previous != menu)
        previous->close();
    if (nameScreen_)
        nameScreen_->close();
    if (endScreen_)
        endScreen_->close();
    if (criteriaEditor_)
        criteriaEditor_->close();
    if (recordBrowser_)
        recordBrowser_->close();
    closeWaitWindow();
}

void AppNavigator::launchDrill() {
    if (quitRequested_)
        return;
    AttemptRecorder recorder = [this]() -> Status {
        if (!data_.recordAttempt)
            return makeError(ErrorKind::Internal, QStringLiteral("記録先がありません"));
        return data_.recordAttempt();
    };
    // A retry from the end screen: the wait window covers the hand-over until the new
    // drill has drawn its first question.
    if (endScreen_) {
        showWaitWindow();
        endScreen_->close();
    }
    drill_ = kz::launchDrill(context_, std::move(recorder));
    // The drill screen closes the level menu it was started from.
    if (levelMenu_)
        levelMenu_->close();
}

void AppNavigator::attemptRecorded() {
    // Up while the drill pauses and until the end screen has evaluated the attempt.
    showWaitWindow();
}

void AppNavigator::showEndScreen() {
    if (drill_)
        drill_->close();
    if (quitRequested_)
        return;
    auto* screen = new EndScreen(context_, [this] { refreshStatistics(); });
    endScreen_ = screen;
    screen->show();
}

void AppNavigator::showCriteriaEditor() {
    if (quitRequested_)
        return;
    auto* editor = new CriteriaEditorScreen(context_);
    criteriaEditor_ = editor;
    editor->show();
    // The editor replaces the level menu it was opened from.
    if (levelMenu_)
        levelMenu_->close();
    closeWaitWindow();
}

void AppNavigator::showRecordBrowser() {
    if (quitRequested_)
        return;
    MaintenanceOptions options;
    options.wait = waitKeepingScreensAlive; // another station is appending: keep the screen alive
    auto* screen = new RecordBrowserScreen(context_, std::move(options));
    screen->setAttribute(Qt::WA_DeleteOnClose);
    recordBrowser_ = screen;
    screen->show();
    // The browser replaces the level menu it was opened from.
    if (levelMenu_)
        levelMenu_->close();
    closeWaitWindow();
}

void AppNavigator::screenReady() {
    closeWaitWindow();
}

void AppNavigator::showWaitWindow() {
    if (!wait_) {
        auto* window = new WaitWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        wait_ = window;
    }
    wait_->showAndPaint();
}

void AppNavigator::closeWaitWindow() {
    if (wait_)
        wait_->close();
}

void AppNavigator::quitProgram(int exitCode) {
    if (quitRequested_)
        return;
    quitRequested_ = true;
    exitCode_ = exitCode;
    closeAllWindowsLastOpenedFirst();
    QCoreApplication::exit(exitCode);
}

void waitKeepingScreensAlive(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

AppNavigator::DataAccess programDataAccess(RunState& state, const Clock& clock) {
    AppNavigator::DataAccess data;
    // What the screen shows is handed to the window system before the file is read. A
    // results file that stays refused is retried without end; after a few seconds the
    // screen says so, and the notice goes when the read or the append has succeeded.
    data.refreshStatistics = [&state, &clock]() -> Status {
        paintNow();
        RetryNotice notice(state.settings.installation.resultsPath(), waitKeepingScreensAlive);
        return refreshStatistics(state, clock, notice.waitFunction());
    };
    data.recordAttempt = [&state, &clock]() -> Status {
        paintNow();
        RetryNotice notice(state.settings.installation.resultsPath(), waitKeepingScreensAlive);
        return recordingStatus(
            Seisekikiroku(state, state.attempt.currentLevel, clock, notice.waitFunction()));
    };
    return data;
}

Status recordingStatus(const Outcome<RecordedAttempt>& outcome) {
    if (outcome)
        return {};
    return outcome.error();
}

} // namespace kz
