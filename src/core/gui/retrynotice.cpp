#include "core/gui/retrynotice.h"

#include "core/gui/paintnow.h"
#include "data/textio.h"

#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace kz {

void waitKeepingScreensAlive(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

RetryNotice::RetryNotice(QString file, QString path, WaitFunction wait, int showAfterMs)
    : file_(std::move(file)), path_(std::move(path)), wait_(std::move(wait)), showAfterMs_(showAfterMs) {}

RetryNotice::~RetryNotice() {
    delete window_.data();
}

FileWaits retryNoticeWaits() {
    return [](const QString& file, const QString& path) -> std::unique_ptr<FileWait> {
        return std::make_unique<RetryNotice>(file, path, waitKeepingScreensAlive);
    };
}

void RetryNotice::wait(int milliseconds) {
    if (!window_ && waitedMs_ >= showAfterMs_) {
        auto* label = new QLabel;
        label->setObjectName(QStringLiteral("retryNotice"));
        label->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        label->setAttribute(Qt::WA_ShowWithoutActivating);
        label->setText(QStringLiteral("%1を読めません。再試行しています…\n%2")
                           .arg(file_, shortenForMessage(QDir::toNativeSeparators(path_), 90)));
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setMargin(16);
        label->setFrameShape(QFrame::Box);
        label->setLineWidth(2);
        label->setAutoFillBackground(true);
        QPalette pal = label->palette();
        pal.setColor(QPalette::Window, QColor(255, 255, 192));
        pal.setColor(QPalette::WindowText, QColor(160, 0, 0));
        label->setPalette(pal);
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(20);
        font.setBold(true);
        label->setFont(font);
        label->setFixedWidth(760);
        label->adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            label->move(screen->availableGeometry().center() - label->rect().center());
        label->show();
        label->raise();
        window_ = label;
        paintNow();
    }
    if (wait_)
        wait_(milliseconds);
    waitedMs_ += milliseconds;
}

} // namespace kz
