#include "app/appnavigator.h"

#include "admin/gui/recordbrowserscreen.h"
#include "core/gui/fatalsound.h"
#include "core/gui/retrynotice.h"
#include "core/gui/versionwindow.h"
#include "core/gui/waitwindow.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "drill/gui/drillscreen.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "platform/gui/messagebox.h"
#include "result/gui/endscreen.h"
#include "students/gui/namescreen.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmapCache>

#include <algorithm>

namespace kz {

AppNavigator::AppNavigator(ProgramRun& run, Clock& clock, RandomSource& random, MessageBox& messages,
                           Cues& cues, ProcessLauncher& launcher)
    : context_{run, clock, random, messages, cues, *this}, launcher_(launcher) {
    // The style keeps pictures of the buttons it has drawn, 10 MB by default: the screens
    // have a few kinds of button, and that memory is better left to the results lists.
    QPixmapCache::setCacheLimit(kPictureCacheKilobytes);
}

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

void AppNavigator::endAfterStatisticsFailure(const Error& error) {
    if (quitRequested_)
        return;
    context_.messages.inform(QApplication::activeWindow(), context_.run.state().catalogue.programTitle,
                             error.text());
    quitProgram(1);
}

void AppNavigator::showNameScreen() {
    openNameScreen(false);
}

void AppNavigator::prepareFirstNameScreen() {
    openNameScreen(true);
}

void AppNavigator::showFirstNameScreen() {
    if (quitRequested_ || !nameScreen_)
        return;
    nameScreen_->show();
}

void AppNavigator::openNameScreen(bool builtHidden) {
    if (quitRequested_)
        return;
    NameSelSeams seams;
    seams.openVersionWindow = [this](QWidget* over) {
        VersionWindow::showModal(context_.run.state().catalogue.programTitle, over);
    };
    seams.launcher = &launcher_;
    seams.builtHidden = builtHidden;
    auto* screen = new NameScreen(context_, std::move(seams));
    screen->setAttribute(Qt::WA_DeleteOnClose);
    nameScreen_ = screen;
    if (!builtHidden)
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
    // One table builder for every level menu of the run: the collation keys of the names
    // and the last rankings are kept from one menu to the next.
    const RunState& state = context_.run.state();
    const int levels = std::clamp<int>(state.catalogue.levelCount, 0, kLastSlotLevel);
    if (!tables_ || tables_->levelCount() != levels)
        tables_ = std::make_unique<ResultsTableBuilder>(
            TableSources{state.tables.roster, state.tables.statistics, state.tables.criteria, levels});
    LevelMenuHooks hooks;
    hooks.tables = tables_.get();
    auto* menu = new LevelMenuScreen(context_, hooks);
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

void AppNavigator::showDrillScreen() {
    if (quitRequested_)
        return;
    // A retry from the end screen: the wait window covers the hand-over until the new
    // drill has drawn its first question.
    if (endScreen_) {
        showWaitWindow();
        endScreen_->close();
    }
    // Pending screen updates run before the drill screen shows.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    auto* screen = new DrillScreen(context_);
    drill_ = screen;
    screen->show();
    screen->raise();
    screen->activateWindow();
    // The drill screen closes the level menu it was started from.
    if (levelMenu_)
        levelMenu_->close();
}

void AppNavigator::showEndScreen() {
    // The closing message stays up, and repaints, while the wait window covers the
    // hand-over for a moment; then the end screen takes the drill screen's place.
    if (!quitRequested_) {
        showWaitWindow();
        waitKeepingScreensAlive(kResultPauseMs);
    }
    if (drill_)
        drill_->close();
    if (quitRequested_)
        return;
    auto* screen = new EndScreen(context_);
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
    auto* screen = new RecordBrowserScreen(context_);
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

} // namespace kz
