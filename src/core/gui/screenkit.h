#pragma once

#include "core/gui/screenkitfonts.h"

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;
class QWidget;

namespace kz {
struct Rgb;
}

// What every screen builds its look from: the Japanese gothic faces (screenkitfonts.h),
// background and text colours, labels and buttons with their object names, centring, and
// the program's icon.
namespace kz::kit {

// Every screen of the program fills a 1024 × 768 window.
inline constexpr int kScreenWidth = 1024;
inline constexpr int kScreenHeight = 768;

// The colour of an RGB triple of the run state or the rules.
QColor colour(const Rgb& rgb);

// Fills the widget's background with a colour (an invalid colour leaves it as it is) and
// sets its text colour when one is given.
void paint(QWidget* widget, const QColor& background, const QColor& text = QColor());
// Fills a panel and everything on it: the background of the panel and of the boxes, lists
// and grids inside it, and the text colour of both.
void paintPanel(QWidget* widget, const QColor& background, const QColor& text);
// Sets only the text colour.
void setTextColour(QWidget* widget, const QColor& text);

// A label with its object name and text.
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text = {});
// A label placed, with its font and alignment.
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& place,
                  const QFont& font, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// A push button with its object name and caption.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption);
// A push button placed, with its font.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& place,
                        const QFont& font);

// Moves a window to the middle of the primary screen's free area.
void centreOnScreen(QWidget* window);
// Moves a window to the middle of another window, or of the primary screen when there is none.
void centreOver(QWidget* window, const QWidget* other);

// The program's icon, the one of the menu entry (packaging/kazurin2.png): the windows'
// icon and the name screen's picture.
QPixmap programIcon(int size);

} // namespace kz::kit
