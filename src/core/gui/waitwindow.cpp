#include "core/gui/waitwindow.h"

#include "core/gui/paintnow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace kz {

WaitWindow::WaitWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("BASEFRM"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(480, 120);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 192));
    pal.setColor(QPalette::WindowText, QColor(0, 0, 128));
    setPalette(pal);

    label19_ = new QLabel(QStringLiteral("Just a moment, please."), this);
    label19_->setObjectName(QStringLiteral("Label19"));
    label19_->setGeometry(0, 0, width(), height());
    label19_->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(28);
    font.setBold(true);
    label19_->setFont(font);
    label19_->setFrameShape(QFrame::Box);
    label19_->setLineWidth(2);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void WaitWindow::showAndPaint() {
    show();
    raise();
    paintNow();
}

} // namespace kz
