#include "result/gui/endscreen.h"

#include "core/cues.h"
#include "core/gui/navigator.h"
#include "core/gui/paintnow.h"
#include "core/gui/screenkit.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "data/roster.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QRadialGradient>
#include <QTimer>

#include <array>

#include <cmath>
#include <numbers>

namespace kz {

namespace {

const QColor kTextColour(26, 42, 90);
const QColor kRecordColour(198, 40, 40);
const QColor kClearedColour(216, 67, 21);
const QColor kBannerColour(0, 100, 0);
const QColor kBannerTextColour(255, 236, 130);

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& place, int pixelSize, bool bold,
                  Qt::Alignment align, const QColor& colour) {
    QLabel* label =
        kit::makeLabel(parent, name, QString(), place, kit::gothicPixelFont(pixelSize, bold), align);
    kit::setTextColour(label, colour);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& place) {
    QPushButton* button = kit::makeButton(parent, name, caption, place, kit::gothicPixelFont(30, true));
    button->setAutoDefault(true);
    button->hide();
    return button;
}

// A five-pointed star around centre with outer radius r, one point upwards.
QPainterPath starPath(QPointF centre, double r) {
    QPainterPath path;
    const double inner = r * 0.42;
    for (int i = 0; i < 10; ++i) {
        const double radius = (i % 2 == 0) ? r : inner;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF p(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

} // namespace

EndScreen::EndScreen(const AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context), pump_([] { QCoreApplication::processEvents(); }) {
    setObjectName(QStringLiteral("FrmSyuuryou"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("終了"));
    setFixedSize(kit::kScreenWidth, kit::kScreenHeight);
    buildControls();
}

EndScreen::~EndScreen() = default;

void EndScreen::setEventPump(std::function<void()> pump) {
    pump_ = std::move(pump);
}

void EndScreen::buildControls() {
    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(0, 0, kit::kScreenWidth, kit::kScreenHeight);
    image1_->setPixmap(drawBackground());

    const Qt::Alignment centred = Qt::AlignCenter;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    label15_ =
        makeLabel(this, QStringLiteral("Label15"), QRect(123, 27, 766, 64), 48, true, centred, kTextColour);
    label14_ =
        makeLabel(this, QStringLiteral("Label14"), QRect(681, 93, 209, 25), 18, false, left, kTextColour);
    label16_ =
        makeLabel(this, QStringLiteral("Label16"), QRect(123, 117, 766, 64), 48, true, centred, kTextColour);
    label13_ =
        makeLabel(this, QStringLiteral("Label13"), QRect(684, 183, 207, 27), 18, false, left, kTextColour);
    label17_ =
        makeLabel(this, QStringLiteral("Label17"), QRect(123, 217, 766, 64), 46, true, centred, kTextColour);
    label18_ =
        makeLabel(this, QStringLiteral("Label18"), QRect(123, 296, 766, 55), 42, true, centred, kTextColour);
    label19_ =
        makeLabel(this, QStringLiteral("Label19"), QRect(123, 352, 766, 55), 38, true, centred, kTextColour);
    label20_ = makeLabel(this, QStringLiteral("Label20"), QRect(123, 426, 766, 49), 40, true, centred,
                         kRecordColour);
    label20_->hide();
    // The banner overlaps the lower part of this line; the text sits at its top to stay whole.
    label2_ = makeLabel(this, QStringLiteral("Label2"), QRect(12, 514, 1005, 37), 26, true,
                        Qt::AlignHCenter | Qt::AlignTop, kClearedColour);
    label2_->hide();

    picture1_ = new QWidget(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(12, 543, 1007, 119);
    kit::paint(picture1_, kBannerColour);
    label1_ = makeLabel(picture1_, QStringLiteral("Label1"), QRect(0, 0, 1007, 119), 56, true, centred,
                        kBannerTextColour);
    label1_->setText(bannerText());
    picture1_->hide();

    command4_ =
        makeButton(this, QStringLiteral("Command4"), QStringLiteral("メニューへ"), QRect(126, 555, 349, 67));
    command5_ =
        makeButton(this, QStringLiteral("Command5"), QStringLiteral("もう一度"), QRect(537, 555, 349, 67));
    connect(command4_, &QPushButton::clicked, this, &EndScreen::backToMenu);
    connect(command5_, &QPushButton::clicked, this, &EndScreen::retryLevel);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTimer1IntervalMs);
    timer1_->setSingleShot(true);
    connect(timer1_, &QTimer::timeout, this, &EndScreen::offerWayOn);
}

void EndScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!activated_)
        QMetaObject::invokeMethod(this, &EndScreen::activate, Qt::QueuedConnection);
}

void EndScreen::activate() {
    if (activated_)
        return;
    activated_ = true;

    // The screen is on the display before the results file is read for the verdict.
    if (isVisible())
        paintNow();
    ProgramRun& run = context_.run;
    verdict_ = evaluateAttempt(run.state(), [&run] { (void)run.refreshStatistics(); });
    showVerdict();
    timer1_->start();

    // The screen may be left (and deleted) while events run between the sounds; the seams
    // are held locally so nothing of this object is touched after that.
    QPointer<EndScreen> self(this);
    Navigator& navigator = context_.navigator;
    const std::function<void()> pump = pump_;
    const bool stayed = playVerdictCues(verdict_, context_.cues, [&self, &pump] {
        pump();
        return !self.isNull() && !self->leaving_;
    });
    if (!stayed || self.isNull())
        return;
    activationDone_ = true;
    navigator.screenReady();
}

void EndScreen::showVerdict() {
    const RunState& state = context_.run.state();
    const int level = verdict_.level;
    const QString levelName = state.catalogue.levelName(level);

    label13_->setText(verdict_.levelAttemptText);
    label14_->setText(verdict_.totalAttemptText);
    label15_->setText(state.catalogue.programTitle);
    label16_->setText(levelName);
    label17_->setText(trimHalfWidthSpaces(state.student.currentName));
    label18_->setText(verdict_.resultText);
    label19_->setText(verdict_.pointsText);
    label20_->setText(verdict_.recordText);
    label20_->setVisible(verdict_.record != RecordMessage::None);
    if (verdict_.levelCleared) {
        label2_->setText(clearedLineText());
        label2_->show();
    }
    picture1_->setVisible(verdict_.banner);
}

void EndScreen::offerWayOn() {
    timer1_->stop();
    picture1_->hide();
    command4_->show();
    command4_->setFocus();

    const FollowUp follow = decideFollowUp(context_.run.state(), verdict_);
    switch (follow.clearedLine) {
    case FollowUp::ClearedLine::Unchanged:
        break;
    case FollowUp::ClearedLine::NextLevelHint:
        label2_->setText(nextLevelHintText());
        label2_->show();
        break;
    case FollowUp::ClearedLine::Emptied:
        label2_->clear();
        label2_->hide();
        break;
    }
    command5_->setVisible(follow.retryOffered);
}

void EndScreen::backToMenu() {
    if (leaving_)
        return;
    leaving_ = true;
    command4_->setEnabled(false);
    // The new level menu replaces this screen and whatever still covers the hand-over.
    context_.navigator.showLevelMenu();
}

void EndScreen::retryLevel() {
    if (leaving_)
        return;
    leaving_ = true;
    command4_->setEnabled(false);
    command5_->setEnabled(false);
    // The navigator covers the hand-over and closes this screen for the new drill.
    context_.navigator.showDrillScreen();
}

QPixmap EndScreen::drawBackground() {
    QPixmap pixmap(kit::kScreenWidth, kit::kScreenHeight);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // Sky from a soft blue down to a warm cream.
    QLinearGradient sky(0, 0, 0, kit::kScreenHeight);
    sky.setColorAt(0.0, QColor(120, 186, 240));
    sky.setColorAt(0.55, QColor(214, 236, 252));
    sky.setColorAt(1.0, QColor(255, 243, 214));
    p.fillRect(pixmap.rect(), sky);

    // A gentle glow behind the results.
    QRadialGradient glow(QPointF(512, 250), 520);
    glow.setColorAt(0.0, QColor(255, 255, 255, 150));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(pixmap.rect(), glow);

    // Rolling hills along the bottom.
    // Each hill: a start height, two curves to the right edge, filled down to the bottom.
    const auto hill = [&](int startY, std::array<QPointF, 3> first, std::array<QPointF, 3> second,
                          QColor colour) {
        QPainterPath path;
        path.moveTo(0, startY);
        path.cubicTo(first[0], first[1], first[2]);
        path.cubicTo(second[0], second[1], second[2]);
        path.lineTo(kit::kScreenWidth, kit::kScreenHeight);
        path.lineTo(0, kit::kScreenHeight);
        path.closeSubpath();
        p.fillPath(path, colour);
    };
    hill(700, {QPointF(220, 640), QPointF(420, 690), QPointF(600, 670)},
         {QPointF(780, 650), QPointF(900, 690), QPointF(kit::kScreenWidth, 660)}, QColor(150, 205, 140));
    hill(730, {QPointF(260, 690), QPointF(520, 750), QPointF(760, 715)},
         {QPointF(880, 698), QPointF(960, 712), QPointF(kit::kScreenWidth, 705)}, QColor(104, 178, 104));

    // Stars: the same scatter every time, kept mostly to the edges so the text stays clear.
    quint32 seed = 20040315u;
    const auto nextUnit = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
    };
    const QColor fill(255, 214, 79);
    const QColor edge(240, 160, 0);
    for (int i = 0; i < 46; ++i) {
        const double x = nextUnit() * kit::kScreenWidth;
        const double y = 10 + nextUnit() * 630;
        const double r = 5 + nextUnit() * 13;
        const bool overText = x > 110 && x < 914 && y > 20 && y < 560;
        if (overText && r > 8)
            continue;
        QColor starFill = fill;
        starFill.setAlpha(overText ? 110 : 235);
        p.setPen(QPen(edge, 1.2));
        p.setBrush(starFill);
        p.drawPath(starPath(QPointF(x, y), r));
    }
    // Small white sparkles.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    for (int i = 0; i < 70; ++i) {
        const double x = nextUnit() * kit::kScreenWidth;
        const double y = nextUnit() * 640;
        const double r = 1 + nextUnit() * 2.2;
        p.drawEllipse(QPointF(x, y), r, r);
    }
    // A few big stars in the corners.
    const QPointF corners[] = {{60, 70}, {965, 80}, {70, 470}, {955, 455}};
    const double radii[] = {34, 28, 24, 30};
    for (size_t i = 0; i < std::size(corners); ++i) {
        p.setPen(QPen(edge, 2));
        p.setBrush(fill);
        p.drawPath(starPath(corners[i], radii[i]));
    }
    p.end();
    return pixmap;
}

} // namespace kz
