#pragma once

#include "core/cues.h"
#include "core/gui/navigator.h"
#include "platform/processlauncher.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace kz::test {

// Records every cue by the name of what it means: "right", "wrong", "keyWarning",
// "personalBest", "schoolBest", "pass", "minimumLine".
class RecordingCues final : public Cues {
public:
    QStringList played;
    // Runs inside every cue once it is recorded, as if while its sound plays.
    std::function<void(const QString& cue)> onPlay;

    void playRightSound() override { record(QStringLiteral("right")); }
    void playWrongSound() override { record(QStringLiteral("wrong")); }
    void playKeyWarning() override { record(QStringLiteral("keyWarning")); }
    void playPersonalBestSound() override { record(QStringLiteral("personalBest")); }
    void playSchoolBestSound() override { record(QStringLiteral("schoolBest")); }
    void playPassSound() override { record(QStringLiteral("pass")); }
    void playMinimumLineSound() override { record(QStringLiteral("minimumLine")); }

private:
    void record(const QString& cue);
};

// Records every hand-over by the name of the call ("showNameScreen", "showDrillScreen",
// "quitProgram", ...) and the exit codes of quitProgram.
class RecordingNavigator final : public Navigator {
public:
    QStringList calls;
    QList<int> exitCodes;
    // Runs inside every call once it is recorded.
    std::function<void(const QString& call)> onCall;

    void showNameScreen() override { record(QStringLiteral("showNameScreen")); }
    void showLevelMenu() override { record(QStringLiteral("showLevelMenu")); }
    void showDrillScreen() override { record(QStringLiteral("showDrillScreen")); }
    void showEndScreen() override { record(QStringLiteral("showEndScreen")); }
    void showCriteriaEditor() override { record(QStringLiteral("showCriteriaEditor")); }
    void showRecordBrowser() override { record(QStringLiteral("showRecordBrowser")); }
    void screenReady() override { record(QStringLiteral("screenReady")); }
    void quitProgram(int exitCode) override {
        exitCodes << exitCode;
        record(QStringLiteral("quitProgram"));
    }

private:
    void record(const QString& call);
};

// Cues that play nothing, for runs that only measure or drive the screens.
class NullCues final : public Cues {
public:
    void playRightSound() override {}
    void playWrongSound() override {}
    void playKeyWarning() override {}
    void playPersonalBestSound() override {}
    void playSchoolBestSound() override {}
    void playPassSound() override {}
    void playMinimumLineSound() override {}
};

// Records every program start (the program, then its arguments) and lets it succeed.
class RecordingLauncher final : public ProcessLauncher {
public:
    QList<QStringList> started;
    Status startDetached(const QString& program, const QStringList& arguments, const QString&) override {
        started.append(QStringList{program} + arguments);
        return {};
    }
};

// Starts nothing: every start fails with a reason, as when the program cannot be found.
class RefusingLauncher final : public ProcessLauncher {
public:
    Status startDetached(const QString&, const QStringList&, const QString&) override {
        return makeError(ErrorKind::NotFound, QStringLiteral("テストでは起動しません"));
    }
};

// Saves what the widget shows as <name>.png (".png" is added when missing) in the folder
// named by KZ_SCREENSHOT_DIR, creating it. Without that variable nothing is written.
// False when the widget is missing or the picture could not be written. Screen tests
// only: it lives in kz_testsupport_gui.
bool saveScreenshot(QWidget* widget, const QString& name);

} // namespace kz::test
