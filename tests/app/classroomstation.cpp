// A classroom computer playing one attempt: the program's own wiring (as main() builds it,
// with the real clock, sound player and launcher) on an installed program folder, run on
// the offscreen platform and driven by key presses like a student's.
//   classroomstation <program-folder> <student> <level>
// Starts up (splash, installation, name screen), picks the student, starts the level by
// its key, answers every question right and waits for the end screen. Prints the recorded
// time and every message box the program showed; exit status 0 when the attempt was
// recorded without a message box, else 1 (2: wrong arguments). A failed recording is
// given up (the question answered with キャンセル).
#include "app/appnavigator.h"
#include "app/programwiring.h"
#include "core/gui/retrynotice.h"
#include "core/programrun.h"
#include "drill/gui/drillscreen.h"
#include "levelmenu/gui/levelmenuscreen.h"
#include "platform/clock.h"
#include "platform/gui/messagebox.h"
#include "platform/processlauncher.h"
#include "platform/randomsource.h"
#include "platform/sdlsoundplayer.h"
#include "result/gui/endscreen.h"
#include "students/gui/namescreen.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

// Lets the program run until done() holds; false after a minute.
bool waitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(60000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QTest::qSleep(10);
    }
    return true;
}

int fail(const char* what, const kz::PresetMessageBox& messages) {
    std::fprintf(stderr, "classroomstation: %s\n", what);
    for (const auto& box : messages.shown)
        std::fprintf(stderr, "message box: %s: %s\n", qPrintable(box.title), qPrintable(box.text));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: classroomstation <program-folder> <student> <level>\n");
        return 2;
    }
    const int student = args[2].toInt();
    const int level = args[3].toInt();

    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::PresetMessageBox messages;
    // A recording that fails is given up at once, as a student may choose: back to the menu.
    messages.answer = kz::MessageBox::Answer::Cancel;
    kz::SdlSoundPlayer sound;
    kz::SystemProcessLauncher launcher;
    kz::ProgramRun run(clock, kz::retryNoticeWaits());
    run.prepareRun(random);
    kz::ProgramWiring wiring(run, {clock, random, messages, sound, launcher, &kz::SdlSoundPlayer::probeFile});
    kz::AppNavigator& navigator = wiring.navigator();
    wiring.start(args[1]);

    if (!waitUntil([&] { return navigator.nameScreen() && navigator.nameScreen()->isVisible(); }))
        return fail("the name screen did not open", messages);
    auto* list = navigator.nameScreen()->findChild<QListWidget*>(QStringLiteral("List1"));
    // The hidden Label2 shows the student of the selected line, as the screen keeps it.
    auto* chosen = navigator.nameScreen()->findChild<QLabel*>(QStringLiteral("Label2"));
    int row = -1;
    for (int i = 1; list && chosen && row < 0 && i < list->count(); ++i) {
        list->setCurrentRow(i);
        if (chosen->text().toInt() == student)
            row = i;
    }
    if (row < 0)
        return fail("the student is not on the name screen", messages);
    list->setCurrentRow(row);
    emit list->itemClicked(list->item(row));
    QTest::keyClick(list, Qt::Key_1);

    if (!waitUntil([&] { return navigator.levelMenu() && navigator.levelMenu()->levelKeysAccepted(); }))
        return fail("the level menu did not open", messages);
    QTest::keyClick(navigator.levelMenu(), static_cast<Qt::Key>(Qt::Key_0 + level));
    if (!waitUntil([&] { return navigator.drillScreen() && navigator.drillScreen()->isActivated(); }))
        return fail("the drill did not start", messages);

    // The hand-off closes the drill screen while the last answer is still being handled.
    const QPointer<kz::DrillScreen> drill = navigator.drillScreen();
    for (int answered = 0; drill && !run.state().attempt.recordingStarted && answered < 400; ++answered) {
        const auto question = drill->engine().currentQuestion();
        QTest::keyClicks(drill,
                         QString::number(question.tableNumber * question.factor) + QStringLiteral(" "));
        QCoreApplication::processEvents();
    }
    if (!waitUntil([&] {
            return navigator.endScreen() != nullptr ||
                   ((!drill || !drill->isVisible()) && navigator.levelMenu() &&
                    navigator.levelMenu()->isVisible());
        }))
        return fail("neither the end screen nor the level menu opened after the attempt", messages);
    if (!navigator.endScreen())
        return fail("the attempt was not recorded: back to the level menu", messages);
    std::printf("student %d, level %d: recorded %d s\n", student, level, run.state().attempt.recordedTime);
    if (!messages.shown.isEmpty())
        return fail("the program showed message boxes", messages);
    return 0;
}
