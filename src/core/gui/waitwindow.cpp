#include "core/gui/waitwindow.h"

#include "core/gui/screenkit.h"

#include "core/gui/paintnow.h"

#include <QCoreApplication>
#include <QLabel>

namespace kz {

WaitWindow::WaitWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("BASEFRM"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(480, 120);
    kit::paint(this, QColor(255, 255, 192), QColor(0, 0, 128));

    label19_ = new QLabel(QStringLiteral("Just a moment, please."), this);
    label19_->setObjectName(QStringLiteral("Label19"));
    label19_->setGeometry(0, 0, width(), height());
    label19_->setAlignment(Qt::AlignCenter);
    label19_->setFont(kit::gothicPixelFont(28, true));
    label19_->setFrameShape(QFrame::Box);
    label19_->setLineWidth(2);

    kit::centreOnScreen(this);
}

void WaitWindow::showAndPaint() {
    show();
    raise();
    paintNow();
}

} // namespace kz
