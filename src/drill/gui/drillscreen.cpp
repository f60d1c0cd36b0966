#include "drill/gui/drillscreen.h"

#include "core/session.h"
#include "data/roster.h"

#include "core/catalogue.h"
#include "core/cues.h"
#include "core/gui/navigator.h"
#include "core/gui/paintnow.h"
#include "core/gui/screenkit.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/clock.h"
#include "platform/gui/messagebox.h"
#include "platform/randomsource.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <cmath>
#include <utility>

namespace kz {

namespace {

const QColor kBackground(0, 192, 192);
const QColor kRetryBackground(255, 128, 128);
const QColor kStripBackground(192, 255, 192);
const QColor kFigureBackground(128, 255, 128);
const QColor kFigureText(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

constexpr double kFigurePointSize = 99.75;

// The figures' font: 99.75 pt, or as much smaller as it takes for the widest text of every
// figure box (three digits in the answer boxes) to fit inside it.
QFont figureFont() {
    struct Sample {
        QString text;
        QSizeF box;
    };
    const Sample samples[] = {
        {QStringLiteral("16"), QSizeF(207, 132)},  {QStringLiteral("×"), QSizeF(93, 132)},
        {QStringLiteral("20"), QSizeF(156, 132)},  {QStringLiteral("="), QSizeF(84, 132)},
        {QStringLiteral("888"), QSizeF(228, 132)},
    };
    constexpr double kMargin = 8;
    QFont font = kit::gothicFont(kFigurePointSize);
    for (double size = kFigurePointSize; size > 20; size -= 0.75) {
        font.setPointSizeF(size);
        const QFontMetricsF metrics(font);
        bool fits = true;
        for (const Sample& sample : samples) {
            const QRectF ink = metrics.tightBoundingRect(sample.text);
            if (metrics.horizontalAdvance(sample.text) > sample.box.width() - kMargin ||
                ink.height() > sample.box.height() - kMargin)
                fits = false;
        }
        if (fits)
            break;
    }
    return font;
}

QFrame* makeShape(QWidget* parent, const QString& name, const QColor& colour) {
    auto* shape = new QFrame(parent);
    shape->setObjectName(name);
    shape->setFrameShape(QFrame::NoFrame);
    kit::paint(shape, colour);
    shape->setGeometry(0, 0, 0, parent->height());
    return shape;
}

void setShapeWidth(QFrame* shape, int width) {
    shape->setGeometry(0, 0, width, shape->parentWidget()->height());
    shape->setVisible(width > 0);
}

} // namespace

DrillScreen::DrillScreen(const AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context),
      engine_(std::make_unique<DrillEngine>(context.clock, context.random, context.cues,
                                            static_cast<DrillObserver&>(*this))),
      handOff_(context_.run, static_cast<HandOffObserver&>(*this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(context_.run.state().catalogue.programTitle);
    setFixedSize(kit::kScreenWidth, kit::kScreenHeight);
    setFocusPolicy(Qt::StrongFocus);
    setBackground(false);
    buildControls();

    // A fresh sequence of questions for every attempt.
    seedFromClock(context_.random, context_.clock);

    sTimer1_ = new QTimer(this);
    sTimer1_->setObjectName(QStringLiteral("sTimer1"));
    sTimer1_->setInterval(kTimer1IntervalMs);
    connect(sTimer1_, &QTimer::timeout, this, &DrillScreen::tickClock);

    sTimer2_ = new QTimer(this);
    sTimer2_->setObjectName(QStringLiteral("sTimer2"));
    sTimer2_->setInterval(kTimer2IntervalMs);
    connect(sTimer2_, &QTimer::timeout, this, &DrillScreen::showMinutesSinceStart);
    sTimer2_->start();

    // Every key reaches the drill before any control of the screen sees it.
    QCoreApplication::instance()->installEventFilter(this);
}

DrillScreen::~DrillScreen() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void DrillScreen::buildControls() {
    buildStatusStrip();

    commandkakunin2_ =
        kit::makeLabel(this, QStringLiteral("Commandkakunin2"), QStringLiteral("\"+\"を２回押しなさい"),
                       QRect(39, 153, 943, 37), kit::gothicFont(24, true), Qt::AlignCenter);
    kit::paint(commandkakunin2_, QColor(), kRed);
    commandkakunin2_->hide();

    const QFont figures = figureFont();
    auto figureLabel = [&](const QString& name, const QString& text, const QRect& geometry) {
        QLabel* label = kit::makeLabel(this, name, text, geometry, figures, Qt::AlignCenter);
        kit::paint(label, kFigureBackground, kFigureText);
        return label;
    };
    qLabel1_ = figureLabel(QStringLiteral("qLabel1"), QString(), QRect(84, 305, 207, 132));
    label6_ = figureLabel(QStringLiteral("Label6"), QStringLiteral("×"), QRect(331, 305, 93, 132));
    qlabel2_ = figureLabel(QStringLiteral("qlabel2"), QString(), QRect(447, 305, 156, 132));
    label2_ = figureLabel(QStringLiteral("Label2"), QStringLiteral("="), QRect(681, 305, 84, 132));
    inputLabel_ = figureLabel(QStringLiteral("inputLabel"), QString(), QRect(763, 305, 228, 132));

    seitouLabel_ = kit::makeLabel(this, QStringLiteral("seitouLabel"), QString(), QRect(763, 458, 228, 132),
                                  figures, Qt::AlignCenter);
    kit::paint(seitouLabel_, kRetryBackground, kRed);
    seitouLabel_->hide();

    label5_ = kit::makeLabel(this, QStringLiteral("Label5"), QStringLiteral("スペースキー＝判定"),
                             QRect(303, 618, 412, 31), kit::gothicFont(18));
    label1_ = kit::makeLabel(this, QStringLiteral("Label1"), QStringLiteral("矢印キー、リターンキー＝クリア"),
                             QRect(303, 648, 412, 34), kit::gothicFont(18));

    sPicture2_ = new QFrame(this);
    sPicture2_->setObjectName(QStringLiteral("sPicture2"));
    sPicture2_->setGeometry(0, 0, 1030, 756);
    kit::paint(sPicture2_, kBackground);
    lblsss1_ = kit::makeLabel(sPicture2_, QStringLiteral("lblsss1"), QStringLiteral("成績記録中"),
                              QRect(0, 320, 1030, 96), kit::gothicFont(36), Qt::AlignCenter);
    lblsss2_ = kit::makeLabel(sPicture2_, QStringLiteral("lblsss2"), QStringLiteral("時間切れ"),
                              QRect(0, 320, 1030, 96), kit::gothicFont(36), Qt::AlignCenter);
    kit::paint(lblsss2_, QColor(), kRed);
    lblsss2_->hide();
    sPicture2_->hide();
}

void DrillScreen::buildStatusStrip() {
    sPicture1_ = new QFrame(this);
    sPicture1_->setObjectName(QStringLiteral("sPicture1"));
    sPicture1_->setGeometry(-1, 0, 1028, 109);
    kit::paint(sPicture1_, kStripBackground, QColor(0, 0, 0));

    const QFont line1 = kit::gothicFont(14);
    sLabel2_ = kit::makeLabel(sPicture1_, QStringLiteral("sLabel2"), QString(), QRect(8, 6, 250, 36),
                              kit::gothicFont(16.8, true));
    sLabel14_ =
        kit::makeLabel(sPicture1_, QStringLiteral("sLabel14"), QString(), QRect(270, 6, 370, 36), line1);
    sLabel7_ =
        kit::makeLabel(sPicture1_, QStringLiteral("sLabel7"), QString(), QRect(650, 6, 370, 36), line1);

    const QFont line2 = kit::gothicFont(13);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignCenter;
    auto fixed = [&](int index, const QString& text, int x, int width) {
        kit::makeLabel(sPicture1_, QStringLiteral("sLabel16_%1").arg(index), text, QRect(x, 46, width, 30),
                       line2);
    };
    fixed(0, QStringLiteral("起動後"), 8, 58);
    sLabel13_ = kit::makeLabel(sPicture1_, QStringLiteral("sLabel13"), QString(), QRect(66, 46, 44, 30),
                               line2, right);
    fixed(1, QStringLiteral("分"), 114, 24);
    fixed(2, QStringLiteral("本日"), 150, 42);
    sLabel12_ = kit::makeLabel(sPicture1_, QStringLiteral("sLabel12"), QString(), QRect(192, 46, 40, 30),
                               line2, right);
    fixed(3, QStringLiteral("回目"), 236, 42);
    fixed(4, QStringLiteral("このレベル"), 290, 96);
    sLabel11_ = kit::makeLabel(sPicture1_, QStringLiteral("sLabel11"), QString(), QRect(386, 46, 40, 30),
                               line2, right);
    fixed(5, QStringLiteral("回目"), 430, 42);
    sLabel8_ = kit::makeLabel(sPicture1_, QStringLiteral("sLabel8"), QString(), QRect(490, 46, 200, 30),
                              kit::gothicFont(13, true), centre);
    kit::makeLabel(sPicture1_, QStringLiteral("sLabel4"), QStringLiteral("残り"), QRect(704, 46, 42, 30),
                   line2);
    sLabel9_ = kit::makeLabel(sPicture1_, QStringLiteral("sLabel9"), QString(), QRect(746, 46, 44, 30),
                              kit::gothicFont(13, true), right);
    kit::makeLabel(sPicture1_, QStringLiteral("sLabel6"), QStringLiteral("問"), QRect(794, 46, 24, 30),
                   line2);
    kit::makeLabel(sPicture1_, QStringLiteral("sLabel5"), QStringLiteral("タイム"), QRect(842, 46, 62, 30),
                   line2);
    sLabel10_ = kit::makeLabel(sPicture1_, QStringLiteral("sLabel10"), QString(), QRect(904, 46, 70, 30),
                               kit::gothicFont(13, true), right);

    // The time bar: rectangles from its left edge, the last made drawn in front.
    timeBar_ = new QWidget(sPicture1_);
    timeBar_->setObjectName(QStringLiteral("timeBar"));
    timeBar_->setGeometry(6, 84, kTimeBarWidth, 10);
    sShape5_ = makeShape(timeBar_, QStringLiteral("sShape5"), kWhite);
    sShape4_ = makeShape(timeBar_, QStringLiteral("sShape4"), kFigureBackground);
    sShape3_ = makeShape(timeBar_, QStringLiteral("sShape3"), kGreen);
    sShape2_ = makeShape(timeBar_, QStringLiteral("sShape2"), kBlue);
    sShape7_ = makeShape(timeBar_, QStringLiteral("sShape7"), kRed);
    setShapeWidth(sShape5_, kTimeBarWidth);
    setShapeWidth(sShape7_, 0);
}

void DrillScreen::setBackground(bool retry) {
    kit::paint(this, retry ? kRetryBackground : kBackground);
}

void DrillScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!activated_)
        activate();
}

void DrillScreen::activate() {
    if (activated_)
        return;
    activated_ = true;
    const RunState& state = context_.run.state();
    sPicture2_->move(0, 0);

    // 初期設定: a clean attempt at the chosen level; the clock starts at zero.
    context_.run.startAttempt();
    const int level = state.attempt.currentLevel;
    engine_->初期設定(level, state.tables.criteria.level(level).minimumTime);
    context_.navigator.screenReady();
    sLabel10_->setText(QStringLiteral("0"));
    showStatusFigures();

    if (!engine_->レベル別設定()) {
        // Nothing to ask: tell the student and go back once the screen is up.
        QMetaObject::invokeMethod(
            this,
            [this] {
                context_.messages.inform(
                    this, context_.run.state().catalogue.programTitle,
                    QStringLiteral("このレベルの問題はありません。メニューに戻ります。"));
                leaveToLevelMenu();
            },
            Qt::QueuedConnection);
        return;
    }
    engine_->スタート();
    setFocus();
    engine_->問題作成表示();
}

void DrillScreen::showStatusFigures() {
    const RunState& state = context_.run.state();
    const int level = state.attempt.currentLevel;
    sLabel2_->setText(state.catalogue.programTitle);
    QFont titleFont = sLabel2_->font();
    titleFont.setPointSizeF(titlePointSize(state.catalogue.programTitle, 16.8, 14.0));
    sLabel2_->setFont(titleFont);
    sLabel7_->setText(trimHalfWidthSpaces(state.student.currentName));
    sLabel8_->setText(state.catalogue.levelName(level));
    sLabel14_->setText(state.settings.installation.siteName);
    const AttemptNumbers numbers =
        attemptNumbers(state.tables.statistics, level, state.student.currentBangou);
    sLabel11_->setText(QString::number(numbers.atLevel));
    sLabel12_->setText(QString::number(numbers.today));
    showMinutes();
}

void DrillScreen::showMinutes() {
    sLabel13_->setText(QString::number(minutesSinceSessionStart(
        context_.run.state().student.sessionStartSeconds, context_.clock.secondsSinceMidnight())));
}

bool DrillScreen::attemptOver() const {
    return !engine_->hasQuestions() || context_.run.state().attempt.recordingStarted;
}

bool DrillScreen::attemptRunning() const {
    return activated_ && !attemptOver();
}

bool DrillScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this) {
            const auto* key = static_cast<QKeyEvent*>(event);
            handleKey(key->key(), key->text());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DrillScreen::handleKey(int qtKey, const QString& text) {
    if (!attemptRunning())
        return;
    const DrillKey key = drillKeyFor(qtKey, text);
    if (key.keyDownCode != 0)
        engine_->onKeyDown(key.keyDownCode);
    // The key-down may have ended the attempt already; the character then has nowhere to go.
    if (key.charCode != 0 && attemptRunning())
        engine_->onKeyPress(key.charCode);
}

void DrillScreen::closeEvent(QCloseEvent* event) {
    // Closing mid-attempt would lose the attempt and leave the run without a screen:
    // only the navigator closes this window, once the hand-off has stopped it.
    if (activated_ && !closeAllowed_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void DrillScreen::tickClock() {
    engine_->onClockTick();
}

void DrillScreen::showMinutesSinceStart() {
    showMinutes();
}

// --- what the engine reports ---

void DrillScreen::timeLimitSet(qint32 seconds, bool hasLimit) {
    const RunState& state = context_.run.state();
    const PassCriteria& row = state.tables.criteria.level(state.attempt.currentLevel);
    bar_ = timeBarLayout(kTimeBarWidth, seconds, hasLimit, row.minimumTime, row.targetTime);
    timeBar_->setVisible(bar_.visible);
    setShapeWidth(sShape5_, kTimeBarWidth);
    setShapeWidth(sShape4_, bar_.minimumWidth);
    setShapeWidth(sShape3_, bar_.targetWidth);
    setShapeWidth(sShape2_, 0);
    setShapeWidth(sShape7_, 0);
}

void DrillScreen::remainingChanged(int remaining) {
    sLabel9_->setText(QString::number(remaining));
}

void DrillScreen::questionShown(const QuestionItem& question, bool isRetry) {
    qLabel1_->clear();
    inputLabel_->clear();
    qLabel1_->setText(QString::number(question.tableNumber));
    qlabel2_->setText(QString::number(question.factor));
    label6_->setText(QStringLiteral("×"));
    setBackground(isRetry);
}

void DrillScreen::typedAnswerChanged(const QString& typed) {
    inputLabel_->setText(typed);
}

void DrillScreen::correctAnswerShown(int answer) {
    seitouLabel_->setText(QString::number(answer));
    seitouLabel_->show();
}

void DrillScreen::refreshRequested() {
    if (isVisible())
        repaint();
}

void DrillScreen::confirmPromptShown() {
    commandkakunin2_->show();
}

void DrillScreen::confirmPromptHidden() {
    commandkakunin2_->hide();
}

void DrillScreen::correctAnswerHidden() {
    seitouLabel_->hide();
}

void DrillScreen::clockRunningChanged(bool running) {
    if (running)
        sTimer1_->start();
    else
        sTimer1_->stop();
}

void DrillScreen::elapsedChanged(qint32 seconds) {
    sLabel10_->setText(QString::number(seconds));
    setShapeWidth(sShape2_, bar_.elapsedWidth(seconds));
}

// Kept for the answer log, which the recording step writes after the attempt's record.
void DrillScreen::answerJudged(const AnsweredQuestion& answer) {
    context_.run.recordAnswer(answer);
}

void DrillScreen::attemptEnded(const DrillEnding& ending) {
    handOff_.finishAttempt(ending);
}

// --- the hand-off

void DrillScreen::handOffBegun(bool timedOut) {
    lblsss1_->setVisible(!timedOut);
    lblsss2_->setVisible(timedOut);
    sPicture2_->show();
    sPicture2_->raise();
    if (isVisible()) {
        repaint();
        paintNow(); // on the screen before the results file is touched
    }
    sTimer1_->stop();
}

bool DrillScreen::retryRecording(const Error& error) {
    const QString text =
        QStringLiteral("成績を記録できませんでした。\n\n") + error.text() +
        QStringLiteral(
            "\n\nＯＫ：もう一度記録します。\nキャンセル：この成績は記録せずにメニューに戻ります。");
    return context_.messages.okCancel(this, QStringLiteral("成績記録"), text) == MessageBox::Answer::Ok;
}

void DrillScreen::attemptRecorded() {
    stopForGood();
    // The navigator covers the hand-over, pauses and puts the end screen in this one's place.
    context_.navigator.showEndScreen();
}

void DrillScreen::recordingGivenUp() {
    leaveToLevelMenu();
}

void DrillScreen::leaveToLevelMenu() {
    stopForGood();
    context_.navigator.showLevelMenu();
}

void DrillScreen::stopForGood() {
    closeAllowed_ = true;
    sTimer1_->stop();
    sTimer2_->stop();
}

} // namespace kz
