#include "core/gui/screenkit.h"

#include "core/runstate.h"
#include "core/titlepicture/titlepicture.h"

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
    // Stored with the program as raw pixels by the build (make_title_picture).
    const QImage icon =
        storedPicture(QStringLiteral(":/kazurin2/icon.rgba"), kIconSize, kIconSize, kIconFormat);
    if (icon.isNull()) {
        QPixmap blank(size, size);
        blank.fill(Qt::transparent);
        return blank;
    }
    return QPixmap::fromImage(icon.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace kz::kit
