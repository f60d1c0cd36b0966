#include "core/gui/splashscreen.h"

#include "core/gui/screenkit.h"

#include "core/eradate.h"
#include "core/titlepicture/titlepicture.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <utility>

namespace kz {

namespace {

constexpr int kStripHeight = 44;
// The picture's top colour, also the strip's.
QColor sky() {
    return {24, 64, 140};
}

} // namespace

QPixmap SplashScreen::titlePicture() {
    // Stored with the program by the build (make_title_picture); a program built without
    // it shows the sky colour alone.
    const QImage stored = storedPicture(QStringLiteral(":/kazurin2/title.rgb"), kTitlePictureWidth,
                                        kTitlePictureHeight, kTitlePictureFormat);
    if (stored.isNull()) {
        QPixmap plain(kTitlePictureWidth, kTitlePictureHeight);
        plain.fill(sky());
        return plain;
    }
    return QPixmap::fromImage(stored);
}

SplashScreen::SplashScreen(QDate today, std::function<bool()> prepare, std::function<void()> startup,
                           QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), today_(today),
      prepare_(std::move(prepare)), startup_(std::move(startup)), prepared_(!prepare_) {
    setObjectName(QStringLiteral("Firstfrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kTitlePictureWidth, kTitlePictureHeight + kStripHeight);
    kit::paint(this, sky(), Qt::white);

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(0, 0, kTitlePictureWidth, kTitlePictureHeight);
    image1_->setPixmap(titlePicture());

    label5_ = kit::makeLabel(this, QStringLiteral("Label5"), QString(),
                             QRect(16, kTitlePictureHeight, 330, kStripHeight), kit::gothicPixelFont(18));
    label1_ = kit::makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Just a moment, please."),
                             QRect(340, kTitlePictureHeight, kTitlePictureWidth - 356, kStripHeight),
                             kit::gothicPixelFont(18), Qt::AlignRight | Qt::AlignVCenter);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(100);
    timer1_->setSingleShot(true);
    connect(timer1_, &QTimer::timeout, this, &SplashScreen::runStartup);

    kit::centreOnScreen(this);
}

void SplashScreen::load() {
    show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    label5_->setText(eraDateLabel(today_));
    show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    timer1_->start();
    // From the event loop, where a failed start can end it.
    if (prepare_)
        QTimer::singleShot(0, this, &SplashScreen::runPrepare);
}

void SplashScreen::runPrepare() {
    const std::function<bool()> prepare = std::exchange(prepare_, {});
    const QPointer<SplashScreen> self(this);
    const bool prepared = prepare && prepare();
    if (!self) // the program ended while a message was open
        return;
    if (!prepared) {
        timer1_->stop();
        close();
        return;
    }
    prepared_ = true;
    if (due_)
        runStartup();
}

void SplashScreen::runStartup() {
    timer1_->stop();
    if (!prepared_) {
        due_ = true;
        return;
    }
    due_ = false;
    prepared_ = false; // once
    if (startup_)
        startup_();
    close();
}

} // namespace kz
