#include "core/gui/versionwindow.h"

#include "core/gui/screenkit.h"
#include "core/startup.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace kz {

VersionWindow::VersionWindow(const QString& programTitle, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmver"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);
    setFixedSize(420, 260);

    shape1_ = new QFrame(this);
    shape1_->setObjectName(QStringLiteral("Shape1"));
    shape1_->setGeometry(16, 16, 388, 170);
    shape1_->setFrameShape(QFrame::Box);
    shape1_->setLineWidth(2);

    label1_ = kit::makeLabel(this, QStringLiteral("Label1"), programTitle, QRect(28, 30, 364, 64),
                             kit::gothicPixelFont(40, true), Qt::AlignCenter);
    label2_ = kit::makeLabel(this, QStringLiteral("Label2"), versionText(), QRect(28, 104, 364, 32),
                             kit::gothicPixelFont(20), Qt::AlignCenter);
    label4_ = kit::makeLabel(this, QStringLiteral("Label4"), QStringLiteral("Tsubomi7"),
                             QRect(28, 140, 364, 32), kit::gothicPixelFont(18), Qt::AlignCenter);

    command1_ = kit::makeButton(this, QStringLiteral("Command1"), QStringLiteral("O.K."),
                                QRect(290, 202, 114, 40), kit::gothicPixelFont(18));
    command1_->setDefault(true);
    connect(command1_, &QPushButton::clicked, this, &QDialog::accept);

    // Present for the sake of the window's layout; it has no action and is not shown.
    command2_ = kit::makeButton(this, QStringLiteral("Command2"), QString());
    command2_->setGeometry(16, 202, 114, 40);
    command2_->setVisible(false);
}

void VersionWindow::centreOver(const QWidget* other) {
    kit::centreOver(this, other);
}

void VersionWindow::showModal(const QString& programTitle, QWidget* parent) {
    VersionWindow window(programTitle, parent);
    window.centreOver(parent ? parent->window() : nullptr);
    window.exec();
}

} // namespace kz
