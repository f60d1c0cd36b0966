#include "app/programwiring.h"

#include "core/gui/fatalsound.h"
#include "core/gui/splashscreen.h"
#include "core/gui/startupsteps.h"
#include "core/programrun.h"
#include "platform/clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace kz {

namespace {

// For the start-up benchmark: with KAZURIN2_REPORT_PAINTED set, the line
// "kazurin2: name screen painted" goes to standard error once the name screen has been
// painted with its list, its wait panel gone (the paint and its flush are over when the
// line is written).
class NameScreenPaintReport final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || reported_ || !watched->isWidgetType())
            return false;
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        if (window->objectName() != u"namesel")
            return false;
        const auto* panel = window->findChild<QWidget*>(QStringLiteral("Picture5"));
        if (!panel || panel->isVisible())
            return false;
        reported_ = true;
        QTimer::singleShot(0, this, [this] {
            std::fputs("kazurin2: name screen painted\n", stderr);
            std::fflush(stderr);
            QCoreApplication::instance()->removeEventFilter(this);
        });
        return false;
    }

private:
    bool reported_ = false;
};

} // namespace

ProgramWiring::ProgramWiring(ProgramRun& run, const ProgramSeams& seams)
    : run_(run), seams_(seams), paintingPlayer_(seams.sound),
      cues_(run.state(), paintingPlayer_, seams.random, {}),
      navigator_(run, seams.clock, seams.random, seams.messages, cues_, seams.launcher) {
    cues_.setFatalHandler(makeSoundFatalHandler(seams.messages, &navigator_));
    run_.setStatisticsFailureHandler(
        [this](const Error& error) { navigator_.endAfterStatisticsFailure(error); });
}

ProgramWiring::~ProgramWiring() {
    run_.setStatisticsFailureHandler({});
    delete splash_.data();
}

void ProgramWiring::start(const QString& appFolder) {
    if (qEnvironmentVariableIsSet("KAZURIN2_REPORT_PAINTED"))
        QCoreApplication::instance()->installEventFilter(
            new NameScreenPaintReport(QCoreApplication::instance()));
    // The splash is up for its timer's 100 ms: the installation is resolved and the
    // first name screen built (reading the results and the roster) meanwhile; the timer
    // shows the screen and the splash closes itself. The status is kept here so that
    // closing the last window cannot turn a failed start into a success.
    splash_ = new SplashScreen(
        seams_.clock.today(),
        [this, appFolder] {
            if (!resolveAndReport(appFolder, run_, seams_.messages, splash_, seams_.probeSound)) {
                startStatus_ = 1;
                QCoreApplication::exit(startStatus_);
                return false;
            }
            navigator_.prepareFirstNameScreen();
            return true;
        },
        [this] { navigator_.showFirstNameScreen(); });
    splash_->load();
}

int ProgramWiring::exitStatus(int loopStatus) const {
    if (startStatus_ != 0)
        return startStatus_;
    return navigator_.quitRequested() ? navigator_.exitCode() : loopStatus;
}

} // namespace kz
