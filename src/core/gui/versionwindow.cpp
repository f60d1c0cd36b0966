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

    label1_ = new QLabel(programTitle, this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(28, 30, 364, 64);
    label1_->setAlignment(Qt::AlignCenter);
    label1_->setFont(kit::gothicPixelFont(40, true));

    label2_ = new QLabel(versionText(), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setGeometry(28, 104, 364, 32);
    label2_->setAlignment(Qt::AlignCenter);
    label2_->setFont(kit::gothicPixelFont(20));

    label4_ = new QLabel(QStringLiteral("Tsubomi7"), this);
    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setGeometry(28, 140, 364, 32);
    label4_->setAlignment(Qt::AlignCenter);
    label4_->setFont(kit::gothicPixelFont(18));

    command1_ = new QPushButton(QStringLiteral("O.K."), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(290, 202, 114, 40);
    command1_->setFont(kit::gothicPixelFont(18));
    command1_->setDefault(true);
    connect(command1_, &QPushButton::clicked, this, &QDialog::accept);

    // Present for the sake of the window's layout; it has no action and is not shown.
    command2_ = new QPushButton(this);
    command2_->setObjectName(QStringLiteral("Command2"));
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
