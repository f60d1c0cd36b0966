#include "core/gui/screenkit.h"

#include "core/runstate.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace kz::kit {

QColor colour(const Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

void paint(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette pal = widget->palette();
    if (background.isValid()) {
        pal.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    if (text.isValid())
        pal.setColor(QPalette::WindowText, text);
    widget->setPalette(pal);
}

void paintPanel(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Text, text);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

void setTextColour(QWidget* widget, const QColor& text) {
    paint(widget, QColor(), text);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& place,
                  const QFont& font, Qt::Alignment alignment) {
    QLabel* label = makeLabel(parent, name, text);
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(alignment);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& place,
                        const QFont& font) {
    QPushButton* button = makeButton(parent, name, caption);
    button->setGeometry(place);
    button->setFont(font);
    return button;
}

void centreOnScreen(QWidget* window) {
    centreOver(window, nullptr);
}

void centreOver(QWidget* window, const QWidget* other) {
    QRect area;
    if (other)
        area = other->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        window->move(area.center() - window->rect().center());
}

QPixmap programIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 60, 0), 3));
    painter.setBrush(QColor(255, 170, 40));
    painter.drawEllipse(QRectF(2, 2, size - 4, size - 4));
    painter.setPen(QPen(Qt::white, size / 10.0, Qt::SolidLine, Qt::RoundCap));
    const double m = size * 0.3;
    painter.drawLine(QPointF(m, m), QPointF(size - m, size - m));
    painter.drawLine(QPointF(size - m, m), QPointF(m, size - m));
    painter.setFont(gothicFont(size / 7, true));
    painter.setPen(QColor(90, 40, 0));
    painter.drawText(QRectF(0, size * 0.04, size, size * 0.3), Qt::AlignCenter, QStringLiteral("14"));
    painter.drawText(QRectF(0, size * 0.68, size / 2.0 + 4, size * 0.3), Qt::AlignCenter,
                     QStringLiteral("15"));
    painter.drawText(QRectF(size / 2.0 - 4, size * 0.68, size / 2.0 + 4, size * 0.3), Qt::AlignCenter,
                     QStringLiteral("16"));
    return pixmap;
}

} // namespace kz::kit
